// TSocket over Qt Network: lookups and their messages, a connection's lines both ways over IPv4 and
// IPv6, the error sentences, and taking a host and path out of an update URL.

#include "net/TSocket.h"
#include "net/UpdateHost.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace vitrinex;

namespace {

struct Receiver : QObject {
    std::vector<std::pair<unsigned, std::uint32_t>> messages;
    bool event(QEvent* e) override {
        if (e->type() != wsa::WindowMessage::eventType()) return QObject::event(e);
        const auto* m = static_cast<wsa::WindowMessage*>(e);
        messages.emplace_back(m->message, m->lParam);
        return true;
    }
};

} // namespace

class TestTSocket : public QObject {
    Q_OBJECT
private slots:
    void lookupCopiesTheWholeAddress_data() {
        QTest::addColumn<QString>("host");
        QTest::newRow("loopback") << "127.0.0.1";
        QTest::newRow("zero bytes inside") << "10.0.0.1";
    }
    void lookupCopiesTheWholeAddress() {
        QFETCH(QString, host);
        QStringList boxes;
        TSocket s([&](const std::string& t) { boxes << QString::fromStdString(t); });
        QVERIFY(s.Startup());
        Receiver r;
        s.LookupHost(&r, HostLookupMessage, host.toStdString());
        QTRY_COMPARE(r.messages.size(), std::size_t(1));
        QCOMPARE(r.messages[0].first, HostLookupMessage);
        QCOMPARE(wsa::highWord(r.messages[0].second), 0);
        QVERIFY(s.TakeHostAddress());
        QCOMPARE(QString::fromStdString(s.AddressText()), host);
        QVERIFY(boxes.isEmpty());
        s.Cleanup();
    }

    void unknownHostReportsItsErrorInTheMessage() {
        TSocket s(nullptr);
        QVERIFY(s.Startup());
        Receiver r;
        s.LookupHost(&r, HostLookupMessage, "nosuchhost.invalid");
        QTRY_COMPARE(r.messages.size(), std::size_t(1));
        QVERIFY(wsa::highWord(r.messages[0].second) >= wsa::WSAHOST_NOT_FOUND);
        s.Cleanup();
    }

    void cleanupOrDestructionEndsALookupInFlight_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("destroyOnly");
        QTest::newRow("address, cleanup") << "127.0.0.1" << false;
        QTest::newRow("name, cleanup") << "localhost" << false;
        QTest::newRow("name, destruction") << "localhost" << true;
    }
    void cleanupOrDestructionEndsALookupInFlight() {
        QFETCH(QString, host);
        QFETCH(bool, destroyOnly);
        Receiver r;
        {
            TSocket s(nullptr);
            QVERIFY(s.Startup());
            s.LookupHost(&r, HostLookupMessage, host.toStdString());
            if (!destroyOnly) s.Cleanup();
        }
        QTest::qWait(300);
        QVERIFY(r.messages.empty());
    }

    // Lines go out with CR LF (one too long for the send buffer is refused), everything the server
    // sends comes in by Receive, and the close event follows the last byte.
    void aConnectionCarriesLinesBothWays_data() {
        QTest::addColumn<QString>("address");
        QTest::newRow("IPv4") << "127.0.0.1";
        QTest::newRow("IPv6") << "::1";
    }
    void aConnectionCarriesLinesBothWays() {
        QFETCH(QString, address);
        QTcpServer server;
        if (!server.listen(QHostAddress(address)))
            QSKIP(qPrintable("no loopback at " + address + ": " + server.errorString()));
        const QByteArray answer(3 * TSocket::kReadBufferSize + 5, 'a');
        QByteArray request;
        connect(&server, &QTcpServer::newConnection, [&] {
            QTcpSocket* peer = server.nextPendingConnection();
            connect(peer, &QTcpSocket::readyRead, [&, peer] {
                request += peer->readAll();
                if (!request.endsWith("\r\n")) return;
                peer->write(answer);
                peer->disconnectFromHost();
            });
        });
        QStringList boxes;
        TSocket s([&](const std::string& t) { boxes << QString::fromStdString(t); });
        QVERIFY(s.Startup());
        Receiver r;
        s.LookupHost(&r, HostLookupMessage, address.toStdString());
        QTRY_COMPARE(r.messages.size(), std::size_t(1));
        QVERIFY(s.TakeHostAddress());
        QCOMPARE(QString::fromStdString(s.AddressText()), address);
        const wsa::Socket handle = s.Connect(&r, SocketEventMessage, server.serverPort());
        QTRY_VERIFY(r.messages.size() > 1);
        QCOMPARE(r.messages[1].second, wsa::makeLParam(wsa::FD_CONNECT, 0));
        QVERIFY(s.IsConnected(handle));
        s.SendLine(handle, std::string(1022, 'x')); // does not fit with CR LF and NUL
        s.SendLine(handle, "GET /update.auf");
        QByteArray received;
        bool closed = false;
        while (!closed && QTest::qWaitFor([&] { return r.messages.size() > 2; }, 5000)) {
            const std::uint32_t event = r.messages[2].second;
            r.messages.erase(r.messages.begin() + 2);
            closed = event == wsa::makeLParam(wsa::FD_CLOSE, 0);
            char block[8192];
            const long n = s.Receive(handle, block, sizeof block);
            if (n > 0) received.append(block, n);
        }
        QVERIFY(closed);
        QCOMPARE(request, "GET /update.auf\r\n");
        QCOMPARE(received.size(), answer.size());
        QCOMPARE(boxes, QStringList{"No buffer space is available."});
        s.Cleanup();
    }

    void errorSentences() {
        QCOMPARE(TSocket::ErrorTextFor(wsa::WSAEAFNOSUPPORT), TSocket::ErrorTextFor(wsa::WSAEPFNOSUPPORT));
        for (int code : {wsa::WSAETOOMANYREFS, wsa::WSAELOOP, wsa::WSAEREMOTE})
            QVERIFY(TSocket::ErrorTextFor(code).empty());
        for (int code : {0, 10005, 10034, 10072, 11005})
            QCOMPARE(TSocket::ErrorTextFor(code), "Unknown Error Occured.");
        QCOMPARE(TSocket::ErrorTextFor(wsa::errorFromSocket(QAbstractSocket::ConnectionRefusedError)),
                 "The connection was refused.");
        QCOMPARE(wsa::errorFromSocket(QAbstractSocket::NetworkError, "Network unreachable"),
                 wsa::WSAENETUNREACH);
        QVERIFY(TSocket::StartupAnswerAccepted(wsa::WSAEPROCLIM));
        QVERIFY(!TSocket::StartupAnswerAccepted(wsa::WSAVERNOTSUPPORTED));
    }

    void hostPortAndPathOfAnUpdateUrl() {
        int port = -1;
        QCOMPARE(net::hostFromUrl(net::updateUrl("SW", "www.quillory.com"), port), "www.quillory.com");
        QCOMPARE(port, 0);
        QCOMPARE(net::hostFromUrl(net::updateUrl("HW", "127.0.0.1:8080"), port), "127.0.0.1");
        QCOMPARE(port, 8080);
        QCOMPARE(net::pathFromUrl(net::updateUrl("HW", "127.0.0.1:8080")), "/hwupdate.auf");
        QCOMPARE(net::hostFromUrl(net::updateUrl("SW", "[::1]:8080"), port), "::1");
        QCOMPARE(port, 8080);
        QCOMPARE(net::hostFromUrl(net::updateUrl("XX", "h"), port), "");
        QCOMPARE(net::pathFromUrl(""), "");
        QCOMPARE(net::pathFromUrl("http://h/"), "h/");
    }
};

QTEST_GUILESS_MAIN(TestTSocket)
#include "test_tsocket.moc"
