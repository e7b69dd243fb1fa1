#include "collection/RecentCollections.h"

#include "collection/CollectionData.h"
#include "collection/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

constexpr qint64 kRecentListMaxBytes = 64 * 1024;
const QString kBookmarkNs = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString kMimeNs = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
const QString kApplicationName = QStringLiteral("Vitrinex");
const QString kCollectionMimeType = QStringLiteral("application/x-vitrinex-collection");

QString homeBased(const char* variable, const char* belowHome) {
    const QByteArray set = qgetenv(variable);
    if (set.startsWith('/')) return QFile::decodeName(set);
    return QFile::decodeName(qgetenv("HOME")) + QLatin1String(belowHome);
}

// What a file of the user's own holds; `usable` is false for a link, another user's file, anything
// but a regular file, or one beyond `maxBytes`. A missing file is usable and empty.
struct OwnFile {
    bool usable = false;
    QByteArray bytes;
};

OwnFile readOwnFile(const QString& path, qint64 maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {errno == ENOENT, {}};
    OwnFile file;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_size <= maxBytes) {
        // Read to the end, one byte beyond the bound: a file that grew meanwhile is refused too.
        char buffer[65536];
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0 && file.bytes.size() <= maxBytes)
            file.bytes.append(buffer, static_cast<qsizetype>(got));
        file.usable = got == 0 && file.bytes.size() <= maxBytes;
    }
    ::close(fd);
    if (!file.usable) file.bytes.clear();
    return file;
}

void replaceFile(const QString& path, const QByteArray& bytes) {
    FileReplacement file(QFile::encodeName(path).toStdString(), 0600);
    file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    file.commit();
}

QString timeText(const QDateTime& now) {
    return now.toUTC().toString(Qt::ISODateWithMs);
}

void writeApplication(QXmlStreamWriter& out, const QDateTime& now, int count) {
    out.writeEmptyElement(kBookmarkNs, QStringLiteral("application"));
    out.writeAttribute(QStringLiteral("name"), kApplicationName);
    out.writeAttribute(QStringLiteral("exec"), QStringLiteral("'vitrinex %u'"));
    out.writeAttribute(QStringLiteral("modified"), timeText(now));
    out.writeAttribute(QStringLiteral("count"), QString::number(count));
}

void writeNewBookmark(QXmlStreamWriter& out, const QString& fileUrl, const QDateTime& now) {
    out.writeStartElement(QStringLiteral("bookmark"));
    for (const char* stamp : {"added", "modified", "visited"})
        out.writeAttribute(QString::fromLatin1(stamp), timeText(now));
    out.writeAttribute(QStringLiteral("href"), fileUrl);
    out.writeStartElement(QStringLiteral("info"));
    out.writeStartElement(QStringLiteral("metadata"));
    out.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    out.writeEmptyElement(kMimeNs, QStringLiteral("mime-type"));
    out.writeAttribute(QStringLiteral("type"), kCollectionMimeType);
    out.writeStartElement(kBookmarkNs, QStringLiteral("applications"));
    writeApplication(out, now, 1);
    out.writeEndElement();
    out.writeEndElement();
    out.writeEndElement();
    out.writeEndElement();
}

void startRoot(QXmlStreamWriter& out, const QXmlStreamAttributes& attributes) {
    out.writeStartElement(QStringLiteral("xbel"));
    out.writeNamespace(kBookmarkNs, QStringLiteral("bookmark"));
    out.writeNamespace(kMimeNs, QStringLiteral("mime"));
    if (attributes.isEmpty())
        out.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    else
        out.writeAttributes(attributes);
}

} // namespace

QStringList withOpened(QStringList recent, const QString& path, qsizetype limit) {
    recent.removeAll(path);
    recent.prepend(path);
    return recent.mid(0, limit);
}

QStringList withoutMissing(const QStringList& recent, const std::function<bool(const QString&)>& exists) {
    QStringList kept;
    for (const QString& path : recent)
        if (exists(path)) kept << path;
    return kept;
}

QString recentCollectionsPath() {
    return homeBased("XDG_CONFIG_HOME", "/.config") + QStringLiteral("/vitrinex/recent-collections");
}

QStringList readRecentCollections(const QString& path) {
    QStringList recent;
    for (const QByteArray& line : readOwnFile(path, kRecentListMaxBytes).bytes.split('\n')) {
        const QString entry = QFile::decodeName(line);
        if (entry.startsWith(QLatin1Char('/')) && !recent.contains(entry)) recent << entry;
        if (recent.size() == kRecentCollectionsKept) break;
    }
    return recent;
}

void writeRecentCollections(const QString& path, const QStringList& recent) {
    QByteArray bytes;
    for (const QString& entry : recent) {
        const QByteArray name = QFile::encodeName(entry);
        if (!name.contains('\n')) bytes += name + '\n'; // a name holding a line end cannot be a line
    }
    const std::string folder = QFile::encodeName(QFileInfo(path).path()).toStdString();
    ::mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700); // ~/.config on a fresh account
    makePrivateFolder(folder);
    replaceFile(path, bytes);
}

QString recentlyUsedBookmarksPath() {
    return homeBased("XDG_DATA_HOME", "/.local/share") + QStringLiteral("/recently-used.xbel");
}

std::optional<QByteArray> withRecentlyUsed(const QByteArray& xbel, const QString& fileUrl,
                                           const QDateTime& now) {
    QByteArray result;
    QXmlStreamWriter out(&result);
    out.setAutoFormatting(true);
    out.setAutoFormattingIndent(2);
    if (xbel.trimmed().isEmpty()) {
        out.writeStartDocument();
        startRoot(out, {});
        writeNewBookmark(out, fileUrl, now);
        out.writeEndDocument();
        return result;
    }
    // Every token is copied as it comes, but in the bookmark of `fileUrl` the times and this program's
    // use are brought up to date; without that bookmark a new one ends the list.
    QXmlStreamReader in(xbel);
    int depth = 0;
    bool inOurs = false, ourBookmarkSeen = false, ourApplicationSeen = false, applicationsSeen = false;
    while (!in.atEnd()) {
        switch (in.readNext()) {
        case QXmlStreamReader::StartDocument:
            out.writeStartDocument();
            break;
        case QXmlStreamReader::StartElement: {
            ++depth;
            const QXmlStreamAttributes attributes = in.attributes();
            if (depth == 1) {
                if (in.name() != QLatin1String("xbel") || !in.namespaceUri().isEmpty()) return std::nullopt;
                startRoot(out, attributes);
            } else if (depth == 2 && in.name() == QLatin1String("bookmark") &&
                       attributes.value(QLatin1String("href")) == fileUrl && !ourBookmarkSeen) {
                inOurs = ourBookmarkSeen = true;
                out.writeStartElement(QStringLiteral("bookmark"));
                for (const QXmlStreamAttribute& a : attributes)
                    if (a.name() != QLatin1String("modified") && a.name() != QLatin1String("visited"))
                        out.writeAttribute(a);
                if (!attributes.hasAttribute(QLatin1String("added")))
                    out.writeAttribute(QStringLiteral("added"), timeText(now));
                out.writeAttribute(QStringLiteral("modified"), timeText(now));
                out.writeAttribute(QStringLiteral("visited"), timeText(now));
            } else if (inOurs && in.namespaceUri() == kBookmarkNs &&
                       in.name() == QLatin1String("application") &&
                       attributes.value(QLatin1String("name")) == kApplicationName) {
                ourApplicationSeen = true;
                writeApplication(out, now, attributes.value(QLatin1String("count")).toInt() + 1);
                in.skipCurrentElement();
                --depth;
            } else {
                if (inOurs && in.namespaceUri() == kBookmarkNs && in.name() == QLatin1String("applications"))
                    applicationsSeen = true;
                out.writeCurrentToken(in);
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (inOurs && in.namespaceUri() == kBookmarkNs && in.name() == QLatin1String("applications") &&
                !ourApplicationSeen) {
                writeApplication(out, now, 1);
                ourApplicationSeen = true;
            }
            if (inOurs && depth == 2) {
                inOurs = false;
                // A bookmark without the list of its programs is given the metadata of ours.
                if (!applicationsSeen) {
                    out.writeStartElement(QStringLiteral("info"));
                    out.writeStartElement(QStringLiteral("metadata"));
                    out.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
                    out.writeStartElement(kBookmarkNs, QStringLiteral("applications"));
                    writeApplication(out, now, 1);
                    out.writeEndElement();
                    out.writeEndElement();
                    out.writeEndElement();
                }
            }
            if (depth == 1 && !ourBookmarkSeen) {
                writeNewBookmark(out, fileUrl, now);
                ourBookmarkSeen = true;
            }
            out.writeEndElement();
            --depth;
            break;
        case QXmlStreamReader::Characters:
            // The layout's blanks are the writer's to make again.
            if (!in.isWhitespace()) out.writeCurrentToken(in);
            break;
        case QXmlStreamReader::EndDocument:
            out.writeEndDocument();
            break;
        case QXmlStreamReader::Invalid:
            return std::nullopt;
        default: // comments, processing instructions, the document type
            out.writeCurrentToken(in);
        }
    }
    if (in.hasError() || depth != 0 || !ourBookmarkSeen) return std::nullopt;
    return result;
}

bool addToRecentlyUsed(const QString& xbelPath, const QString& collectionPath, const QDateTime& now) {
    // The folder must be the user's own: a file in another user's folder could be swapped under us.
    requireOwnFolder(QFile::encodeName(QFileInfo(xbelPath).path()).toStdString());
    const OwnFile file = readOwnFile(xbelPath, kRecentlyUsedMaxBytes);
    if (!file.usable) return false;
    const QString url =
        QUrl::fromLocalFile(QFileInfo(collectionPath).absoluteFilePath()).toString(QUrl::FullyEncoded);
    const std::optional<QByteArray> updated = withRecentlyUsed(file.bytes, url, now);
    if (!updated) return false;
    replaceFile(xbelPath, *updated);
    return true;
}

} // namespace vitrinex
