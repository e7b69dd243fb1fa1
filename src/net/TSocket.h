#pragma once
// TSocket: the small socket client of the catalog update, over Qt Network (IPv4 and IPv6). It
// resolves a host name, opens one TCP connection, sends text lines and hands out what arrives, and
// tells its receiver of network events through the messages 1524 (socket events) and 1525 (finished
// host lookups). Every error it meets is shown at once as one English sentence, keyed by its
// Winsock code; it never throws and never retries.

#include "net/SocketCodes.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vitrinex {

// Socket events: WParam the socket handle, LParam low 16 bits the event code (1 data to read,
// 2 ready to write, 16 connect finished, 32 closed), high 16 bits the event's error code.
constexpr unsigned SocketEventMessage = 1524;
// Host lookups: LParam high 16 bits the error code, 0 on success.
constexpr unsigned HostLookupMessage = 1525;

class TSocket {
public:
    static constexpr int kSendBufferSize = 1024;
    // What a socket holds unread at most: a server that sends faster than the receiver reads waits.
    static constexpr qint64 kReadBufferSize = qint64{64} * 1024;

    // `showMessage` shows one sentence in a plain message box (one OK button).
    explicit TSocket(std::function<void(const std::string&)> showMessage);
    ~TSocket();
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;

    bool Startup();
    // Ends the lookup in flight and closes every socket: nothing of them arrives afterwards.
    void Cleanup();
    std::string ErrorText() const;
    wsa::Socket CreateSocket();
    void LookupHost(QObject* receiver, unsigned message, const std::string& hostName);
    bool TakeHostAddress();
    std::string AddressText() const;
    // Connects to the address taken, or to the next one the lookup found when it fails.
    wsa::Socket Connect(QObject* receiver, unsigned message, std::uint16_t port);
    void SendLine(wsa::Socket handle, const std::string& text);
    // Moves up to `length` received bytes into `buffer`: their count; 0 once the peer has closed and
    // everything is read; -1 when nothing has arrived yet (WSAEWOULDBLOCK) or on an error (ErrorText).
    // Data left after the read comes with a new read event.
    long Receive(wsa::Socket handle, char* buffer, std::size_t length);
    bool IsConnected(wsa::Socket handle);
    void CloseSocket(wsa::Socket handle);

    // The sentence for a Winsock error code; empty for the codes that have none.
    static std::string ErrorTextFor(int code);
    // Whether Startup goes on after the platform answered `code` (0 on success).
    static bool StartupAnswerAccepted(int code);

private:
    struct Connection;

    void show(const std::string& text) const;
    void showLater(int code);
    int fail(int code);
    Connection* find(wsa::Socket handle);
    void abortLookup();
    void lookedUp(int serial, const QHostInfo& info);
    void tryNextAddress(Connection& c);
    void socketFailed(wsa::Socket handle, QAbstractSocket::SocketError error);
    void peerGone(wsa::Socket handle, int code);
    void tellWhenRead(Connection& c, wsa::Socket handle);
    static void post(const Connection& c, wsa::Socket handle, wsa::EventCode event, int code = 0);

    std::function<void(const std::string&)> showMessage_;
    // The context of every callback: destroyed with the client, it takes them along.
    QObject context_;
    bool started_ = false;
    int lastError_ = 0;
    // The lookup in flight: our serial (0 for none), Qt's id (-1 for none), where its answer goes.
    int lookupSerial_ = 0, lastLookupSerial_ = 0, qtLookupId_ = -1;
    QPointer<QObject> lookupReceiver_;
    unsigned lookupMessage_ = 0;
    QList<QHostAddress> found_, addresses_; // the lookup's answer; what Connect tries, in order
    std::map<wsa::Socket, std::unique_ptr<Connection>> sockets_;
    wsa::Socket lastHandle_ = 0;
};

} // namespace vitrinex
