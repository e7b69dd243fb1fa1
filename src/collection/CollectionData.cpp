#include "collection/CollectionData.h"

#include "collection/InOutError.h"

#include <QCryptographicHash>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

std::string resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

std::string dataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && xdg[0] == '/') return xdg;
    if (home && home[0] == '/') return std::string(home) + "/.local/share";
    throw EInOutError::fromCode(kPathNotFound);
}

} // namespace

std::string canonicalCollectionPath(const std::string& collectionPath) {
    if (std::string full = resolved(collectionPath); !full.empty()) return full;
    const std::size_t slash = collectionPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : collectionPath.substr(0, slash);
    const std::string name = slash == std::string::npos ? collectionPath : collectionPath.substr(slash + 1);
    const std::string full = resolved(folder);
    return full.empty() ? collectionPath : (full == "/" ? "" : full) + "/" + name;
}

void makePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw EInOutError::fromErrno(errno, folder);
    requireOwnFolder(folder);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) throw EInOutError::fromErrno(errno, folder);
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        throw EInOutError::fromErrno(errno, folder);
}

void requireOwnFolder(const std::string& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) throw EInOutError::fromErrno(errno, folder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        throw EInOutError(kAccessDenied,
                          "File access denied: " + folder + " is not a folder of this user's own");
}

std::string programDataFolder(bool create) {
    const std::string base = dataHome();
    const std::string ours = base + "/vitrinex";
    if (create) {
        // The data folder itself may be missing on a fresh account.
        for (std::size_t at = base.find('/', 1); at != std::string::npos; at = base.find('/', at + 1))
            ::mkdir(base.substr(0, at).c_str(), 0700);
        if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) throw EInOutError::fromErrno(errno, base);
        // It may already hold update.dat; what is below it is private.
        if (::mkdir(ours.c_str(), 0700) != 0 && errno != EEXIST) throw EInOutError::fromErrno(errno, ours);
    }
    // Another user's folder, or a link, could hand this program files it would take for its own.
    struct stat st {};
    if (create || ::lstat(ours.c_str(), &st) == 0) requireOwnFolder(ours);
    return ours;
}

std::string collectionDataFolder(const std::string& collectionPath, bool create) {
    const std::string ours = programDataFolder(create);
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(canonicalCollectionPath(collectionPath)),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    const std::string collections = ours + "/collections";
    const std::string folder = collections + "/" + hash.toStdString();
    if (create) {
        makePrivateFolder(collections);
        makePrivateFolder(folder);
    } else {
        struct stat st {};
        for (const std::string& f : {collections, folder})
            if (::lstat(f.c_str(), &st) == 0) requireOwnFolder(f);
    }
    return folder;
}

} // namespace vitrinex
