#pragma once
// CollectionNotifier: the open collection as the windows and the command line share it. It holds the
// core's OpenCollection, runs the operations that change it and announces each change, so that every
// window showing the collection (the statistics window, ...) listens instead of being told by the main
// window.

#include "collection/ItemEntry.h"
#include "collection/OpenCollection.h"
#include "collection/PriceApplication.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace vitrinex {

class CollectionNotifier : public QObject {
    Q_OBJECT
public:
    explicit CollectionNotifier(QObject* parent = nullptr);

    const OpenCollection& collection() const { return collection_; }

    // Each throws EInOutError (or EConvertError) like the core's operation; nothing is announced then.
    // Those taking a `progress` report to it and stop (ECancelled) when it answers false, the open
    // collection and its file as they were.
    void create(const QString& fileName, const QString& name, const QString& brand, const QString& year);
    void open(const QString& fileName, const Progress& progress = {});
    // The same for a name as the system spells it (the bytes of a command-line argument).
    void openPath(const std::string& path, const Progress& progress = {});
    // Reads the open collection's file again, as another program may have left it; announced as
    // reloaded.
    void reload();
    // Saves the new name, brand and year (the old values stay when the save fails), announces them,
    // then reads the file back.
    void changeInfo(const QString& name, const QString& brand, const QString& year);
    void save(const Progress& progress = {});
    // The save of exit: nothing to save when another program changed the file and memory holds
    // nothing the file lacks (see OpenCollection::SaveBeforeLeaving).
    void saveBeforeLeaving();
    void close(const Progress& progress = {});
    // Runs `change`, which changes the collection and saves it. When the save finds the file changed
    // by another program (EChangedElsewhere), the file is read again and announced (reloaded) before
    // the error goes on: the windows show what the file holds, the change is dropped. Every command
    // that saves goes through here.
    void saveChange(const std::function<void(OpenCollection&)>& change);
    // Reads the file again after a writer of its own replaced it (an import, a restore); announces
    // reloaded. Throws like ReloadCollection, which then changes nothing.
    void reloadFromFile(const Progress& progress = {});
    // Makes the item of that name the current one (selection only, nothing changes).
    void selectItem(const QString& name);
    // The add/edit dialog's Add/Save on the open collection (see ItemEntry::AddSave). Announces
    // itemsChanged whenever the items may have changed, also when a file operation then fails.
    AddSaveOutcome addSave(ItemEntry& entry);
    // The delete dialog's work: the current item leaves the file and the collection is read back
    // with nothing current. Announces itemsChanged, also when the save fails.
    void deleteCurrentItem();
    // An update prompt was confirmed: LastUpdate becomes the day's short date and, when given,
    // UpdateType the chosen catalog (in memory; the update or the next save writes them).
    void confirmUpdate(const QDate& day, const std::string& chosenType = {});
    // Applies update.dat to the collection if it is still the opening `openingAtConfirm`; announces
    // `updated` when prices were applied. Throws EInOutError like ApplyUpdate, and saves like every
    // other change (see saveChange).
    UpdateOutcome applyUpdate(std::uint64_t openingAtConfirm, const std::string& updateFile,
                              const std::string& updateMessage,
                              const std::function<void(int step)>& advance = {});

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
    // Read again from the file after a save was refused for a file changed elsewhere: the items,
    // totals and header values may all be new.
    void reloaded();

private:
    OpenCollection collection_;
};

} // namespace vitrinex
