#pragma once
// A catalog update server for tests: scripts/update-server.sh (our own, on a free loopback port)
// serving the files of a folder, stopped when the object goes. `hostPort()` is empty when it
// could not start; the test then skips with the reason in `error()`.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vitrinex::testing {

class UpdateServer {
public:
    // `files`: name and contents of each file the server serves.
    explicit UpdateServer(const QList<QPair<QString, QByteArray>>& files) {
        QDir(root_).removeRecursively(); // a server before this one may have served other files
        QDir().mkpath(root_);
        for (const auto& [name, bytes] : files) {
            QFile f(root_ + "/" + name);
            if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        }
        process_.start("bash",
                       {QStringLiteral(VITRINEX_SOURCE_DIR "/scripts/update-server.sh"), "--root", root_});
        if (process_.waitForReadyRead(15000)) hostPort_ = QString::fromLatin1(process_.readLine()).trimmed();
        if (hostPort_.isEmpty()) {
            process_.waitForFinished(2000);
            error_ = QString::fromLocal8Bit(process_.readAllStandardError());
        }
    }
    ~UpdateServer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
    }
    QString hostPort() const { return hostPort_; }
    QString error() const { return error_.isEmpty() ? QStringLiteral("the server could not start") : error_; }

private:
    QString root_ = QDir::currentPath() + "/server-root";
    QProcess process_;
    QString hostPort_, error_;
};

// A loopback port that takes connections (the kernel completes them) and never answers; closed, it
// refuses them.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        // A server that could not start keeps port 0, which nothing reaches: its test then fails.
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), n) != 0 || ::listen(fd_, 4) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n) != 0)
            return;
        port_ = ntohs(a.sin_port);
    }
    ~SilentServer() { close(); }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd() const { return fd_; }
    QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A server on loopback that answers every request by `answer`, which writes to the connection until
// it returns or the client goes away.
class HostileServer {
public:
    using Send = std::function<bool(const QByteArray&)>;
    explicit HostileServer(std::function<void(const Send&)> answer)
        : answer_(std::move(answer)), thread_([this] { serve(); }) {}
    ~HostileServer() {
        stop_ = true;
        ::shutdown(listener_.fd(), SHUT_RDWR);
        thread_.join();
    }
    QString hostPort() const { return listener_.hostPort(); }
    bool answering() const { return answering_; }

private:
    void serve() {
        while (!stop_) {
            const int fd = ::accept(listener_.fd(), nullptr, nullptr);
            if (fd < 0) return;
            char c = 0;
            while (::read(fd, &c, 1) == 1 && c != '\n') {
            }
            answering_ = true;
            answer_([this, fd](const QByteArray& bytes) {
                return !stop_ && ::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL) == bytes.size();
            });
            ::close(fd);
        }
    }
    SilentServer listener_;
    std::function<void(const Send&)> answer_;
    std::atomic<bool> stop_{false}, answering_{false};
    std::thread thread_; // last: it starts once the rest is in place
};

#define SKIP_WITHOUT_SERVER(server)                                                                          \
    if ((server).hostPort().isEmpty()) QSKIP(qPrintable("no update server: " + (server).error()))

} // namespace vitrinex::testing
