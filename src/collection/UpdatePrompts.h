#pragma once
// What the two prompts before a catalog update decide, without their windows: which prompt a
// collection gets, the last-update question, and what confirming one changes.

#include "collection/OpenCollection.h"

#include <QDate>

#include <string>

namespace vitrinex {

// Whether the Update command does anything: a collection is open and holds at least one item.
bool updateAvailable(const OpenCollection& collection);

// True when the collection already follows a catalog ("SW" or "HW"): the last-update prompt asks;
// otherwise the update-type prompt lets the user choose.
bool hasUpdateType(const OpenCollection& collection);

// name + " was last updated on " + date + ". Would you like to continue?"
std::string lastUpdateQuestion(const OpenCollection& collection);

// The day as the system's short date text ("3/4/99" in the C locale).
std::string shortDateText(const QDate& day);

// Confirming a prompt: LastUpdate becomes the day's short date and, when given, UpdateType the
// chosen catalog, and the four extreme lists are emptied. Only memory changes; the file is written
// by the update or the next save.
void confirmUpdate(OpenCollection& collection, const QDate& day, const std::string& chosenType = {});

} // namespace vitrinex
