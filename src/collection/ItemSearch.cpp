#include "collection/ItemSearch.h"

#include "collection/Win1252.h"

#include <algorithm>

namespace vitrinex {
namespace {

// Only a to z change, as for item name keys.
QString upperAToZ(QString text) {
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
    return text;
}

} // namespace

const QString ItemSearch::kPrompt = QStringLiteral("enter the name to find:");

int ItemSearch::Search(const ItemNameList& list, const QString& text) {
    if (text.isEmpty()) return -1;
    const QString wanted = upperAToZ(text);
    for (int i = std::max<std::int32_t>(FindStart, 0); i < list.size(); ++i) {
        if (!upperAToZ(toQString(list.at(i))).contains(wanted)) continue;
        FindStart = i + 1;
        Label = QStringLiteral("click the 'ok' to find next.");
        return i;
    }
    Label = "a match for '" + text + "' was not found.";
    return -1;
}

} // namespace vitrinex
