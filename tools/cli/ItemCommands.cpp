#include "ItemCommands.h"

#include "ItemText.h"
#include "Json.h"
#include "collection/CollectionFile.h"
#include "collection/CollectionLock.h"
#include "collection/ItemEntry.h"
#include "collection/ItemSearch.h"
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

struct Parsed {
    std::vector<std::string> plain;
    std::map<std::string, std::string> options;
    bool asTyped = false;
};

Parsed parse(int argc, char** argv, const std::vector<std::string>& allowed) {
    Parsed p;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--as-typed") {
            p.asTyped = true;
        } else if (arg.rfind("--", 0) == 0) {
            const std::string name = arg.substr(2);
            if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
                throw std::invalid_argument("unknown option " + arg);
            if (i + 1 >= argc) throw std::invalid_argument("option " + arg + " needs a value");
            p.options[name] = argv[++i];
        } else {
            p.plain.push_back(arg);
        }
    }
    return p;
}

const std::vector<std::string> kFieldOptions = {"name",      "quantity",  "year",   "series",  "price",
                                                "netchange", "condition", "catnum", "comments"};

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

// Each value is what a user typed into the blank field from its first position; a value the field
// could not take (a refused character, too long a text, an unknown condition) is refused.
void typeInto(ItemEntry& entry, const Parsed& p) {
    for (const auto& [option, value] : p.options) {
        const EntryField field = fieldOf(option);
        QString text = QString::fromUtf8(option == "comments" ? commentText(value) : value);
        if (field == EntryField::Condition) {
            if (!ItemEntry::Conditions().contains(text))
                throw std::invalid_argument("--condition must be one of " +
                                            ItemEntry::Conditions().join(", ").toStdString());
        } else if (ItemEntry::isMasked(field)) {
            MaskedText mask = MaskedText::forKind(ItemEntry::maskOf(field));
            if (!mask.typeFromStart(text))
                throw std::invalid_argument("--" + option + " '" + value +
                                            "' cannot be typed into that field");
            text = mask.text();
        } else if (text.size() > limitOf(field)) {
            throw std::invalid_argument("--" + option + " takes at most " + std::to_string(limitOf(field)) +
                                        " characters");
        }
        if (ItemEntry::isMasked(field)) {
            // Typed text stays where it was typed: no aligning.
            (field == EntryField::Quantity ? entry.Fields.Quantity
             : field == EntryField::Year   ? entry.Fields.Year
             : field == EntryField::Price  ? entry.Fields.Price
                                           : entry.Fields.NetChange) = text;
        } else {
            entry.putField(field, text);
        }
    }
}

// Add/Save as the dialog's button runs it; prints the item as the file now holds it.
int store(ItemEntry& entry, OpenCollection& collection, const std::string& file) {
    if (!entry.InputComplete()) throw Refusal(ItemEntry::ButtonHint(entry.EditMode, false).toStdString());
    const AddSaveOutcome outcome = entry.AddSave(collection);
    if (outcome.message) throw Refusal(*outcome.message);
    const std::string key = nameKey(fromQString(entry.NameToSelect));
    std::string stored = "null"; // an item of quantity 0 is not written
    TCollectionHeader header;
    readCollectionFile(file, header, [&](const TFigureRecord& r) {
        if (stored == "null" && nameKey(r.FigureName.view()) == key) stored = itemJson(r);
    });
    std::cout << stored << '\n';
    return 0;
}

int addAsTyped(const Parsed& p) {
    if (p.plain.size() != 1) throw std::invalid_argument("add --as-typed needs FILE");
    ItemEntry entry;
    typeInto(entry, p);
    const CollectionLock lock(p.plain[0]);
    OpenCollection collection;
    collection.LoadCollection(p.plain[0]);
    return store(entry, collection, p.plain[0]);
}

int editAsTyped(const Parsed& p) {
    if (!p.asTyped) throw std::invalid_argument("edit needs --as-typed");
    if (p.plain.size() != 2) throw std::invalid_argument("edit needs FILE and NAME");
    const CollectionLock lock(p.plain[0]);
    OpenCollection collection;
    collection.LoadCollection(p.plain[0]);
    TFigureNode* item = collection.FindItem(utf8ToWin1252(p.plain[1]));
    if (!item) throw std::runtime_error("a match for '" + p.plain[1] + "' was not found.");
    ItemEntry entry;
    entry.FillForEdit(item->Record);
    typeInto(entry, p);
    return store(entry, collection, p.plain[0]);
}

int find(const Parsed& p) {
    if (p.plain.size() != 2 || p.asTyped) throw std::invalid_argument("find needs FILE and TEXT");
    ItemSearch search;
    if (const auto it = p.options.find("from"); it != p.options.end()) {
        const std::string& n = it->second;
        const auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), search.FindStart);
        if (ec != std::errc() || end != n.data() + n.size() || search.FindStart < 0)
            throw std::invalid_argument("--from must be a whole number of at least 0, not '" + n + "'");
    }
    OpenCollection collection;
    collection.LoadCollection(p.plain[0]);
    const int index = search.Search(collection.ItemList, QString::fromUtf8(p.plain[1]));
    json::Object out;
    out.addString("label", search.Label.toStdString());
    if (index >= 0)
        out.addNumber("index", index).addString("name", win1252ToUtf8(collection.ItemList.at(index)));
    else
        out.add("index", "null").add("name", "null");
    out.addNumber("next", search.FindStart);
    std::cout << out.compact() << '\n';
    return 0;
}

} // namespace

int runItemCommand(int argc, char** argv) {
    const std::string command = argv[1];
    if (command == "find") return find(parse(argc, argv, {"from"}));
    if (command == "edit") return editAsTyped(parse(argc, argv, kFieldOptions));
    // The plain add of scripts stays with the dispatcher.
    if (command != "add" || std::find(argv + 2, argv + argc, std::string_view("--as-typed")) == argv + argc)
        return -1;
    return addAsTyped(parse(argc, argv, kFieldOptions));
}

} // namespace vitrinex::cli
