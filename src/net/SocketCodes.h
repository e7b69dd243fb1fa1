#pragma once
// The Winsock vocabulary TSocket speaks to its receivers: socket handles, the error codes its
// sentences are keyed by, the event codes and how a message's LParam carries them, and the
// `WindowMessage` event that brings socket events and finished host lookups. The codes of Qt
// Network's socket and lookup errors are mapped here to the Winsock codes they stand for.

#include <QAbstractSocket>
#include <QEvent>
#include <QHostInfo>

#include <cstdint>

namespace vitrinex::wsa {

using Socket = int;
constexpr Socket kInvalidSocket = -1;

enum ErrorCode : int {
    WSAEINTR = 10004,
    WSAEBADF = 10009,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEDESTADDRREQ = 10039,
    WSAEMSGSIZE = 10040,
    WSAEPROTOTYPE = 10041,
    WSAENOPROTOOPT = 10042,
    WSAEPROTONOSUPPORT = 10043,
    WSAESOCKTNOSUPPORT = 10044,
    WSAEOPNOTSUPP = 10045,
    WSAEPFNOSUPPORT = 10046,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAENETRESET = 10052,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETOOMANYREFS = 10059,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAELOOP = 10062,
    WSAEHOSTUNREACH = 10065,
    WSAEPROCLIM = 10067,
    WSAEREMOTE = 10071,
    WSASYSNOTREADY = 10091,
    WSAVERNOTSUPPORTED = 10092,
    WSANOTINITIALISED = 10093,
    WSAEDISCON = 10101,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004,
};

// Event codes of a socket message (low 16 bits of its LParam).
enum EventCode : std::uint16_t { FD_READ = 1, FD_WRITE = 2, FD_CONNECT = 16, FD_CLOSE = 32 };

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
    WindowMessage(unsigned number, std::uintptr_t wordParameter, std::uint32_t longParameter)
        : QEvent(eventType()), message(number), wParam(wordParameter), lParam(longParameter) {}
    static QEvent::Type eventType();

    const unsigned message;
    const std::uintptr_t wParam;
    const std::uint32_t lParam;
};

// The Winsock code of a socket's error. Qt folds several system errors into NetworkError; its
// description tells them apart (network or host unreachable, timed out), else it is WSAENETDOWN.
int errorFromSocket(QAbstractSocket::SocketError error, const QString& description = {});

// The Winsock code of a host lookup's result (0 when it found addresses).
int errorFromLookup(const QHostInfo& info);

} // namespace vitrinex::wsa
