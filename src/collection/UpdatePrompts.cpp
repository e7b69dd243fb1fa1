#include "collection/UpdatePrompts.h"

#include "collection/Win1252.h"

#include <QLocale>

namespace vitrinex {

bool updateAvailable(const OpenCollection& collection) {
    return collection.isOpen() && collection.totals().ItemCount > 0;
}

bool hasUpdateType(const OpenCollection& collection) {
    return collection.header().UpdateType == "SW" || collection.header().UpdateType == "HW";
}

std::string lastUpdateQuestion(const OpenCollection& collection) {
    return collection.header().CollectionName + " was last updated on " + collection.header().LastUpdate +
           ". Would you like to continue?";
}

std::string shortDateText(const QDate& day) {
    const QLocale system = QLocale::system();
    // The C locale has no short date of its own ("4 Mar 1999"); take the usual month/day/year.
    const QString format =
        system.language() == QLocale::C ? QStringLiteral("M/d/yy") : system.dateFormat(QLocale::ShortFormat);
    return utf8ToWin1252(system.toString(day, format).toStdString());
}

void confirmUpdate(OpenCollection& collection, const QDate& day, const std::string& chosenType) {
    collection.confirmUpdate(shortDateText(day), chosenType);
}

} // namespace vitrinex
