#pragma once
// The collections opened lately: the program's own list (the collection menu's recent entries, most
// recent first) and the desktop's recently-used bookmark file, through which the file manager and the
// desktop's search find them.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vitrinex {

inline constexpr qsizetype kRecentCollectionsKept = 8;
// A bookmark file beyond this is left alone rather than read into memory.
inline constexpr qint64 kRecentlyUsedMaxBytes = 16 * 1024 * 1024;

// `recent` with `path` at its head: an earlier place of the same path is taken out, and no more than
// `limit` entries stay.
QStringList withOpened(QStringList recent, const QString& path, qsizetype limit = kRecentCollectionsKept);

// `recent` without the entries `exists` says are gone, in the same order.
QStringList withoutMissing(const QStringList& recent, const std::function<bool(const QString&)>& exists);

// The program's list: $XDG_CONFIG_HOME/vitrinex/recent-collections (~/.config/vitrinex/...), one full
// path a line.
QString recentCollectionsPath();

// The list at `path`. A missing file, a link, a file of another user's, one too long or anything but
// full paths reads as what is usable of it (at most the kept number), or as empty.
QStringList readRecentCollections(const QString& path);

// Replaces the list at `path` (0600, in a private folder, never through a link). Throws EInOutError.
void writeRecentCollections(const QString& path, const QStringList& recent);

// The desktop's bookmark file: $XDG_DATA_HOME/recently-used.xbel (~/.local/share/...).
QString recentlyUsedBookmarksPath();

// The bookmark file `xbel` (empty: none yet) with the bookmark of `fileUrl` added, or refreshed when it
// is there, as used by this program at `now`; every other bookmark and what it holds stays.
// nullopt when the bytes are no bookmark file that can be extended safely.
std::optional<QByteArray> withRecentlyUsed(const QByteArray& xbel, const QString& fileUrl,
                                           const QDateTime& now);

// Adds the collection at `collectionPath` to the bookmark file at `xbelPath`, replaced as a name in
// its folder with mode 0600. A file that is a link, not this user's own, larger than
// kRecentlyUsedMaxBytes or no bookmark file is left as it is: false. Throws EInOutError when the
// write fails.
bool addToRecentlyUsed(const QString& xbelPath, const QString& collectionPath, const QDateTime& now);

} // namespace vitrinex
