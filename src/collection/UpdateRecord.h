#pragma once
// One record of update.dat: a catalog number and the price the maker lists for it ("12.99"). The
// download writes these records and the price application reads them.

#include "collection/FigureRecord.h"

#include <cstddef>

namespace vitrinex {

#pragma pack(push, 1)
struct TUpdateRecord {
    ShortString<9> UpdateCatNum;
    ShortString<10> UpdatePrice;
};
#pragma pack(pop)
constexpr std::size_t kUpdateRecordSize = 21;
static_assert(sizeof(TUpdateRecord) == kUpdateRecordSize);

} // namespace vitrinex
