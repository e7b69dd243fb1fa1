#include "net/UpdatePrompts.h"

#include "collection/Win1252.h"

#include <QLocale>

namespace vitrinex::net {

bool updateAvailable(const OpenCollection& collection) {
    return collection.CollectionOpen && collection.ItemCount > 0;
}

bool hasUpdateType(const OpenCollection& collection) {
    return collection.UpdateType == "SW" || collection.UpdateType == "HW";
}

std::string lastUpdateQuestion(const OpenCollection& collection) {
    return collection.CollectionName + " was last updated on " + collection.LastUpdate +
           ". Would you like to continue?";
}

std::string shortDateText(const QDate& day) {
    const QLocale system = QLocale::system();
    // The C locale has no short date of its own ("4 Mar 1999"); take the usual month/day/year.
    const QString format = system.language() == QLocale::C ? QStringLiteral("M/d/yy") : system.dateFormat(QLocale::ShortFormat);
    return utf8ToWin1252(system.toString(day, format).toStdString());
}

void confirmUpdate(OpenCollection& collection, const QDate& day, const std::string& chosenType) {
    collection.LastUpdate = shortDateText(day);
    if (!chosenType.empty()) collection.UpdateType = chosenType;
    collection.UnsavedChanges = true;
    // The extreme lists start afresh: the update's first item beyond a reset extreme fills each, and
    // a list no item reaches stays empty.
    collection.HighList.clear();
    collection.LowList.clear();
    collection.HotList.clear();
    collection.ColdList.clear();
}

} // namespace vitrinex::net
