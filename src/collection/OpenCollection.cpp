#include "collection/OpenCollection.h"

#include "Version.h"

#include "collection/CollectionFile.h"
#include "collection/InOutError.h"
#include "collection/Win1252.h"

#include <functional>
#include <utility>

namespace vitrinex {
namespace {

constexpr std::size_t kHeaderTextCapacity = 255;

std::uint64_t nextOpeningId() {
    static std::uint64_t last = 0;
    return ++last;
}

std::string cut(std::string_view text, std::size_t capacity) {
    return std::string(text.substr(0, std::min(text.size(), capacity)));
}

long double convertAmount(std::string_view field, std::string_view text) {
    long double value = 0;
    const bool number = amountValue(text, value);
    const long double stored = number ? roundToReal48(value) : 0;
    if (!number || stored > kReal48Max || stored < -kReal48Max)
        throw EConvertError(std::string(field) + " text \"" + oneLine(win1252ToUtf8(text)) +
                            "\" is not a valid floating point value");
    return stored == 0 ? 0 : value;
}

// An item beyond the extreme starts its list afresh; one equal to it joins the list.
template <typename Beyond>
void trackExtreme(long double value, Real48& extreme, std::vector<std::string>& list,
                  const std::string& entry, Beyond beyond) {
    if (beyond(value, extreme.value())) {
        list.clear();
        list.push_back(entry);
        extreme = value;
    } else if (value == extreme.value()) {
        list.push_back(entry);
    }
}

} // namespace

OpenCollection::OpenCollection() {
    ResetAggregates();
}

TFigureNode* OpenCollection::FindItem(std::string_view name) {
    const auto it = index.find(nameKey(name));
    if (it == index.end()) return nullptr;
    CurrentItem = it->second;
    return CurrentItem;
}

TFigureNode* OpenCollection::locate(std::string_view name, TFigureNode**& link, Index::iterator& place) {
    std::string key = nameKey(name);
    const auto it = index.lower_bound(key);
    place = it;
    if (it != index.end() && it->first == key) return it->second;
    if (!root) {
        link = &root;
        return nullptr;
    }
    // In a binary search tree a new key hangs below its in-order predecessor (as its right child)
    // or its successor (as its left child), whichever has that link free.
    TFigureNode* successor = it != index.end() ? it->second : nullptr;
    TFigureNode* predecessor = it != index.begin() ? std::prev(it)->second : nullptr;
    if (predecessor && !predecessor->Right) {
        link = &predecessor->Right;
        return nullptr;
    }
    if (successor && !successor->Left) {
        link = &successor->Left;
        return nullptr;
    }
    // Only a tree holding blanked nodes, which the index no longer knows, gets here: walk it.
    link = &root;
    while (*link) {
        const int order = compareNameKeys(name, (*link)->Record.FigureName.view());
        if (order == 0) return *link;
        link = order < 0 ? &(*link)->Left : &(*link)->Right;
    }
    return nullptr;
}

void OpenCollection::attach(TFigureNode* node, TFigureNode** link, Index::iterator place) {
    *link = node;
    index.emplace_hint(place, nameKey(node->Record.FigureName.view()), node);
}

OpenCollection::Amounts OpenCollection::amountsOf(const TFigureRecord& record) {
    return {convertAmount("Price", record.Price.view()), convertAmount("NetChange", record.NetChange.view())};
}

void OpenCollection::addToAggregates(const TFigureRecord& record, const Amounts& amounts) {
    const long double priceText = amounts.price;
    const long double changeText = amounts.netChange;
    const Real48 p = priceText;
    const Real48 n = changeText;
    const std::string name = record.FigureName.str();

    TotalNetChange = TotalNetChange + n;
    const std::string priceEntry = entryLine(name, record.Price.view());
    const std::string changeEntry = entryLine(name, record.NetChange.view());
    trackExtreme(p, HighPrice, HighList, priceEntry, std::greater<long double>());
    trackExtreme(p, LowPrice, LowList, priceEntry, std::less<long double>());
    trackExtreme(n, HotChange, HotList, changeEntry, std::greater<long double>());
    trackExtreme(n, ColdChange, ColdList, changeEntry, std::less<long double>());
    // The value uses the price read afresh from its text, multiplied in extended precision.
    TotalValue = TotalValue.value() + priceText * static_cast<long double>(record.Quantity);
}

bool OpenCollection::InsertLoadedItem(const TFigureRecord& record) {
    TFigureNode** link = nullptr;
    Index::iterator place;
    if (locate(record.FigureName.view(), link, place)) return false;
    // Convert before inserting, so that a record that is no number leaves the tree as it was.
    const Amounts amounts = amountsOf(record);

    TFigureNode* node = nodes.add(record);
    node->Record.UpdateMark.assign("");
    node->Record.Left = 0;
    node->Record.Right = 0;
    attach(node, link, place);
    addToAggregates(node->Record, amounts);
    return true;
}

std::optional<UserMessage> OpenCollection::InsertNewItem(const NewItemValues& values) {
    TFigureNode** link = nullptr;
    const std::string_view name = std::string_view(values.FigureName).substr(0, 255);
    Index::iterator place;
    if (locate(name, link, place)) return UserMessage{"item exists", values.FigureName + " already exists!"};

    TFigureRecord record = blankFigureRecord();
    record.FigureName.assign(name);
    record.Year.assign(values.Year);
    record.Series.assign(values.Series);
    record.Price.assign(values.Price);
    record.NetChange.assign(values.NetChange);
    record.Quantity = values.Quantity;
    record.Condition.assign(values.Condition);
    record.CatNum.assign(values.CatNum);
    record.Comments.assign(values.Comments);
    const Amounts amounts = amountsOf(record);

    TFigureNode* node = nodes.add(record);
    attach(node, link, place);
    ++ItemCount;
    ItemList.add(record.FigureName.str());
    addToAggregates(node->Record, amounts);
    CurrentItem = node;
    return std::nullopt;
}

void OpenCollection::BlankItem(TFigureNode* node) {
    if (!node) return;
    const auto it = index.find(nameKey(node->Record.FigureName.view()));
    if (it != index.end() && it->second == node) index.erase(it);
    TFigureRecord& r = node->Record;
    for (auto* text : {&r.FigureName, &r.Year, &r.Series, &r.Comments})
        text->assign(" ");
    r.Price.assign(" ");
    r.NetChange.assign(" ");
    r.CatNum.assign(" ");
    r.Condition.assign(" ");
    r.UpdateMark.assign("");
    r.Quantity = 0;
}

TCollectionHeader OpenCollection::headerRecord() const {
    TCollectionHeader h = blankCollectionHeader();
    h.CollectionName.assign(CollectionName);
    h.LastUpdate.assign(LastUpdate);
    h.UpdateType.assign(UpdateType);
    h.Brand.assign(Brand);
    h.CollectionYear.assign(CollectionYear);
    return h;
}

void OpenCollection::SaveCollection() const {
    std::vector<const TFigureNode*> stack;
    if (root) stack.push_back(root);
    DiskIdentity =
        writeCollectionFile(CollectionFileName, headerRecord(), [&stack]() -> const TFigureRecord* {
            if (stack.empty()) return nullptr;
            const TFigureNode* node = stack.back();
            stack.pop_back();
            if (node->Right) stack.push_back(node->Right);
            if (node->Left) stack.push_back(node->Left);
            return &node->Record;
        });
}

void OpenCollection::FreeItemTree() {
    root = nullptr;
    index.clear();
    nodes.clear();
    CurrentItem = nullptr;
}

void OpenCollection::ResetAggregates() {
    TotalValue = 0;
    TotalNetChange = 0;
    HighPrice = -kExtremeStart;
    LowPrice = kExtremeStart;
    HotChange = -kExtremeStart;
    ColdChange = kExtremeStart;
}

void OpenCollection::readFile(const std::string& fileName) {
    TCollectionHeader header;
    std::vector<std::string> names;
    long recordNumber = 0;
    FileIdentity identity;
    readCollectionFile(
        fileName, header,
        [&](const TFigureRecord& record) {
            ++recordNumber;
            try {
                InsertLoadedItem(record);
            } catch (const EConvertError& e) {
                throw EConvertError("record " + std::to_string(recordNumber) + " (\"" +
                                    oneLine(win1252ToUtf8(record.FigureName.view())) + "\"): " + e.what());
            }
            // A record whose name is already present is still listed and counted.
            names.push_back(record.FigureName.str());
            ++ItemCount;
        },
        &identity);
    DiskIdentity = identity;
    CollectionName = header.CollectionName.str();
    LastUpdate = header.LastUpdate.str();
    UpdateType = header.UpdateType.str();
    Brand = header.Brand.str();
    CollectionYear = header.CollectionYear.str();
    ItemList.assign(std::move(names));
}

void OpenCollection::takeState(OpenCollection& fresh) {
    std::swap(state(), fresh.state());
}

void OpenCollection::ReloadCollection() {
    OpenCollection fresh;
    fresh.CollectionFileName = CollectionFileName;
    fresh.readFile(CollectionFileName);
    fresh.CollectionOpen = CollectionOpen;
    fresh.UpdatedCount = UpdatedCount;
    fresh.openingId_ = openingId_;
    takeState(fresh);
}

void OpenCollection::LoadCollection(const std::string& fileName) {
    OpenCollection fresh;
    fresh.CollectionFileName = fileName;
    fresh.readFile(fileName);
    fresh.CollectionOpen = true;
    fresh.openingId_ = nextOpeningId();
    fresh.UpdatedCount = UpdatedCount;
    takeState(fresh);
}

void OpenCollection::CreateCollection(const std::string& fileName, const std::string& name,
                                      const std::string& brand, const std::string& year) {
    OpenCollection fresh;
    fresh.CollectionFileName = fileName;
    fresh.CollectionName = cut(name, kHeaderTextCapacity);
    fresh.Brand = cut(brand, kHeaderTextCapacity);
    fresh.CollectionYear = cut(year, kHeaderTextCapacity);
    fresh.LastUpdate = "New Collection";
    fresh.UpdateType.clear();
    fresh.SaveCollection();
    fresh.CollectionOpen = true;
    fresh.openingId_ = nextOpeningId();
    fresh.UpdatedCount = UpdatedCount;
    takeState(fresh);
}

void OpenCollection::CloseCollection() {
    SaveCollection();
    OpenCollection empty;
    takeState(empty);
}

std::string OpenCollection::entryLine(std::string_view name, std::string_view amountText) {
    return std::string(name) + "  " + std::string(amountText);
}

std::string OpenCollection::captionWithValue() const {
    return std::string(kApplicationTitle) + " - " + CollectionName + ":  $" + formatAmount(TotalValue);
}
std::string OpenCollection::captionNameOnly() const {
    return std::string(kApplicationTitle) + " - " + CollectionName;
}
std::string OpenCollection::totalText() const {
    return "total items:  " + std::to_string(ItemCount);
}
std::string OpenCollection::statsTitle() const {
    return Brand + " - " + CollectionName + " - " + CollectionYear;
}
std::string OpenCollection::valueText() const {
    return "$" + formatAmount(TotalValue);
}
std::string OpenCollection::netChangeText() const {
    return "$" + formatAmount(TotalNetChange);
}

} // namespace vitrinex
