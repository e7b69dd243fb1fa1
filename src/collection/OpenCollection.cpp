#include "collection/OpenCollection.h"

#include "Version.h"

#include "collection/CollectionFile.h"
#include "collection/InOutError.h"
#include "collection/Win1252.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
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

// The amount as read from the text (0 when too small for the 6-byte real) and as a 6-byte real.
std::pair<long double, long double> convertAmount(std::string_view field, std::string_view text) {
    // Every item of a collection never updated has a net change of "$0".
    if (text == "$0") return {0, 0};
    long double value = 0;
    const bool number = amountValue(text, value);
    const long double stored = number ? roundToReal48(value) : 0;
    if (!number || stored > kReal48Max || stored < -kReal48Max)
        throw EConvertError(std::string(field) + " text \"" + oneLine(win1252ToUtf8(text)) +
                            "\" is not a valid floating point value");
    return {stored == 0 ? 0 : value, stored};
}

// An item beyond the extreme starts its list afresh; one equal to it joins the list.
template <typename Beyond>
inline void trackExtreme(long double value, Real48& extreme, ExtremeList& list, const TFigureNode& node,
                         Beyond beyond) {
    if (beyond(value, extreme.value())) {
        list.clear();
        extreme = value;
    } else if (value != extreme.value()) {
        return;
    }
    list.add(&node);
}

bool sameRecords(const std::vector<DamagedRecord>& a, const std::vector<DamagedRecord>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const DamagedRecord& x, const DamagedRecord& y) {
                          return std::memcmp(&x.bytes, &y.bytes, kRecordSize) == 0;
                      });
}

bool allZero(const TFigureRecord& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    return std::all_of(bytes, bytes + kRecordSize, [](unsigned char b) { return b == 0; });
}

} // namespace

std::optional<std::string> recordDamage(const TFigureRecord& record) {
    if (allZero(record)) return std::string("the record holds only zero bytes");
    for (const auto& [field, text] :
         {std::pair{"price", record.Price.view()}, std::pair{"net change", record.NetChange.view()}}) {
        try {
            convertAmount(field, text);
        } catch (const EConvertError&) {
            const std::string name =
                record.FigureName.empty() ? "" : "\"" + oneLine(record.FigureName.view()) + "\": ";
            return name + "the " + field + " \"" + oneLine(text) + "\" is not an amount";
        }
    }
    return std::nullopt;
}

ENoCollectionFile::ENoCollectionFile(const std::string& fileName, const std::string& reason, int code)
    : EInOutError(code, "no collection file: " + reason), fileName_(fileName), reason_(reason) {}

UserMessage noCollectionFileMessage(const std::string& shownName, const ENoCollectionFile& refusal) {
    return {"no collection file", "'" + shownName + "' is no collection file: " + refusal.reason() +
                                      ". it was not opened, and nothing was written to it."};
}

EReadOnlyCollection::EReadOnlyCollection(const std::string& fileName)
    : std::runtime_error(fileName + " is read-only: its changes cannot be saved") {}

UserMessage readOnlyOpenedMessage(const std::string& shownName) {
    return {"read-only collection", "'" + shownName +
                                        "' cannot be written: you can look at it, print and export it, but "
                                        "its changes cannot be saved."};
}

UserMessage readOnlyRefusalMessage(const std::string& shownName) {
    return {"read-only collection", "'" + shownName + "' is read-only: its changes cannot be saved."};
}

UserMessage interruptedSaveMessage(const std::string& shownName) {
    return {"save put back", "a save of '" + shownName +
                                 "' was cut short; the file has been put back as it was before that save."};
}

UserMessage damagedRecordsMessage(const std::string& shownName, const std::vector<DamagedRecord>& damaged) {
    // The reasons would spill out of the dialog; the check lists every one of them.
    return {"damaged records", std::to_string(damaged.size()) +
                                   (damaged.size() == 1 ? " damaged record was" : " damaged records were") +
                                   " set aside: the next save keeps them in '" + shownName +
                                   ".damaged'. vitrinex-cli check '" + shownName + "' names them."};
}

OpenCollection::OpenCollection() {
    ResetAggregates();
}

TFigureNode* OpenCollection::FindItem(std::string_view name) {
    TFigureNode* found = index.find(name);
    if (found) CurrentItem = found;
    return found;
}

TFigureNode* OpenCollection::locate(std::string_view name, TFigureNode**& link, std::size_t& position) {
    position = index.lowerBound(name);
    if (position < index.size() && compareNameKeys(name, index.at(position)->Record.FigureName.view()) == 0)
        return index.at(position);
    if (!root) {
        link = &root;
        return nullptr;
    }
    // In a binary search tree a new key hangs below its in-order predecessor (as its right child)
    // or its successor (as its left child), whichever has that link free.
    if (!holdsBlankedNodes) {
        TFigureNode* predecessor = position > 0 ? index.at(position - 1) : nullptr;
        TFigureNode* successor = position < index.size() ? index.at(position) : nullptr;
        if (predecessor && !predecessor->Right) {
            link = &predecessor->Right;
            return nullptr;
        }
        if (successor && !successor->Left) {
            link = &successor->Left;
            return nullptr;
        }
    }
    // Blanked nodes still take part in the tree's order: walk it.
    link = &root;
    while (*link) {
        const int order = compareNameKeys(name, (*link)->Record.FigureName.view());
        if (order == 0) return *link;
        link = order < 0 ? &(*link)->Left : &(*link)->Right;
    }
    return nullptr;
}

void OpenCollection::attach(TFigureNode* node, TFigureNode** link, std::size_t position) {
    *link = node;
    index.insert(position, node);
}

OpenCollection::Amounts OpenCollection::amountsOf(const TFigureRecord& record) {
    const auto [price, storedPrice] = convertAmount("Price", record.Price.view());
    const auto [netChange, storedNetChange] = convertAmount("NetChange", record.NetChange.view());
    return {price, storedPrice, storedNetChange};
}

void OpenCollection::addToAggregates(const TFigureNode& node, const Amounts& amounts) {
    const TFigureRecord& record = node.Record;
    const long double priceText = amounts.price;
    const long double p = amounts.storedPrice;
    const long double n = amounts.storedNetChange;

    TotalNetChange = TotalNetChange + n;
    trackExtreme(p, HighPrice, HighList, node, std::greater<long double>());
    trackExtreme(p, LowPrice, LowList, node, std::less<long double>());
    trackExtreme(n, HotChange, HotList, node, std::greater<long double>());
    trackExtreme(n, ColdChange, ColdList, node, std::less<long double>());
    // The value uses the price read afresh from its text, multiplied in extended precision.
    TotalValue = TotalValue.value() + priceText * static_cast<long double>(record.Quantity);
}

void OpenCollection::clearLoaded(TFigureNode& node) {
    node.Record.UpdateMark.assign("");
    node.Record.Left = 0;
    node.Record.Right = 0;
    node.Left = nullptr;
    node.Right = nullptr;
}

namespace {
// The record a new item's values make; a name is kept to its field's 255 characters.
void fillRecord(TFigureRecord& record, const NewItemValues& values) {
    record = blankFigureRecord();
    record.FigureName.assign(std::string_view(values.FigureName).substr(0, 255));
    record.Year.assign(values.Year);
    record.Series.assign(values.Series);
    record.Price.assign(values.Price);
    record.NetChange.assign(values.NetChange);
    record.Quantity = values.Quantity;
    record.Condition.assign(values.Condition);
    record.CatNum.assign(values.CatNum);
    record.Comments.assign(values.Comments);
}
} // namespace

std::optional<UserMessage> OpenCollection::InsertNewItem(const NewItemValues& values) {
    requireWritable();
    TFigureNode** link = nullptr;
    const std::string_view name = std::string_view(values.FigureName).substr(0, 255);
    std::size_t place = 0;
    if (locate(name, link, place)) return UserMessage{"item exists", values.FigureName + " already exists!"};

    TFigureRecord record;
    fillRecord(record, values);
    const Amounts amounts = amountsOf(record);

    TFigureNode* node = nodes.add(record);
    attach(node, link, place);
    ++ItemCount;
    ItemList.add(record.FigureName.str());
    addToAggregates(*node, amounts);
    CurrentItem = node;
    unsavedChanges = true;
    return std::nullopt;
}

std::vector<std::pair<std::size_t, UserMessage>>
OpenCollection::InsertNewItems(const std::vector<const NewItemValues*>& values) {
    requireWritable();
    std::vector<std::pair<std::size_t, UserMessage>> refused;
    const auto exists = [](const NewItemValues& v) {
        return UserMessage{"item exists", v.FigureName + " already exists!"};
    };
    // Blanked nodes take part in the tree's order without being in the index: one at a time.
    if (holdsBlankedNodes || values.size() < 16) {
        for (std::size_t i = 0; i < values.size(); ++i)
            if (auto message = InsertNewItem(*values[i])) refused.emplace_back(i, std::move(*message));
        return refused;
    }
    const auto nameOf = [&values](std::size_t i) {
        return std::string_view(values[i]->FigureName).substr(0, 255);
    };
    const auto recordOf = [&values](std::size_t i, TFigureRecord& record) { fillRecord(record, *values[i]); };
    std::vector<Amounts> amounts(values.size());
    {
        TFigureRecord record;
        for (std::size_t i = 0; i < values.size(); ++i) {
            recordOf(i, record);
            amounts[i] = amountsOf(record);
        }
    }
    // The new keys in key order, equal ones in the order given: the first of them is inserted, the
    // later ones repeat it, and so does a key the index holds.
    std::vector<KeyedSlot> keys;
    keys.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        keys.push_back(keyedSlot(nameOf(i), static_cast<std::uint32_t>(i)));
    sortByKey(keys, nameOf);
    std::vector<bool> inserted(values.size(), false);
    std::vector<std::size_t> places; // the index position of each kept key
    std::size_t kept = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::uint32_t slot = keys[i].slot;
        if (kept > 0 && compareKeyedSlots(keys[kept - 1], keys[i], nameOf) == 0) continue;
        const std::size_t place = index.lowerBound(nameOf(slot));
        if (place < index.size() &&
            compareNameKeys(nameOf(slot), index.at(place)->Record.FigureName.view()) == 0)
            continue;
        inserted[slot] = true;
        places.push_back(place);
        keys[kept++] = keys[i];
    }
    keys.resize(kept);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!inserted[i]) refused.emplace_back(i, exists(*values[i]));

    // The nodes, in the order given, their records made in place.
    std::vector<TFigureNode*> nodeOf(values.size(), nullptr);
    nodes.reserve(kept);
    const TFigureRecord blank = blankFigureRecord();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!inserted[i]) continue;
        nodeOf[i] = nodes.add(blank);
        recordOf(i, nodeOf[i]->Record);
    }

    // New keys between the same two neighbours in the index all go down to the one free link
    // between them, where they make the tree that inserting them in their order makes.
    std::vector<TFigureNode*> group;
    std::vector<std::uint32_t> arrival;
    for (std::size_t begin = 0; begin < kept;) {
        std::size_t end = begin;
        group.clear();
        arrival.clear();
        for (; end < kept && places[end] == places[begin]; ++end) {
            group.push_back(nodeOf[keys[end].slot]);
            arrival.push_back(keys[end].slot);
        }
        TFigureNode* const top = buildInsertionTree(group, arrival);
        const std::size_t place = places[begin];
        TFigureNode* predecessor = place > 0 ? index.at(place - 1) : nullptr;
        TFigureNode* successor = place < index.size() ? index.at(place) : nullptr;
        TFigureNode** link = !root                                ? &root
                             : predecessor && !predecessor->Right ? &predecessor->Right
                                                                  : &successor->Left;
        *link = top;
        begin = end;
    }
    std::vector<TFigureNode*> newInKeyOrder;
    newInKeyOrder.reserve(kept);
    for (const KeyedSlot& key : keys)
        newInKeyOrder.push_back(nodeOf[key.slot]);
    index.merge(newInKeyOrder, places);

    std::vector<std::string> names;
    names.reserve(kept);
    for (const TFigureNode* node : newInKeyOrder)
        names.push_back(node->Record.FigureName.str());
    ItemList.addAll(std::move(names), [&] {
        std::vector<std::string> inArrival;
        inArrival.reserve(kept);
        for (const TFigureNode* node : nodeOf)
            if (node) inArrival.push_back(node->Record.FigureName.str());
        return inArrival;
    });
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!nodeOf[i]) continue;
        addToAggregates(*nodeOf[i], amounts[i]);
        CurrentItem = nodeOf[i];
    }
    ItemCount += static_cast<std::int32_t>(kept);
    if (kept > 0) unsavedChanges = true;
    return refused;
}

void OpenCollection::BlankItem(TFigureNode* node) {
    if (!node) return;
    requireWritable();
    index.erase(node);
    holdsBlankedNodes = true;
    unsavedChanges = true;
    // The lists go on showing the item as it was until the collection is read again.
    for (ExtremeList* list : {&HighList, &LowList, &HotList, &ColdList})
        list->fix(node);
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

void OpenCollection::takeHeader(const TCollectionHeader& header) {
    CollectionName = header.CollectionName.str();
    LastUpdate = header.LastUpdate.str();
    UpdateType = header.UpdateType.str();
    Brand = header.Brand.str();
    CollectionYear = header.CollectionYear.str();
    unsavedChanges = true;
}

EChangedElsewhere::EChangedElsewhere(const std::string& fileName)
    : std::runtime_error(changedElsewhereMessage(fileName).text), fileName_(fileName) {}

UserMessage changedElsewhereMessage(const std::string& shownName) {
    return {"file changed",
            "'" + shownName +
                "' was changed by another program, so it has been read again. the change you just made "
                "was not saved; please make it again."};
}

void OpenCollection::requireWritable() const {
    if (fileReadOnly) throw EReadOnlyCollection(CollectionFileName);
}

void OpenCollection::writeCollection(const std::function<const TFigureRecord*()>& next) {
    requireWritable();
    std::optional<CollectionLock> lock;
    if (identityOnDisk) {
        struct stat st {};
        if (::stat(CollectionFileName.c_str(), &st) == 0) {
            // Held until the file is written, so nobody changes it between the look and the write.
            if (!CollectionLock::heldOn(st)) lock.emplace(CollectionFileName);
            if ((lock ? lock->identity() : FileIdentity::of(st)) != *identityOnDisk)
                throw EChangedElsewhere(CollectionFileName);
        }
    }
    const RecordSource records = writeObserver_ ? writeObserver_(next) : next;
    try {
        // The records set aside at opening leave the file with this save: their bytes go first.
        if (!damagedRecords.empty() && !damagedRecordsKept) {
            std::vector<TFigureRecord> setAside;
            for (const DamagedRecord& d : damagedRecords)
                setAside.push_back(d.bytes);
            appendRecords(CollectionFileName + ".damaged", setAside);
            damagedRecordsKept = true;
        }
        identityOnDisk = writeCollectionFile(CollectionFileName, headerRecord(), records);
        unsavedChanges = false;
    } catch (...) {
        // Still under the lock: whatever a failed save left there (the old content put back, as a
        // rule) is this program's own doing, not another program's change.
        identityOnDisk = currentIdentity(CollectionFileName);
        throw;
    }
}

void OpenCollection::SaveCollection(const Progress& progress) {
    PreOrderWalk<const TFigureNode> walk(root);
    std::int64_t written = 0;
    writeCollection([&]() -> const TFigureRecord* {
        goOn(progress, written++, static_cast<std::int64_t>(nodes.size()));
        const TFigureNode* node = walk.next();
        return node ? &node->Record : nullptr;
    });
}

void OpenCollection::ResetAggregates() {
    TotalValue = 0;
    TotalNetChange = 0;
    HighPrice = -kExtremeStart;
    LowPrice = kExtremeStart;
    HotChange = -kExtremeStart;
    ColdChange = kExtremeStart;
}

namespace {
std::string repeatReason(const TFigureRecord& record, std::size_t firstRecord) {
    return "\"" + oneLine(record.FigureName.view()) + "\": repeats the name of record " +
           std::to_string(firstRecord);
}
} // namespace

// Reads a file's records straight into the node store and hangs each on the tree in file order
// while they come in pre-order. From the first record out of that order on, the records are only
// kept with their keys and names; finish() then sorts the keys once and builds the whole tree.
// A record that cannot be an item, repeats the name of an earlier one, or is cut short by the end
// of the file is set aside as damaged.
class OpenCollection::Loading : public RecordReceiver {
public:
    Loading(OpenCollection& c, const Progress& progress) : c_(c), builder_(c.root), progress_(progress) {}

    void expect(std::size_t records) override {
        // Slots and record numbers are 32-bit numbers; no store could hold that many nodes anyway.
        if (records >= UINT32_MAX) throw std::bad_alloc();
        c_.nodes.reserve(records);
        builder_.reserve(records);
        names_.reserve(records);
        recordOfSlot_.reserve(records);
        expected_ = records;
    }

    std::size_t room(TFigureRecord** places, std::size_t wanted) override {
        std::size_t spare = 0;
        TFigureNode* free = c_.nodes.spare(spare);
        if (spare == 0) {
            c_.nodes.reserve(wanted);
            free = c_.nodes.spare(spare);
        }
        const std::size_t n = std::min(spare, wanted);
        for (std::size_t i = 0; i < n; ++i)
            places[i] = &free[i].Record;
        return n;
    }

    void received(std::size_t count) override {
        goOn(progress_, static_cast<std::int64_t>(recordNumber_), static_cast<std::int64_t>(expected_));
        std::size_t spare = 0;
        TFigureNode* const free = c_.nodes.spare(spare);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count; ++i) {
            TFigureNode* const node = free + kept;
            // A record left out left a gap: close it before the node joins the tree.
            if (kept < i) node->Record = free[i].Record;
            if (take(node, c_.nodes.size() + kept)) ++kept;
        }
        c_.nodes.commit(kept);
    }

    void torn(const TFigureRecord& partial, std::size_t bytes) override {
        c_.damagedRecords.push_back({++recordNumber_,
                                     "the file ends inside this record (" + std::to_string(bytes) + " of " +
                                         std::to_string(kRecordSize) + " bytes)",
                                     partial});
    }

    // The nodes in key order and their names.
    void finish(std::vector<TFigureNode*>& inKeyOrder, std::vector<std::string>& names);

private:
    // Hangs the node on the tree, or keeps it for the sort; false for a record that takes no node.
    bool take(TFigureNode* node, std::size_t slot) {
        const TFigureRecord& record = node->Record;
        ++recordNumber_;
        // A record that cannot be an item is set aside; the rest of the file opens.
        Amounts amounts{};
        try {
            amounts = amountsOf(record);
        } catch (const EConvertError&) {
            c_.damagedRecords.push_back({recordNumber_, recordDamage(record).value_or("damaged"), record});
            return false;
        }
        if (!sorting_) {
            TFigureNode* existing = nullptr;
            TFigureNode** link = builder_.place(record.FigureName.view(), existing);
            if (existing) {
                c_.damagedRecords.push_back(
                    {recordNumber_, repeatReason(record, recordOfSlot_[c_.nodes.slotOf(existing)]), record});
                return false;
            }
            ++c_.ItemCount;
            recordOfSlot_.push_back(static_cast<std::uint32_t>(recordNumber_));
            if (link) {
                clearLoaded(*node);
                builder_.attach(link, node);
                c_.addToAggregates(*node, amounts);
                nameLeftNodes();
                return true;
            }
            sorting_ = true;
            firstSorted_ = slot;
            beforeSorted_ = aggregates();
            const std::size_t rest = expected_ > slot ? expected_ - slot : 0;
            keys_.reserve(rest);
            sortedNames_.reserve(rest);
        } else {
            ++c_.ItemCount;
            recordOfSlot_.push_back(static_cast<std::uint32_t>(recordNumber_));
        }
        // Out of pre-order: whether the name is there already shows only once the keys are sorted.
        // Until then it counts as an item, its record and name taken while they are in the cache.
        clearLoaded(*node);
        keys_.push_back(keyedSlot(record.FigureName.view(), static_cast<std::uint32_t>(slot)));
        sortedNames_.push_back(record.FigureName.str());
        c_.addToAggregates(*node, amounts);
        return true;
    }

    struct Aggregates {
        Real48 value, netChange, high, low, hot, cold;
        ExtremeList highList, lowList, hotList, coldList;
    };
    Aggregates aggregates() const {
        return {c_.TotalValue, c_.TotalNetChange, c_.HighPrice, c_.LowPrice, c_.HotChange,
                c_.ColdChange, c_.HighList,       c_.LowList,   c_.HotList,  c_.ColdList};
    }
    void restore(Aggregates a) {
        c_.TotalValue = a.value;
        c_.TotalNetChange = a.netChange;
        c_.HighPrice = a.high;
        c_.LowPrice = a.low;
        c_.HotChange = a.hot;
        c_.ColdChange = a.cold;
        c_.HighList = std::move(a.highList);
        c_.LowList = std::move(a.lowList);
        c_.HotList = std::move(a.hotList);
        c_.ColdList = std::move(a.coldList);
    }

    // The names of the nodes that left the open ancestors, while their records are still in the
    // processor's cache.
    void nameLeftNodes() {
        const std::vector<TFigureNode*>& left = builder_.inKeyOrder();
        for (std::size_t i = names_.size(); i < left.size(); ++i)
            names_.push_back(left[i]->Record.FigureName.str());
    }

    void finishSorted(std::vector<TFigureNode*>& inKeyOrder, std::vector<std::string>& names);

    OpenCollection& c_;
    PreOrderBuilder builder_;
    const Progress& progress_;
    std::vector<std::string> names_;
    std::size_t expected_ = 0; // records the file holds
    std::size_t recordNumber_ = 0;
    // The record number (from 1) of the record each slot of the node store was read from.
    std::vector<std::uint32_t> recordOfSlot_;
    // Once the pre-order broke: the slot of the first record out of it, the aggregates before it,
    // and from there on each record's key and name.
    bool sorting_ = false;
    std::size_t firstSorted_ = 0;
    std::vector<KeyedSlot> keys_;
    std::vector<std::string> sortedNames_;
    Aggregates beforeSorted_;
};

void OpenCollection::Loading::finish(std::vector<TFigureNode*>& inKeyOrder, std::vector<std::string>& names) {
    if (!sorting_) {
        builder_.finish(inKeyOrder);
        names = std::move(names_);
        for (std::size_t i = names.size(); i < inKeyOrder.size(); ++i)
            names.push_back(inKeyOrder[i]->Record.FigureName.str());
    } else {
        finishSorted(inKeyOrder, names);
    }
    // The records set aside as repeats are known only now: the list goes in record order.
    std::stable_sort(c_.damagedRecords.begin(), c_.damagedRecords.end(),
                     [](const DamagedRecord& a, const DamagedRecord& b) { return a.record < b.record; });
}

// The tree inserting every record in file order gives, built from one sort of the keys. The records
// before the first one out of pre-order are in the tree already; the sort tells which of the later
// ones repeat a name, and those are set aside.
void OpenCollection::Loading::finishSorted(std::vector<TFigureNode*>& inKeyOrder,
                                           std::vector<std::string>& names) {
    std::vector<TFigureNode*> stored;
    stored.reserve(c_.nodes.size());
    c_.nodes.forEach(
        [&stored](const TFigureNode& node) { stored.push_back(const_cast<TFigureNode*>(&node)); });
    const auto nameOf = [&stored](std::uint32_t slot) { return stored[slot]->Record.FigureName.view(); };
    // The records before the sorted ones go first, so that the keys come in file order.
    std::vector<KeyedSlot> keys;
    keys.reserve(stored.size());
    for (std::size_t slot = 0; slot < firstSorted_; ++slot)
        keys.push_back(keyedSlot(nameOf(static_cast<std::uint32_t>(slot)), static_cast<std::uint32_t>(slot)));
    keys.insert(keys.end(), keys_.begin(), keys_.end());
    keys_ = std::move(keys);
    sortByKey(keys_, nameOf);

    // The first of equal keys is the item; the later ones, all among the sorted records, repeat it.
    std::vector<bool> repeated(stored.size() - firstSorted_, false);
    std::size_t kept = 0, repeats = 0;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (kept > 0 && compareKeyedSlots(keys_[kept - 1], keys_[i], nameOf) == 0) {
            repeated[keys_[i].slot - firstSorted_] = true;
            c_.damagedRecords.push_back(
                {recordOfSlot_[keys_[i].slot],
                 repeatReason(stored[keys_[i].slot]->Record, recordOfSlot_[keys_[kept - 1].slot]),
                 stored[keys_[i].slot]->Record});
            ++repeats;
            continue;
        }
        keys_[kept++] = keys_[i];
    }
    keys_.resize(kept);

    // Repeats counted as items so far: the aggregates again from where the sorted records began,
    // without them, and their nodes go, the later records moving up.
    std::vector<std::uint32_t> newSlot(stored.size());
    for (std::size_t slot = 0; slot < stored.size(); ++slot)
        newSlot[slot] = static_cast<std::uint32_t>(slot);
    if (repeats > 0) {
        c_.ItemCount -= static_cast<std::int32_t>(repeats);
        restore(std::move(beforeSorted_));
        std::size_t to = firstSorted_;
        for (std::size_t slot = firstSorted_; slot < stored.size(); ++slot) {
            if (repeated[slot - firstSorted_]) continue;
            if (to != slot) {
                stored[to]->Record = stored[slot]->Record;
                sortedNames_[to - firstSorted_] = std::move(sortedNames_[slot - firstSorted_]);
            }
            // The lists hold the node the record now lives in.
            c_.addToAggregates(*stored[to], amountsOf(stored[to]->Record));
            newSlot[slot] = static_cast<std::uint32_t>(to++);
        }
        c_.nodes.dropLast(stored.size() - to);
    }

    inKeyOrder.clear();
    inKeyOrder.reserve(keys_.size());
    names.clear();
    names.reserve(keys_.size());
    std::vector<std::uint32_t> arrival;
    arrival.reserve(keys_.size());
    for (const KeyedSlot& key : keys_) {
        const std::uint32_t slot = newSlot[key.slot];
        inKeyOrder.push_back(stored[slot]);
        arrival.push_back(slot);
        names.push_back(slot < firstSorted_ ? stored[slot]->Record.FigureName.str()
                                            : std::move(sortedNames_[slot - firstSorted_]));
    }
    c_.root = buildInsertionTree(inKeyOrder, arrival);
}

namespace {
// A header the program wrote holds texts: no control bytes, a catalog type of at most two characters.
bool headerReadsAsText(const TCollectionHeader& header) {
    if (header.UpdateType.view().size() > 2) return false;
    for (const std::string_view text :
         {header.CollectionName.view(), header.LastUpdate.view(), header.UpdateType.view(),
          header.Brand.view(), header.CollectionYear.view()})
        for (const char c : text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}
} // namespace

void OpenCollection::readFile(const std::string& fileName, OpenRule rule, const Progress& progress) {
    // A file larger than the memory it would take is refused like any unreadable file, and the
    // collection open until now stays.
    try {
        readWholeFile(fileName, rule, progress);
    } catch (const std::bad_alloc&) {
        throw EInOutError::fromCode(kNotEnoughMemory);
    }
    fileReadOnly = ::access(fileName.c_str(), W_OK) != 0 && errno != ENOENT;
}

void OpenCollection::readWholeFile(const std::string& fileName, OpenRule rule, const Progress& progress) {
    saveRecoveredOnOpen = recoverInterruptedSave(fileName);
    TCollectionHeader header;
    Loading loading(*this, progress);
    FileIdentity identity;
    try {
        readCollectionFile(fileName, header, loading, &identity);
    } catch (const EInOutError& e) {
        // Only a file too short for its header ends the read that way now.
        if (e.code() == kReadBeyondEnd) throw ENoCollectionFile(fileName, e.what(), e.code());
        throw;
    }
    if (rule == OpenRule::CollectionsOnly) {
        if (!headerReadsAsText(header))
            throw ENoCollectionFile(fileName, "its header holds no collection's texts");
        // Taking a file of something else for a damaged collection would rewrite it at the next save.
        const std::size_t records = static_cast<std::size_t>(ItemCount) + damagedRecords.size();
        if (records > 0 && static_cast<std::size_t>(ItemCount) * 2 < records)
            throw ENoCollectionFile(fileName, "only " + std::to_string(ItemCount) + " of its " +
                                                  std::to_string(records) + " records read as items");
    }
    identityOnDisk = identity;
    CollectionName = header.CollectionName.str();
    LastUpdate = header.LastUpdate.str();
    UpdateType = header.UpdateType.str();
    Brand = header.Brand.str();
    CollectionYear = header.CollectionYear.str();
    std::vector<TFigureNode*> inKeyOrder;
    std::vector<std::string> names;
    loading.finish(inKeyOrder, names);
    buildIndexAndList(std::move(inKeyOrder), std::move(names));
}

void OpenCollection::buildIndexAndList(std::vector<TFigureNode*> inKeyOrder, std::vector<std::string> names) {
    // The nodes in key order give the index, and the list too wherever the list's language order
    // agrees with the key order.
    index.assign(std::move(inKeyOrder));
    if (ItemList.assignIfOrdered(names, std::vector<bool>(names.size(), false))) return;
    // Otherwise the list sorts the names in file order.
    names.clear();
    nodes.forEach([&](const TFigureNode& node) { names.push_back(node.Record.FigureName.str()); });
    ItemList.assign(std::move(names));
}

void OpenCollection::takeState(OpenCollection& fresh) {
    std::swap(state(), fresh.state());
}

void OpenCollection::ReloadCollection(const Progress& progress) {
    OpenCollection fresh;
    fresh.CollectionFileName = CollectionFileName;
    fresh.readFile(CollectionFileName, OpenRule::CollectionsOnly, progress);
    fresh.CollectionOpen = CollectionOpen;
    fresh.UpdatedCount = UpdatedCount;
    fresh.openingNumber = openingNumber;
    // The same records set aside again: their bytes are kept already.
    fresh.damagedRecordsKept = damagedRecordsKept && sameRecords(fresh.damagedRecords, damagedRecords);
    fresh.unsavedChanges = false;
    takeState(fresh);
}

void OpenCollection::LoadCollection(const std::string& fileName, OpenRule rule, const Progress& progress) {
    OpenCollection fresh;
    fresh.CollectionFileName = fileName;
    fresh.readFile(fileName, rule, progress);
    fresh.CollectionOpen = true;
    fresh.openingNumber = nextOpeningId();
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
    fresh.openingNumber = nextOpeningId();
    fresh.UpdatedCount = UpdatedCount;
    takeState(fresh);
}

void OpenCollection::SaveBeforeLeaving(const Progress& progress) {
    if (fileReadOnly) return; // nothing of it could have changed
    try {
        SaveCollection(progress);
    } catch (const EChangedElsewhere&) {
        if (unsavedChanges) throw;
    }
}

void OpenCollection::setInfo(const std::string& name, const std::string& brand, const std::string& year) {
    requireWritable();
    const std::string oldName = CollectionName, oldBrand = Brand, oldYear = CollectionYear;
    const bool unsaved = unsavedChanges;
    CollectionName = cut(name, kHeaderTextCapacity);
    Brand = cut(brand, kHeaderTextCapacity);
    CollectionYear = cut(year, kHeaderTextCapacity);
    unsavedChanges = true;
    try {
        SaveCollection();
    } catch (...) {
        // Nothing reached the file: memory keeps what the file holds.
        CollectionName = oldName;
        Brand = oldBrand;
        CollectionYear = oldYear;
        unsavedChanges = unsaved;
        throw;
    }
}

void OpenCollection::confirmUpdate(const std::string& lastUpdate, const std::string& chosenType) {
    requireWritable();
    LastUpdate = lastUpdate;
    if (!chosenType.empty()) UpdateType = chosenType;
    unsavedChanges = true;
    clearExtremeLists();
}

void OpenCollection::clearExtremeLists() {
    HighList.clear();
    LowList.clear();
    HotList.clear();
    ColdList.clear();
}

void OpenCollection::saveAs(const std::string& fileName) {
    CollectionFileName = fileName;
    // The identity of the file read says nothing about the file of the new name.
    identityOnDisk.reset();
    fileReadOnly = false;
    SaveCollection();
}

void OpenCollection::takeUpdatedAggregates(UpdatedAggregates values) {
    TotalValue = values.TotalValue;
    TotalNetChange = values.TotalNetChange;
    HighPrice = values.HighPrice;
    LowPrice = values.LowPrice;
    HotChange = values.HotChange;
    ColdChange = values.ColdChange;
    HighList = std::move(values.HighList);
    LowList = std::move(values.LowList);
    HotList = std::move(values.HotList);
    ColdList = std::move(values.ColdList);
    UpdatedCount = values.UpdatedCount;
}

void OpenCollection::adoptFileOnDisk() {
    identityOnDisk = currentIdentity(CollectionFileName);
}

void OpenCollection::CloseCollection(const Progress& progress) {
    SaveBeforeLeaving(progress);
    OpenCollection empty;
    takeState(empty);
}

std::string OpenCollection::entryLine(std::string_view name, std::string_view amountText) {
    return std::string(name) + "  " + std::string(amountText);
}

std::string OpenCollection::captionWithValue() const {
    return std::string(kApplicationTitle) + " - " + CollectionName + ":  $" + formatAmount(TotalValue) +
           (fileReadOnly ? " (read-only)" : "");
}
std::string OpenCollection::captionNameOnly() const {
    return std::string(kApplicationTitle) + " - " + CollectionName + (fileReadOnly ? " (read-only)" : "");
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
