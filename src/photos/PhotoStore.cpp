#include "photos/PhotoStore.h"

#include "collection/CollectionData.h"
#include "collection/EscapedText.h"
#include "collection/FigureRecord.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/SafeFile.h"
#include "photos/PhotoImage.h"
#include "reports/BackupGenerations.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

constexpr std::string_view kIndexHeader = "vitrinex-photos 1";
// An index of many thousands of items is a few megabytes; anything far beyond is no index of ours.
constexpr std::int64_t kIndexByteLimit = std::int64_t(256) << 20;

// A name the store gives a photo file: 64 hexadecimal digits, a dot, one of the extensions.
bool isPhotoFileName(std::string_view name) {
    const std::size_t dot = name.find('.');
    if (dot != 64) return false;
    for (std::size_t i = 0; i < dot; ++i)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f'))) return false;
    const std::string_view extension = name.substr(dot + 1);
    return extension == "jpg" || extension == "png" || extension == "webp";
}

// A file or folder is trusted when it is this user's or the collection's owner's.
bool trustedOwner(uid_t owner, const std::string& collectionPath) {
    struct stat collection {};
    return owner == ::geteuid() ||
           (::stat(collectionPath.c_str(), &collection) == 0 && owner == collection.st_uid);
}

EInOutError untrusted(const std::string& path) {
    return EInOutError(kAccessDenied,
                       "File access denied: " + path + " is not a photo file of this collection");
}

template <typename Number> bool number(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

bool parseLine(std::string_view line, std::string& key, Photo& photo) {
    std::string_view fields[5];
    for (std::size_t i = 0; i < 5; ++i) {
        const std::size_t tab = line.find('\t');
        if ((tab == std::string_view::npos) != (i == 4)) return false;
        fields[i] = line.substr(0, tab);
        line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    }
    photo.file = std::string(fields[1]);
    return unescape(fields[0], key) && isPhotoFileName(photo.file) && number(fields[2], photo.width) &&
           number(fields[3], photo.height) && number(fields[4], photo.bytes);
}

// Reads a file of the store (no link, a regular file of a trusted owner).
std::string readStoreFile(const std::string& path, const std::string& collectionPath) {
    const int fd = openRegularFile(path, O_RDONLY | O_NOFOLLOW);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !trustedOwner(st.st_uid, collectionPath) || st.st_size > kIndexByteLimit) {
        ::close(fd);
        throw untrusted(path);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw EInOutError::fromErrno(error, path);
        }
        if (n == 0) break;
        text.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return text;
}

// A photo file's name: the SHA-256 of its bytes and its extension.
std::string contentName(const QByteArray& bytes, const std::string& extension) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString() + "." +
           extension;
}

std::out_of_range noPhoto(std::size_t position, std::size_t count) {
    return std::out_of_range("there is no photo " + std::to_string(position + 1) + ": the item has " +
                             std::to_string(count));
}

bool exists(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return true;
    if (errno == ENOENT || errno == ENOTDIR) return false;
    throw EInOutError::fromErrno(errno, path);
}

} // namespace

std::string changeLogPhotoIndex(const std::string& collectionPath) {
    return collectionDataFolder(collectionPath, false) + "/changes/photos";
}

PhotoIndex PhotoIndex::read(const std::string& path, const std::string& collectionPath) {
    if (!exists(path)) return {};
    return parse(readStoreFile(path, collectionPath), path);
}

PhotoIndex PhotoIndex::parse(std::string_view text, const std::string& path) {
    PhotoIndex index;
    std::string_view rest = text;
    std::size_t lineNumber = 0;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        ++lineNumber;
        std::string key;
        Photo photo;
        const bool good = lineNumber == 1 ? line == kIndexHeader : parseLine(line, key, photo);
        if (!good || end == std::string_view::npos)
            throw EInOutError(kReadBeyondEnd, path + ": line " + std::to_string(lineNumber) +
                                                  " is no line of a photo index; nothing was changed");
        if (lineNumber > 1) index.items[key].push_back(std::move(photo));
    }
    if (lineNumber == 0) throw EInOutError(kReadBeyondEnd, path + ": the photo index is empty");
    return index;
}

std::string PhotoIndex::text() const {
    std::string out(kIndexHeader);
    out += '\n';
    for (const auto& [key, photos] : items) {
        for (const Photo& p : photos) {
            appendEscaped(out, key);
            out.append("\t").append(p.file).append("\t").append(std::to_string(p.width)).append("\t");
            out.append(std::to_string(p.height)).append("\t").append(std::to_string(p.bytes)).append("\n");
        }
    }
    return out;
}

PhotoStore::PhotoStore(std::string collectionPath)
    : collectionPath_(std::move(collectionPath)), folder_(collectionPhotoFolder(collectionPath_)),
      indexPath_(collectionPhotoIndex(collectionPath_)) {}

PhotoIndex PhotoStore::readIndex() const {
    struct stat st {};
    if (::lstat(folder_.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        throw EInOutError::fromErrno(errno, folder_);
    }
    if (!S_ISDIR(st.st_mode) || !trustedOwner(st.st_uid, collectionPath_)) throw untrusted(folder_);
    return PhotoIndex::read(indexPath_, collectionPath_);
}

void PhotoStore::makeFolder() const {
    // As private as the collection: its read and write bits, and a folder's search bit where it reads.
    const mode_t fileMode = copyRulesFor(collectionPath_).mode;
    const mode_t folderMode = fileMode | ((fileMode & 0444) >> 2);
    if (::mkdir(folder_.c_str(), folderMode) != 0 && errno != EEXIST)
        throw EInOutError::fromErrno(errno, folder_);
    struct stat st {};
    if (::lstat(folder_.c_str(), &st) != 0) throw EInOutError::fromErrno(errno, folder_);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        throw EInOutError(kAccessDenied,
                          "File access denied: " + folder_ + " is not a folder of this user's own");
    if ((st.st_mode & 0777 & ~folderMode) != 0 &&
        ::chmod(folder_.c_str(), st.st_mode & folderMode & 0777) != 0)
        throw EInOutError::fromErrno(errno, folder_);
}

void PhotoStore::writeIndex(const PhotoIndex& index) const {
    const std::string text = index.text();
    FileReplacement file(indexPath_, copyRulesFor(collectionPath_).mode);
    file.write(text.data(), text.size());
    file.commit();
}

std::vector<Photo> PhotoStore::photos(std::string_view itemName) const {
    const PhotoIndex index = readIndex();
    const auto it = index.items.find(nameKey(itemName));
    return it == index.items.end() ? std::vector<Photo>() : it->second;
}

bool PhotoStore::firstCover(Photo& cover) const {
    for (const auto& item : readIndex().items)
        if (!item.second.empty()) {
            cover = item.second.front();
            return true;
        }
    return false;
}

std::vector<Photo> PhotoStore::add(std::string_view itemName, const std::vector<std::string>& imagePaths) {
    addToItems({{std::string(itemName), imagePaths}});
    return photos(itemName);
}

void PhotoStore::addToItems(const std::vector<std::pair<std::string, std::vector<std::string>>>& batch) {
    if (::access(collectionPath_.c_str(), W_OK) != 0) throw EReadOnlyCollection(collectionPath_);
    // Every image is checked first, one at a time (a thousand photos need not fit in memory), then
    // read again to be written; a file that changed in between is refused.
    std::vector<std::vector<std::pair<std::string, Photo>>> checked(batch.size());
    for (std::size_t i = 0; i < batch.size(); ++i)
        for (const std::string& path : batch[i].second) {
            const AcceptedImage image = acceptImage(path);
            Photo photo;
            photo.file = contentName(image.bytes, image.extension);
            photo.width = image.width;
            photo.height = image.height;
            photo.bytes = image.bytes.size();
            checked[i].emplace_back(path, std::move(photo));
        }
    PhotoIndex index = readIndex();
    makeFolder();
    const mode_t mode = copyRulesFor(collectionPath_).mode;
    std::vector<std::string> written;
    try {
        for (std::size_t i = 0; i < batch.size(); ++i) {
            std::vector<Photo>& photos = index.items[nameKey(batch[i].first)];
            for (auto& entry : checked[i]) {
                // Named references, not a structured binding: the lambda below captures them.
                const std::string& imagePath = entry.first;
                Photo& photo = entry.second;
                if (std::any_of(photos.begin(), photos.end(),
                                [&](const Photo& p) { return p.file == photo.file; }))
                    continue;
                const std::string path = pathOf(photo);
                struct stat st {};
                // The same bytes are there already (for another item, or kept for a generation).
                const bool stored = ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                                    st.st_uid == ::geteuid() && st.st_size == photo.bytes;
                if (!stored) {
                    const QByteArray bytes = readPhotoFile(imagePath);
                    if (contentName(bytes, photo.file.substr(65)) != photo.file)
                        throw EPhotoRefused(imagePath + ": the file changed while it was being added");
                    FileReplacement file(path, mode);
                    file.write(bytes.constData(), std::size_t(bytes.size()));
                    file.commit();
                    written.push_back(path);
                }
                photos.push_back(std::move(photo));
            }
            if (photos.empty()) index.items.erase(nameKey(batch[i].first));
        }
        writeIndex(index);
    } catch (...) {
        // No index names them: the store is as it was.
        for (const std::string& path : written)
            ::unlink(path.c_str());
        throw;
    }
}

void PhotoStore::replaceIndex(const PhotoIndex& index) {
    makeFolder();
    writeIndex(index);
}

std::vector<Photo> PhotoStore::remove(std::string_view itemName, std::size_t position) {
    PhotoIndex index = readIndex();
    std::vector<Photo>& photos = index.items[nameKey(itemName)];
    if (position >= photos.size()) throw noPhoto(position, photos.size());
    photos.erase(photos.begin() + std::ptrdiff_t(position));
    const std::vector<Photo> left = photos;
    if (left.empty()) index.items.erase(nameKey(itemName));
    writeIndex(index);
    collectGarbage();
    return left;
}

std::vector<Photo> PhotoStore::makeCover(std::string_view itemName, std::size_t position) {
    PhotoIndex index = readIndex();
    std::vector<Photo>& photos = index.items[nameKey(itemName)];
    if (position >= photos.size()) throw noPhoto(position, photos.size());
    std::rotate(photos.begin(), photos.begin() + std::ptrdiff_t(position),
                photos.begin() + std::ptrdiff_t(position) + 1);
    writeIndex(index);
    return photos;
}

void PhotoStore::dropItem(std::string_view itemName) {
    PhotoIndex index = readIndex();
    if (index.items.erase(nameKey(itemName)) == 0) return;
    writeIndex(index);
    collectGarbage();
}

void PhotoStore::renameItem(std::string_view from, std::string_view to) {
    const std::string fromKey = nameKey(from), toKey = nameKey(to);
    PhotoIndex index = readIndex();
    const auto it = index.items.find(fromKey);
    if (fromKey == toKey || it == index.items.end()) return;
    std::vector<Photo> photos = std::move(it->second);
    index.items.erase(it);
    index.items[toKey] = std::move(photos);
    writeIndex(index);
}

void PhotoStore::setEntries(const std::map<std::string, std::vector<Photo>>& entries) {
    if (entries.empty()) return;
    PhotoIndex index = readIndex();
    for (const auto& [key, photos] : entries) {
        if (photos.empty())
            index.items.erase(key);
        else
            index.items[key] = photos;
    }
    makeFolder();
    writeIndex(index);
    collectGarbage();
}

void PhotoStore::restoreIndex(const std::string& keptIndexPath) {
    const PhotoIndex kept = PhotoIndex::read(keptIndexPath, collectionPath_);
    makeFolder();
    writeIndex(kept);
    collectGarbage();
}

void PhotoStore::collectGarbage() const {
    std::set<std::string> named;
    try {
        const auto collect = [&named](const PhotoIndex& index) {
            for (const auto& [key, photos] : index.items)
                for (const Photo& p : photos)
                    named.insert(p.file);
        };
        collect(readIndex());
        for (const Generation& g : listGenerations(collectionPath_))
            collect(PhotoIndex::read(generationPhotoIndex(g.path), collectionPath_));
        collect(PhotoIndex::read(changeLogPhotoIndex(collectionPath_), collectionPath_));
    } catch (const std::exception&) {
        return; // what an unreadable index names is not known, so nothing may go
    }
    struct stat st {};
    if (::lstat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return;
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isPhotoFileName(name) || named.count(name)) continue;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
    safefile::syncFolder(folder_);
}

} // namespace vitrinex
