#include "ItemCommands.h"

#include "CommandSession.h"
#include "ItemText.h"
#include "Json.h"
#include "collection/CollectionFile.h"
#include "collection/ItemEntry.h"
#include "collection/ItemSearch.h"
#include "collection/PlainItem.h"
#include "collection/Win1252.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vitrinex::cli {
namespace {

struct Refusal : std::runtime_error {
    explicit Refusal(const UserMessage& m) : std::runtime_error(win1252ToUtf8(m.title + ": " + m.text)) {}
    using std::runtime_error::runtime_error;
};

// The record's capacities: a plain add refuses what would not fit rather than cutting it.
constexpr std::size_t kLongText = 255;

EntryField fieldOf(const std::string& option) {
    static const std::map<std::string, EntryField> fields = {
        {"name", EntryField::Name},           {"quantity", EntryField::Quantity},
        {"year", EntryField::Year},           {"series", EntryField::Series},
        {"price", EntryField::Price},         {"netchange", EntryField::NetChange},
        {"condition", EntryField::Condition}, {"catnum", EntryField::CatNum},
        {"comments", EntryField::Comments}};
    return fields.at(option);
}

int limitOf(EntryField field) {
    switch (field) {
    case EntryField::Name:
        return ItemEntry::kNameLimit;
    case EntryField::Series:
        return ItemEntry::kSeriesLimit;
    case EntryField::CatNum:
        return ItemEntry::kCatNumLimit;
    default:
        return ItemEntry::kCommentsLimit;
    }
}

// The option's value as a user types it into the blank masked field from its first position; a
// character the field refuses, or one with no position left, refuses the value.
QString typed(const std::string& option, EntryField field, const QString& text) {
    MaskedText mask = MaskedText::forKind(ItemEntry::maskOf(field));
    if (!mask.typeFromStart(text))
        throw std::invalid_argument("--" + option + " '" + text.toStdString() +
                                    "' cannot be typed into that field");
    return mask.text();
}

void setMasked(ItemEntry& entry, EntryField field, const QString& text) {
    // Typed text stays where it was typed: no aligning.
    (field == EntryField::Quantity ? entry.Fields.Quantity
     : field == EntryField::Year   ? entry.Fields.Year
     : field == EntryField::Price  ? entry.Fields.Price
                                   : entry.Fields.NetChange) = text;
}

QString conditionOf(const std::string& value) {
    const QString text = QString::fromUtf8(value);
    if (!ItemEntry::Conditions().contains(text))
        throw std::invalid_argument("--condition must be one of " +
                                    ItemEntry::Conditions().join(", ").toStdString());
    return text;
}

// Each value is what a user typed into the blank field from its first position; a value the field
// could not take (a refused character, too long a text, an unknown condition) is refused.
void typeInto(ItemEntry& entry, const CommandLine& a) {
    for (const std::string& option : kItemFieldOptions) {
        const std::optional<std::string> value = a.value(option);
        if (!value) continue;
        const EntryField field = fieldOf(option);
        const std::string win1252 =
            collectionText("--" + option, option == "comments" ? commentText(*value) : *value, kLongText);
        QString text = toQString(win1252);
        if (field == EntryField::Condition) {
            entry.putField(field, conditionOf(*value));
        } else if (ItemEntry::isMasked(field)) {
            setMasked(entry, field, typed(option, field, text));
        } else if (text.size() > limitOf(field)) {
            throw std::invalid_argument("--" + option + " takes at most " + std::to_string(limitOf(field)) +
                                        " characters");
        } else {
            entry.putField(field, text);
        }
    }
}

// Add/Save as the dialog's button runs it; prints the item as the file now holds it.
int store(ItemEntry& entry, CollectionSession& session, const std::string& file) {
    if (!entry.InputComplete()) throw Refusal(ItemEntry::ButtonHint(entry.EditMode, false).toStdString());
    const AddSaveOutcome outcome = session.addSave(entry);
    if (outcome.message) throw Refusal(*outcome.message);
    const std::string key = nameKey(fromQString(entry.NameToSelect));
    std::string stored = "null"; // no item of that name was written
    TCollectionHeader header;
    readCollectionFile(file, header, [&](const TFigureRecord& r) {
        if (stored == "null" && nameKey(r.FigureName.view()) == key) stored = itemJson(r);
    });
    std::cout << stored << '\n';
    return 0;
}

int addAsTyped(const CommandLine& a) {
    ItemEntry entry;
    typeInto(entry, a);
    CommandSession session(a.arg(0));
    return store(entry, session, a.arg(0));
}

// The plain add of scripts: the add rules of the core, the options named as given.
int addPlain(const CommandLine& a) {
    const std::string name = collectionText("--name", a.value("name", ""), kLongText);
    if (name.empty() || name == " ") throw UsageError("add needs --name with a name");
    PlainItemTexts texts;
    texts.name = a.value("name");
    texts.quantity = a.value("quantity");
    texts.year = a.value("year");
    texts.series = a.value("series");
    texts.price = a.value("price");
    texts.netchange = a.value("netchange");
    texts.condition = a.value("condition");
    texts.catnum = a.value("catnum");
    if (const auto comments = a.value("comments")) texts.comments = commentText(*comments);
    const NewItemValues v =
        plainItemValues(texts, [](const char* field) { return std::string("--") + field; });

    CommandSession session(a.arg(0));
    if (const auto exists = session.addItem(v)) throw std::runtime_error(win1252ToUtf8(exists->text));
    return 0;
}

} // namespace

const std::vector<std::string> kItemFieldOptions = {"name",      "quantity",  "year",   "series",  "price",
                                                    "netchange", "condition", "catnum", "comments"};

int commandAdd(const CommandLine& a) {
    return a.isSet("as-typed") ? addAsTyped(a) : addPlain(a);
}

int commandEdit(const CommandLine& a) {
    if (!a.isSet("as-typed")) throw UsageError("edit needs --as-typed");
    CommandSession session(a.arg(0));
    session.selectItem(toQString(collectionText("NAME", a.arg(1), kLongText)));
    const TFigureNode* item = session.collection().currentItem();
    if (!item) throw std::runtime_error("a match for '" + a.arg(1) + "' was not found.");
    ItemEntry entry;
    entry.FillForEdit(item->Record);
    typeInto(entry, a);
    return store(entry, session, a.arg(0));
}

int commandFind(const CommandLine& a) {
    ItemSearch search;
    if (const auto from = a.value("from")) {
        const std::string& n = *from;
        const auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), search.FindStart);
        if (ec != std::errc() || end != n.data() + n.size() || search.FindStart < 0)
            throw std::invalid_argument("--from must be a whole number of at least 0, not '" + n + "'");
    }
    const CommandSession session(a.arg(0));
    const OpenCollection& collection = session.collection();
    const int index = search.Search(collection.itemList(), QString::fromUtf8(a.arg(1)));
    json::Object out;
    out.addString("label", search.Label.toStdString());
    if (index >= 0)
        out.addNumber("index", index).addString("name", win1252ToUtf8(collection.itemList().at(index)));
    else
        out.add("index", "null").add("name", "null");
    out.addNumber("next", search.FindStart);
    std::cout << out.compact() << '\n';
    return 0;
}

} // namespace vitrinex::cli
