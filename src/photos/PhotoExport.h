#pragma once
// The photos of a CSV export: every item's photo files copied into a folder, and the CSV's photos
// column naming them relative to the CSV file's folder.

#include "reports/CsvFormat.h"

#include <string>

namespace vitrinex {

// Copies the photos of the open collection's items into `photoFolder` (made when missing, as
// private as the collection) as they are named in the store, and gives the photos column for
// writeCsvExport of `csvPath`. A photo already there with its bytes is not copied again. Throws
// EInOutError naming the folder or the file that failed.
CsvPhotoColumn exportPhotos(const OpenCollection& collection, const std::string& csvPath,
                            const std::string& photoFolder);

} // namespace vitrinex
