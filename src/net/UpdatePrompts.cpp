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
    return utf8ToWin1252(QLocale::system().toString(day, QLocale::ShortFormat).toStdString());
}

void confirmUpdate(OpenCollection& collection, const QDate& day, const std::string& chosenType) {
    collection.LastUpdate = shortDateText(day);
    if (!chosenType.empty()) collection.UpdateType = chosenType;
}

} // namespace vitrinex::net
