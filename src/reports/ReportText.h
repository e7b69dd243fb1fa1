#pragma once
// What the printed list and the text export share: the live items in key order, field texts
// without blanks and the splitting of comments into lines.

#include "collection/OpenCollection.h"

#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

// The name of a file beside the collection file: "mine.fcd" gives "mine." + `extension`; a name
// that does not end in ".fcd" ("txt", "my.fcd.old", "mine.bak") keeps all of it and gets "." +
// `extension` appended, so that no two collections share a copy and no copy takes a collection's name.
std::string besideCollectionFile(std::string_view collectionFileName, std::string_view extension);

// The live items (not deleted records) in ascending order of their name keys.
std::vector<const TFigureRecord*> liveItemsInKeyOrder(const OpenCollection& collection);

// The text with every blank removed ("$  12.50" gives "$12.50").
std::string withoutBlanks(std::string_view text);

// Splits a comment (lines separated by CR LF) into lines of at most `width` characters, broken
// after the last blank within the width, or after `width` characters when there is none. With
// `keepBreaksInLastLine`, a rest that fits the width is one line even when it holds line breaks.
std::vector<std::string> commentLines(std::string_view comment, std::size_t width, bool keepBreaksInLastLine);

} // namespace vitrinex
