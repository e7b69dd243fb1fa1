#pragma once
// The text export of a collection: a plain text file beside the collection file (its name with the
// extension "txt"), CR LF lines in Windows-1252, one block per live item in key order.

#include "collection/OpenCollection.h"

#include <string>
#include <string_view>

namespace vitrinex {

// besideCollectionFile(collectionFileName, "txt").
std::string textExportFileName(std::string_view collectionFileName);

// The whole export file's bytes; each item is a step of `progress` (ECancelled when it stops).
std::string textExportContent(const OpenCollection& collection, const Progress& progress = {});

// The message shown when the export is written to `exportFileName` (in Windows-1252, like the
// collection name the message also holds).
UserMessage textExportCompletedMessage(const OpenCollection& collection, std::string_view exportFileName);

// Writes the export beside the collection file, replacing the file of that name as a whole or not
// at all (never a link's target or a collection), at most as readable as the collection, and
// returns its name. Throws EInOutError; a stop of `progress` (ECancelled) leaves no file.
std::string writeTextExport(const OpenCollection& collection, const Progress& progress = {});

} // namespace vitrinex
