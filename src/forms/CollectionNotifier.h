#pragma once
// CollectionNotifier: the open collection as the windows see it. It holds the core's OpenCollection,
// runs the operations that change it and announces each change, so that every window showing the
// collection (the statistics window, ...) listens instead of being told by the main window.

#include "collection/ItemEntry.h"
#include "collection/OpenCollection.h"

#include <QObject>
#include <QString>

namespace vitrinex {

class CollectionNotifier : public QObject {
    Q_OBJECT
public:
    explicit CollectionNotifier(QObject* parent = nullptr);

    const OpenCollection& collection() const { return collection_; }

    // Each throws EInOutError (or EConvertError) like the core's operation; nothing is announced then.
    void create(const QString& fileName, const QString& name, const QString& brand, const QString& year);
    void open(const QString& fileName);
    // Saves the new name, brand and year (the old values stay when the save fails), announces them,
    // then reads the file back.
    void changeInfo(const QString& name, const QString& brand, const QString& year);
    void save();
    void close();
    // Makes the item of that name the current one (selection only, nothing changes).
    void selectItem(const QString& name);
    // The add/edit dialog's Add/Save on the open collection (see ItemEntry::AddSave). Announces
    // itemsChanged whenever the items may have changed, also when a file operation then fails.
    AddSaveOutcome addSave(ItemEntry& entry);
    // The delete dialog's work: the current item leaves the file and the collection is read back
    // with nothing current. Announces itemsChanged, also when the save fails.
    void deleteCurrentItem();

signals:
    // A collection was created or opened: everything about it is new.
    void opened();
    // Its name, brand or year range was saved.
    void infoChanged();
    void closed();
    // Items were added, changed or deleted: the list, the totals and the extremes are new.
    void itemsChanged();

private:
    OpenCollection collection_;
};

} // namespace vitrinex
