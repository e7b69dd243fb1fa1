#pragma once
// The plain add of scripts: an item from texts given in UTF-8, each checked as `vitrinex-cli add`
// checks its options (texts a collection can store and that fit their fields, a quantity of at least
// 1, the add dialog's price and net-change checks and cleanups, a condition of the dialog's list).
// The CSV import takes its rows through the same rules.

#include "collection/OpenCollection.h"

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vitrinex {

// A value refused by the add rules; what() says which and why (UTF-8).
class EItemRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The values given, in UTF-8; a value not given takes the default (quantity 1, price and net change
// "$0", condition "C-10", other texts empty). Comments hold their line breaks as CR LF already.
struct PlainItemTexts {
    std::optional<std::string> name, quantity, year, series, price, netchange, condition, catnum, comments;
};

// Text given for a collection, as Windows-1252 bytes of at most `capacity`: text that is not UTF-8,
// holds a NUL byte or a character Windows-1252 lacks, or does not fit is refused, naming `what`.
std::string storableText(const std::string& what, std::string_view utf8, std::size_t capacity);

// What a plain add's texts must be beyond what the record stores.
enum class FieldRule {
    Stored,      // what the record can store (the add of scripts)
    DialogHolds, // also what the add dialog's fields can hold: a year its masked field takes
};

// The item the add rules make of `texts`, or EItemRefused with the first refusal. `label` names a
// field in a message, given the field's name as in PlainItemTexts ("netchange").
NewItemValues plainItemValues(const PlainItemTexts& texts,
                              const std::function<std::string(const char*)>& label);

// Every refusal of `texts` under the add rules, in field order; none when `values` holds the item.
std::vector<std::string> plainItemRefusals(const PlainItemTexts& texts,
                                           const std::function<std::string(const char*)>& label,
                                           NewItemValues& values, FieldRule rule = FieldRule::Stored);

// The add rules for many items, as plainItemRefusals checks each: the answers for a year, a
// condition, a price and a net change, texts that repeat from item to item, are kept (up to a bound),
// so that each such text is checked once.
class PlainItemRules {
public:
    PlainItemRules(const std::function<std::string(const char*)>& label, FieldRule rule);
    std::vector<std::string> refusals(const PlainItemTexts& texts, NewItemValues& values);

private:
    static constexpr std::array<const char*, 9> kFields = {
        "name", "quantity", "year", "series", "price", "netchange", "condition", "catnum", "comments"};
    static constexpr std::size_t kMemoLimit = 16384;
    struct Answer {
        std::string text; // the value, or the refusal
        bool refused = false;
    };
    using Memo = std::unordered_map<std::string, Answer>;
    const std::string& label(const char* field) const;
    template <typename Check>
    std::string remembered(Memo& memo, const std::optional<std::string>& given, const Check& check);

    FieldRule rule_;
    std::array<std::string, 9> labels_;
    Memo years_, conditions_, prices_, netChanges_;
};

} // namespace vitrinex
