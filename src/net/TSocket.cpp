#include "net/TSocket.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QTcpSocket>

namespace vitrinex {

// One connection and what its receiver has been told of it.
struct TSocket::Connection {
    QTcpSocket socket;
    QPointer<QObject> receiver;
    unsigned message = 0;
    std::uint16_t port = 0;
    QList<QHostAddress> untried; // the lookup's further addresses
    bool connected = false;      // the connect finished; it stays so after the peer went, as a peer name does
    bool readTold = false;       // a read event is on its way and no Receive has answered it yet
    bool peerClosed = false, closeTold = false;
    int closeCode = 0;
    int sendError = 0; // what a send met while it was flushed

    ~Connection() {
        // Nothing of the socket's own end reaches the client.
        socket.disconnect();
        socket.abort();
    }
};

TSocket::TSocket(std::function<void(const std::string&)> showMessage)
    : showMessage_(std::move(showMessage)) {}

TSocket::~TSocket() {
    abortLookup();
    sockets_.clear();
}

void TSocket::show(const std::string& text) const {
    if (showMessage_) showMessage_(text);
}

// Shown from the event loop: a message box must not run inside a socket's signal.
void TSocket::showLater(int code) {
    QMetaObject::invokeMethod(
        &context_, [this, code] { show(ErrorTextFor(code)); }, Qt::QueuedConnection);
}

int TSocket::fail(int code) {
    lastError_ = code;
    return -1;
}

TSocket::Connection* TSocket::find(wsa::Socket handle) {
    const auto it = sockets_.find(handle);
    return it == sockets_.end() ? nullptr : it->second.get();
}

bool TSocket::StartupAnswerAccepted(int code) {
    return code != wsa::WSAEINVAL && code != wsa::WSASYSNOTREADY && code != wsa::WSAVERNOTSUPPORTED;
}

bool TSocket::Startup() {
    // Qt Network needs no start of its own.
    started_ = true;
    return StartupAnswerAccepted(0);
}

void TSocket::Cleanup() {
    abortLookup();
    sockets_.clear();
    started_ = false;
}

std::string TSocket::ErrorText() const {
    return ErrorTextFor(lastError_);
}

std::string TSocket::ErrorTextFor(int code) {
    switch (code) {
    case wsa::WSAEINTR:
        return "The call was canceled via WSACancelBlickingCall().";
    case wsa::WSAEBADF:
        return "Bad file number.";
    case wsa::WSAEACCES:
        return "The address specified is a broadcast address, but the socket doesn't support sending "
               "broadcast "
               "packets.";
    case wsa::WSAEFAULT:
        return "The address length supplied is too small.";
    case wsa::WSAEINVAL:
        return "This function shouldn't be called at this time because listen() wasn't called before "
               "accept().";
    case wsa::WSAEMFILE:
        return "The queue is empty and no descriptors are available.";
    case wsa::WSAEWOULDBLOCK:
        return "This is a non-blocking socket and no connections are present.";
    case wsa::WSAEINPROGRESS:
        return "A blocking call is now in progress.";
    case wsa::WSAEALREADY:
        return "The non-blocking routine has already finished.";
    case wsa::WSAENOTSOCK:
        return "The socket number used isn't a socket.";
    case wsa::WSAEDESTADDRREQ:
        return "A destination address wasn't given.";
    case wsa::WSAEMSGSIZE:
        return "The datagram was too large for the buffer and was truncated.";
    case wsa::WSAEPROTOTYPE:
        return "The socket can't use the protocol specified.";
    case wsa::WSAENOPROTOOPT:
        return "The option is unknown or unsupported.";
    case wsa::WSAEPROTONOSUPPORT:
        return "This protocol isn't supported.";
    case wsa::WSAESOCKTNOSUPPORT:
        return "This address family doesn't support the socket type specified.";
    case wsa::WSAEOPNOTSUPP:
        return "The socket referenced isn't open for connection oriented services.";
    case wsa::WSAEPFNOSUPPORT:
    case wsa::WSAEAFNOSUPPORT:
        return "The address family specified isn't supported by this protocol.";
    case wsa::WSAEADDRINUSE:
        return "The address given is already in use.";
    case wsa::WSAEADDRNOTAVAIL:
        return "The address isn't available from this machine.";
    case wsa::WSAENETDOWN:
        return "WINSOCK.DLL has reported that the network subsystem has failed.";
    case wsa::WSAENETUNREACH:
        return "The network can't be reached.";
    case wsa::WSAENETRESET:
        return "Winsock dropped the connection.";
    case wsa::WSAECONNABORTED:
        return "The connection was aborted due to a network failure.";
    case wsa::WSAECONNRESET:
        return "The connection was reset by the remote host.";
    case wsa::WSAENOBUFS:
        return "No buffer space is available.";
    case wsa::WSAEISCONN:
        return "The socket is already connected.";
    case wsa::WSAENOTCONN:
        return "The socket isn't connected.";
    case wsa::WSAESHUTDOWN:
        return "The socket has been shut down.";
    case wsa::WSAETIMEDOUT:
        return "A connection attempt timed out; no connection was established.";
    case wsa::WSAECONNREFUSED:
        return "The connection was refused.";
    case wsa::WSASYSNOTREADY:
        return "The network subsystem isn't ready for communications.";
    case wsa::WSAVERNOTSUPPORTED:
        return "The Winsock API version requested isn't supported.";
    case wsa::WSANOTINITIALISED:
        return "WSAStartup() must be called successfully before you can use this function.";
    case wsa::WSAEDISCON:
        return "The message terminated gracefully.";
    case wsa::WSAHOST_NOT_FOUND:
        return "The Authoritative Answer Host isn't available.";
    case wsa::WSATRY_AGAIN:
        return "The Non-Authoritative Host isn't available.";
    case wsa::WSANO_RECOVERY:
        return "This is a non-recoverable error or SERVERFAIL.";
    case wsa::WSANO_DATA:
        return "No data record of the type has been requested.";
    default:
        break;
    }
    if (code == wsa::WSAETOOMANYREFS || (code >= wsa::WSAELOOP && code <= wsa::WSAEREMOTE)) return {};
    return "Unknown Error Occured.";
}

wsa::Socket TSocket::CreateSocket() {
    if (!started_) {
        fail(wsa::WSANOTINITIALISED);
        show(ErrorText());
        return wsa::kInvalidSocket;
    }
    auto c = std::make_unique<Connection>();
    c->socket.setProxy(QNetworkProxy::NoProxy);
    c->socket.setReadBufferSize(kReadBufferSize);
    const wsa::Socket handle = ++lastHandle_;
    sockets_[handle] = std::move(c);
    return handle;
}

void TSocket::abortLookup() {
    if (qtLookupId_ != -1) QHostInfo::abortHostLookup(qtLookupId_);
    qtLookupId_ = -1;
    lookupSerial_ = 0; // an answer already queued finds no lookup to belong to
}

void TSocket::LookupHost(QObject* receiver, unsigned message, const std::string& hostName) {
    abortLookup();
    found_.clear();
    if (!started_) {
        fail(wsa::WSANOTINITIALISED);
        show(ErrorText());
        return;
    }
    const int serial = lookupSerial_ = ++lastLookupSerial_;
    lookupReceiver_ = receiver;
    lookupMessage_ = message;
    const QString name = QString::fromStdString(hostName);
    QHostAddress literal;
    if (literal.setAddress(name)) {
        // An address needs no name server (Qt would look its name up in reverse).
        QHostInfo info;
        info.setAddresses({literal});
        QMetaObject::invokeMethod(
            &context_, [this, serial, info] { lookedUp(serial, info); }, Qt::QueuedConnection);
        return;
    }
    qtLookupId_ = QHostInfo::lookupHost(name, &context_,
                                        [this, serial](const QHostInfo& info) { lookedUp(serial, info); });
}

void TSocket::lookedUp(int serial, const QHostInfo& info) {
    if (serial != lookupSerial_) return;
    qtLookupId_ = -1;
    found_ = info.addresses();
    const int code = wsa::errorFromLookup(info);
    if (lookupReceiver_)
        QCoreApplication::postEvent(lookupReceiver_,
                                    new wsa::WindowMessage(lookupMessage_, serial, wsa::makeLParam(0, code)));
}

bool TSocket::TakeHostAddress() {
    // The lookup is over once its message came.
    lookupSerial_ = 0;
    addresses_ = found_;
    return !addresses_.isEmpty();
}

std::string TSocket::AddressText() const {
    return addresses_.isEmpty() ? "0.0.0.0" : addresses_.first().toString().toStdString();
}

void TSocket::post(const Connection& c, wsa::Socket handle, wsa::EventCode event, int code) {
    if (c.receiver)
        QCoreApplication::postEvent(c.receiver,
                                    new wsa::WindowMessage(c.message, static_cast<std::uintptr_t>(handle),
                                                           wsa::makeLParam(event, code)));
}

wsa::Socket TSocket::Connect(QObject* receiver, unsigned message, std::uint16_t port) {
    const wsa::Socket handle = CreateSocket();
    if (handle == wsa::kInvalidSocket) return handle;
    Connection& c = *find(handle);
    c.receiver = receiver;
    c.message = message;
    c.port = port;
    c.untried = addresses_;
    QTcpSocket* s = &c.socket;
    QObject::connect(s, &QTcpSocket::connected, s, [this, handle] {
        Connection& opened = *find(handle);
        opened.connected = true;
        post(opened, handle, wsa::FD_CONNECT);
        post(opened, handle, wsa::FD_WRITE);
    });
    QObject::connect(s, &QTcpSocket::readyRead, s, [this, handle] {
        Connection& reading = *find(handle);
        if (reading.readTold) return; // one event per arrival: the next after the receiver has read
        reading.readTold = true;
        post(reading, handle, wsa::FD_READ);
    });
    QObject::connect(s, &QTcpSocket::errorOccurred, s,
                     [this, handle](QAbstractSocket::SocketError error) { socketFailed(handle, error); });
    QObject::connect(s, &QTcpSocket::disconnected, s, [this, handle] { peerGone(handle, 0); });
    if (c.untried.isEmpty()) {
        // Nothing to connect to: told as a failed connect is told.
        show(ErrorTextFor(wsa::WSAEDESTADDRREQ));
        post(c, handle, wsa::FD_CONNECT, wsa::WSAEDESTADDRREQ);
        return handle;
    }
    tryNextAddress(c);
    return handle;
}

void TSocket::tryNextAddress(Connection& c) {
    c.socket.connectToHost(c.untried.takeFirst(), c.port);
}

void TSocket::socketFailed(wsa::Socket handle, QAbstractSocket::SocketError error) {
    Connection& c = *find(handle);
    const int code = wsa::errorFromSocket(error, c.socket.errorString());
    if (c.connected) {
        c.sendError = code; // a send that meets a closed peer is told as a reset
        // Qt does not tell a peer's orderly end from a reset: its close event tells the orderly end.
        peerGone(handle, error == QAbstractSocket::RemoteHostClosedError ? 0 : code);
        return;
    }
    if (!c.untried.isEmpty()) {
        // The socket takes a new connect only once it is back in the event loop.
        QMetaObject::invokeMethod(
            &c.socket, [this, handle] { tryNextAddress(*find(handle)); }, Qt::QueuedConnection);
        return;
    }
    // A refusal, a time-out or an unreachable host is the far end's answer and comes with the connect
    // event alone; any other failure is this machine's or its network's, and its sentence is shown.
    if (code != wsa::WSAECONNREFUSED && code != wsa::WSAETIMEDOUT && code != wsa::WSAEHOSTUNREACH)
        showLater(code);
    post(c, handle, wsa::FD_CONNECT, code);
}

void TSocket::peerGone(wsa::Socket handle, int code) {
    Connection& c = *find(handle);
    if (c.peerClosed || !c.connected) return;
    c.peerClosed = true;
    c.closeCode = code;
    tellWhenRead(c, handle);
}

// The close event comes once everything that arrived before it has been read.
void TSocket::tellWhenRead(Connection& c, wsa::Socket handle) {
    if (!c.peerClosed || c.closeTold || c.readTold || c.socket.bytesAvailable() > 0) return;
    c.closeTold = true;
    post(c, handle, wsa::FD_CLOSE, c.closeCode);
}

void TSocket::SendLine(wsa::Socket handle, const std::string& text) {
    // The line, CR LF and the closing NUL must fit the buffer.
    if (text.size() + 3 > static_cast<std::size_t>(kSendBufferSize)) {
        show(ErrorTextFor(wsa::WSAENOBUFS));
        return;
    }
    Connection* c = find(handle);
    if (!c) {
        fail(wsa::WSAENOTSOCK);
        show(ErrorText());
        return;
    }
    if (c->socket.state() != QAbstractSocket::ConnectedState) {
        // A peer that has gone is told by its close event; a socket never connected, here.
        if (!c->connected) {
            fail(wsa::WSAENOTCONN);
            show(ErrorText());
        }
        return;
    }
    c->sendError = 0;
    c->socket.write(QByteArray::fromStdString(text + "\r\n"));
    c->socket.flush(); // on the wire now, or its error known now, as a send would tell
    if (c->sendError) {
        fail(c->sendError);
        show(ErrorText());
    }
}

long TSocket::Receive(wsa::Socket handle, char* buffer, std::size_t length) {
    Connection* c = find(handle);
    if (!c) return fail(wsa::WSAENOTSOCK);
    c->readTold = false;
    if (!c->socket.isOpen()) return c->peerClosed ? 0 : fail(wsa::WSAENOTCONN);
    const qint64 received = c->socket.read(buffer, static_cast<qint64>(length));
    if (c->socket.bytesAvailable() > 0) {
        c->readTold = true;
        post(*c, handle, wsa::FD_READ);
    } else {
        tellWhenRead(*c, handle);
    }
    if (received > 0) return static_cast<long>(received);
    if (c->peerClosed) return 0;
    return fail(received < 0 ? wsa::errorFromSocket(c->socket.error()) : wsa::WSAEWOULDBLOCK);
}

bool TSocket::IsConnected(wsa::Socket handle) {
    const Connection* c = find(handle);
    if (c && c->connected) return true;
    fail(c ? wsa::WSAENOTCONN : wsa::WSAENOTSOCK);
    if (!c) show(ErrorText());
    return false;
}

void TSocket::CloseSocket(wsa::Socket handle) {
    sockets_.erase(handle);
}

} // namespace vitrinex
