#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <cstdio>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A request is one line: "SHOW " and the percent-encoded title, or "OPEN " and the percent-encoded
// absolute path of a file in the system's encoding. The answer is "1" or "0" and a newline.
constexpr char kShowVerb[] = "SHOW ";
constexpr char kOpenVerb[] = "OPEN ";
constexpr qint64 kMaxRequestBytes = 4096;
// A connection that never completes its request is dropped after this long.
constexpr int kRequestIdleMs = 5000;
// Room for a socket path (sun_path holds 108 bytes with its terminator).
constexpr qsizetype kMaxSocketPathBytes = 100;

TPreviousInstance* g_instance = nullptr;
QString g_title;
bool g_titleSet = false;

// A folder only this user can enter: owned by us, no access for group or others, not a link.
bool isPrivateFolder(const QByteArray& dir) {
    struct stat st {};
    return ::lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// Where the guard's socket lives: the session's runtime folder, else a folder of our own in the
// temporary folder. A name another user could take first would hand them every file we open, so
// when no private folder can be had there is no guard, and the user is told once.
QString privateRuntimeDir() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime)) return QFile::decodeName(runtime);
    const QByteArray own =
        QFile::encodeName(QDir::tempPath()) + "/vitrinex-" + QByteArray::number(::geteuid());
    if (::mkdir(own.constData(), 0700) == 0 || errno == EEXIST) {
        if (isPrivateFolder(own)) return QFile::decodeName(own);
    }
    static bool told = false;
    if (!told) {
        told = true;
        std::fprintf(stderr,
                     "%s: %s is not a folder of this user's alone: running without handing files to a "
                     "running copy\n",
                     qPrintable(vitrinex::applicationTitle()), own.constData());
    }
    return {};
}

// Whether the other end of a local connection runs as this user.
bool peerIsThisUser(qintptr descriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return descriptor >= 0 &&
           ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

QString socketPathFor(const QString& title) {
    QString name = vitrinex::instanceGuardName(title);
    const QString dir = privateRuntimeDir();
    if (dir.isEmpty()) return {};
    auto place = [&dir](const QString& n) { return dir + QLatin1Char('/') + n; };
    // Very long program names would not fit a socket path: use a digest of the title instead.
    if (QFile::encodeName(place(name)).size() > kMaxSocketPathBytes || QFile::encodeName(name).size() > 60) {
        const QByteArray digest =
            QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(24);
        name = QStringLiteral("vx-%1-%2").arg(QString::fromLatin1(digest)).arg(::getuid());
    }
    return place(name);
}

} // namespace

namespace vitrinex {

QString defaultApplicationTitle(const QString& programFilePath) {
    const qsizetype slash = std::max(programFilePath.lastIndexOf(QLatin1Char('/')),
                                     programFilePath.lastIndexOf(QLatin1Char('\\')));
    QString name = programFilePath.mid(slash + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    if (name.size() > 1) name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString applicationTitle() {
    if (g_titleSet) return g_title;
    return defaultApplicationTitle(QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                                : QString());
}

void setApplicationTitle(const QString& title) {
    g_title = title;
    g_titleSet = true;
}

QString instanceGuardName(const QString& title) {
    return title + QStringLiteral("-%1").arg(::getuid());
}

} // namespace vitrinex

TPreviousInstance::TPreviousInstance(QObject* parent)
    : TPreviousInstance(vitrinex::applicationTitle(), parent) {}

TPreviousInstance::TPreviousInstance(const QString& title, QObject* parent) : QObject(parent), title_(title) {
    if (!g_instance) g_instance = this;
    // An empty title names nothing to guard: run as a first copy without a guard.
    if (!title_.isEmpty()) serverPath_ = socketPathFor(title_);
    if (!serverPath_.isEmpty()) startGuard();
}

TPreviousInstance::~TPreviousInstance() {
    if (server_) server_->close(); // removes the socket file
    if (g_instance == this) g_instance = nullptr;
}

TPreviousInstance* TPreviousInstance::instance() {
    return g_instance;
}

bool TPreviousInstance::isGuarding() const {
    return server_ && server_->isListening();
}

void TPreviousInstance::startGuard() {
    // Two copies started together must not both decide they are first: probing and listening happen
    // under a lock file, which QLockFile frees again when its holder has died.
    QLockFile lock(serverPath_ + QStringLiteral(".lock"));
    const bool locked = lock.tryLock(3000);
    (void)locked; // without the lock we still do our best

    {
        QLocalSocket probe;
        probe.connectToServer(serverPath_);
        if (probe.waitForConnected(1000) && peerIsThisUser(probe.socketDescriptor())) {
            previous_ = true;
            probe.abort();
            return;
        }
    }

    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    bool listening = server_->listen(serverPath_);
    if (!listening && server_->serverError() == QAbstractSocket::AddressInUseError) {
        // Nobody answered above, so the socket was left behind by a copy that did not end cleanly. (Qt
        // usually puts ours in place over such a file by itself; this covers it when it does not.)
        QLocalServer::removeServer(serverPath_);
        listening = server_->listen(serverPath_);
    }
    if (!listening) {
        // The guard cannot be set up: run as a first copy that nobody can reach.
        server_.reset();
        return;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &TPreviousInstance::acceptConnections);
}

void TPreviousInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(kMaxRequestBytes + 1);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kRequestIdleMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0) readRequest(socket);
    }
}

void TPreviousInstance::readRequest(QLocalSocket* socket) {
    if (socket->property("vxAnswered").toBool()) return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestBytes) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    socket->setProperty("vxAnswered", true);
    QByteArray line = socket->readLine(kMaxRequestBytes + 1);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);

    // The request is answered before anything it sets off can run: opening a file may show a modal
    // message, whose event loop can outlast the other copy's patience and this connection.
    QPointer<QWidget> window;
    bool restored = false;
    QString title, path;
    if (line.startsWith(kShowVerb)) {
        title = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(sizeof kShowVerb - 1)));
        window = findWindow(title);
        if (window) restored = bringForward(window);
    } else if (line.startsWith(kOpenVerb)) {
        const QByteArray name = QByteArray::fromPercentEncoding(line.mid(sizeof kOpenVerb - 1));
        path = QFile::decodeName(name);
        // Only a whole absolute path is taken; the window that opens it must exist already.
        if (!name.contains('\0') && QDir::isAbsolutePath(path) && mainWindow_) {
            window = mainWindow_.data();
            restored = bringForward(window);
        } else {
            path.clear();
        }
    }
    socket->write(window ? "1\n" : "0\n");
    socket->flush();
    socket->disconnectFromServer();

    const bool show = line.startsWith(kShowVerb);
    QMetaObject::invokeMethod(
        this,
        [this, show, title, path, window, restored] {
            if (show)
                emit windowRequested(title, window, restored);
            else if (!path.isEmpty() && window)
                emit fileOpenRequested(path);
        },
        Qt::QueuedConnection);
}

void TPreviousInstance::setMainWindow(QWidget* window) {
    mainWindow_ = window;
}

QWidget* TPreviousInstance::findWindow(const QString& title) const {
    if (title.isEmpty()) return nullptr;
    QWidget* hidden = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->windowTitle() != title) continue;
        if (w->isVisible()) return w;
        if (!hidden) hidden = w;
    }
    // The main window's caption carries the open collection, so the application's title alone
    // stands for it, as the application's own window would.
    if (mainWindow_ && title == vitrinex::applicationTitle()) return mainWindow_;
    return hidden;
}

bool TPreviousInstance::bringForward(QWidget* window) {
    if (!window) return false;
    if (window->isMinimized()) {
        // Back to its state before it was minimized (maximized stays maximized).
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->show();
        window->raise();
        window->activateWindow();
        return true;
    }
    window->raise();
    window->activateWindow();
    return false;
}

bool TPreviousInstance::askToShowWindow(const QString& title, int timeoutMs) const {
    return ask(kShowVerb + title.toUtf8().toPercentEncoding() + '\n', timeoutMs);
}

bool TPreviousInstance::askToOpenFile(const QString& path, int timeoutMs) const {
    return ask(kOpenVerb + QFile::encodeName(path).toPercentEncoding() + '\n', timeoutMs);
}

bool TPreviousInstance::ask(const QByteArray& request, int timeoutMs) const {
    answered_ = false;
    if (serverPath_.isEmpty()) return false;
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverPath_);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) return false;
    // Only a copy of ours hears which file we were started with.
    if (!peerIsThisUser(socket.socketDescriptor())) return false;
    socket.write(request);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState ||
            !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    if (!socket.canReadLine()) return false;
    answered_ = true;
    return socket.readLine().startsWith('1');
}
