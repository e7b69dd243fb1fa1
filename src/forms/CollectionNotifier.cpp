#include "forms/CollectionNotifier.h"

#include "collection/Win1252.h"
#include "net/UpdatePrompts.h"

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

void CollectionNotifier::open(const QString& fileName) {
    collection_.LoadCollection(fileSystemName(fileName));
    emit opened();
}

void CollectionNotifier::changeInfo(const QString& name, const QString& brand, const QString& year) {
    OpenCollection& c = collection_;
    const std::string oldName = c.CollectionName, oldBrand = c.Brand, oldYear = c.CollectionYear;
    c.CollectionName = fromQString(name).substr(0, 255);
    c.Brand = fromQString(brand).substr(0, 255);
    c.CollectionYear = fromQString(year).substr(0, 255);
    try {
        c.SaveCollection();
    } catch (...) {
        // Nothing reached the file: the windows keep showing what the file holds.
        c.CollectionName = oldName;
        c.Brand = oldBrand;
        c.CollectionYear = oldYear;
        throw;
    }
    // The file holds the new information now: it is announced even if reading it back fails.
    emit infoChanged();
    c.ReloadCollection();
}

void CollectionNotifier::save() {
    collection_.SaveCollection();
}

void CollectionNotifier::close() {
    collection_.CloseCollection();
    emit closed();
}

void CollectionNotifier::selectItem(const QString& name) {
    collection_.FindItem(fromQString(name));
}

AddSaveOutcome CollectionNotifier::addSave(ItemEntry& entry) {
    AddSaveOutcome outcome;
    try {
        outcome = entry.AddSave(collection_);
    } catch (...) {
        // An item may be in memory that the file does not hold yet, or the file was read back.
        emit itemsChanged();
        throw;
    }
    if (outcome.completed) emit itemsChanged();
    return outcome;
}

void CollectionNotifier::deleteCurrentItem() {
    try {
        DeleteCurrentItem(collection_);
    } catch (...) {
        emit itemsChanged();
        throw;
    }
    emit itemsChanged();
}

void CollectionNotifier::confirmUpdate(const QDate& day, const std::string& chosenType) {
    net::confirmUpdate(collection_, day, chosenType);
    emit updateConfirmed();
}

UpdateOutcome CollectionNotifier::applyUpdate(std::uint64_t openingAtConfirm, const std::string& updateFile,
                                              const std::string& updateMessage,
                                              const std::function<void(int step)>& advance) {
    UpdateOutcome outcome = ApplyUpdate(collection_, openingAtConfirm, updateFile, updateMessage, advance);
    if (!outcome.message) emit updated();
    return outcome;
}

} // namespace vitrinex
