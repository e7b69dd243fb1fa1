// Saving never loses the previous file: a failure at any point of a save leaves it byte for byte,
// removes the temporary file and reports the failure.
#include "CollectionFixtures.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/SafeFile.h"

#include <QtTest>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vitrinex;
using namespace fixtures;

namespace {

// Lets `limit` bytes through in total, then fails every write with "no space left".
struct FailingWriter {
    std::size_t limit = 0;
    std::size_t written = 0;
    FileSystemCalls calls;
    explicit FailingWriter(std::size_t n) : limit(n) {
        calls.write = [this](int fd, const void* data, std::size_t size) -> ssize_t {
            if (written >= limit) {
                errno = ENOSPC;
                return -1;
            }
            const std::size_t room = std::min(size, limit - written);
            const ssize_t done = ::write(fd, data, room);
            if (done > 0) written += static_cast<std::size_t>(done);
            return done;
        };
    }
};

struct CallsGuard {
    explicit CallsGuard(const FileSystemCalls* c) { setFileSystemCallsForTesting(c); }
    ~CallsGuard() { setFileSystemCallsForTesting(nullptr); }
};

} // namespace

class AtomicSaveTest : public QObject {
    Q_OBJECT

    // A saved collection of `count` items, then changed in memory so the next save differs.
    void prepare(OpenCollection& c, const std::string& file, int count) {
        c.CreateCollection(file, "Before", "Kenner", "1985-1990");
        for (int i = 0; i < count; ++i)
            c.InsertNewItem(item("item " + std::to_string(i)));
        c.SaveCollection();
        c.confirmUpdate("After", "");
        c.InsertNewItem(item("one more"));
    }

    void expectFailureKeepsFile(OpenCollection& c, const std::string& file, const QByteArray& before,
                                const char* message) {
        try {
            c.SaveCollection();
            QFAIL("the save reported success");
        } catch (const EInOutError& e) {
            QCOMPARE(QString(e.what()), QString(message));
        }
        QCOMPARE(readBytes(file), before);
        const QString name = QString::fromStdString(file).section('/', -1);
        QCOMPARE(strayFiles(QDir::currentPath(), {name}), QStringList());
    }

    std::unique_ptr<QTemporaryDir> folder_;

private slots:
    // Each case works in a folder of its own, so stray files are its own.
    void init() {
        folder_ = std::make_unique<QTemporaryDir>(QDir::current().absoluteFilePath("case-XXXXXX"));
        QVERIFY(QDir::setCurrent(folder_->path()));
    }
    void cleanup() {
        QDir::setCurrent(QDir(folder_->path()).absoluteFilePath(".."));
        folder_.reset();
    }

    void writeFailsAtEveryPoint_data() {
        QTest::addColumn<int>("items");
        QTest::newRow("empty") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("twelve") << 12;
        QTest::newRow("thousand") << 1000;
    }
    void writeFailsAtEveryPoint() {
        QFETCH(int, items);
        const std::string file = QDir::current().absoluteFilePath("c.fcd").toStdString();
        OpenCollection c;
        prepare(c, file, items);
        const QByteArray before = readBytes(file);
        const std::size_t total = static_cast<std::size_t>(items + 2) * kRecordSize;

        // Every byte for the small files; record edges and a prime stride through the large one.
        std::vector<std::size_t> points;
        if (total <= 20 * kRecordSize) {
            for (std::size_t n = 0; n < total; ++n)
                points.push_back(n);
        } else {
            for (std::size_t r = 0; r * kRecordSize < total; ++r)
                for (std::size_t d : {kRecordSize * r - (r ? 1 : 0), kRecordSize * r, kRecordSize * r + 1})
                    if (d < total && (r < 40 || r % 97 == 0)) points.push_back(d);
            for (std::size_t n = 0; n < total; n += 7919)
                points.push_back(n);
            points.push_back(total - 1);
        }
        for (std::size_t n : points) {
            FailingWriter writer(n);
            CallsGuard guard(&writer.calls);
            expectFailureKeepsFile(c, file, before, "Disk full");
        }
        // With room for every byte the save goes through.
        FailingWriter roomy(total);
        {
            CallsGuard guard(&roomy.calls);
            c.SaveCollection();
        }
        QCOMPARE(readBytes(file).size(), qsizetype(total));
    }

    void flushAndRenameFailuresKeepTheFile() {
        const std::string file = QDir::current().absoluteFilePath("f.fcd").toStdString();
        OpenCollection c;
        prepare(c, file, 3);
        const QByteArray before = readBytes(file);
        FileSystemCalls failingFsync;
        failingFsync.fsync = [](int) { return errno = EIO, -1; };
        {
            CallsGuard guard(&failingFsync);
            expectFailureKeepsFile(c, file, before, "I/O error 1117");
        }
        FileSystemCalls failingRename;
        failingRename.rename = [](const char*, const char*) { return errno = EACCES, -1; };
        {
            CallsGuard guard(&failingRename);
            expectFailureKeepsFile(c, file, before, "File access denied");
        }
    }

    // A real limit on file size, as a full disk would impose, in a child process.
    void realFileSizeLimit() {
        const std::string file = QDir::current().absoluteFilePath("r.fcd").toStdString();
        OpenCollection c;
        prepare(c, file, 12);
        const QByteArray before = readBytes(file);
        for (rlim_t limit : {rlim_t(0), rlim_t(1), rlim_t(1323), rlim_t(1324), rlim_t(5000), rlim_t(17000)}) {
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit rl{limit, limit};
                setrlimit(RLIMIT_FSIZE, &rl);
                try {
                    c.SaveCollection();
                    _exit(1);
                } catch (const EInOutError& e) {
                    _exit(std::string(e.what()) == "Disk full" ? 0 : 2);
                }
            }
            int status = 0;
            waitpid(child, &status, 0);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
            QCOMPARE(readBytes(file), before);
            QCOMPARE(strayFiles(QDir::currentPath(), {"r.fcd"}), QStringList());
        }
    }

    void savingThroughALinkReplacesTheLinkedFile() {
        QDir().mkdir("real");
        const std::string target = QDir::current().absoluteFilePath("real/t.fcd").toStdString();
        const std::string link = QDir::current().absoluteFilePath("link.fcd").toStdString();
        OpenCollection c;
        c.CreateCollection(target, "Linked", "Kenner", "1985-1990");
        QVERIFY(QFile::link(QString::fromStdString(target), QString::fromStdString(link)));
        OpenCollection viaLink;
        viaLink.LoadCollection(link);
        viaLink.InsertNewItem(item("Batman"));
        viaLink.SaveCollection();
        QVERIFY(QFileInfo(QString::fromStdString(link)).isSymLink());
        QCOMPARE(readBytes(target).size(), 2 * 1324);
    }

    // The new file takes the old one's permissions, whatever the temporary file was made with.
    void savingKeepsTheFilePermissions() {
        const QString file = QDir::current().absoluteFilePath("perm.fcd");
        OpenCollection c;
        prepare(c, file.toStdString(), 2);
        for (QFile::Permissions p :
             {QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup}) {
            QVERIFY(QFile::setPermissions(file, p));
            c.SaveCollection();
            QCOMPARE(QFileInfo(file).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     p);
        }
    }

    // While a save is being written, its temporary file is never more readable than the collection:
    // a descriptor opened on it meanwhile would keep reading.
    void temporaryFileIsNoMoreReadableThanTheCollection() {
        const QString file = QDir::current().absoluteFilePath("private.fcd");
        OpenCollection c;
        prepare(c, file.toStdString(), 2);
        const mode_t oldMask = ::umask(022);
        QVERIFY(::chmod(file.toLocal8Bit(), 0600) == 0);
        mode_t widest = 0;
        FileSystemCalls watching;
        watching.create = [&widest](const char* path, int flags, mode_t mode) {
            const int fd = ::open(path, flags, mode);
            struct stat st {};
            ::fstat(fd, &st);
            widest |= st.st_mode & 0777;
            return fd;
        };
        {
            CallsGuard guard(&watching);
            c.SaveCollection();
        }
        ::umask(oldMask);
        QCOMPARE(widest, mode_t(0600));
    }

    void writeProtectedFileIsNotReplaced() {
        if (geteuid() == 0) QSKIP("root may write any file");
        const std::string file = QDir::current().absoluteFilePath("ro.fcd").toStdString();
        OpenCollection c;
        prepare(c, file, 1);
        const QByteArray before = readBytes(file);
        QFile::setPermissions(QString::fromStdString(file), QFile::ReadOwner);
        expectFailureKeepsFile(c, file, before, "File access denied");
    }
};

QTEST_GUILESS_MAIN(AtomicSaveTest)
#include "test_atomicsave.moc"
