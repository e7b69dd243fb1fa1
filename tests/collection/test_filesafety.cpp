// A collection file keeps its content, owner, group and links whatever else touches it: other
// programs' saves, shared folders, hard links, a file-size limit, killed saves; odd names get clear
// messages.
#include "CollectionFixtures.h"
#include "collection/CollectionFile.h"
#include "collection/CollectionLock.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"

#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vitrinex;
using namespace fixtures;

namespace {

struct ChildResult {
    bool exited = false;
    QString message; // what the child's work threw, empty when it went through
};

// Runs `work` in a child process (as another user, with a data folder of his own, when uid is
// given) and reports how it ended.
ChildResult inChild(const std::function<void()>& work, uid_t uid = 0, gid_t gid = 0, gid_t group = 0) {
    const QString cache = QDir::current().absoluteFilePath(QString("cache-%1").arg(uid));
    if (uid && (!QDir().mkpath(cache) || ::chown(cache.toLocal8Bit(), uid, gid) != 0)) qFatal("cache");
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) qFatal("pipe");
    const pid_t child = fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (uid && (::setgroups(1, &group) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) _exit(3);
        if (uid) ::setenv("XDG_DATA_HOME", cache.toLocal8Bit(), 1);
        std::string message;
        try {
            work();
        } catch (const std::exception& e) {
            message = e.what();
        }
        if (::write(pipeFds[1], message.data(), message.size()) < 0) _exit(4);
        _exit(0);
    }
    ::close(pipeFds[1]);
    QByteArray message;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, QString::fromUtf8(message)};
}

QString errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

} // namespace

class FileSafetyTest : public QObject {
    Q_OBJECT

    std::string path(const QString& name) { return QDir::current().absoluteFilePath(name).toStdString(); }

    // A saved collection of three items, changed in memory so that its next save differs.
    void prepare(OpenCollection& c, const std::string& file) {
        c.CreateCollection(file, "Heroes", "Kenner", "1985-1990");
        for (const char* name : {"Batman", "Robin", "Joker"})
            c.InsertNewItem(item(name));
        c.SaveCollection();
        c.InsertNewItem(item("Penguin"));
    }

private slots:
    void lockWaitsForTheHolderAndFollowsItsSave() {
        const std::string file = path("locked.fcd");
        OpenCollection c;
        prepare(c, file);
        int toParent[2], toChild[2];
        QVERIFY(::pipe(toParent) == 0 && ::pipe(toChild) == 0);
        const pid_t child = fork();
        if (child == 0) {
            CollectionLock lock(file);
            c.SaveCollection(); // replaces the file while the lock is held
            char go = 0;
            if (::write(toParent[1], "s", 1) != 1 || ::read(toChild[0], &go, 1) != 1) _exit(1);
            _exit(0);
        }
        char ready = 0;
        QCOMPARE(::read(toParent[0], &ready, 1), ssize_t(1));
        QCOMPARE(errorOf([&] { CollectionLock(file, std::chrono::milliseconds(100)); }),
                 QString("File is in use by another program"));
        QVERIFY(::write(toChild[1], "g", 1) == 1);
        CollectionLock lock(file, std::chrono::milliseconds(5000));
        QCOMPARE(lock.identity(), *currentIdentity(file));
        ::waitpid(child, nullptr, 0);
        OpenCollection reader;
        reader.LoadCollection(file); // a reader in the lock holder's program does not wait for itself
        QCOMPARE(reader.totals().ItemCount, 4);
        QCOMPARE(reader.diskIdentity(), currentIdentity(file));
    }

    void identityTellsAnotherProgramsSave() {
        const std::string file = path("identity.fcd");
        OpenCollection mine, other;
        prepare(mine, file);
        QCOMPARE(mine.diskIdentity(), currentIdentity(file));
        other.LoadCollection(file);
        other.InsertNewItem(item("Alfred"));
        other.SaveCollection();
        QVERIFY(mine.diskIdentity() != currentIdentity(file));
    }

    void hardLinkStaysOneFile() {
        const std::string file = path("linked.fcd"), second = path("second.fcd");
        OpenCollection c;
        prepare(c, file);
        QVERIFY(::link(file.c_str(), second.c_str()) == 0);
        const ino_t inode = statOf(file).st_ino;
        c.SaveCollection();
        QCOMPARE(statOf(second).st_ino, inode);
        QCOMPARE(statOf(file).st_nlink, nlink_t(2));
        QCOMPARE(readBytes(second).size(), 5 * 1324);
        QVERIFY(!QFile::exists(QString::fromStdString(path(".linked.fcd.vitrinex-journal"))));
    }

    void otherUsersKeepTheirRights() {
        if (geteuid() != 0) QSKIP("needs root to act as two other users");
        QVERIFY(::chmod(".", 0755) == 0);
        // A shared folder of group 4300: owner 4201, a second member 4202 saves.
        QDir().mkdir("shared");
        const std::string file = path("shared/group.fcd");
        OpenCollection c;
        prepare(c, file);
        QVERIFY(::chown("shared", 4201, 4300) == 0 && ::chmod("shared", 02775) == 0);
        QVERIFY(::chown(file.c_str(), 4201, 4300) == 0 && ::chmod(file.c_str(), 0664) == 0);
        QCOMPARE(inChild([&] { c.SaveCollection(); }, 4202, 4202, 4300).message, QString());
        QCOMPARE(statOf(file).st_uid, uid_t(4201));
        QCOMPARE(statOf(file).st_gid, gid_t(4300));
        QCOMPARE(readBytes(file).size(), 5 * 1324);

        // A folder its owner keeps read-only, with a file he may write.
        QDir().mkdir("readonly");
        const std::string kept = path("readonly/kept.fcd");
        OpenCollection r;
        prepare(r, kept);
        QVERIFY(::chown("readonly", 4201, 4201) == 0 && ::chown(kept.c_str(), 4201, 4201) == 0);
        QVERIFY(::chmod("readonly", 0555) == 0);
        QCOMPARE(inChild([&] { r.SaveCollection(); }, 4201, 4201, 4201).message, QString());
        QCOMPARE(readBytes(kept).size(), 5 * 1324);
    }

    void failedRewriteInPlaceLosesNothing() {
        const std::string file = path("inplace.fcd"), second = path("inplace-link.fcd");
        OpenCollection c;
        prepare(c, file);
        for (int i = 0; i < 40; ++i)
            c.InsertNewItem(item("extra " + std::to_string(i)));
        QVERIFY(::link(file.c_str(), second.c_str()) == 0);
        const QByteArray before = readBytes(file);
        const QString journal = QString::fromStdString(path(".inplace.fcd.vitrinex-journal"));
        // Failing writes: during the journal the file is untouched; later the message names the
        // journal, which the next open puts back.
        for (std::size_t limit :
             {std::size_t(0), std::size_t(1324), std::size_t(6000), std::size_t(9000), std::size_t(30000)}) {
            std::size_t written = 0;
            FileSystemCalls calls;
            calls.write = [&](int fd, const void* data, std::size_t size) -> ssize_t {
                if (written >= limit) return errno = ENOSPC, -1;
                const ssize_t n = ::write(fd, data, std::min(size, limit - written));
                written += std::size_t(std::max<ssize_t>(n, 0));
                return n;
            };
            setFileSystemCallsForTesting(&calls);
            const QString message = errorOf([&] { c.SaveCollection(); });
            setFileSystemCallsForTesting(nullptr);
            QVERIFY2(message.startsWith("Disk full"), qPrintable(message));
            const QString copy =
                message.section("; the previous content is kept in ", 1).section(" and is put", 0, 0);
            QCOMPARE(QFile::exists(journal), !copy.isEmpty());
            if (!copy.isEmpty()) QCOMPARE(copy, journal);
            QCOMPARE(recoverInterruptedSave(file), !copy.isEmpty());
            QCOMPARE(readBytes(file), before);
            QVERIFY(!QFile::exists(journal));
            c.adoptFileOnDisk(); // the put-back is the test's doing
        }
        // A real size limit between the old and the new size: the old content is put back.
        const ChildResult limited = inChild([&] {
            rlimit rl{rlim_t(before.size() + 2000), rlim_t(before.size() + 2000)};
            ::setrlimit(RLIMIT_FSIZE, &rl);
            c.SaveCollection();
        });
        QVERIFY(limited.exited);
        QCOMPARE(limited.message, QString("Disk full"));
        QCOMPARE(readBytes(second), before);
        QVERIFY(!QFile::exists(journal));
    }

    void longNamesAndLeftoversOfKilledSaves() {
        // Leftovers of a killed save: a dead process's goes at the next save, a living one's stays.
        const pid_t dead = fork();
        if (dead == 0) _exit(0);
        ::waitpid(dead, nullptr, 0);
        const QString deadOne = QString(".vitrinex-%1-0000abcd.tmp").arg(dead);
        const QString livingOne = QString(".vitrinex-%1-0000abcd.tmp").arg(getppid());
        for (const QString& name : {deadOne, livingOne}) {
            writeBytes(name.toStdString(), QByteArray(1324, 'x'));
            const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
            QVERIFY(::utimensat(AT_FDCWD, name.toLocal8Bit(), hourAgo, 0) == 0);
        }
        OpenCollection longName;
        longName.CreateCollection(path(QString(244, 'n') + ".fcd"), "Long", "Kenner", "1985-1990");
        longName.InsertNewItem(item("Batman"));
        longName.SaveCollection();
        QVERIFY(!QFile::exists(deadOne));
        QVERIFY(QFile::exists(livingOne));
    }

    void messagesNameWhatWentWrong() {
        OpenCollection c;
        const auto loadError = [&](const std::string& name) {
            return errorOf([&] { c.LoadCollection(name); });
        };
        QCOMPARE(loadError(path("missing.fcd")), QString("File not found"));
        QCOMPARE(loadError(path("no-folder/missing.fcd")), QString("Path not found"));
        QVERIFY(QFile::link("loop-b.fcd", "loop-a.fcd") && QFile::link("loop-a.fcd", "loop-b.fcd"));
        QCOMPARE(loadError(path("loop-a.fcd")), QString("Too many levels of symbolic links"));
        QCOMPARE(loadError(path(QString(300, 'x'))), QString("File name too long"));
        QVERIFY(::mkfifo("pipe.fcd", 0600) == 0);
        QCOMPARE(loadError(path("pipe.fcd")), QString("File access denied"));
        QCOMPARE(loadError("/dev/zero"), QString("File access denied"));
    }

    // A reader that offers a few places at a time gets every record in file order; a torn last
    // record fails after the whole ones.
    void recordsReachAReceiverInFileOrder() {
        struct FewAtATime : RecordReceiver {
            std::size_t expected = 0, turn = 0;
            std::vector<TFigureRecord> places{3}, got;
            void expect(std::size_t records) override { expected = records; }
            std::size_t room(TFigureRecord** out, std::size_t wanted) override {
                const std::size_t n = std::min(wanted, 1 + turn++ % 3);
                for (std::size_t i = 0; i < n; ++i)
                    out[i] = &places[i];
                return n;
            }
            void received(std::size_t count) override {
                got.insert(got.end(), places.begin(), places.begin() + count);
            }
        };
        std::vector<TFigureRecord> records;
        records.reserve(20);
        for (int i = 0; i < 20; ++i)
            records.push_back(record("figure " + std::to_string(i)));
        const std::string file = QDir::current().absoluteFilePath("few.fcd").toStdString();
        const QByteArray image = fileImage(header(), records);
        writeBytes(file, image);
        TCollectionHeader h;
        FewAtATime receiver;
        readCollectionFile(file, h, receiver);
        QCOMPARE(receiver.expected, std::size_t(20));
        QCOMPARE(fileImage(h, receiver.got), image);

        writeBytes(file, image.left(image.size() - 1));
        FewAtATime torn;
        QVERIFY_THROWS_EXCEPTION(EInOutError, readCollectionFile(file, h, torn));
        QCOMPARE(torn.expected, std::size_t(19));
        QCOMPARE(torn.got.size(), std::size_t(19));
    }

    void amountsOutsideTheRealsRange() {
        const auto load = [](const std::vector<TFigureRecord>& records, OpenCollection& c) {
            writeBytes("range.fcd", fileImage(header(), records));
            return errorOf([&] { c.LoadCollection("range.fcd"); });
        };
        OpenCollection c;
        QCOMPARE(load({record("largest", "$1.7e38", "$-1"), record("tiny", "$1e-39", "$0", 5)}, c),
                 QString());
        QCOMPARE(c.extremes().LowList.texts(), std::vector<std::string>{"tiny  $1e-39"});
        QCOMPARE(c.extremes().LowPrice.value(), 0.0L);
        QVERIFY(c.totals().TotalValue.value() > 1.69e38L && c.totals().TotalValue.value() < 1.71e38L);
        for (const char* beyond : {"$1.8e38", "$-2e38", "$1e4932"}) {
            QCOMPARE(load({record(std::string("big\n\r\0name", 10), beyond), record("small")}, c), QString());
            QCOMPARE(c.damaged().size(), std::size_t(1)); // set aside, on one line
            const QString reason = QString::fromStdString(c.damaged()[0].reason);
            QVERIFY2(reason.contains("is not an amount") && !reason.contains('\n') &&
                         !reason.contains('\r') && reason.contains("big\\n\\r"),
                     qPrintable(reason));
        }
    }

    void fileLargerThanMemoryIsRefused() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer's allocator ends the program instead of failing the allocation");
#endif
        // A sparse file of 4 TiB claims some 3 billion records: more than any memory can hold.
        OpenCollection c;
        prepare(c, path("small.fcd"));
        const std::string big = path("huge.fcd");
        c.CreateCollection(big, "Huge", "Kenner", "1985");
        if (::truncate(big.c_str(), (off_t{4} << 40) + off_t(kRecordSize)) != 0)
            QSKIP("this file system holds no sparse file of 4 TiB");
        c.LoadCollection(path("small.fcd"));
        QCOMPARE(errorOf([&] { c.LoadCollection(big); }), QString("Not enough memory"));
        QCOMPARE(c.totals().ItemCount, 3); // the collection open until now stays
        ::unlink(big.c_str());
    }
};

QTEST_GUILESS_MAIN(FileSafetyTest)
#include "test_filesafety.moc"
