// TSocket over the sockets layer: lookups and their messages, the bytes a line puts on the wire,
// the error sentences, and taking a host and path out of an update URL.

#include "net/TSocket.h"
#include "net/UpdateHost.h"
#include "platform/sockets/WinsockErrors.h"

#include <QTest>

#include <sys/socket.h>
#include <unistd.h>

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

    void cleanupCancelsALookupInFlight() {
        Receiver r;
        {
            TSocket s(nullptr);
            QVERIFY(s.Startup());
            s.LookupHost(&r, HostLookupMessage, "127.0.0.1");
            s.Cleanup();
        }
        QTest::qWait(200);
        QVERIFY(r.messages.empty());
    }

    void sendLinePutsTheTextAndCrLfOnTheWire() {
        int pair[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        QStringList boxes;
        TSocket s([&](const std::string& t) { boxes << QString::fromStdString(t); });
        s.SendLine(pair[0], "ABCDEF");
        s.SendLine(pair[0], std::string(1022, 'x')); // does not fit with CR LF and NUL
        ::close(pair[0]);
        char got[64];
        QCOMPARE(::read(pair[1], got, sizeof got), 8);
        QCOMPARE(QByteArray(got, 8), QByteArray("ABCDEF\r\n"));
        ::close(pair[1]);
        QCOMPARE(boxes, QStringList{"No buffer space is available."});
    }

    void errorSentences() {
        QCOMPARE(TSocket::ErrorTextFor(wsa::WSAEAFNOSUPPORT), TSocket::ErrorTextFor(wsa::WSAEPFNOSUPPORT));
        for (int code : {wsa::WSAETOOMANYREFS, wsa::WSAELOOP, wsa::WSAEREMOTE})
            QVERIFY(TSocket::ErrorTextFor(code).empty());
        for (int code : {0, 10005, 10034, 10072, 11005})
            QCOMPARE(TSocket::ErrorTextFor(code), "Unknown Error Occured.");
        QCOMPARE(TSocket::ErrorTextFor(wsa::errorFromErrno(ECONNREFUSED)), "The connection was refused.");
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
        QCOMPARE(net::hostFromUrl(net::updateUrl("XX", "h"), port), "");
        QCOMPARE(net::pathFromUrl(""), "");
        QCOMPARE(net::pathFromUrl("http://h/"), "h/");
    }
};

QTEST_GUILESS_MAIN(TestTSocket)
#include "test_tsocket.moc"
