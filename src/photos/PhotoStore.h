#pragma once
// The photos of a collection's items, in the folder "NAME.photos" beside "NAME.fcd": each photo once,
// as its original bytes, in a file named by the SHA-256 of its content; and one index that gives
// each item's photos in order (the first is the cover), keyed by the item's name key.
//
// Every photo file is complete on disk before an index names it, and the index is replaced as a
// name, so that a process killed at any moment leaves no entry without its file. A photo file goes
// only when no index names it: neither the collection's nor one a backup generation keeps. The
// folder and its files are as private as the collection and never written through a link.
//
// The store does not lock: its caller (CollectionSession) holds the collection's lock around each
// change.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vitrinex {

struct Photo {
    std::string file;          // the file's name in the photo folder: the content's hash, an extension
    int width = 0, height = 0; // as shown, the orientation applied
    std::int64_t bytes = 0;
    bool operator==(const Photo&) const = default;
};

// Item name keys and their photos in order; the text of an index file.
struct PhotoIndex {
    std::map<std::string, std::vector<Photo>> items;

    // Throws EInOutError naming `path` for an index that does not read; a missing one is empty.
    static PhotoIndex read(const std::string& path, const std::string& collectionPath);
    // The same for the text of an index; `path` names it in the error.
    static PhotoIndex parse(std::string_view text, const std::string& path);
    std::string text() const;
};

// The index of every photo the collection's change log names (its undo may bring them back), which
// keeps their files in the store; in the collection's data folder.
std::string changeLogPhotoIndex(const std::string& collectionPath);

class PhotoStore {
public:
    explicit PhotoStore(std::string collectionPath);

    const std::string& folder() const { return folder_; }
    // The photo's file.
    std::string pathOf(const Photo& photo) const { return folder_ + "/" + photo.file; }

    // The item's photos, the cover first (none for an item that has none).
    std::vector<Photo> photos(std::string_view itemName) const;
    // The cover of the first item, in name-key order, that has photos; false when none has. Reads the
    // index only. Throws EInOutError for an index or folder that is not to be trusted or read.
    bool firstCover(Photo& cover) const;
    // Every item's photos, read once (the table's covers; an empty index when the collection has no
    // photos). Throws EInOutError like photos().
    PhotoIndex index() const { return readIndex(); }
    // Adds the image files in their order, every one or none, and returns the item's photos. An image
    // the item has already is not added again. Throws EPhotoRefused (nothing changed) for an image
    // refused, EInOutError for a failed write.
    std::vector<Photo> add(std::string_view itemName, const std::vector<std::string>& imagePaths);
    // The same for several items (name, image files) in one index write: every one or none.
    void addToItems(const std::vector<std::pair<std::string, std::vector<std::string>>>& batch);
    // The index becomes `index` (an add taken back); its photos' files must be there.
    void replaceIndex(const PhotoIndex& index);
    // The photo at `position` (from 0) leaves the item, or becomes its cover. Throws
    // std::out_of_range for a position the item does not have.
    std::vector<Photo> remove(std::string_view itemName, std::size_t position);
    std::vector<Photo> makeCover(std::string_view itemName, std::size_t position);
    // The item's photos leave the index (an item deleted).
    void dropItem(std::string_view itemName);
    // The photos of `from` become those of `to` (an item renamed to another key).
    void renameItem(std::string_view from, std::string_view to);
    // The entries of these item name keys become the photos given (none: the item has no photos),
    // whichever photos they had; every photo named must be in the store (an undo puts back entries
    // the store kept the files of).
    void setEntries(const std::map<std::string, std::vector<Photo>>& entries);
    // The index becomes the one kept at `keptIndexPath` (a generation's, see generationPhotoIndex).
    void restoreIndex(const std::string& keptIndexPath);
    // Removes every photo file that no index names, the generations' included. Does nothing when an
    // index cannot be read.
    void collectGarbage() const;

private:
    PhotoIndex readIndex() const;
    void writeIndex(const PhotoIndex& index) const;
    void makeFolder() const;

    std::string collectionPath_, folder_, indexPath_;
};

} // namespace vitrinex
