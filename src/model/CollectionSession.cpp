#include "model/CollectionSession.h"

#include "collection/CollectionData.h"
#include "collection/CollectionFile.h"
#include "collection/CollectionLock.h"
#include "collection/InOutError.h"
#include "collection/UpdatePrompts.h"
#include "collection/Win1252.h"
#include "photos/PhotoImage.h"

#include <QFile>

#include <unistd.h>

namespace vitrinex {

namespace {
std::string fileSystemName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

std::string currentName(const OpenCollection& collection) {
    return collection.currentItem() ? collection.currentItem()->Record.FigureName.str() : std::string();
}

// What follows a change of the items into their photos. The change itself is saved by then, so a
// failure here says so.
void followInPhotos(const std::string& collectionPath, const std::function<void(PhotoStore&)>& follow) {
    try {
        PhotoStore store(collectionPath);
        follow(store);
    } catch (const EInOutError& e) {
        throw EInOutError(e.code(),
                          std::string("the collection was saved, but its photo index was not: ") + e.what());
    }
}

// --- history hooks (history/): what a change keeps of deleted items and prices ---

// What follows a saved change into the price history; a failure says the change was saved.
void followInPrices(const std::string& collectionPath, const std::function<void(PriceHistory&)>& follow) {
    try {
        PriceHistory prices(collectionPath);
        follow(prices);
    } catch (const EInOutError& e) {
        throw EInOutError(e.code(), std::string("the collection was saved, but its price history was not: ") +
                                        e.what());
    }
}

PriceEntry priceEntry(const TFigureRecord& r) {
    return {r.FigureName.str(), r.Price.str(), r.NetChange.str()};
}

// The points of the items of those names after an add or an import.
void recordPrices(OpenCollection& c, PriceSource source, const std::vector<std::string>& names) {
    std::vector<PriceEntry> entries;
    for (const std::string& name : names)
        if (const TFigureNode* node = c.FindItem(name)) entries.push_back(priceEntry(node->Record));
    followInPrices(c.fileName(), [&](PriceHistory& prices) { prices.record(source, entries); });
}

// The item is kept among the deleted ones before it goes, so that a failed keep deletes nothing; a
// failed delete takes it out again.
void deleteKeepingItem(OpenCollection& c) {
    const TFigureNode* current = c.currentItem();
    if (!current) return DeleteCurrentItem(c);
    c.requireWritable();
    DeletedItems deleted(c.fileName());
    const DeletedItem kept = deleted.keep(current->Record);
    try {
        DeleteCurrentItem(c);
    } catch (...) {
        try {
            deleted.forget(kept);
        } catch (const EInOutError&) {
            // The item stays listed as deleted while it is there: undelete refuses it.
        }
        throw;
    }
}

// --- end of history hooks ---

// The deletion of the current item, and of its photos from the index.
void deleteCurrentWithPhotos(OpenCollection& c) {
    const std::string name = currentName(c);
    deleteKeepingItem(c);
    if (!name.empty()) followInPhotos(c.fileName(), [&name](PhotoStore& store) { store.dropItem(name); });
}

bool holds(OpenCollection& c, const std::string& name) {
    const TFigureNode* current = c.currentItem();
    const bool found = c.FindItem(name) != nullptr;
    c.selectNode(const_cast<TFigureNode*>(current));
    return found;
}

// An added item's price, or an edited one's when it changed (history hook).
void recordChangedPrice(OpenCollection& c, const std::string& name, const std::optional<PriceEntry>& before) {
    TFigureNode* const current = c.currentItem();
    const TFigureNode* node = c.FindItem(name);
    c.selectNode(current);
    if (!node) return;
    const PriceEntry now = priceEntry(node->Record);
    if (before && before->price == now.price && before->netChange == now.netChange) return;
    followInPrices(c.fileName(), [&](PriceHistory& prices) {
        prices.record(before ? PriceSource::Edit : PriceSource::Add, {now});
    });
}

// The generation `backupPath` names among the collection's, if it is one.
bool isGeneration(const std::string& collectionPath, const std::string& backupPath) {
    const std::string backup = canonicalCollectionPath(backupPath);
    for (const Generation& g : listGenerations(collectionPath))
        if (canonicalCollectionPath(g.path) == backup) return true;
    return false;
}
} // namespace

CollectionSession::CollectionSession(Staleness staleness, QObject* parent)
    : QObject(parent), staleness_(staleness) {
    collection_.setWriteObserver([this](const OpenCollection::RecordSource& records) {
        return recorder_.beforeWrite(collection_, records);
    });
}

void CollectionSession::tellNotices() {
    if (collection_.recoveredSave() || !collection_.damaged().empty()) emit noticesAtOpen();
}

void CollectionSession::create(const QString& fileName, const QString& name, const QString& brand,
                               const QString& year) {
    createPath(fileSystemName(fileName), fromQString(name), fromQString(brand), fromQString(year));
}

void CollectionSession::createPath(const std::string& path, const std::string& name, const std::string& brand,
                                   const std::string& year) {
    collection_.CreateCollection(path, name, brand, year);
    confirmation_.reset();
    emit opened();
}

void CollectionSession::open(const QString& fileName, const Progress& progress) {
    openPath(fileSystemName(fileName), OpenRule::CollectionsOnly, progress);
}

void CollectionSession::openPath(const std::string& path, OpenRule rule, const Progress& progress) {
    collection_.LoadCollection(path, rule, progress);
    confirmation_.reset();
    emit opened();
    tellNotices();
}

void CollectionSession::reload(const Progress& progress) {
    collection_.ReloadCollection(progress);
    if (confirmation_) collection_.confirmUpdate(confirmation_->first, confirmation_->second);
    emit reloaded();
    tellNotices();
}

void CollectionSession::readAgainKeepingCurrent() {
    // The item being edited stays current, so that a dialog still open saves it again, read as the
    // other program left it, instead of adding a copy.
    const std::string current = currentName(collection_);
    try {
        collection_.ReloadCollection();
        if (!current.empty()) collection_.FindItem(current);
        emit reloaded();
    } catch (const std::exception&) {
        // Unreadable as the other program left it: the windows keep what they show, and the next
        // save is refused again, so the file stays as it is.
    }
}

void CollectionSession::change(const std::function<void(OpenCollection&)>& change) {
    std::optional<CollectionLock> lock;
    if (collection_.isOpen()) {
        lockUnlessHeld(lock, collection_.fileName());
        // The command line acts on the file as it is now; the windows' check is the save's own.
        if (staleness_ == Staleness::ReadAgain && lock && collection_.diskIdentity() &&
            lock->identity() != *collection_.diskIdentity()) {
            const std::string current = currentName(collection_);
            reload();
            if (!current.empty()) collection_.FindItem(current);
        }
    }
    recorder_.begin(collection_, stepText_);
    try {
        change(collection_);
    } catch (const EChangedElsewhere&) {
        recorder_.fail();
        stepText_ = "save";
        readAgainKeepingCurrent();
        throw;
    } catch (...) {
        recorder_.fail();
        stepText_ = "save";
        throw;
    }
    recorder_.finish(collection_, std::exchange(stepText_, "save"));
}

void CollectionSession::changeInfo(const QString& name, const QString& brand, const QString& year) {
    change([&](OpenCollection& c) {
        stepText_ = "change collection info";
        c.setInfo(fromQString(name), fromQString(brand), fromQString(year));
    });
    // The file holds the new information now: it is announced even if reading it back fails.
    emit infoChanged();
    collection_.ReloadCollection();
}

void CollectionSession::save(const Progress& progress) {
    change([&progress](OpenCollection& c) { c.SaveCollection(progress); });
}

void CollectionSession::saveBeforeLeaving() {
    change([](OpenCollection& c) { c.SaveBeforeLeaving(); });
}

void CollectionSession::close(const Progress& progress) {
    change([&progress](OpenCollection& c) { c.CloseCollection(progress); });
    confirmation_.reset();
    emit closed();
}

void CollectionSession::selectItem(const QString& name) {
    collection_.FindItem(fromQString(name));
    emit itemSelected();
}

AddSaveOutcome CollectionSession::addSave(ItemEntry& entry) {
    AddSaveOutcome outcome;
    const bool saving = entry.EditMode;
    try {
        change([&](OpenCollection& c) {
            const std::string oldName = entry.EditMode ? currentName(c) : std::string();
            const std::optional<PriceEntry> oldPrice =
                c.currentItem() && entry.EditMode ? std::optional(priceEntry(c.currentItem()->Record))
                                                  : std::nullopt;
            stepText_ = oldName.empty() ? "add" : "edit " + win1252ToUtf8(oldName);
            outcome = entry.AddSave(c);
            // A rename to another key takes the item's photos and prices along.
            const std::string newName = fromQString(entry.NameToSelect);
            stepText_ = oldName.empty() ? "add " + win1252ToUtf8(newName)
                        : nameKey(oldName) == nameKey(newName)
                            ? "edit " + win1252ToUtf8(newName)
                            : "rename " + win1252ToUtf8(oldName) + " to " + win1252ToUtf8(newName);
            const bool renamed = outcome.completed && !oldName.empty() &&
                                 nameKey(oldName) != nameKey(newName) && !holds(c, oldName) &&
                                 holds(c, newName);
            if (renamed) {
                followInPhotos(c.fileName(), [&](PhotoStore& store) { store.renameItem(oldName, newName); });
                followInPrices(c.fileName(), [&](PriceHistory& prices) { prices.rename(oldName, newName); });
            }
            if (outcome.completed) recordChangedPrice(c, newName, oldPrice);
        });
    } catch (...) {
        // An item may be in memory that the file does not hold yet, or the file was read back.
        emit itemsChanged();
        throw;
    }
    if (outcome.completed) emit itemsChanged();
    if (outcome.completed && saving) emit itemSaved();
    return outcome;
}

std::optional<UserMessage> CollectionSession::addItem(const NewItemValues& values) {
    std::optional<UserMessage> exists;
    try {
        change([&](OpenCollection& c) {
            stepText_ = "add " + win1252ToUtf8(values.FigureName);
            exists = c.InsertNewItem(values);
            if (exists) return;
            c.SaveCollection();
            recordChangedPrice(c, values.FigureName, std::nullopt);
        });
    } catch (...) {
        emit itemsChanged();
        throw;
    }
    if (!exists) emit itemsChanged();
    return exists;
}

void CollectionSession::deleteCurrentItem() {
    try {
        change([this](OpenCollection& c) {
            stepText_ = "delete " + win1252ToUtf8(currentName(c));
            deleteCurrentWithPhotos(c);
        });
    } catch (...) {
        emit itemsChanged();
        throw;
    }
    emit itemsChanged();
}

bool CollectionSession::deleteItem(const std::string& name) {
    bool found = false;
    try {
        change([&](OpenCollection& c) {
            found = c.FindItem(name) != nullptr;
            stepText_ = "delete " + win1252ToUtf8(currentName(c));
            if (found) deleteCurrentWithPhotos(c);
        });
    } catch (...) {
        emit itemsChanged();
        throw;
    }
    if (found) emit itemsChanged();
    return found;
}

void CollectionSession::confirmUpdate(const QDate& day, const std::string& chosenType) {
    vitrinex::confirmUpdate(collection_, day, chosenType);
    confirmation_.emplace(collection_.header().LastUpdate, chosenType);
    emit updateConfirmed();
}

UpdateOutcome CollectionSession::applyUpdate(std::uint64_t openingAtConfirm, const std::string& updateFile,
                                             const std::string& updateMessage,
                                             const std::function<void(int step)>& advance) {
    return applyPrices(openingAtConfirm, updateFile, updateMessage, advance, false);
}

UpdateOutcome CollectionSession::applyUpdateFile(const std::string& updateFile) {
    // No download ran, so the update's status holds no braced message.
    return applyPrices(collection_.openingId(), updateFile, "", {}, true);
}

UpdateOutcome CollectionSession::applyPrices(std::uint64_t opening, const std::string& updateFile,
                                             const std::string& updateMessage,
                                             const std::function<void(int step)>& advance, bool listsAfresh) {
    UpdateOutcome outcome;
    change([&](OpenCollection& c) {
        // Inside the change: after the file was read again, the lists start afresh on what it holds.
        if (listsAfresh) c.clearExtremeLists();
        stepText_ = "update prices";
        outcome = ApplyUpdate(c, opening, updateFile, updateMessage, advance);
        if (outcome.message) return;
        // History hook: the prices are in the file; a history that cannot be written does not undo them.
        std::vector<PriceEntry> entries;
        entries.reserve(outcome.changes.size());
        for (const PriceChange& p : outcome.changes)
            entries.push_back({p.item, p.newPrice, p.netChange});
        try {
            PriceHistory(c.fileName()).record(PriceSource::Update, entries);
        } catch (const EInOutError& e) {
            outcome.priceHistoryFailure = e.what();
        }
        lastUpdate_ = {std::move(outcome.changes), std::move(outcome.unmatched)};
    });
    confirmation_.reset();
    if (!outcome.message) emit updated();
    return outcome;
}

CsvImport CollectionSession::importCsv(const std::string& csvPath, ExistingRows existing,
                                       const Progress& progress) {
    CsvImport imported;
    std::optional<EInOutError> pricesFailure;
    change([&](OpenCollection& c) {
        // What memory holds goes first, so that a refusal can read the file back without losing it.
        if (c.hasUnsavedChanges()) c.SaveCollection(progressPart(progress, 0, 100));
        // The rows' photos go in before the save; a save that fails takes them out of the index again.
        std::optional<PhotoIndex> indexBefore;
        const auto addPhotos = [&](const std::vector<const CsvItem*>& rows) {
            PhotoStore store(c.fileName());
            const std::size_t slash = csvPath.rfind('/');
            const std::string folder =
                slash == std::string::npos ? std::string(".") : csvPath.substr(0, slash);
            std::vector<std::pair<std::string, std::vector<std::string>>> batch;
            for (const CsvItem* row : rows) {
                std::vector<std::string> paths;
                for (const std::string& p : row->photos)
                    paths.push_back(p.starts_with('/') ? p : folder + "/" + p);
                batch.emplace_back(row->values.FigureName, std::move(paths));
            }
            const PhotoIndex before = store.index();
            try {
                store.addToItems(batch);
            } catch (const EPhotoRefused& e) {
                throw ECsvRefused({std::string("photos: ") + e.what()});
            }
            indexBefore = before;
        };
        stepText_ = "import";
        try {
            imported =
                vitrinex::importCsv(c, csvPath, existing, progressPart(progress, 100, 1000), addPhotos);
            stepText_ =
                "import " + std::to_string(imported.added + imported.updated + imported.skipped) + " rows";
        } catch (...) {
            if (indexBefore) PhotoStore(c.fileName()).replaceIndex(*indexBefore);
            // The file is as it was; memory may hold rows of the refused import.
            if (c.hasUnsavedChanges()) readAgainKeepingCurrent();
            throw;
        }
        // The import is saved: the windows hear of it even when its prices could not be kept.
        try {
            recordPrices(c, PriceSource::Import, imported.priced);
        } catch (const EInOutError& e) {
            pricesFailure.emplace(e);
        }
    });
    collection_.selectNode(nullptr);
    emit reloaded();
    if (pricesFailure) throw *pricesFailure;
    return imported;
}

RestoreResult CollectionSession::restore(const std::string& collectionPath, const std::string& backupPath,
                                         const Progress& progress) {
    bool isOpen = collection_.isOpen() && collection_.fileName() == collectionPath;
    // Open, the restore is a step of the change log; a file that does not open is restored all the same.
    if (!isOpen && !collection_.isOpen() && ::access(collectionPath.c_str(), F_OK) == 0) try {
            openPath(collectionPath);
            isOpen = true;
        } catch (const std::exception&) {
        }
    // A generation brings back the photo index kept beside it; the present one is kept beside the
    // generation the restore keeps first.
    const std::string keptPhotos = generationPhotoIndex(backupPath);
    // A generation kept before there were photos has no index beside it: the photos then are none.
    const bool withPhotos = isGeneration(collectionPath, backupPath) &&
                            (::access(keptPhotos.c_str(), F_OK) == 0 ||
                             ::access(collectionPhotoFolder(collectionPath).c_str(), F_OK) == 0);
    const auto restorePhotos = [&] {
        if (withPhotos)
            followInPhotos(collectionPath, [&](PhotoStore& store) { store.restoreIndex(keptPhotos); });
    };
    if (!isOpen) {
        std::optional<CollectionLock> lock; // the collection and its photos restored with no writer between
        lockUnlessHeld(lock, collectionPath);
        const RestoreResult restored = restoreCollection(collectionPath, backupPath, progress);
        restorePhotos();
        return restored;
    }
    RestoreResult restored;
    change([&](OpenCollection& c) {
        // So that the generation kept first holds everything.
        if (c.hasUnsavedChanges()) c.SaveCollection(progressPart(progress, 0, 200));
        recordRestore(c, backupPath);
        restored = restoreCollection(collectionPath, backupPath, progressPart(progress, 200, 900));
        restorePhotos();
    });
    collection_.ReloadCollection(progressWithoutCancel(progressPart(progress, 900, 1000)));
    emit reloaded();
    return restored;
}

std::size_t CollectionSession::repair(const std::string& collectionPath) {
    std::optional<CollectionLock> lock; // read, set aside and rewrite with no other writer in between
    lockUnlessHeld(lock, collectionPath);
    openPath(collectionPath, OpenRule::WhatReads);
    const std::size_t setAside = collection_.damaged().size();
    stepText_ = "repair";
    if (setAside > 0) save();
    stepText_ = "save";
    return setAside;
}

CollectionSession::Undelete CollectionSession::undelete(const std::string& name) {
    Undelete result = Undelete::NotKept;
    try {
        change([&](OpenCollection& c) {
            stepText_ = "undelete " + win1252ToUtf8(name);
            if (holds(c, name)) {
                result = Undelete::NameHeld;
                return;
            }
            DeletedItems deleted(c.fileName());
            const std::optional<DeletedItem> item = deleted.newest(name);
            if (!item) return;
            c.requireWritable();
            const TFigureRecord& r = item->record;
            NewItemValues values{r.FigureName.str(), r.Year.str(),      r.Series.str(),
                                 r.Price.str(),      r.NetChange.str(), r.Condition.str(),
                                 r.CatNum.str(),     r.Comments.str(),  r.Quantity};
            if (c.InsertNewItem(values)) return;
            c.currentItem()->Record.UpdateMark = r.UpdateMark;
            c.SaveCollection();
            result = Undelete::Restored;
            try {
                deleted.forget(*item);
            } catch (const EInOutError& e) {
                throw EInOutError(e.code(),
                                  std::string("the item was brought back, but it is still listed as "
                                              "deleted: ") +
                                      e.what());
            }
        });
    } catch (...) {
        emit itemsChanged();
        throw;
    }
    if (result == Undelete::Restored) emit itemsChanged();
    return result;
}

std::optional<std::vector<Photo>> CollectionSession::photos(const std::string& name) {
    const TFigureNode* item = collection_.FindItem(name);
    if (!item) return std::nullopt;
    return PhotoStore(collection_.fileName()).photos(item->Record.FigureName.view());
}

std::optional<std::vector<Photo>>
CollectionSession::changePhotos(const std::string& name,
                                const std::function<std::vector<Photo>(PhotoStore&, std::string_view)>& act) {
    std::optional<std::vector<Photo>> photos;
    change([&](OpenCollection& c) {
        const TFigureNode* item = c.FindItem(name);
        if (!item) return;
        c.requireWritable();
        recorder_.photosAhead(item->Record.FigureName.view());
        PhotoStore store(c.fileName());
        photos = act(store, item->Record.FigureName.view());
    });
    if (photos) emit photosChanged();
    return photos;
}

std::optional<std::vector<Photo>> CollectionSession::addPhotos(const std::string& name,
                                                               const std::vector<std::string>& images) {
    return changePhotos(name, [&](PhotoStore& store, std::string_view item) {
        stepText_ =
            (images.size() == 1 ? "add photo to " : "add " + std::to_string(images.size()) + " photos to ") +
            win1252ToUtf8(item);
        return store.add(item, images);
    });
}

std::optional<std::vector<Photo>> CollectionSession::removePhoto(const std::string& name,
                                                                 std::size_t position) {
    return changePhotos(name, [&](PhotoStore& store, std::string_view item) {
        stepText_ = "remove photo from " + win1252ToUtf8(item);
        return store.remove(item, position);
    });
}

std::optional<std::vector<Photo>> CollectionSession::makeCover(const std::string& name,
                                                               std::size_t position) {
    return changePhotos(name, [&](PhotoStore& store, std::string_view item) {
        stepText_ = "new cover for " + win1252ToUtf8(item);
        return store.makeCover(item, position);
    });
}

// --- the change log ---

void CollectionSession::recordRestore(OpenCollection& present, const std::string& backupPath) {
    const std::size_t slash = backupPath.rfind('/');
    stepText_ =
        "restore " + win1252ToUtf8(slash == std::string::npos ? backupPath : backupPath.substr(slash + 1));
    OpenCollection replacement;
    try {
        replacement.LoadCollection(backupPath);
    } catch (const std::exception&) {
        return; // the restore refuses it with its own words
    }
    recorder_.beforeReplace(present, replacement);
}

std::string CollectionSession::replayStep(Replay direction) {
    std::string text;
    try {
        change([&](OpenCollection& c) { text = recorder_.replay(c, direction); });
    } catch (const EUndoRefused&) {
        throw;
    } catch (...) {
        emit reloaded();
        throw;
    }
    collection_.selectNode(nullptr);
    emit reloaded();
    emit photosChanged();
    return text;
}

std::string CollectionSession::undo() {
    return replayStep(Replay::Back);
}

std::string CollectionSession::redo() {
    return replayStep(Replay::Forward);
}

std::vector<LoggedStep> CollectionSession::changes() {
    std::vector<LoggedStep> steps;
    change([&](OpenCollection&) { steps = recorder_.steps(); });
    return steps;
}

} // namespace vitrinex
