#include "collection/PlainItem.h"

#include "collection/ItemEntry.h"
#include "collection/Win1252.h"

#include <algorithm>

namespace vitrinex {
namespace {

// The record's capacities: a plain add refuses what would not fit rather than cutting it.
constexpr std::size_t kLongText = 255;
constexpr std::size_t kCatNumCapacity = 9;

// The value as a user types it into the blank masked field from its first position; a character the
// field refuses, or one with no position left, refuses the value.
QString typed(const std::string& what, EntryField field, const std::string& win1252) {
    MaskedText mask = MaskedText::forKind(ItemEntry::maskOf(field));
    if (!mask.typeFromStart(toQString(win1252)))
        throw EItemRefused(what + " '" + win1252ToUtf8(win1252) + "' cannot be typed into that field");
    return mask.text();
}

// The add dialog's fields as it starts, made once.
const ItemEntry& blankEntry() {
    static const ItemEntry blank;
    return blank;
}

// An amount as a plain add stores it: the dialog's cleaned text, kept as given when it was given in
// that aligned form, otherwise without the alignment blanks ("$12.50").
std::string plainAmount(const std::string& given, const QString& cleaned) {
    std::string text = fromQString(cleaned);
    if (text == given) return text;
    std::erase(text, ' ');
    return text;
}

} // namespace

std::string storableText(const std::string& what, std::string_view utf8, std::size_t capacity) {
    // A collection could hold it, but no command line could name such an item again.
    if (utf8.find('\0') != std::string_view::npos) throw EItemRefused(what + " holds a NUL byte");
    std::string text;
    switch (utf8ToWin1252Exact(utf8, text)) {
    case TextRefusal::NotUtf8:
        throw EItemRefused(what + " is not valid UTF-8");
    case TextRefusal::NotWin1252:
        throw EItemRefused(what + " holds a character that a collection cannot store (Windows-1252)");
    case TextRefusal::None:
        break;
    }
    if (text.size() > capacity)
        throw EItemRefused(what + " takes at most " + std::to_string(capacity) + " characters, not " +
                           std::to_string(text.size()));
    return text;
}

PlainItemRules::PlainItemRules(const std::function<std::string(const char*)>& label, FieldRule rule)
    : rule_(rule) {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        labels_[i] = label(kFields[i]);
}

const std::string& PlainItemRules::label(const char* field) const {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (std::string_view(kFields[i]) == field) return labels_[i];
    throw std::logic_error("no such field");
}

template <typename Check>
std::string PlainItemRules::remembered(Memo& memo, const std::optional<std::string>& given,
                                       const Check& check) {
    std::string key = given ? "=" + *given : std::string();
    if (const auto it = memo.find(key); it != memo.end()) {
        if (it->second.refused) throw EItemRefused(it->second.text);
        return it->second.text;
    }
    Answer answer;
    try {
        answer.text = check();
    } catch (const EItemRefused& e) {
        answer = {e.what(), true};
    }
    if (memo.size() < kMemoLimit) memo.emplace(std::move(key), answer);
    if (answer.refused) throw EItemRefused(answer.text);
    return answer.text;
}

std::vector<std::string> PlainItemRules::refusals(const PlainItemTexts& t, NewItemValues& v) {
    const auto label = [this](const char* field) { return this->label(field); };
    const FieldRule rule = rule_;
    std::vector<std::string> refusals;
    // Each field is checked on its own, so that one pass names every problem.
    const auto check = [&refusals](const auto& step) {
        try {
            step();
        } catch (const EItemRefused& e) {
            refusals.push_back(e.what());
        }
    };
    const auto text = [&](const char* field, const std::optional<std::string>& value, std::size_t capacity,
                          const char* fallback = "") {
        return storableText(label(field), value.value_or(fallback), capacity);
    };
    v = NewItemValues();
    check([&] {
        v.FigureName = text("name", t.name, kLongText);
        // One blank marks a deleted record: such an item would never be written.
        if (v.FigureName.empty() || v.FigureName == " ") throw EItemRefused(label("name") + " needs a name");
    });
    check([&] {
        const std::string quantity = t.quantity.value_or("1");
        std::size_t used = 0;
        long long q = 0;
        try {
            q = std::stoll(quantity, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (const auto zero = ItemEntry::QuantityCheck(q); zero && used == quantity.size())
            throw EItemRefused(win1252ToUtf8(zero->title + ": " + zero->text));
        if (used != quantity.size() || q < 1 || q > 2147483647)
            throw EItemRefused("quantity must be a whole number of at least 1, not '" + oneLine(quantity) +
                               "'");
        v.Quantity = static_cast<std::int32_t>(q);
    });
    check([&] {
        v.Year = remembered(years_, t.year, [&] {
            std::string year = text("year", t.year, kLongText);
            // Stored as given; the dialog's year field takes digits and blanks in its four positions.
            if (rule == FieldRule::DialogHolds) typed(label("year"), EntryField::Year, year);
            return year;
        });
    });
    check([&] { v.Series = text("series", t.series, kLongText); });
    check([&] {
        v.Condition = remembered(conditions_, t.condition, [&] {
            const QString condition = QString::fromUtf8(t.condition.value_or("C-10"));
            if (!ItemEntry::Conditions().contains(condition))
                throw EItemRefused(label("condition") + " must be one of " +
                                   ItemEntry::Conditions().join(", ").toStdString());
            return fromQString(condition);
        });
    });
    check([&] { v.CatNum = text("catnum", t.catnum, kCatNumCapacity); });
    check([&] { v.Comments = text("comments", t.comments, kLongText); });
    // The price and the net change each in a dialog whose other amount is the blank default, so
    // that a refused price does not hide a refused net change.
    check([&] {
        v.Price = remembered(prices_, t.price, [&] {
            const std::string price = text("price", t.price, kLongText, "$0");
            ItemEntry entry = blankEntry();
            entry.Fields.Price = typed(label("price"), EntryField::Price, price);
            // A blank field keeps the dialog's button inactive.
            if (entry.Fields.Price.trimmed() == "$") throw EItemRefused(label("price") + " needs an amount");
            EntryField refused = EntryField::None;
            if (const auto message = entry.CheckAmounts(refused))
                throw EItemRefused(label("price") + ": " + win1252ToUtf8(message->text));
            return plainAmount(price, entry.Fields.Price);
        });
    });
    check([&] {
        v.NetChange = remembered(netChanges_, t.netchange, [&] {
            const std::string netChange = text("netchange", t.netchange, kLongText, "$0");
            ItemEntry entry = blankEntry();
            entry.Fields.NetChange = typed(label("netchange"), EntryField::NetChange, netChange);
            if (entry.Fields.NetChange.trimmed() == "$")
                throw EItemRefused(label("netchange") + " needs an amount");
            EntryField refused = EntryField::None;
            if (const auto message = entry.CheckAmounts(refused))
                throw EItemRefused(label("netchange") + ": " + win1252ToUtf8(message->text));
            return plainAmount(netChange, entry.Fields.NetChange);
        });
    });
    return refusals;
}

std::vector<std::string> plainItemRefusals(const PlainItemTexts& t,
                                           const std::function<std::string(const char*)>& label,
                                           NewItemValues& v, FieldRule rule) {
    return PlainItemRules(label, rule).refusals(t, v);
}

NewItemValues plainItemValues(const PlainItemTexts& t, const std::function<std::string(const char*)>& label) {
    NewItemValues v;
    const std::vector<std::string> refusals = plainItemRefusals(t, label, v);
    if (!refusals.empty()) throw EItemRefused(refusals.front());
    return v;
}

} // namespace vitrinex
