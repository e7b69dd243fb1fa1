// The recent collections: the program's list (order, limit, files gone) and the desktop's
// recently-used bookmark file (other bookmarks kept, ours refreshed, unsafe files left alone).
#include "collection/RecentCollections.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <sys/stat.h>

using namespace vitrinex;

namespace {

const QDateTime kFirst = QDateTime::fromString("2026-12-01T10:00:00Z", Qt::ISODate);
const QDateTime kLater = QDateTime::fromString("2026-12-02T11:30:00Z", Qt::ISODate);

// Each bookmark's href with its application entries as "name:count".
QMap<QString, QStringList> bookmarks(const QByteArray& xbel) {
    QMap<QString, QStringList> found;
    QXmlStreamReader in(xbel);
    QString href;
    while (!in.atEnd()) {
        if (in.readNext() != QXmlStreamReader::StartElement) continue;
        const QXmlStreamAttributes a = in.attributes();
        if (in.name() == QLatin1String("bookmark")) {
            href = a.value("href").toString();
            found[href];
        } else if (in.name() == QLatin1String("application")) {
            found[href] << a.value("name").toString() + ':' + a.value("count").toString();
        }
    }
    return in.hasError() ? QMap<QString, QStringList>{{"error", {in.errorString()}}} : found;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRecentCollections : public QObject {
    Q_OBJECT

private slots:
    void listKeepsTheLastOpenedFirst() {
        QStringList recent;
        for (int i = 1; i <= 10; ++i)
            recent = withOpened(recent, QString("/c/%1.fcd").arg(i));
        QCOMPARE(recent.size(), kRecentCollectionsKept);
        QCOMPARE(recent.first(), QString("/c/10.fcd"));
        QCOMPARE(recent.last(), QString("/c/3.fcd"));
        // Opened again: moved to the head, not listed twice.
        recent = withOpened(recent, "/c/5.fcd");
        QCOMPARE(recent.mid(0, 3), (QStringList{"/c/5.fcd", "/c/10.fcd", "/c/9.fcd"}));
        QCOMPARE(recent.count("/c/5.fcd"), 1);
        QCOMPARE(recent.size(), kRecentCollectionsKept);
    }

    void listFileKeepsWhatIsThereAndDropsTheMissing() {
        QTemporaryDir dir;
        const QString list = dir.filePath("config/vitrinex/recent-collections");
        const QStringList written{dir.filePath("a.fcd"), dir.filePath("b.fcd"), dir.filePath("c.fcd")};
        for (const QString& p : {written[0], written[2]})
            QVERIFY(QFile(p).open(QIODevice::WriteOnly));
        writeRecentCollections(list, written);
        QCOMPARE(readRecentCollections(list), written);
        QCOMPARE(modeOf(list), mode_t(0600));
        QCOMPARE(
            withoutMissing(readRecentCollections(list), [](const QString& p) { return QFile::exists(p); }),
            (QStringList{written[0], written[2]}));
        // A link in its place is no list of the user's.
        QFile::remove(list);
        QFile::link(dir.filePath("a.fcd"), list);
        QVERIFY(readRecentCollections(list).isEmpty());
    }

    void bookmarkFileKeepsOtherBookmarksAndRefreshesOurs() {
        const QByteArray others =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
            " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <bookmark href=\"file:///home/u/notes.txt\" added=\"2026-01-01T00:00:00Z\""
            " modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\">\n"
            "    <info><metadata owner=\"http://freedesktop.org\"><mime:mime-type type=\"text/plain\"/>"
            "<bookmark:applications><bookmark:application name=\"gedit\" exec=\"'gedit %u'\""
            " modified=\"2026-01-01T00:00:00Z\" count=\"4\"/></bookmark:applications></metadata></info>\n"
            "  </bookmark>\n</xbel>\n";
        const QString ours = "file:///home/u/My%20Heroes.fcd";
        const auto first = withRecentlyUsed(others, ours, kFirst);
        QVERIFY(first);
        QCOMPARE(bookmarks(*first), (QMap<QString, QStringList>{{"file:///home/u/notes.txt", {"gedit:4"}},
                                                                {ours, {"Vitrinex:1"}}}));
        const auto again = withRecentlyUsed(*first, ours, kLater);
        QVERIFY(again);
        QCOMPARE(bookmarks(*again), (QMap<QString, QStringList>{{"file:///home/u/notes.txt", {"gedit:4"}},
                                                                {ours, {"Vitrinex:2"}}}));
        QVERIFY(again->contains("2026-12-02T11:30:00"));
        QVERIFY(again->contains("added=\"2026-12-01T10:00:00"));
        // A new file, and bytes that are no bookmark file.
        QCOMPARE(bookmarks(*withRecentlyUsed({}, ours, kFirst)),
                 (QMap<QString, QStringList>{{ours, {"Vitrinex:1"}}}));
        for (const QByteArray& bad : {QByteArray("<xbel><bookmark href='x'>"), QByteArray("<html></html>"),
                                      QByteArray("not xml at all")})
            QVERIFY2(!withRecentlyUsed(bad, ours, kFirst), bad.constData());
    }

    void bookmarkFileIsWrittenSafelyOrLeftAlone() {
        QTemporaryDir dir;
        const QString xbel = dir.filePath("recently-used.xbel");
        QVERIFY(addToRecentlyUsed(xbel, dir.filePath("a.fcd"), kFirst));
        QCOMPARE(modeOf(xbel), mode_t(0600));
        QVERIFY(readAll(xbel).contains(QUrl::fromLocalFile(dir.filePath("a.fcd")).toEncoded()));

        // A link, a file that is no bookmark file, and one too large stay as they are.
        const QString target = dir.filePath("elsewhere.xbel");
        QFile::rename(xbel, target);
        QVERIFY(QFile::link(target, xbel));
        QVERIFY(!addToRecentlyUsed(xbel, dir.filePath("b.fcd"), kLater));
        QVERIFY(!readAll(target).contains("b.fcd"));
        QFile::remove(xbel);
        for (const QByteArray& kept : {QByteArray("<html/>"), QByteArray(kRecentlyUsedMaxBytes + 1, ' ')}) {
            QFile f(xbel);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(kept);
            f.close();
            QVERIFY(!addToRecentlyUsed(xbel, dir.filePath("b.fcd"), kLater));
            QCOMPARE(readAll(xbel), kept);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecentCollections)
#include "test_recentcollections.moc"
