#include "net/TSocket.h"

#include "platform/sockets/WinsockErrors.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>

namespace vitrinex {

TSocket::TSocket(std::function<void(const std::string&)> showMessage)
    : showMessage_(std::move(showMessage)) {}

TSocket::~TSocket() {
    // A lookup still running must not write into the buffer released below.
    if (lookupHandle_) wsa::CancelAsyncRequest(lookupHandle_);
}

void TSocket::show(const std::string& text) const {
    if (showMessage_) showMessage_(text);
}

bool TSocket::StartupAnswerAccepted(int code) {
    return code != wsa::WSAEINVAL && code != wsa::WSASYSNOTREADY && code != wsa::WSAVERNOTSUPPORTED;
}

bool TSocket::Startup() {
    const int answer = wsa::Startup(0x0101, &startupInfo_);
    started_ = answer == 0;
    return StartupAnswerAccepted(answer);
}

void TSocket::Cleanup() {
    if (lookupHandle_) wsa::CancelAsyncRequest(lookupHandle_);
    lookupHandle_ = 0;
    wsa::CancelBlockingCall();
    if (started_) wsa::Cleanup();
    started_ = false;
}

std::string TSocket::ErrorText() const {
    return ErrorTextFor(wsa::LastError());
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
    const wsa::Socket s = wsa::CreateSocket();
    if (s == wsa::kInvalidSocket) show(ErrorText());
    return s;
}

void TSocket::releaseWorkingBuffer() {
    if (lookupHandle_) wsa::CancelAsyncRequest(lookupHandle_);
    lookupHandle_ = 0;
    hostEntry_ = nullptr;
    workingBuffer_.reset();
}

void TSocket::LookupHost(QObject* receiver, unsigned message, const std::string& hostName) {
    releaseWorkingBuffer();
    hostName_ = hostName;
    workingBuffer_ = std::make_unique<char[]>(kHostEntryBufferSize);
    lookupHandle_ = wsa::AsyncGetHostByName(receiver, message, hostName_.c_str(), workingBuffer_.get(),
                                            kHostEntryBufferSize);
    if (lookupHandle_ == 0) show(ErrorText());
}

bool TSocket::TakeHostAddress() {
    // The lookup is over once its message came; its buffer is ours again.
    lookupHandle_ = 0;
    if (!workingBuffer_) return false;
    const auto* entry = reinterpret_cast<const hostent*>(workingBuffer_.get());
    hostEntry_ = entry;
    if (entry->h_length <= 0 || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr)
        return false;
    const auto* first = reinterpret_cast<const std::uint8_t*>(entry->h_addr_list[0]);
    address_.assign(first, first + entry->h_length);
    return true;
}

std::string TSocket::AddressText() const {
    std::string text;
    for (std::size_t i = 0; i < 4; ++i) {
        if (i) text += '.';
        text += std::to_string(i < address_.size() ? address_[i] : 0);
    }
    return text;
}

wsa::Socket TSocket::Connect(QObject* receiver, unsigned message, std::uint16_t port) {
    const wsa::Socket s = CreateSocket();
    if (s == wsa::kInvalidSocket) return s;
    const std::uint16_t portNetworkOrder = htons(port);
    const std::uint32_t ipv4 = wsa::InetAddr(AddressText().c_str());
    if (wsa::AsyncSelect(s, receiver, message,
                         wsa::FD_READ | wsa::FD_WRITE | wsa::FD_CONNECT | wsa::FD_CLOSE) != 0) {
        show(ErrorText());
        return s;
    }
    if (wsa::Connect(s, ipv4, portNetworkOrder) != 0 && wsa::LastError() != wsa::WSAEWOULDBLOCK)
        show(ErrorText());
    return s;
}

void TSocket::SendLine(wsa::Socket handle, const std::string& text) {
    releaseWorkingBuffer();
    // The line, CR LF and the closing NUL must fit the buffer.
    if (text.size() + 3 > static_cast<std::size_t>(kSendBufferSize)) {
        show(ErrorTextFor(wsa::WSAENOBUFS));
        return;
    }
    workingBuffer_ = std::make_unique<char[]>(kSendBufferSize);
    char* line = workingBuffer_.get();
    std::memcpy(line, text.data(), text.size());
    std::memcpy(line + text.size(), "\r\n", 3);
    if (wsa::Send(handle, line, std::strlen(line)) < 0 && wsa::LastError() != wsa::WSAEWOULDBLOCK)
        show(ErrorText());
}

bool TSocket::IsConnected(wsa::Socket handle) {
    if (wsa::GetPeerName(handle, nullptr) == 0) return true;
    if (wsa::LastError() != wsa::WSAENOTCONN) show(ErrorText());
    return false;
}

void TSocket::CloseSocket(wsa::Socket handle) {
    wsa::CloseSocket(handle);
}

} // namespace vitrinex
