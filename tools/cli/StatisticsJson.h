#pragma once
// The statistics of an open collection as vitrinex-cli prints them: caption, totals, the four extreme
// lists and the item list, texts as the program shows them.

#include "Json.h"
#include "collection/OpenCollection.h"

namespace vitrinex::cli {

json::Object statisticsJson(const OpenCollection& collection);

} // namespace vitrinex::cli
