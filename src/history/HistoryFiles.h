#pragma once
// What the history stores share: their files in the collection's data folder (CollectionData.h), read
// without trusting what another user could have put there, and lines of tab-separated fields.

#include "collection/EscapedText.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex::history {

// The time now, ISO 8601 in UTC ("2026-12-11T14:05:09Z").
std::string timeNow();

// The bytes of the store file `path`, or nullopt when there is none. Anything but a regular file of
// this user's own (a link, a folder, another user's file) or a file beyond `limit` bytes throws
// EInOutError naming it.
std::optional<std::string> readStoreFile(const std::string& path, std::size_t limit);

// Writes `text` as the file `path` (a new file renamed over the name) with the collection's mode.
void writeStoreFile(const std::string& path, const std::string& collectionPath, const std::string& text);

// The line's tab-separated fields, unescaped; nullopt unless there are exactly `count`.
std::optional<std::vector<std::string>> fields(std::string_view line, std::size_t count);

// Hands each line of `text` to `onLine`; false, with `lineNumber` the bad line's (from 1), when
// `onLine` refuses one or the last is torn (no line break).
bool forEachLine(std::string_view text, std::size_t& lineNumber,
                 const std::function<bool(std::string_view line)>& onLine);

} // namespace vitrinex::history
