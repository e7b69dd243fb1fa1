#pragma once
// TSocket: the small socket client of the catalog update. It resolves a host name, opens one TCP
// connection and sends text lines, and has the sockets layer tell its receiver of network events
// through the messages 1524 (socket events) and 1525 (finished host lookups). Every error it meets
// is shown at once as one English sentence; it never throws and never retries.

#include "platform/sockets/AsyncSockets.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vitrinex {

// Socket events: WParam the socket handle, LParam low 16 bits the event code (1 data to read,
// 2 ready to write, 16 connect finished, 32 closed), high 16 bits the event's error code.
constexpr unsigned SocketEventMessage = 1524;
// Host lookups: LParam high 16 bits the error code, 0 on success.
constexpr unsigned HostLookupMessage = 1525;

class TSocket {
public:
    static constexpr int kHostEntryBufferSize = 1025;
    static constexpr int kSendBufferSize = 1024;

    // `showMessage` shows one sentence in a plain message box (one OK button).
    explicit TSocket(std::function<void(const std::string&)> showMessage);
    ~TSocket();
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;

    bool Startup();
    void Cleanup();
    std::string ErrorText() const;
    wsa::Socket CreateSocket();
    void LookupHost(QObject* receiver, unsigned message, const std::string& hostName);
    bool TakeHostAddress();
    std::string AddressText() const;
    wsa::Socket Connect(QObject* receiver, unsigned message, std::uint16_t port);
    void SendLine(wsa::Socket handle, const std::string& text);
    bool IsConnected(wsa::Socket handle);
    void CloseSocket(wsa::Socket handle);

    // The sentence for a Winsock error code; empty for the codes that have none.
    static std::string ErrorTextFor(int code);
    // Whether Startup goes on after the platform answered `code` (0 on success).
    static bool StartupAnswerAccepted(int code);

private:
    void show(const std::string& text) const;
    void releaseWorkingBuffer();

    std::function<void(const std::string&)> showMessage_;
    wsa::WSAData startupInfo_;
    bool started_ = false;
    std::string hostName_;
    // The host entry of a lookup, or later the send buffer.
    std::unique_ptr<char[]> workingBuffer_;
    std::uintptr_t lookupHandle_ = 0;
    const void* hostEntry_ = nullptr;
    std::vector<std::uint8_t> address_;
};

} // namespace vitrinex
