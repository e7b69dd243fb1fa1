#pragma once
// The open collection: the header values, the item tree, the sorted item list, the running totals
// and the four extremes with their entry lists, and the operations that create, load, save, reload
// and close a collection file. At most one collection is open at a time; the main window owns it.

#include "collection/CollectionLock.h"
#include "collection/ExtremeList.h"
#include "collection/FigureRecord.h"
#include "collection/InOutError.h"
#include "collection/ItemList.h"
#include "collection/ItemTree.h"
#include "collection/Progress.h"
#include "collection/Real48.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vitrinex {

// A Price or NetChange text of a stored record that is no number.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The values the add dialog hands to InsertNewItem (texts in Windows-1252, as they are stored).
struct NewItemValues {
    std::string FigureName, Year, Series, Price, NetChange, Condition, CatNum, Comments;
    std::int32_t Quantity = 1;
};

// What the program tells the user through its message dialog.
struct UserMessage {
    std::string title;
    std::string text;
};

// A save refused because another program changed the collection file since this one last read or
// wrote it: the file stays as the other program left it. what() is the dialog's text.
class EChangedElsewhere : public std::runtime_error {
public:
    explicit EChangedElsewhere(const std::string& fileName);
    // The file's name as the system spells it (the bytes of the path).
    const std::string& fileName() const { return fileName_; }

private:
    std::string fileName_;
};

// What the message dialog says about a save refused for a file changed elsewhere; `shownName` is
// the file's name as the user reads it.
UserMessage changedElsewhereMessage(const std::string& shownName);

// What the message dialog says after opening a file whose save was cut short and has been put back.
UserMessage interruptedSaveMessage(const std::string& shownName);

// A file refused at opening because it is no collection file (a header that is no text, too few
// records that read as items, too short for a header): what() is "no collection file: " and the
// reason; the code is the input/output error's that ended the read, or kReadBeyondEnd.
class ENoCollectionFile : public EInOutError {
public:
    ENoCollectionFile(const std::string& fileName, const std::string& reason, int code = kReadBeyondEnd);
    const std::string& fileName() const { return fileName_; }
    const std::string& reason() const { return reason_; }

private:
    std::string fileName_, reason_;
};

// What the message dialog says about a file refused as no collection file.
UserMessage noCollectionFileMessage(const std::string& shownName, const ENoCollectionFile& refusal);

// A change refused because the collection's file cannot be written (a read-only file, an immutable
// one, a shared sample); what() names the file. Nothing has changed.
class EReadOnlyCollection : public std::runtime_error {
public:
    explicit EReadOnlyCollection(const std::string& fileName);
};

// What the message dialog says about a collection opened read-only, and about a change refused.
UserMessage readOnlyOpenedMessage(const std::string& shownName);
UserMessage readOnlyRefusalMessage(const std::string& shownName);

// How an open treats a file in which little reads as a collection.
enum class OpenRule {
    CollectionsOnly, // refused with ENoCollectionFile
    WhatReads,       // opened with whatever reads (the check and the repair)
};

// A record of a collection file that cannot be an item (a record of zero bytes, an amount that does
// not read), set aside when the file is opened; its bytes are kept in "<file>.damaged".
struct DamagedRecord {
    std::size_t record = 0; // among the item records, from 1
    std::string reason;     // Windows-1252
    TFigureRecord bytes{};
};

// Why a record read from a file cannot be an item, or nullopt when it can.
std::optional<std::string> recordDamage(const TFigureRecord& record);

// What the message dialog says about the records set aside when `shownName` was opened.
UserMessage damagedRecordsMessage(const std::string& shownName, const std::vector<DamagedRecord>& damaged);

// The totals, extremes and updated count a catalog update computes for its new prices.
struct UpdatedAggregates {
    Real48 TotalValue = 0, TotalNetChange = 0;
    Real48 HighPrice, LowPrice, HotChange, ColdChange;
    ExtremeList HighList{ExtremeList::Field::Price}, LowList{ExtremeList::Field::Price};
    ExtremeList HotList{ExtremeList::Field::NetChange}, ColdList{ExtremeList::Field::NetChange};
    std::int32_t UpdatedCount = 0;
};

// Everything that makes up an open collection. Loading, creating and closing build a fresh one and
// swap it in whole, so a failure part-way leaves the open collection as it was. The collection's own
// values carry the names the rest of the system knows them by; the bookkeeping below them is ours.
struct CollectionState {
    bool CollectionOpen = false;
    std::string CollectionFileName;
    std::string CollectionName, LastUpdate, UpdateType, Brand, CollectionYear;
    TFigureNode* CurrentItem = nullptr;
    std::int32_t ItemCount = 0;
    Real48 TotalValue, TotalNetChange;
    Real48 HighPrice, LowPrice, HotChange, ColdChange;
    ExtremeList HighList{ExtremeList::Field::Price}, LowList{ExtremeList::Field::Price};
    ExtremeList HotList{ExtremeList::Field::NetChange}, ColdList{ExtremeList::Field::NetChange};
    std::int32_t UpdatedCount = 0;
    ItemNameList ItemList;
    // The collection file as this program last read or wrote it; another identity on disk means
    // another program changed it since.
    std::optional<FileIdentity> identityOnDisk;
    // Memory holds a change the file does not (yet): set by every change, cleared by a save or a load.
    bool unsavedChanges = false;
    // Records the file held that could not be items, and whether their bytes are kept already.
    std::vector<DamagedRecord> damagedRecords;
    bool damagedRecordsKept = false;
    // Opening put back a save that had been cut short.
    bool saveRecoveredOnOpen = false;
    // The file cannot be written: the collection is shown, and every change refused.
    bool fileReadOnly = false;

    // The tree: its nodes, its root, and the index that finds a name's node.
    NodeStore nodes;
    TFigureNode* root = nullptr;
    // Every node of the tree but the blanked ones, in key order. It finds a new key's place in the
    // tree without walking down from the root, so a tree that is one long chain costs no more than a
    // balanced one.
    NameIndex index;
    // Blanked nodes stay in the tree until the next load but not in the index, so the index alone
    // cannot tell where a new key goes.
    bool holdsBlankedNodes = false;
    // Tells one opening of the collection from every other (see openingId()).
    std::uint64_t openingNumber = 0;
};

class OpenCollection : private CollectionState {
public:
    static constexpr long double kExtremeStart = 1000000.0L;

    OpenCollection();
    OpenCollection(const OpenCollection&) = delete;
    OpenCollection& operator=(const OpenCollection&) = delete;

    // --- state (read only; changed through the operations below) -------------------------------
    // The five header values (texts in Windows-1252).
    struct HeaderValues {
        const std::string &CollectionName, &LastUpdate, &UpdateType, &Brand, &CollectionYear;
    };
    // The running totals.
    struct Totals {
        const std::int32_t& ItemCount;
        const Real48 &TotalValue, &TotalNetChange;
        const std::int32_t& UpdatedCount;
    };
    // The four extremes and the entry lists that show them.
    struct Extremes {
        const Real48 &HighPrice, &LowPrice, &HotChange, &ColdChange;
        const ExtremeList &HighList, &LowList, &HotList, &ColdList;
    };
    HeaderValues header() const { return {CollectionName, LastUpdate, UpdateType, Brand, CollectionYear}; }
    Totals totals() const { return {ItemCount, TotalValue, TotalNetChange, UpdatedCount}; }
    Extremes extremes() const {
        return {HighPrice, LowPrice, HotChange, ColdChange, HighList, LowList, HotList, ColdList};
    }
    bool isOpen() const { return CollectionOpen; }
    const std::string& fileName() const { return CollectionFileName; }
    const TFigureNode* currentItem() const { return CurrentItem; }
    TFigureNode* currentItem() { return CurrentItem; }
    const ItemNameList& itemList() const { return ItemList; }
    // The collection file as this program last read or wrote it.
    const std::optional<FileIdentity>& diskIdentity() const { return identityOnDisk; }
    const std::vector<DamagedRecord>& damaged() const { return damagedRecords; }
    // The last open put back a save that had been cut short.
    bool recoveredSave() const { return saveRecoveredOnOpen; }
    // The collection's file could not be written when it was opened: changes are refused.
    bool readOnly() const { return fileReadOnly; }
    // Throws EReadOnlyCollection for a read-only collection; what every change calls first.
    void requireWritable() const;

    // The file name of the records set aside: the collection file's name and ".damaged".
    std::string damagedFileName() const { return CollectionFileName + ".damaged"; }

    const TFigureNode* ItemTree() const { return root; }
    TFigureNode* ItemTree() { return root; }

    // Tells one opening of a collection from every other: new and open give a fresh number, close
    // gives 0, a reload keeps it. A catalog update confirmed for one opening applies only to it.
    std::uint64_t openingId() const { return openingNumber; }

    // --- operations --------------------------------------------------------------------------
    // The node whose key equals the name's key, or nullptr; a found node becomes CurrentItem.
    TFigureNode* FindItem(std::string_view name);
    // Inserts a new item, adds its name to the item list, counts it, updates the aggregates and makes
    // it CurrentItem. An existing name inserts nothing and returns the "item exists" message. The
    // caller saves the file.
    std::optional<UserMessage> InsertNewItem(const NewItemValues& values);
    // Inserts each of `values` as InsertNewItem would, one after another in their order, with one sort
    // of their names: the tree, the list, the index, the totals and the extreme lists come out as
    // those inserts give them, the last item inserted is CurrentItem. Returns, by place in `values`,
    // the "item exists" message of each value whose name the collection or an earlier value holds
    // (nothing of it is inserted). An amount that is no number throws EConvertError before anything
    // changes. The caller saves the file.
    std::vector<std::pair<std::size_t, UserMessage>>
    InsertNewItems(const std::vector<const NewItemValues*>& values);
    // Turns the node into a deleted record; it stays in the tree until the next reload.
    void BlankItem(TFigureNode* node);
    // Writes the collection file from the header values and the tree, skipping deleted records.
    // Throws EChangedElsewhere, writing nothing, when the file is no longer the one last read or
    // written here (see writeCollection). A save `progress` stops (ECancelled) writes nothing.
    void SaveCollection(const Progress& progress = {});
    // Every write of the open collection's file goes through here: the header from the header
    // values, then the records `next` yields. Under the file's lock it first makes sure the file is
    // still the one this program last read or wrote (same file, size and modification time) and
    // throws EChangedElsewhere otherwise; a file that is gone is written anew. Updates identityOnDisk.
    void writeCollection(const std::function<const TFigureRecord*()>& next);
    // Called by every write of the file, under its lock, once the file is known to be the one last
    // read or written and before it is touched, with the records to be written; what it returns is
    // written instead (the same records: the change log takes its step there). Throwing stops the
    // write, nothing written.
    using RecordSource = std::function<const TFigureRecord*()>;
    void setWriteObserver(std::function<RecordSource(const RecordSource&)> observer) {
        writeObserver_ = std::move(observer);
    }
    // The five header values from a header record (an undo puts back those a change replaced).
    void takeHeader(const TCollectionHeader& header);
    // Totals to 0, the four extremes to their start values.
    void ResetAggregates();
    // Reads CollectionFileName again. On failure (EInOutError, EConvertError) nothing has changed.
    void ReloadCollection(const Progress& progress = {});
    // The open command's work: reads the file and makes it the open collection. On failure nothing
    // has changed and the previous state stays; so too when `progress` stops it (ECancelled).
    void LoadCollection(const std::string& fileName, OpenRule rule = OpenRule::CollectionsOnly,
                        const Progress& progress = {});

    // The new command's file work: writes a header with no items and opens the new collection.
    // On failure nothing has changed.
    void CreateCollection(const std::string& fileName, const std::string& name, const std::string& brand,
                          const std::string& year);
    // Saves and closes. A failing save throws and leaves the collection open.
    void CloseCollection(const Progress& progress = {});
    // The collection-information dialog's change: the new name, brand and year, saved at once; a
    // failing save puts the old values back and throws.
    void setInfo(const std::string& name, const std::string& brand, const std::string& year);
    // A catalog update confirmed by its prompt: the date of the last update and, when one was chosen,
    // the catalog; the entry lists of the last update are emptied. Saved with the prices.
    void confirmUpdate(const std::string& lastUpdate, const std::string& chosenType);
    // The four entry lists start afresh before prices are applied: the first item beyond a reset
    // extreme fills each, and a list no item reaches stays empty.
    void clearExtremeLists();
    // Memory now holds a change the file lacks (until the next save or load).
    void markUnsaved() { unsavedChanges = true; }
    bool hasUnsavedChanges() const { return unsavedChanges; }
    // Makes `node` (a node of this tree, or nullptr) the current item.
    void selectNode(TFigureNode* node) { CurrentItem = node; }
    // Saves the collection under another file name, which it keeps from then on.
    void saveAs(const std::string& fileName);
    // What a catalog update computed for the prices it put into the tree.
    void takeUpdatedAggregates(UpdatedAggregates values);
    // Takes the file as it is on disk now for the one last read or written (after a repair by hand).
    void adoptFileOnDisk();
    // The save of close and exit: when another program changed the file and memory holds nothing the
    // file lacks, there is nothing to save, and the other program's file stays.
    void SaveBeforeLeaving(const Progress& progress = {});

    // Calls `visit` for every node in pre-order (node, left subtree, right subtree), the order in
    // which a collection file holds its records.
    template <typename Visit> void forEachPreOrder(Visit visit) const;

    // --- texts shown by the windows (Windows-1252) --------------------------------------------
    // "Vitrinex 1.4 - name:  $value", " (read-only)" after it for a read-only collection.
    std::string captionWithValue() const;
    std::string captionNameOnly() const; // "Vitrinex 1.4 - name", the same way
    std::string totalText() const;       // "total items:  N"
    std::string statsTitle() const;      // "brand - name - year"
    std::string valueText() const;       // "$" + TotalValue
    std::string netChangeText() const;   // "$" + TotalNetChange
    static std::string entryLine(std::string_view name, std::string_view amountText);
    // The header record a collection file starts with, from the five header values.
    TCollectionHeader headerRecord() const;

private:
    std::function<RecordSource(const RecordSource&)> writeObserver_;
    // The node with the name's key, or nullptr with `link` set to where a new node goes and
    // `position` to its place in the index.
    TFigureNode* locate(std::string_view name, TFigureNode**& link, std::size_t& position);
    void attach(TFigureNode* node, TFigureNode** link, std::size_t position);
    struct Amounts {
        long double price;                        // as read from the text, not yet rounded
        long double storedPrice, storedNetChange; // as 6-byte reals
    };
    static Amounts amountsOf(const TFigureRecord& record);
    void addToAggregates(const TFigureNode& node, const Amounts& amounts);
    CollectionState& state() { return *this; }
    // Makes `fresh` the open collection.
    void takeState(OpenCollection& fresh);
    static void clearLoaded(TFigureNode& node);
    class Loading;
    void readFile(const std::string& fileName, OpenRule rule, const Progress& progress);
    void readWholeFile(const std::string& fileName, OpenRule rule, const Progress& progress);
    void buildIndexAndList(std::vector<TFigureNode*> inKeyOrder, std::vector<std::string> names);
};

template <typename Visit> void OpenCollection::forEachPreOrder(Visit visit) const {
    vitrinex::forEachPreOrder(static_cast<const TFigureNode*>(root), visit);
}

} // namespace vitrinex
