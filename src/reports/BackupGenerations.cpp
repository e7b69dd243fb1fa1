#include "reports/BackupGenerations.h"

#include "collection/CollectionData.h"
#include "collection/CollectionFile.h"
#include "collection/CollectionLock.h"
#include "collection/InOutError.h"
#include "collection/ValueHistory.h"
#include "reports/ReportText.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

// A generation is named by its time, so that names sort as times do.
constexpr char kNameFormat[] = "yyyyMMdd'T'HHmmss.zzz'Z'";
constexpr char kSuffix[] = ".fcd";

std::string generationsFolder(const std::string& collectionPath, bool create) {
    const std::string folder = collectionDataFolder(collectionPath, create) + "/generations";
    if (create) makePrivateFolder(folder);
    return folder;
}

// Streams the file's bytes as they stand, so that even a damaged collection is kept as it is.
std::function<void(const ByteSink&)> fileContent(int fd, const std::string& path) {
    return [fd, path](const ByteSink& sink) {
        if (::lseek(fd, 0, SEEK_SET) < 0) throw EInOutError::fromErrno(errno, path);
        std::vector<char> buffer(std::size_t(1) << 20);
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw EInOutError::fromErrno(errno, path);
            if (n == 0) return;
            sink(buffer.data(), static_cast<std::size_t>(n));
        }
    };
}

// Keeps the kGenerationsKept newest generations by when they were written, `made` among them.
// Their names only tell the clock of the machine that made them, which may have been ahead.
void pruneGenerations(const std::string& folder, const std::string& made) {
    struct Written {
        std::string path;
        struct timespec time;
    };
    std::vector<Written> others;
    const QStringList names = QDir(QString::fromStdString(folder)).entryList({"*.fcd"}, QDir::Files);
    for (const QString& name : names) {
        const std::string path = folder + "/" + name.toStdString();
        struct stat st {};
        if (path == made || !QDateTime::fromString(name.chopped(4), kNameFormat).isValid() ||
            ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        others.push_back({path, st.st_mtim});
    }
    std::sort(others.begin(), others.end(), [](const Written& a, const Written& b) {
        if (a.time.tv_sec != b.time.tv_sec) return a.time.tv_sec > b.time.tv_sec;
        if (a.time.tv_nsec != b.time.tv_nsec) return a.time.tv_nsec > b.time.tv_nsec;
        return a.path > b.path;
    });
    for (std::size_t i = kGenerationsKept - 1; i < others.size(); ++i) {
        ::unlink(others[i].path.c_str());
        ::unlink(generationPhotoIndex(others[i].path).c_str());
    }
}

// Copies the collection's photo index beside the generation `generation`, if there is one. An index
// that is a link, or belongs to neither this user nor the collection's owner, is not taken.
void keepPhotoIndexBeside(const std::string& collectionPath, const std::string& generation, mode_t mode) {
    const std::string index = collectionPhotoIndex(collectionPath);
    struct stat st {
    }, collection{};
    if (::lstat(index.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return;
        throw EInOutError::fromErrno(errno, index);
    }
    const bool ownerTrusted = st.st_uid == ::geteuid() || (::stat(collectionPath.c_str(), &collection) == 0 &&
                                                           st.st_uid == collection.st_uid);
    if (!S_ISREG(st.st_mode) || !ownerTrusted)
        throw EInOutError(kAccessDenied,
                          "File access denied: " + index + " is no photo index of this collection");
    const int fd = openRegularFile(index, O_RDONLY | O_NOFOLLOW);
    try {
        FileReplacement copy(generationPhotoIndex(generation), mode);
        fileContent(fd, index)([&copy](const void* data, std::size_t size) { copy.write(data, size); });
        copy.commit();
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

} // namespace

std::string collectionPhotoFolder(const std::string& collectionPath) {
    return besideCollectionFile(collectionPath, "photos");
}

std::string collectionPhotoIndex(const std::string& collectionPath) {
    return collectionPhotoFolder(collectionPath) + "/index";
}

std::string generationPhotoIndex(const std::string& generationPath) {
    std::string path = generationPath;
    if (path.ends_with(kSuffix)) path.resize(path.size() - (sizeof kSuffix - 1));
    return path + ".photos-index";
}

std::vector<Generation> listGenerations(const std::string& collectionPath) {
    std::vector<Generation> out;
    const std::string folder = generationsFolder(collectionPath, false);
    const QStringList names =
        QDir(QString::fromStdString(folder)).entryList({"*.fcd"}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString& name : names) {
        const QDateTime time = QDateTime::fromString(name.chopped(4), kNameFormat);
        const std::string path = folder + "/" + name.toStdString();
        struct stat st {};
        if (!time.isValid() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        QDateTime utc = time;
        utc.setTimeSpec(Qt::UTC);
        out.push_back({path, utc.toString(Qt::ISODateWithMs).toStdString(),
                       static_cast<std::int64_t>(st.st_size) / static_cast<std::int64_t>(kRecordSize) - 1});
    }
    return out;
}

std::function<void(const ByteSink&)> backupContent(const OpenCollection& c) {
    auto live = std::make_shared<std::vector<const TFigureRecord*>>();
    c.forEachPreOrder([&live](const TFigureNode& node) {
        if (!isDeletedRecord(node.Record)) live->push_back(&node.Record);
    });
    auto header = std::make_shared<TCollectionHeader>(c.headerRecord());
    return [live, header](const ByteSink& sink) {
        std::size_t next = 0;
        const std::function<const TFigureRecord*()> nextRecord = [&]() -> const TFigureRecord* {
            return next == live->size() ? nullptr : (*live)[next++];
        };
        collectionFileContent(*header, nextRecord)(sink);
    };
}

std::string keepGeneration(const std::string& collectionPath,
                           const std::function<void(const ByteSink&)>& content, bool prune) {
    const std::string folder = generationsFolder(collectionPath, true);
    // A name of its own even for two backups within one millisecond.
    QDateTime time = QDateTime::currentDateTimeUtc();
    std::string path;
    do {
        path = folder + "/" + time.toString(kNameFormat).toStdString() + kSuffix;
        time = time.addMSecs(1);
    } while (::access(path.c_str(), F_OK) == 0);
    const mode_t mode = copyRulesFor(collectionPath).mode;
    FileReplacement file(path, mode);
    content([&file](const void* data, std::size_t size) { file.write(data, size); });
    file.commit();
    try {
        keepPhotoIndexBeside(collectionPath, path, mode);
    } catch (...) {
        // A generation without the photos it had would let them go.
        ::unlink(path.c_str());
        throw;
    }
    if (prune) pruneGenerations(folder, path);
    return path;
}

void keepBackupGeneration(const OpenCollection& c) {
    try {
        keepGeneration(c.fileName(), backupContent(c));
        addValuePoint(c);
    } catch (const EInOutError& e) {
        throw EInOutError(e.code(), std::string("backup generation: ") + e.what());
    }
}

RestoreResult restoreCollection(const std::string& collectionPath, const std::string& backupPath,
                                const Progress& progress) {
    // Read as a collection first: a backup that does not load is refused before anything changes.
    OpenCollection backup;
    try {
        backup.LoadCollection(backupPath, OpenRule::CollectionsOnly, progressPart(progress, 0, 400));
    } catch (const ECancelled&) {
        throw;
    } catch (const std::exception& e) {
        throw EBackupUnreadable(backupPath + ": " + e.what());
    }
    // What a damaged backup holds beyond its items would be lost without a word.
    if (!backup.damaged().empty())
        throw EBackupUnreadable(backupPath + ": record " + std::to_string(backup.damaged().front().record) +
                                ": " + backup.damaged().front().reason);
    std::vector<const TFigureRecord*> live;
    backup.forEachPreOrder([&live](const TFigureNode& node) {
        if (!isDeletedRecord(node.Record)) live.push_back(&node.Record);
    });

    if (::access(collectionPath.c_str(), W_OK) != 0 && errno != ENOENT)
        throw EReadOnlyCollection(collectionPath);
    std::optional<CollectionLock> ownLock;
    CollectionLock* lock = lockUnlessHeld(ownLock, collectionPath);
    if (!lock) lock = &ownLock.emplace(collectionPath); // names the missing file
    RestoreResult result;
    // The present content is kept first, but the oldest generation goes only once the restore is done.
    const auto present = fileContent(lock->descriptor(), collectionPath);
    struct stat st {};
    const std::int64_t length = ::fstat(lock->descriptor(), &st) == 0 ? st.st_size : 0;
    const Progress keeping = progressPart(progress, 400, 600);
    std::int64_t copied = 0;
    result.kept = keepGeneration(
        collectionPath,
        [&](const ByteSink& sink) {
            present([&](const void* data, std::size_t size) {
                goOn(keeping, copied, length);
                sink(data, size);
                copied += static_cast<std::int64_t>(size);
            });
        },
        false);
    const Progress writing = progressPart(progress, 600, 1000);
    std::size_t next = 0;
    try {
        writeCollectionFile(collectionPath, backup.headerRecord(), [&]() -> const TFigureRecord* {
            goOn(writing, static_cast<std::int64_t>(next), static_cast<std::int64_t>(live.size()));
            return next == live.size() ? nullptr : live[next++];
        });
    } catch (const ECancelled&) {
        ::unlink(result.kept.c_str());
        ::unlink(generationPhotoIndex(result.kept).c_str());
        throw;
    }
    pruneGenerations(generationsFolder(collectionPath, false), result.kept);
    result.items = static_cast<std::int32_t>(live.size());
    return result;
}

} // namespace vitrinex
