#pragma once
// CollectionSession: the one owner of the open collection, for the windows and the command line
// alike. Every change of a collection passes through here (open, reopen, close, add, edit, rename,
// delete, its information, a confirmed update and its prices, an import, a restore, a repair) under
// one locking policy, and each is announced once, so that every window showing the collection
// listens instead of being told by another.
//
// The locking policy: a change holds the collection file's lock from the check that the file is the
// one this session read until its save. When another program changed the file since, a session that
// follows the file (the command line, whose command names what it changes) reads it again and makes
// its change there; a session that shows the collection (the windows, whose user saw the old state)
// drops the change, reads the file again and throws EChangedElsewhere.

#include "collection/ItemEntry.h"
#include "collection/OpenCollection.h"
#include "collection/PriceApplication.h"
#include "history/DeletedItems.h"
#include "history/PriceHistory.h"
#include "photos/PhotoStore.h"
#include "reports/BackupGenerations.h"
#include "reports/CsvFormat.h"
#include "undo/ChangeRecorder.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vitrinex {

class CollectionSession : public QObject {
    Q_OBJECT
public:
    enum class Staleness {
        Refuse,   // a change on a file changed elsewhere is dropped (the windows)
        ReadAgain // the file is read again under the lock and the change made there (the command line)
    };
    explicit CollectionSession(Staleness staleness = Staleness::Refuse, QObject* parent = nullptr);

    const OpenCollection& collection() const { return collection_; }

    // Each throws EInOutError (or EConvertError) like the core's operation; nothing is announced then.
    // Those taking a `progress` report to it and stop (ECancelled) when it answers false, the open
    // collection and its file as they were.
    void create(const QString& fileName, const QString& name, const QString& brand, const QString& year);
    // The same for a name as the system spells it (the bytes of a command-line argument).
    void createPath(const std::string& path, const std::string& name, const std::string& brand,
                    const std::string& year);
    void open(const QString& fileName, const Progress& progress = {});
    void openPath(const std::string& path, OpenRule rule = OpenRule::CollectionsOnly,
                  const Progress& progress = {});
    // Reads the open collection's file again, as another program may have left it; announced as
    // reloaded.
    void reload(const Progress& progress = {});
    // Saves the new name, brand and year (the old values stay when the save fails), announces them,
    // then reads the file back.
    void changeInfo(const QString& name, const QString& brand, const QString& year);
    void save(const Progress& progress = {});
    // The save of exit: nothing to save when another program changed the file and memory holds
    // nothing the file lacks (see OpenCollection::SaveBeforeLeaving).
    void saveBeforeLeaving();
    void close(const Progress& progress = {});
    // Makes the item of that name the current one (selection only, nothing changes); announced as
    // itemSelected.
    void selectItem(const QString& name);

    // The add/edit dialog's Add/Save (see ItemEntry::AddSave), a rename included. Announces
    // itemsChanged whenever the items may have changed, also when a file operation then fails.
    AddSaveOutcome addSave(ItemEntry& entry);
    // The plain add of scripts: the "item exists" message when the collection holds the name, else
    // the item is added and saved.
    std::optional<UserMessage> addItem(const NewItemValues& values);
    // The current item leaves the file and the collection is read back with nothing current.
    // Announces itemsChanged, also when the save fails.
    void deleteCurrentItem();
    // The item of that name (its key) leaves the file; false when the collection has none.
    bool deleteItem(const std::string& name);

    // An update prompt was confirmed: LastUpdate becomes the day's short date and, when given,
    // UpdateType the chosen catalog (in memory; the update or the next save writes them), and the
    // extreme lists start afresh. Kept for the update's prices should the file be read again first.
    void confirmUpdate(const QDate& day, const std::string& chosenType = {});
    // Applies update.dat to the collection if it is still the opening `openingAtConfirm`; announces
    // `updated` when prices were applied. Throws EInOutError like ApplyUpdate.
    UpdateOutcome applyUpdate(std::uint64_t openingAtConfirm, const std::string& updateFile,
                              const std::string& updateMessage,
                              const std::function<void(int step)>& advance = {});
    // Either leaves the outcome's changes and unmatched catalog numbers in lastUpdateChanges().
    // Prices from an update.dat that no download made (no prompt: the date stays, the lists start
    // afresh as confirming them does).
    UpdateOutcome applyUpdateFile(const std::string& updateFile);

    // The rows of a CSV file, every one or none, in one save (see importCsv). Nothing is current
    // afterwards; announced as reloaded. A refusal leaves the collection and its file as they were.
    CsvImport importCsv(const std::string& csvPath, ExistingRows existing = ExistingRows::Refuse,
                        const Progress& progress = {});
    // Puts the backup `backupPath` back as the collection file `collectionPath` (see
    // restoreCollection). When that is the open collection, what memory holds is saved first and the
    // file read back (announced as reloaded); nothing else needs to be open.
    RestoreResult restore(const std::string& collectionPath, const std::string& backupPath,
                          const Progress& progress = {});
    // Opens `collectionPath` with whatever reads and, when records were set aside, saves it without
    // them (their bytes kept in ".damaged"). Returns how many were set aside.
    std::size_t repair(const std::string& collectionPath);

    // The photos of the item of that name (see PhotoStore), the cover first; nullopt when the
    // collection has no such item. The item becomes the current one.
    std::optional<std::vector<Photo>> photos(const std::string& name);
    // Each changes the item's photos under the collection's lock and returns them, or nullopt when
    // there is no such item; announced as photosChanged. A read-only collection throws
    // EReadOnlyCollection, a refused image EPhotoRefused, a position the item lacks std::out_of_range.
    std::optional<std::vector<Photo>> addPhotos(const std::string& name,
                                                const std::vector<std::string>& images);
    std::optional<std::vector<Photo>> removePhoto(const std::string& name, std::size_t position);
    std::optional<std::vector<Photo>> makeCover(const std::string& name, std::size_t position);
    // --- history: deleted items, prices over time, what the last update changed (history/) ---
    // The items deleted from the open collection that are kept, newest first. Throws EInOutError
    // naming a damaged store.
    std::vector<DeletedItem> deletedItems() const { return DeletedItems(collection_.fileName()).list(); }
    enum class Undelete { Restored, NotKept, NameHeld };
    // Brings the newest deleted item of that name back, every field as it was, and makes it current;
    // refused (NameHeld, nothing changed) while the collection holds an item of that name.
    Undelete undelete(const std::string& name);
    // The prices the item of that name got, oldest first (see PriceHistory); a held item becomes the
    // current one.
    std::vector<PricePoint> priceHistory(const std::string& name) {
        collection_.FindItem(name);
        return PriceHistory(collection_.fileName()).points(name);
    }
    // What the last price application of this session changed (empty before one).
    struct UpdateChanges {
        std::vector<PriceChange> changes;
        std::vector<std::string> unmatched;
    };
    const UpdateChanges& lastUpdateChanges() const { return lastUpdate_; }

    // The file of one of the open collection's photos.
    std::string photoPath(const Photo& photo) const {
        return PhotoStore(collection_.fileName()).pathOf(photo);
    }

    // --- the change log: one step per command above (see ChangeRecorder) ---
    // Undoes the newest step as one save (redo: brings back the oldest undone one), announced as
    // reloaded; returns the step's text. Throws EUndoRefused, nothing changed, when there is none or
    // the file was changed by something that keeps no log.
    std::string undo();
    std::string redo();
    // The steps logged, oldest first; the undone ones (the redo's) last.
    std::vector<LoggedStep> changes();

signals:
    // A collection was created or opened: everything about it is new.
    void opened();
    // Its name, brand or year range was saved.
    void infoChanged();
    void closed();
    // Items were added, changed or deleted: the list, the totals and the extremes are new.
    void itemsChanged();
    // An item was saved from the edit dialog (after itemsChanged): the count of the last update no
    // longer describes the collection.
    void itemSaved();
    // An update was confirmed: the extreme lists start afresh.
    void updateConfirmed();
    // A catalog update changed prices, totals, the extreme lists and UpdatedCount.
    void updated();
    // Read again from the file (another program changed it, an import or a restore wrote it): the
    // items, totals and header values may all be new.
    void reloaded();
    // After an open or a read again that set records aside or put back a save cut short (see
    // recoveredSave() and damaged()): the windows tell it in their message dialog, the command line
    // on standard error, each in its own words.
    void noticesAtOpen();
    // An item's photos were added, removed or reordered.
    void photosChanged();
    // Another item became the current one (the windows that follow the selection).
    void itemSelected();

private:
    // Runs `change` on the open collection under the policy above; `change` saves what it changed.
    // When it throws, memory is read back from the file (which the change left as it was), the
    // current item kept, before the error goes on.
    void change(const std::function<void(OpenCollection&)>& change);
    void readAgainKeepingCurrent();
    // applyUpdate and applyUpdateFile; `listsAfresh` empties the extreme lists first, as a confirm
    // does.
    UpdateOutcome applyPrices(std::uint64_t opening, const std::string& updateFile,
                              const std::string& updateMessage, const std::function<void(int step)>& advance,
                              bool listsAfresh);
    std::optional<std::vector<Photo>>
    changePhotos(const std::string& name,
                 const std::function<std::vector<Photo>(PhotoStore&, std::string_view)>& act);
    void tellNotices();
    std::string replayStep(Replay direction);
    void recordRestore(OpenCollection& present, const std::string& backupPath);

    // The change log's recorder, and the text of the step the running command takes (UTF-8).
    ChangeRecorder recorder_;
    std::string stepText_ = "save";

    OpenCollection collection_;
    Staleness staleness_;
    UpdateChanges lastUpdate_;
    // The confirmation of an update whose prices are still to come.
    std::optional<std::pair<std::string, std::string>> confirmation_;
};

} // namespace vitrinex
