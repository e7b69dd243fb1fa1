#pragma once
// The asynchronous sockets layer: Windows Sockets 1.1 in its asynchronous form over POSIX
// non-blocking sockets and QSocketNotifier. Socket events and finished host lookups arrive as
// `WindowMessage` events posted to the receiving object, carrying a WParam and an LParam laid out
// as window messages lay them out. Every call returns at once; the host lookup runs on a worker
// thread of its own and its result is posted back to the thread that asked for it.

#include <QEvent>
#include <QObject>

#include <cstddef>
#include <cstdint>

namespace vitrinex::wsa {

using Socket = int;
constexpr Socket kInvalidSocket = -1;

// Event codes of WSAAsyncSelect (low 16 bits of a socket message's LParam).
enum EventCode : std::uint16_t { FD_READ = 1, FD_WRITE = 2, FD_CONNECT = 16, FD_CLOSE = 32 };
// shutdown() directions.
enum ShutdownHow : int { SD_RECEIVE = 0, SD_SEND = 1, SD_BOTH = 2 };

constexpr std::uint32_t makeLParam(std::uint16_t low, std::uint16_t high) {
    return static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16);
}
constexpr std::uint16_t lowWord(std::uint32_t lParam) {
    return lParam & 0xFFFF;
}
constexpr std::uint16_t highWord(std::uint32_t lParam) {
    return lParam >> 16;
}

// A window message: its number and its two parameters.
class WindowMessage : public QEvent {
public:
    WindowMessage(unsigned message, std::uintptr_t wParam, std::uint32_t lParam)
        : QEvent(eventType()), message(message), wParam(wParam), lParam(lParam) {}
    static QEvent::Type eventType();

    const unsigned message;
    const std::uintptr_t wParam;
    const std::uint32_t lParam;
};

// What WSAStartup fills in.
struct WSAData {
    std::uint16_t wVersion = 0;
    std::uint16_t wHighVersion = 0;
    char szDescription[257] = {};
    char szSystemStatus[129] = {};
};

// Every call below sets the calling thread's last error (LastError) when it fails.
int LastError();

// 0, or an error code (the last error is not set by this one call, as with Winsock).
int Startup(std::uint16_t versionRequested, WSAData* data);
int Cleanup();
void CancelBlockingCall();

Socket CreateSocket(); // Internet family, stream type, default protocol

// Non-blocking from here on; events of `mask` on `socket` are posted to `receiver` as `message`.
int AsyncSelect(Socket socket, QObject* receiver, unsigned message, long mask);
// `ipv4` in network byte order; returns 0, or -1 with WSAEWOULDBLOCK while the connect runs on.
int Connect(Socket socket, std::uint32_t ipv4, std::uint16_t portNetworkOrder);
long Send(Socket socket, const char* data, std::size_t length);
long Recv(Socket socket, char* buffer, std::size_t length);
int Shutdown(Socket socket, int how);
int CloseSocket(Socket socket);
// 0 when the socket has a peer (its address goes to `ipv4`), else -1.
int GetPeerName(Socket socket, std::uint32_t* ipv4);
// Dotted text to an address in network byte order; 0xFFFFFFFF (INADDR_NONE) for anything else.
std::uint32_t InetAddr(const char* dotted);

// Starts a lookup of `name`. When it ends, `buffer` holds a host entry (a `hostent` followed by the
// texts and addresses it points to) and `message` is posted to `receiver` with the request's handle
// as WParam and the error (0 on success) in the high 16 bits of LParam. Returns the handle, or 0
// when the lookup could not be started. The buffer must live until the message arrives or the
// request is cancelled.
std::uintptr_t AsyncGetHostByName(QObject* receiver, unsigned message, const char* name, char* buffer,
                                  int bufferLength);
// After this no message of the request is posted and its buffer is not written any more.
int CancelAsyncRequest(std::uintptr_t handle);

} // namespace vitrinex::wsa
