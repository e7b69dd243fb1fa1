#include "platform/sockets/AsyncSockets.h"

#include "platform/sockets/WinsockErrors.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vitrinex::wsa {

namespace {

thread_local int lastError = 0;

int fail(int code) {
    lastError = code;
    return -1;
}

int failErrno() {
    return fail(errorFromErrno(errno));
}

// A lookup shared between the asking thread and its worker. The worker only reads `name` and writes
// the results, then posts them under `mutex` unless the request was cancelled meanwhile.
struct LookupJob {
    std::mutex mutex;
    bool cancelled = false;
    QObject* dispatcher = nullptr; // valid while not cancelled
    std::string name;
    std::uintptr_t handle = 0;
    // Touched on the asking thread only.
    QPointer<QObject> receiver;
    unsigned message = 0;
    char* buffer = nullptr;
    int bufferLength = 0;
    // Results.
    int error = 0;
    std::string canonicalName;
    std::vector<std::uint32_t> addresses; // network byte order
};

class LookupDone : public QEvent {
public:
    explicit LookupDone(std::shared_ptr<LookupJob> job) : QEvent(type()), job(std::move(job)) {}
    static QEvent::Type type() {
        static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
        return t;
    }
    std::shared_ptr<LookupJob> job;
};

enum class State { Idle, Connecting, Connected, Closed };

struct SocketEntry {
    QPointer<QObject> receiver;
    unsigned message = 0;
    long mask = 0;
    State state = State::Idle;
    bool readShut = false;
    QSocketNotifier* readNotifier = nullptr;
    QSocketNotifier* writeNotifier = nullptr;
};

void post(QObject* receiver, unsigned message, std::uintptr_t wParam, std::uint32_t lParam) {
    if (receiver) QCoreApplication::postEvent(receiver, new WindowMessage(message, wParam, lParam));
}

// Fills `buffer` with a hostent and the texts and addresses it points to; the size needed, or
// -1 when it does not fit.
int writeHostEntry(const LookupJob& job) {
    const std::size_t pointerSize = sizeof(char*);
    const std::size_t count = job.addresses.size();
    const std::size_t aliasesAt = sizeof(hostent);
    const std::size_t listAt = aliasesAt + pointerSize;
    const std::size_t addressesAt = listAt + (count + 1) * pointerSize;
    const std::size_t nameAt = addressesAt + count * 4;
    const std::size_t needed = nameAt + job.canonicalName.size() + 1;
    if (job.buffer == nullptr || needed > static_cast<std::size_t>(job.bufferLength))
        return -static_cast<int>(needed);

    char* base = job.buffer;
    std::memset(base, 0, needed);
    auto** aliases = reinterpret_cast<char**>(base + aliasesAt);
    auto** list = reinterpret_cast<char**>(base + listAt);
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(base + addressesAt + i * 4, &job.addresses[i], 4);
        list[i] = base + addressesAt + i * 4;
    }
    list[count] = nullptr;
    aliases[0] = nullptr;
    std::memcpy(base + nameAt, job.canonicalName.c_str(), job.canonicalName.size() + 1);
    auto* entry = reinterpret_cast<hostent*>(base);
    entry->h_name = base + nameAt;
    entry->h_aliases = aliases;
    entry->h_addrtype = AF_INET;
    entry->h_length = 4;
    entry->h_addr_list = list;
    return static_cast<int>(needed);
}

// Lives on the thread that uses the sockets (the user-interface thread); owns the notifiers and the
// pending lookups. Destroyed with the application, when it cancels every lookup still running.
class Dispatcher : public QObject {
public:
    static Dispatcher& instance() {
        static QPointer<Dispatcher> self;
        if (!self) self = new Dispatcher(QCoreApplication::instance());
        return *self;
    }

    ~Dispatcher() override {
        for (auto& [handle, job] : lookups_) {
            std::lock_guard<std::mutex> lock(job->mutex);
            job->cancelled = true;
        }
        for (auto& [fd, entry] : sockets_)
            ::close(fd);
    }

    int startupCount = 0;

    SocketEntry* entry(Socket s) {
        const auto it = sockets_.find(s);
        return it == sockets_.end() ? nullptr : it->second.get();
    }

    SocketEntry& add(Socket s) {
        auto& slot = sockets_[s];
        if (slot) dropNotifiers(*slot);
        slot = std::make_unique<SocketEntry>();
        return *slot;
    }

    void remove(Socket s) {
        const auto it = sockets_.find(s);
        if (it == sockets_.end()) return;
        dropNotifiers(*it->second);
        sockets_.erase(it);
    }

    void closeAll() {
        for (auto& [fd, entry] : sockets_) {
            dropNotifiers(*entry);
            ::close(fd);
        }
        sockets_.clear();
        for (auto& [handle, job] : lookups_) {
            std::lock_guard<std::mutex> lock(job->mutex);
            job->cancelled = true;
        }
        lookups_.clear();
    }

    void watch(Socket s, SocketEntry& e) {
        e.readNotifier = new QSocketNotifier(s, QSocketNotifier::Read, this);
        e.readNotifier->setEnabled(false);
        connect(e.readNotifier, &QSocketNotifier::activated, this, [this, s] { readable(s); });
        e.writeNotifier = new QSocketNotifier(s, QSocketNotifier::Write, this);
        e.writeNotifier->setEnabled(false);
        connect(e.writeNotifier, &QSocketNotifier::activated, this, [this, s] { writable(s); });
    }

    void connected(Socket s, SocketEntry& e) {
        e.state = State::Connected;
        if (e.mask & FD_CONNECT) post(e.receiver, e.message, s, makeLParam(FD_CONNECT, 0));
        if (e.mask & FD_WRITE) post(e.receiver, e.message, s, makeLParam(FD_WRITE, 0));
        rearmRead(e);
    }

    void connectFailed(Socket s, SocketEntry& e, int code) {
        e.state = State::Closed;
        if (e.mask & FD_CONNECT)
            post(e.receiver, e.message, s, makeLParam(FD_CONNECT, static_cast<std::uint16_t>(code)));
    }

    static void rearmRead(SocketEntry& e) {
        if (e.readNotifier && e.state == State::Connected && !e.readShut && (e.mask & (FD_READ | FD_CLOSE)))
            e.readNotifier->setEnabled(true);
    }

    std::uintptr_t startLookup(QObject* receiver, unsigned message, const char* name, char* buffer,
                               int length) {
        auto job = std::make_shared<LookupJob>();
        job->dispatcher = this;
        job->name = name ? name : "";
        job->handle = ++lastHandle_;
        job->receiver = receiver;
        job->message = message;
        job->buffer = buffer;
        job->bufferLength = length;
        try {
            std::thread([job] { resolve(*job, job); }).detach();
        } catch (const std::system_error&) {
            lastError = WSAENOBUFS;
            return 0;
        }
        lookups_[job->handle] = job;
        return job->handle;
    }

    int cancelLookup(std::uintptr_t handle) {
        const auto it = lookups_.find(handle);
        if (it == lookups_.end()) return fail(WSAEINVAL);
        {
            std::lock_guard<std::mutex> lock(it->second->mutex);
            it->second->cancelled = true;
        }
        lookups_.erase(it);
        return 0;
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() != LookupDone::type()) return QObject::event(event);
        const std::shared_ptr<LookupJob> job = static_cast<LookupDone*>(event)->job;
        const auto it = lookups_.find(job->handle);
        if (it == lookups_.end()) return true; // cancelled
        lookups_.erase(it);
        int error = job->error;
        int size = 0;
        if (error == 0) {
            size = writeHostEntry(*job);
            if (size < 0) {
                error = WSAENOBUFS;
                size = -size;
            }
        }
        post(job->receiver, job->message, job->handle,
             makeLParam(static_cast<std::uint16_t>(size), static_cast<std::uint16_t>(error)));
        return true;
    }

private:
    explicit Dispatcher(QObject* parent) : QObject(parent) {}

    static void resolve(LookupJob& job, const std::shared_ptr<LookupJob>& keepAlive) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_CANONNAME;
        addrinfo* results = nullptr;
        const int rc =
            job.name.empty() ? EAI_NONAME : ::getaddrinfo(job.name.c_str(), nullptr, &hints, &results);
        if (rc != 0) {
            job.error = errorFromLookup(rc, errno);
        } else {
            job.canonicalName = results->ai_canonname ? results->ai_canonname : job.name;
            for (const addrinfo* a = results; a; a = a->ai_next) {
                if (a->ai_family != AF_INET) continue;
                const std::uint32_t address =
                    reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
                if (std::find(job.addresses.begin(), job.addresses.end(), address) == job.addresses.end())
                    job.addresses.push_back(address);
            }
            ::freeaddrinfo(results);
            if (job.addresses.empty()) job.error = WSANO_DATA;
        }
        std::lock_guard<std::mutex> lock(job.mutex);
        if (!job.cancelled) QCoreApplication::postEvent(job.dispatcher, new LookupDone(keepAlive));
    }

    void readable(Socket s) {
        SocketEntry* e = entry(s);
        if (!e) return;
        char probe;
        const ssize_t n = ::recv(s, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
        // One message per arrival: the next comes after the receiver has read (as Winsock does).
        e->readNotifier->setEnabled(false);
        if (n > 0) {
            if (e->mask & FD_READ) post(e->receiver, e->message, s, makeLParam(FD_READ, 0));
            return;
        }
        e->state = State::Closed;
        const int code = n == 0 ? 0 : errorFromErrno(errno);
        if (e->mask & FD_CLOSE)
            post(e->receiver, e->message, s, makeLParam(FD_CLOSE, static_cast<std::uint16_t>(code)));
    }

    void writable(Socket s) {
        SocketEntry* e = entry(s);
        if (!e) return;
        e->writeNotifier->setEnabled(false);
        if (e->state == State::Connecting) {
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
            if (error == 0)
                connected(s, *e);
            else
                connectFailed(s, *e, errorFromErrno(error));
        } else if (e->state == State::Connected && (e->mask & FD_WRITE)) {
            post(e->receiver, e->message, s, makeLParam(FD_WRITE, 0));
        }
    }

    static void dropNotifiers(SocketEntry& e) {
        // Deleted later: a notifier may be the one whose signal is running now.
        for (QSocketNotifier* n : {e.readNotifier, e.writeNotifier}) {
            if (!n) continue;
            n->setEnabled(false);
            n->deleteLater();
        }
        e.readNotifier = e.writeNotifier = nullptr;
    }

    std::map<Socket, std::unique_ptr<SocketEntry>> sockets_;
    std::map<std::uintptr_t, std::shared_ptr<LookupJob>> lookups_;
    std::uintptr_t lastHandle_ = 0;
};

bool started() {
    if (Dispatcher::instance().startupCount > 0) return true;
    lastError = WSANOTINITIALISED;
    return false;
}

} // namespace

QEvent::Type WindowMessage::eventType() {
    static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
    return t;
}

int LastError() {
    return lastError;
}

int Startup(std::uint16_t versionRequested, WSAData* data) {
    if ((versionRequested & 0xFF) < 1) return WSAVERNOTSUPPORTED;
    if (data == nullptr) return WSAEFAULT;
    data->wVersion = 0x0101;
    data->wHighVersion = 0x0101;
    std::strcpy(data->szDescription, "POSIX sockets");
    std::strcpy(data->szSystemStatus, "Running");
    ++Dispatcher::instance().startupCount;
    return 0;
}

int Cleanup() {
    Dispatcher& d = Dispatcher::instance();
    if (d.startupCount == 0) return fail(WSANOTINITIALISED);
    if (--d.startupCount == 0) d.closeAll();
    return 0;
}

void CancelBlockingCall() {
    // Nothing here ever blocks.
}

Socket CreateSocket() {
    if (!started()) return kInvalidSocket;
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        failErrno();
        return kInvalidSocket;
    }
    Dispatcher::instance().add(s);
    return s;
}

int AsyncSelect(Socket socket, QObject* receiver, unsigned message, long mask) {
    Dispatcher& d = Dispatcher::instance();
    SocketEntry* e = d.entry(socket);
    if (!e) return fail(WSAENOTSOCK);
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0 || ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) < 0) return failErrno();
    e->receiver = receiver;
    e->message = message;
    e->mask = mask;
    if (!e->readNotifier) d.watch(socket, *e);
    return 0;
}

int Connect(Socket socket, std::uint32_t ipv4, std::uint16_t portNetworkOrder) {
    Dispatcher& d = Dispatcher::instance();
    SocketEntry* e = d.entry(socket);
    if (!e) return fail(WSAENOTSOCK);
    if (e->state != State::Idle) return fail(e->state == State::Connected ? WSAEISCONN : WSAEALREADY);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = portNetworkOrder;
    address.sin_addr.s_addr = ipv4;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        d.connected(socket, *e);
        return 0;
    }
    const int code = errorFromErrno(errno);
    if (code == WSAEWOULDBLOCK) {
        e->state = State::Connecting;
        if (e->writeNotifier) e->writeNotifier->setEnabled(true);
    } else {
        // The outcome is also told as a connect event, as a connect that fails later would be.
        d.connectFailed(socket, *e, code);
    }
    return fail(code);
}

long Send(Socket socket, const char* data, std::size_t length) {
    const ssize_t n = ::send(socket, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return n;
    const int code = errorFromErrno(errno);
    if (code == WSAEWOULDBLOCK)
        if (SocketEntry* e = Dispatcher::instance().entry(socket); e && e->writeNotifier)
            e->writeNotifier->setEnabled(true);
    return fail(code);
}

long Recv(Socket socket, char* buffer, std::size_t length) {
    const ssize_t n = ::recv(socket, buffer, length, MSG_DONTWAIT);
    const int savedErrno = errno;
    if (SocketEntry* e = Dispatcher::instance().entry(socket)) Dispatcher::rearmRead(*e);
    if (n >= 0) return n;
    return fail(errorFromErrno(savedErrno));
}

int Shutdown(Socket socket, int how) {
    const int posixHow = how == SD_RECEIVE ? SHUT_RD : how == SD_SEND ? SHUT_WR : SHUT_RDWR;
    if (SocketEntry* e = Dispatcher::instance().entry(socket); e && how != SD_SEND) {
        e->readShut = true;
        if (e->readNotifier) e->readNotifier->setEnabled(false);
    }
    if (::shutdown(socket, posixHow) != 0) return failErrno();
    return 0;
}

int CloseSocket(Socket socket) {
    Dispatcher& d = Dispatcher::instance();
    if (!d.entry(socket)) return fail(WSAENOTSOCK);
    d.remove(socket);
    if (::close(socket) != 0) return failErrno();
    return 0;
}

int GetPeerName(Socket socket, std::uint32_t* ipv4) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return failErrno();
    if (ipv4) *ipv4 = peer.sin_addr.s_addr;
    return 0;
}

std::uint32_t InetAddr(const char* dotted) {
    in_addr address{};
    if (dotted == nullptr || ::inet_aton(dotted, &address) == 0) return INADDR_NONE;
    return address.s_addr;
}

std::uintptr_t AsyncGetHostByName(QObject* receiver, unsigned message, const char* name, char* buffer,
                                  int bufferLength) {
    if (!started()) return 0;
    return Dispatcher::instance().startLookup(receiver, message, name, buffer, bufferLength);
}

int CancelAsyncRequest(std::uintptr_t handle) {
    return Dispatcher::instance().cancelLookup(handle);
}

} // namespace vitrinex::wsa
