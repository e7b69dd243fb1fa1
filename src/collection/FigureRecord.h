#pragma once
// The 1324-byte item record of a collection file (".fcd", and its ".bak" backup) and the header
// record that starts every such file. Both are laid out byte for byte as they stand on disk.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vitrinex {

static_assert(std::endian::native == std::endian::little, "collection records are little-endian on disk");

// A length-prefixed single-byte text of capacity N: byte 0 is the length, then N character bytes.
// Bytes past the length are not significant. A length byte above the capacity is read as the capacity,
// so a damaged record never reads outside its field.
template <std::size_t N> struct ShortString {
    std::uint8_t length;
    char chars[N];

    std::string_view view() const { return {chars, std::min<std::size_t>(length, N)}; }
    std::string str() const { return std::string(view()); }
    // Stores the first N characters of `text` (one fewer where the cut would keep the CR of a CR LF
    // line break without its LF); the rest of the field is filled with zero bytes.
    void assign(std::string_view text) {
        std::size_t n = std::min(text.size(), N);
        if (n > 0 && n < text.size() && text[n - 1] == '\r' && text[n] == '\n') --n;
        length = static_cast<std::uint8_t>(n);
        std::memcpy(chars, text.data(), n);
        std::memset(chars + n, 0, N - n);
    }
    bool empty() const { return view().empty(); }
};

#pragma pack(push, 1)
struct TFigureRecord {
    ShortString<255> FigureName; // the key of the item tree; one blank marks a deleted record
    ShortString<255> UpdateMark; // "Updated" after a catalog update matched the item
    ShortString<255> Year;
    ShortString<255> Series;
    ShortString<8> Price;     // "$" and the amount
    ShortString<5> NetChange; // "$" and a signed whole amount
    std::uint8_t Padding;
    std::int32_t Quantity; // 0 marks a deleted record
    ShortString<9> CatNum;
    ShortString<5> Condition;
    ShortString<255> Comments; // lines separated by CR LF
    std::uint32_t Left;        // link bytes of the stored record: never interpreted, written as zeros
    std::uint32_t Right;
};

struct TCollectionHeader {
    ShortString<255> CollectionName;
    ShortString<255> LastUpdate; // "New Collection" until the first catalog update is chosen
    ShortString<255> UpdateType; // "SW", "HW" or empty
    ShortString<255> Brand;
    std::uint8_t Unused1[36];
    ShortString<255> CollectionYear; // "1985-1990"
    std::uint8_t Unused2[8];
};
#pragma pack(pop)

constexpr std::size_t kRecordSize = 1324;
static_assert(sizeof(TFigureRecord) == kRecordSize);
static_assert(sizeof(TCollectionHeader) == kRecordSize);
static_assert(offsetof(TFigureRecord, Price) == 0x400);
static_assert(offsetof(TFigureRecord, NetChange) == 0x409);
static_assert(offsetof(TFigureRecord, Quantity) == 0x410);
static_assert(offsetof(TFigureRecord, CatNum) == 0x414);
static_assert(offsetof(TFigureRecord, Condition) == 0x41E);
static_assert(offsetof(TFigureRecord, Comments) == 0x424);
static_assert(offsetof(TFigureRecord, Left) == 0x524);
static_assert(offsetof(TCollectionHeader, CollectionYear) == 0x424);

// A record of zero bytes (every text empty, quantity 0).
TFigureRecord blankFigureRecord();
TCollectionHeader blankCollectionHeader();

// Deleted records are skipped by every writer: the name is exactly one blank, or the quantity is 0.
bool isDeletedRecord(const TFigureRecord& record);

// The item name key: the letters a to z upper-cased, every other byte unchanged.
std::string nameKey(std::string_view name);
// Orders names by their keys, byte by byte as unsigned values, a prefix before the longer key.
int compareNameKeys(std::string_view a, std::string_view b);
// The first 16 bytes of a name's key, zeros after its end, as two numbers that order as those
// bytes do: two names whose numbers differ order by them alone.
struct NameKeyPrefix {
    std::uint64_t high = 0, low = 0;
};
NameKeyPrefix nameKeyPrefix(std::string_view name);

// The numeric value of a Price or NetChange text: the characters after its first "$" (all of them
// when it holds none), blanks around allowed. Returns false when they are no number.
bool amountValue(std::string_view text, long double& value);

} // namespace vitrinex
