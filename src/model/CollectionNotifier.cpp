#include "model/CollectionNotifier.h"

#include "collection/UpdatePrompts.h"
#include "collection/Win1252.h"

#include <QFile>

namespace vitrinex {

namespace {
std::string fileSystemName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}
} // namespace

CollectionNotifier::CollectionNotifier(QObject* parent) : QObject(parent) {}

void CollectionNotifier::create(const QString& fileName, const QString& name, const QString& brand,
                                const QString& year) {
    collection_.CreateCollection(fileSystemName(fileName), fromQString(name), fromQString(brand),
                                 fromQString(year));
    emit opened();
}

void CollectionNotifier::open(const QString& fileName, const Progress& progress) {
    openPath(fileSystemName(fileName), progress);
}

void CollectionNotifier::openPath(const std::string& path, const Progress& progress) {
    collection_.LoadCollection(path, OpenRule::CollectionsOnly, progress);
    emit opened();
}

void CollectionNotifier::reload() {
    collection_.ReloadCollection();
    emit reloaded();
}

void CollectionNotifier::saveChange(const std::function<void(OpenCollection&)>& change) {
    try {
        change(collection_);
    } catch (const EChangedElsewhere&) {
        // The item being edited stays current, so that a dialog still open saves it again, read
        // as the other program left it, instead of adding a copy.
        const std::string current =
            collection_.currentItem() ? collection_.currentItem()->Record.FigureName.str() : std::string();
        try {
            collection_.ReloadCollection();
            if (!current.empty()) collection_.FindItem(current);
            emit reloaded();
        } catch (const std::exception&) {
            // Unreadable as the other program left it: the windows keep what they show, and the next
            // save is refused again, so the file stays as it is.
        }
        throw;
    }
}

void CollectionNotifier::changeInfo(const QString& name, const QString& brand, const QString& year) {
    saveChange(
        [&](OpenCollection& c) { c.setInfo(fromQString(name), fromQString(brand), fromQString(year)); });
    // The file holds the new information now: it is announced even if reading it back fails.
    emit infoChanged();
    collection_.ReloadCollection();
}

void CollectionNotifier::save(const Progress& progress) {
    saveChange([&progress](OpenCollection& c) { c.SaveCollection(progress); });
}

void CollectionNotifier::saveBeforeLeaving() {
    saveChange([](OpenCollection& c) { c.SaveBeforeLeaving(); });
}

void CollectionNotifier::reloadFromFile(const Progress& progress) {
    collection_.ReloadCollection(progress);
    emit reloaded();
}

void CollectionNotifier::close(const Progress& progress) {
    saveChange([&progress](OpenCollection& c) { c.CloseCollection(progress); });
    emit closed();
}

void CollectionNotifier::selectItem(const QString& name) {
    collection_.FindItem(fromQString(name));
}

AddSaveOutcome CollectionNotifier::addSave(ItemEntry& entry) {
    AddSaveOutcome outcome;
    const bool saving = entry.EditMode;
    try {
        saveChange([&](OpenCollection& c) { outcome = entry.AddSave(c); });
    } catch (...) {
        // An item may be in memory that the file does not hold yet, or the file was read back.
        emit itemsChanged();
        throw;
    }
    if (outcome.completed) emit itemsChanged();
    if (outcome.completed && saving) emit itemSaved();
    return outcome;
}

void CollectionNotifier::deleteCurrentItem() {
    try {
        saveChange([](OpenCollection& c) { DeleteCurrentItem(c); });
    } catch (...) {
        emit itemsChanged();
        throw;
    }
    emit itemsChanged();
}

void CollectionNotifier::confirmUpdate(const QDate& day, const std::string& chosenType) {
    vitrinex::confirmUpdate(collection_, day, chosenType);
    emit updateConfirmed();
}

UpdateOutcome CollectionNotifier::applyUpdate(std::uint64_t openingAtConfirm, const std::string& updateFile,
                                              const std::string& updateMessage,
                                              const std::function<void(int step)>& advance) {
    UpdateOutcome outcome;
    saveChange([&](OpenCollection& c) {
        outcome = ApplyUpdate(c, openingAtConfirm, updateFile, updateMessage, advance);
    });
    if (!outcome.message) emit updated();
    return outcome;
}

} // namespace vitrinex
