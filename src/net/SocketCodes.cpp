#include "net/SocketCodes.h"

#include <QCoreApplication>

namespace vitrinex::wsa {

QEvent::Type WindowMessage::eventType() {
    static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
    return t;
}

namespace {

// Qt's own description of a NetworkError, as the running program words it.
bool describedAs(const QString& description, const char* qtText) {
    return description == QLatin1String(qtText) ||
           description == QCoreApplication::translate("QNativeSocketEngine", qtText);
}

} // namespace

int errorFromSocket(QAbstractSocket::SocketError error, const QString& description) {
    using E = QAbstractSocket::SocketError;
    switch (error) {
    case E::ConnectionRefusedError:
    case E::ProxyConnectionRefusedError:
        return WSAECONNREFUSED;
    case E::RemoteHostClosedError:
    case E::ProxyConnectionClosedError:
        return WSAECONNRESET;
    case E::HostNotFoundError:
    case E::ProxyNotFoundError:
        return WSAHOST_NOT_FOUND;
    case E::SocketAccessError:
        return WSAEACCES;
    case E::SocketResourceError:
        return WSAEMFILE;
    case E::SocketTimeoutError:
    case E::ProxyConnectionTimeoutError:
        return WSAETIMEDOUT;
    case E::DatagramTooLargeError:
        return WSAEMSGSIZE;
    case E::AddressInUseError:
        return WSAEADDRINUSE;
    case E::SocketAddressNotAvailableError:
        return WSAEADDRNOTAVAIL;
    case E::UnsupportedSocketOperationError:
        return WSAEAFNOSUPPORT; // an address family the machine lacks (IPv6)
    case E::UnfinishedSocketOperationError:
    case E::TemporaryError:
        return WSAEWOULDBLOCK;
    case E::OperationError:
        return WSAEINVAL;
    case E::NetworkError:
        if (describedAs(description, "Network unreachable")) return WSAENETUNREACH;
        if (describedAs(description, "Host unreachable")) return WSAEHOSTUNREACH;
        if (describedAs(description, "Connection timed out")) return WSAETIMEDOUT;
        return WSAENETDOWN;
    default:
        return WSAENETDOWN;
    }
}

int errorFromLookup(const QHostInfo& info) {
    switch (info.error()) {
    case QHostInfo::NoError:
        return info.addresses().isEmpty() ? WSANO_DATA : 0;
    case QHostInfo::HostNotFound:
        return WSAHOST_NOT_FOUND;
    default:
        return WSATRY_AGAIN; // most often no name server answered
    }
}

} // namespace vitrinex::wsa
