#pragma once
// What the program keeps about a collection outside its file (backup generations, the value
// history) lives in the user's data folder, $XDG_DATA_HOME/vitrinex/collections/ (by default
// ~/.local/share/vitrinex/collections/), in a folder named by a hash of the collection's full path.
// A collection moved or renamed therefore starts afresh; its old folder stays where it was.

#include <string>

namespace vitrinex {

// The collection's full path with every link and "." or ".." resolved; for a file that does not
// exist, its folder's full path and its name.
std::string canonicalCollectionPath(const std::string& collectionPath);

// The program's folder in the user's data folder, $XDG_DATA_HOME/vitrinex. With `create` it (and the
// data folder) is made when missing. A folder that is there must be a real folder of this user's
// own: anything else throws EInOutError naming it.
std::string programDataFolder(bool create);

// The collection's folder in the user's data folder. With `create`, it and the folders above it are
// made (0700); every folder of ours that is there is checked to be a real folder of this user (and,
// with `create`, private to it); throws EInOutError naming the folder when it is not.
std::string collectionDataFolder(const std::string& collectionPath, bool create);

// Makes `folder` (0700) when missing; refuses a link, anything but a folder, or a folder of another
// user with "File access denied" naming it, and takes away what others may do in a folder of ours.
void makePrivateFolder(const std::string& folder);

// Throws EInOutError naming `folder` unless it is a real folder (no link) of this user's own.
void requireOwnFolder(const std::string& folder);

} // namespace vitrinex
