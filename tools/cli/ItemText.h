#pragma once
// How the command line writes an item record (JSON) and reads a typed comment.

#include "collection/FigureRecord.h"

#include <string>

namespace vitrinex::cli {

// The record as one JSON object on one line, texts in UTF-8.
std::string itemJson(const TFigureRecord& record);
void appendItemJson(std::string& out, const TFigureRecord& record);

// A comment line break, typed as a newline or as the two characters \n, becomes CR LF.
std::string commentText(const std::string& text);

} // namespace vitrinex::cli
