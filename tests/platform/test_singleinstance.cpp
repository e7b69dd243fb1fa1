#include "platform/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "OtherUser.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// One started copy of the helper program and everything it printed.
struct Copy {
    explicit Copy(const QString& program, const QStringList& args = {}) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, args);
    }
    ~Copy() {
        if (process.state() == QProcess::NotRunning) return;
        process.write("quit\n");
        if (!process.waitForFinished(5000)) process.kill(), process.waitForFinished(5000);
    }
    bool printed(const QByteArray& text) {
        return (output += process.readAllStandardOutput()).contains(text);
    }
    bool ended() const { return process.state() == QProcess::NotRunning; }
    QProcess process;
    QByteArray output;
};

// Sends raw bytes to a guard and returns its answer ("" when it closed the connection without one).
QByteArray rawRequest(const QString& path, const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000)) return "no connection";
    socket.write(bytes);
    QByteArray answer;
    // The guard answers from this thread's event loop, so wait while handling events.
    (void)QTest::qWaitFor(
        [&] {
            answer += socket.readAll();
            return answer.endsWith('\n') || socket.state() != QLocalSocket::ConnectedState;
        },
        3000);
    return answer + socket.readAll();
}

// A request as a later copy sends it, blocking, from a thread or process of its own: the answer
// line, or what arrived before the connection closed or `timeoutMs` ran out.
QByteArray blockingRequest(const QString& path, const QByteArray& request, int timeoutMs) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    QByteArray answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::write(fd, request.constData(), request.size()) == request.size()) {
        pollfd wait{fd, POLLIN, 0};
        char c = 0;
        while (!answer.endsWith('\n') && ::poll(&wait, 1, timeoutMs) == 1 && ::read(fd, &c, 1) == 1)
            answer += c;
    }
    ::close(fd);
    return answer;
}

// Sets an environment variable for one test and puts it back afterwards.
struct EnvironmentChange {
    EnvironmentChange(const char* name, const QByteArray* value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvironmentChange() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    const char* name_;
    QByteArray old_;
    bool had_;
};

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void titleFromProgramFile_data();
    void titleFromProgramFile();
    void guardInOneProcess();
    void requestsBringWindowsForward();
    void silentFirstCopyTimesOut();
    void secondCopyBringsFirstForwardAndEnds();
    void secondCopyRestoresMinimizedFirst();
    void differentFileNamesDoNotSeeEachOther();
    void secondCopyEndsWhenNoWindowAnswers();
    void secondCopySaysSoWhenFirstHangs();
    void guardOutlivesCrashAndCleanEnd();
    void handOverIsAnsweredBeforeAModalMessage();
    void guardNeedsAPrivateFolder();
    void otherUsersAreNotAnswered();

private:
    // A program name no other test or parallel run uses, copied from the helper into `folder`.
    QString helperCopy(const char* tag, const QString& folder = {});
    static QString guardPathOf(const QString& program);

    QTemporaryDir dir_;
};

void TestSingleInstance::initTestCase() {
    QVERIFY(dir_.isValid());
    vitrinex::setApplicationTitle(QStringLiteral("Vitrinex 1.4"));
}

QString TestSingleInstance::helperCopy(const char* tag, const QString& folder) {
    // The temporary folder's random tail and our pid keep parallel runs apart.
    const QString name = QStringLiteral("Vxt%1%2p%3")
                             .arg(tag)
                             .arg(::getpid())
                             .arg(QFileInfo(dir_.path()).fileName().right(6).toLower());
    const QString target = (folder.isEmpty() ? dir_.path() : folder) + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(target).path());
    if (!QFile::exists(target)) {
        QFile::copy(QStringLiteral(VITRINEX_SINGLEINSTANCE_HELPER), target);
        QFile::setPermissions(target,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return target;
}

QString TestSingleInstance::guardPathOf(const QString& program) {
    TPreviousInstance probe(vitrinex::defaultApplicationTitle(program));
    const QString path = probe.serverPath();
    return path.startsWith(QLatin1Char('/')) ? path : QDir::tempPath() + QLatin1Char('/') + path;
}

void TestSingleInstance::titleFromProgramFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("windows name") << "VITRINEX.EXE"
                                  << "Vitrinex";
    QTest::newRow("windows folders") << "C:\\PROGRA~1\\QUILLORY\\VITRINEX.EXE"
                                     << "Vitrinex";
    QTest::newRow("unix folders") << "/usr/local/bin/vitrinex"
                                  << "vitrinex";
    QTest::newRow("first letter kept as it is") << "/opt/vITRINEX"
                                                << "vitrinex";
    QTest::newRow("cut at first dot") << "Vitrinex.Old.exe"
                                      << "Vitrinex";
    QTest::newRow("dot in folder only") << "/home/ann/v1.4/VitriNex"
                                        << "Vitrinex";
    QTest::newRow("mixed slashes") << "D:/apps\\sub/PROG.COM"
                                   << "Prog";
    QTest::newRow("non-ascii letters") << QString::fromUtf8("/x/ÉCLAIR.EXE") << QString::fromUtf8("Éclair");
    QTest::newRow("hidden file") << "/home/ann/.vitrinex"
                                 << "";
    QTest::newRow("folder only") << "/usr/bin/"
                                 << "";
}

void TestSingleInstance::titleFromProgramFile() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(vitrinex::defaultApplicationTitle(path), title);
}

void TestSingleInstance::guardInOneProcess() {
    const QString title = vitrinex::defaultApplicationTitle(helperCopy("a"));
    QString path;
    {
        TPreviousInstance first(title);
        QVERIFY(first.isGuarding());
        QVERIFY(!first.isPreviousInstance());
        QCOMPARE(TPreviousInstance::instance(), &first);
        QVERIFY(first.serverPath().endsWith(QStringLiteral("-%1").arg(::getuid()))); // one guard per user
        path = first.serverPath();

        TPreviousInstance second(title);
        QVERIFY(second.isPreviousInstance());
        QVERIFY(!second.isGuarding());
        QCOMPARE(TPreviousInstance::instance(), &first);

        TPreviousInstance other(title + QStringLiteral("x"));
        QVERIFY(!other.isPreviousInstance());
        QVERIFY(other.isGuarding());

        TPreviousInstance unnamed{QString()}; // nothing to guard: a first copy nobody can reach
        QVERIFY(!unnamed.isPreviousInstance());
        QVERIFY(!unnamed.isGuarding());
    }
    QCOMPARE(TPreviousInstance::instance(), nullptr);
    if (path.startsWith(QLatin1Char('/'))) QVERIFY(!QFileInfo::exists(path));
    TPreviousInstance again(title);
    QVERIFY(again.isGuarding());
}

void TestSingleInstance::requestsBringWindowsForward() {
    TPreviousInstance guard(vitrinex::defaultApplicationTitle(helperCopy("b")));
    QVERIFY(guard.isGuarding());
    QSignalSpy requests(&guard, &TPreviousInstance::windowRequested);
    const QString path = guard.serverPath();

    QWidget shown, hiddenTwin, tiny, accented, main;
    shown.setWindowTitle(QStringLiteral("Shown Window"));
    shown.show();
    hiddenTwin.setWindowTitle(QStringLiteral("Shown Window")); // the visible one wins
    QCOMPARE(rawRequest(path, "SHOW Shown%20Window\n"), QByteArray("1\n"));
    QCOMPARE(requests.last().at(1).value<QWidget*>(), &shown);
    QCOMPARE(requests.last().at(2).toBool(), false);
    QVERIFY(!hiddenTwin.isVisible());

    tiny.setWindowTitle(QStringLiteral("Tiny"));
    tiny.showMaximized();
    tiny.setWindowState(tiny.windowState() | Qt::WindowMinimized);
    QCOMPARE(rawRequest(path, "SHOW Tiny\r\n"), QByteArray("1\n"));
    QCOMPARE(requests.last().at(2).toBool(), true);
    QVERIFY(!tiny.isMinimized());
    QVERIFY(tiny.isMaximized()); // back to the state it had

    const QString odd = QString::fromUtf8("Größe 100%\n");
    accented.setWindowTitle(odd);
    accented.show();
    QCOMPARE(rawRequest(path, "SHOW " + odd.toUtf8().toPercentEncoding() + "\n"), QByteArray("1\n"));
    QCOMPARE(requests.last().at(1).value<QWidget*>(), &accented);

    // The main window's caption carries the open collection; the application's title still finds it.
    main.setWindowTitle(QStringLiteral("Vitrinex 1.4 - Heroes:  $37.5"));
    main.show();
    QCOMPARE(rawRequest(path, "SHOW Vitrinex%201.4\n"), QByteArray("0\n"));
    guard.setMainWindow(&main);
    QCOMPARE(rawRequest(path, "SHOW Vitrinex%201.4\n"), QByteArray("1\n"));
    QCOMPARE(requests.last().at(1).value<QWidget*>(), &main);
    QCOMPARE(guard.findWindow(QStringLiteral("Vitrinex 1.3")), nullptr);

    // Nothing, partial titles, strangers and rubbish get "no"; an endless line gets cut off.
    QCOMPARE(rawRequest(path, "SHOW Shown\n"), QByteArray("0\n"));
    QCOMPARE(rawRequest(path, "SHOW \n"), QByteArray("0\n"));
    QCOMPARE(rawRequest(path, "RAISE Tiny\n"), QByteArray("0\n"));
    QCOMPARE(rawRequest(path, QByteArray("\x00\xff\xfe%%%zz\n", 9)), QByteArray("0\n"));
    QCOMPARE(rawRequest(path, QByteArray(20000, 'A')), QByteArray());
    // It still serves afterwards.
    QCOMPARE(rawRequest(path, "SHOW Tiny\n"), QByteArray("1\n"));
}

void TestSingleInstance::silentFirstCopyTimesOut() {
    const QString program = helperCopy("c");
    QLocalServer silent; // holds the name but never answers
    QVERIFY(silent.listen(guardPathOf(program)));
    TPreviousInstance second(vitrinex::defaultApplicationTitle(program));
    QVERIFY(second.isPreviousInstance());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!second.askToShowWindow(QStringLiteral("Vitrinex 1.4"), 400));
    QVERIFY(clock.elapsed() < 3000);
}

void TestSingleInstance::secondCopyBringsFirstForwardAndEnds() {
    const QString program = helperCopy("d");
    Copy first(program);
    QTRY_VERIFY_WITH_TIMEOUT(first.printed("running"), 10000);
    QVERIFY(first.printed("guard first " + vitrinex::defaultApplicationTitle(program).toUtf8()));

    // The same program in another folder, with an extension and in capitals, is the same program. Its
    // start-up handles events and runs a modal loop before the main loop: the end must not get lost there.
    const QString name = QFileInfo(program).fileName();
    const QString renamed = dir_.path() + QStringLiteral("/other/") + name.toUpper() + QStringLiteral(".EXE");
    QDir().mkpath(QFileInfo(renamed).path());
    QVERIFY(QFile::copy(program, renamed));
    Copy second(renamed, {QStringLiteral("--busy-startup")});
    QTRY_VERIFY_WITH_TIMEOUT(second.ended(), 10000);
    QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process.exitCode(), 0);
    QVERIFY2(second.printed("guard second"), second.output.constData());
    QVERIFY(second.printed("asked shown=1"));
    QVERIFY(second.printed("modal done\nstartup done\n")); // the rest of start-up still ran
    QVERIFY(second.printed("ended"));

    QTRY_VERIFY_WITH_TIMEOUT(first.printed("request [Vitrinex 1.4] window=MainForm restored=0 minimized=0"),
                             5000);
    QVERIFY(!first.ended());
}

void TestSingleInstance::secondCopyRestoresMinimizedFirst() {
    const QString program = helperCopy("e");
    Copy first(program, {QStringLiteral("--minimized"), QStringLiteral("--caption"),
                         QStringLiteral("Vitrinex 1.4 - Heroes:  $12")});
    QTRY_VERIFY_WITH_TIMEOUT(first.printed("running"), 10000);
    Copy second(program);
    QTRY_VERIFY_WITH_TIMEOUT(second.ended(), 10000);
    QVERIFY(second.printed("asked shown=1"));
    QTRY_VERIFY_WITH_TIMEOUT(first.printed("window=MainForm restored=1 minimized=0"), 5000);
}

void TestSingleInstance::differentFileNamesDoNotSeeEachOther() {
    Copy first(helperCopy("f"));
    Copy second(helperCopy("g"));
    QTRY_VERIFY_WITH_TIMEOUT(first.printed("running") && second.printed("running"), 10000);
    QVERIFY(first.printed("guard first"));
    QVERIFY(second.printed("guard first"));
    QTest::qWait(300);
    QVERIFY(!first.ended() && !second.ended());
    QVERIFY(!first.printed("request") && !second.printed("request"));
}

void TestSingleInstance::secondCopyEndsWhenNoWindowAnswers() {
    // This test process plays a first copy that has no window with the title asked for.
    const QString program = helperCopy("h");
    TPreviousInstance first(vitrinex::defaultApplicationTitle(program));
    QSignalSpy requests(&first, &TPreviousInstance::windowRequested);
    Copy second(program, {QStringLiteral("--title"), QStringLiteral("Nowhere 9")});
    QTRY_VERIFY_WITH_TIMEOUT(second.ended(), 10000);
    QCOMPARE(second.process.exitCode(), 0);
    QVERIFY(second.printed("asked shown=0"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).at(0).toString(), QStringLiteral("Nowhere 9"));
}

void TestSingleInstance::secondCopySaysSoWhenFirstHangs() {
    const QString program = helperCopy("j");
    QLocalServer hung; // a first copy that takes the request and never answers
    QVERIFY(hung.listen(guardPathOf(program)));
    Copy second(program);
    QTRY_VERIFY_WITH_TIMEOUT(second.ended(), 20000);
    QCOMPARE(second.process.exitCode(), 1);
    QVERIFY2(second.printed("box: Vitrinex 1.4 is already running but does not answer"),
             second.output.constData());
}

void TestSingleInstance::guardOutlivesCrashAndCleanEnd() {
    const QString program = helperCopy("i");
    const QString path = guardPathOf(program);
    {
        Copy clean(program);
        QTRY_VERIFY_WITH_TIMEOUT(clean.printed("running"), 10000);
        QVERIFY(QFileInfo::exists(path));
        clean.process.write("quit\n");
        QVERIFY(clean.process.waitForFinished(10000));
        QCOMPARE(clean.process.exitCode(), 0);
    }
    QVERIFY(!QFileInfo::exists(path)); // a clean end frees the name
    {
        Copy crashed(program);
        QTRY_VERIFY_WITH_TIMEOUT(crashed.printed("running"), 10000);
        ::kill(pid_t(crashed.process.processId()), SIGKILL);
        QVERIFY(crashed.process.waitForFinished(5000));
    }
    QVERIFY(QFileInfo::exists(path)); // a crash leaves its socket behind, which nobody answers

    Copy next(program);
    QTRY_VERIFY_WITH_TIMEOUT(next.printed("running"), 10000);
    QVERIFY2(next.printed("guard first"), next.output.constData());
    Copy third(program);
    QTRY_VERIFY_WITH_TIMEOUT(third.ended(), 10000);
    QVERIFY(third.printed("guard second"));
    QTRY_VERIFY_WITH_TIMEOUT(next.printed("window=MainForm"), 5000);
}

void TestSingleInstance::handOverIsAnsweredBeforeAModalMessage() {
    TPreviousInstance guard(QStringLiteral("VxtHandOver%1").arg(::getpid()));
    QVERIFY(guard.isGuarding());
    QWidget main;
    guard.setMainWindow(&main);
    // Opening the file shows a message that stays up longer than the later copy waits.
    bool messageClosed = false;
    connect(&guard, &TPreviousInstance::fileOpenRequested, this, [&messageClosed] {
        QEventLoop message;
        QTimer::singleShot(TPreviousInstance::kAnswerTimeoutMs + 1500, &message, &QEventLoop::quit);
        message.exec();
        messageClosed = true;
    });
    QByteArray answer;
    std::thread later([&] {
        answer = blockingRequest(guard.serverPath(), "OPEN /tmp/handed.fcd\n",
                                 TPreviousInstance::kAnswerTimeoutMs);
    });
    QTRY_VERIFY_WITH_TIMEOUT(messageClosed, 15000);
    later.join();
    QCOMPARE(answer, QByteArray("1\n"));
    QVERIFY(guard.isGuarding()); // and the copy lives on
}

void TestSingleInstance::guardNeedsAPrivateFolder() {
    const EnvironmentChange noSession("XDG_RUNTIME_DIR", nullptr);
    const QByteArray temporary = QFile::encodeName(dir_.filePath(QStringLiteral("tmp-private")));
    QVERIFY(QDir().mkpath(QFile::decodeName(temporary)));
    const EnvironmentChange tmp("TMPDIR", &temporary);
    const QByteArray own = temporary + "/vitrinex-" + QByteArray::number(::geteuid());

    // Another user (or anyone, through its mode) got there first: no guard rather than theirs.
    QVERIFY(::mkdir(own.constData(), 0700) == 0 && ::chmod(own.constData(), 0777) == 0);
    if (fixtures::otherUserAvailable())
        QVERIFY(::chown(own.constData(), fixtures::kOtherUser, fixtures::kOtherUser) == 0);
    {
        TPreviousInstance planted(QStringLiteral("VxtPlanted"));
        QVERIFY(!planted.isGuarding());
        QVERIFY(!planted.isPreviousInstance());
        QVERIFY(planted.serverPath().isEmpty());
    }
    QVERIFY(::rmdir(own.constData()) == 0);

    TPreviousInstance guard(QStringLiteral("VxtPrivate"));
    QVERIFY(guard.isGuarding());
    QCOMPARE(QFileInfo(guard.serverPath()).path(), QFile::decodeName(own));
    struct stat st {};
    QVERIFY(::lstat(own.constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0700));
}

void TestSingleInstance::otherUsersAreNotAnswered() {
    if (!fixtures::otherUserAvailable()) QSKIP(fixtures::otherUserUnavailable());
    // A copy of another user whose folder root can still reach: it must not take root's requests.
    const QString shared = dir_.filePath(QStringLiteral("shared"));
    QVERIFY(QDir().mkpath(shared) && ::chmod(QFile::encodeName(shared), 01777) == 0 &&
            ::chmod(QFile::encodeName(dir_.path()), 0711) == 0);
    const QString program = helperCopy("u", shared);
    QVERIFY(::chmod(QFile::encodeName(program), 0755) == 0);
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), shared);
    env.insert(QStringLiteral("HOME"), shared);
    other.setProcessEnvironment(env);
    other.setChildProcessModifier([] {
        if (::setgid(fixtures::kOtherUser) != 0 || ::setuid(fixtures::kOtherUser) != 0) ::_exit(127);
    });
    other.start(program, {});
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += other.readAllStandardOutput()).contains("running"), 10000);
    const QString socket = QStringLiteral("%1/vitrinex-%2/%3-%2")
                               .arg(shared)
                               .arg(fixtures::kOtherUser)
                               .arg(vitrinex::defaultApplicationTitle(program));
    QVERIFY(QFileInfo::exists(socket));
    QCOMPARE(rawRequest(socket, "SHOW Vitrinex%201.4\n"), QByteArray());
    other.write("quit\n");
    QVERIFY(other.waitForFinished(10000));
    QVERIFY2(!(output + other.readAllStandardOutput()).contains("request"), output.constData());
}

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
