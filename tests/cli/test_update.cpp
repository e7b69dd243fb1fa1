// vitrinex-cli update end to end against a loopback HTTP server: a good update file is applied after a
// backup; every way the server or the network can fail ends in its texts with the collection file
// byte for byte as before.

#include "CliRunner.h"
#include "UpdateServer.h"

#include <QJsonObject>
#include <QtTest>

#include <sys/resource.h>

using namespace vitrinex::testing;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray sampleAnswer(const char* name) {
    return bytesOf(QStringLiteral(VITRINEX_SOURCE_DIR "/assets/samples/") + name);
}

} // namespace

class UpdateTest : public QObject {
    Q_OBJECT

    const QString collection = QDir::current().absoluteFilePath("heroes.fcd");

    // The update server, the network's timeout and the download's deadline, as the program reads them.
    static CliOptions against(const QString& host, const QString& timeoutMs = "5000",
                              const QString& deadlineMs = "3000") {
        CliOptions o;
        o.environment = {{"VITRINEX_UPDATE_HOST", host},
                         {"VITRINEX_UPDATE_TIMEOUT_MS", timeoutMs},
                         {"VITRINEX_UPDATE_DEADLINE_MS", deadlineMs}};
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer keeps up to 256 MiB of freed memory from reuse; what the bounds check is the
        // program's own memory.
        o.environment.push_back({"ASAN_OPTIONS", "detect_leaks=0:quarantine_size_mb=16"});
#endif
        o.timeoutMs = 60000;
        return o;
    }
    CliRun cli(const QStringList& args, const QString& host, const QString& timeoutMs = "5000") {
        return runCli(args, against(host, timeoutMs));
    }

private slots:
    void init() {
        QFile::remove(collection);
        QVERIFY(QFile::copy(VITRINEX_SOURCE_DIR "/assets/samples/Vintage Heroes.fcd", collection));
        QFile::setPermissions(collection, QFile::ReadOwner | QFile::WriteOwner);
    }

    void goodFileUpdatesTheCollectionAfterABackup() {
        UpdateServer server(
            {{"update.auf", sampleAnswer("update.auf")}, {"hwupdate.auf", sampleAnswer("hwupdate.auf")}});
        SKIP_WITHOUT_SERVER(server);
        const QByteArray before = bytesOf(collection);
        const CliRun run = cli({"update", collection, "--type", "SW"}, server.hostPort());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.json()["label"].toString(),
                 "vitrinex has completed updating your collection. press ok to continue.");
        QCOMPARE(run.json()["status"].toString(),
                 "Kenner Star Wars POTF catalog of 12/1/2026: 9 price changes");
        QCOMPARE(bytesOf("heroes.bak").size(), before.size());

        const QJsonObject shown = runCli({"show", collection}).json();
        QCOMPARE(shown["header"].toObject()["UpdateType"].toString(), "SW");
        const QJsonObject first = shown["items"].toArray().at(0).toObject(); // SP1001, the first record
        QCOMPARE(first["CatNum"].toString(), "SP1001");
        QCOMPARE(first["Price"].toString(), "$26.50");
        QCOMPARE(first["UpdateMark"].toString(), "Updated");

        // The type is kept: a second update needs no --type and follows the same catalog.
        QCOMPARE(cli({"update", collection}, server.hostPort()).status, 0);
    }

    void failuresLeaveTheCollectionAsItWas_data() {
        QTest::addColumn<QString>("served"); // the update.auf the server holds, "" for none
        QTest::addColumn<QString>("host");   // "" for the server, else a fixed host
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("status");
        const QString notFound = "update file could not be found on host. please try again later.";
        QTest::newRow("missing file") << ""
                                      << "" << notFound << "status:  update file not found . . .";
        QTest::newRow("closes early") << "AB12|4.50*"
                                      << "" << notFound << "status:  update file not found . . .";
        QTest::newRow("never answers") << ""
                                       << "silent"
                                       << "update has timed-out. be sure you have established an internet "
                                          "connection and try again."
                                       << "update has timed-out.";
        QTest::newRow("refused") << ""
                                 << "refused"
                                 << "vitrinex could not connect with host. please try again later."
                                 << "status:  not connected . . .";
        QTest::newRow("unknown host") << ""
                                      << "nosuchhost.invalid"
                                      << "nosuchhost.invalid could not be found. please try again later."
                                      << "status:  cannot find host address . . .";
    }
    void failuresLeaveTheCollectionAsItWas() {
        QFETCH(QString, served);
        QFETCH(QString, host);
        QFETCH(QString, label);
        QFETCH(QString, status);
        std::unique_ptr<UpdateServer> server;
        SilentServer silent;
        if (host.isEmpty()) {
            QList<QPair<QString, QByteArray>> files;
            if (!served.isEmpty()) files.append({"update.auf", served.toLatin1()});
            server = std::make_unique<UpdateServer>(files);
            SKIP_WITHOUT_SERVER(*server);
            host = server->hostPort();
        } else if (host == "silent" || host == "refused") {
            if (host == "refused") silent.close();
            host = silent.hostPort();
        }
        const QByteArray before = bytesOf(collection);
        const CliRun run = cli({"update", collection, "--type", "SW"}, host, "300");
        QCOMPARE(run.status, 1);
        QCOMPARE(run.json()["label"].toString(), label);
        QCOMPARE(run.json()["status"].toString(), status);
        QCOMPARE(bytesOf(collection), before);
    }

    // A server that sends without end, or a little at a time for ever, costs bounded memory, disk and
    // time, and holds nobody up: the collection is locked only while prices go in.
    void hostileServersAreBounded() {
        const QByteArray before = bytesOf(collection);
        {
            // A braced message far larger than memory should hold, then a good end.
            HostileServer endlessMessage([](const HostileServer::Send& send) {
                const QByteArray chunk(1 << 20, 'x');
                if (!send("{")) return;
                for (int i = 0; i < 256; ++i)
                    if (!send(chunk)) return;
                send("}AB1|1.00*~");
            });
            // Hundreds of MiB take their time in a sanitizer build: the bound checked here is memory.
            const CliRun run = runCli({"update", collection, "--type", "SW"},
                                      against(endlessMessage.hostPort(), "5000", "60000"));
            QCOMPARE(run.status, 0);
            rusage usage{};
            QCOMPARE(::getrusage(RUSAGE_CHILDREN, &usage), 0);
#if defined(__SANITIZE_ADDRESS__)
            const long limitKiB = 250 * 1024; // the sanitizer's own bookkeeping comes on top
#else
            const long limitKiB = 100 * 1024;
#endif
            QVERIFY2(usage.ru_maxrss < limitKiB, qPrintable(QString::number(usage.ru_maxrss) + " KiB"));
        }
        {
            QFile restore(collection);
            QVERIFY(restore.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    restore.write(before) == before.size());
        }
        {
            // Records for ever: update.dat stops far above any catalog, and nothing of it is left.
            HostileServer endlessRecords([](const HostileServer::Send& send) {
                QByteArray records;
                for (int i = 0; i < 10000; ++i)
                    records += "AB12|4.50*";
                while (send(records)) {
                }
            });
            const CliRun run = runCli({"update", collection, "--type", "SW"},
                                      against(endlessRecords.hostPort(), "5000", "60000"));
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains("64 MiB"), run.err);
            // The window's labels say why it stopped too, not what it was doing then.
            QVERIFY2(run.json()["label"].toString().contains("64 MiB"), run.out);
            QVERIFY(!QFile::exists("update.dat"));
            QCOMPARE(bytesOf(collection), before);
        }
        {
            // A byte now and then: the download ends at its deadline, and meanwhile another command
            // changes the collection without waiting for it.
            HostileServer drip([](const HostileServer::Send& send) {
                while (send("{"))
                    QThread::msleep(200);
            });
            QProcess update;
            const CliOptions slow = against(drip.hostPort(), "1000");
            startCli(update, {"update", collection, "--type", "SW"}, slow);
            QTRY_VERIFY(drip.answering());
            QCOMPARE(runCli({"add", collection, "--name", "Drip Tester", "--price", "1"}).status, 0);
            QCOMPARE(update.state(), QProcess::Running);
            const CliRun run = finishProgram(update, slow);
            QCOMPARE(run.status, 1);
            QCOMPARE(run.json()["status"].toString(), "update has timed-out.");
            QVERIFY(bytesOf(collection).contains("Drip Tester"));
            QVERIFY(!QFile::exists("update.dat"));
        }
    }

    void collectionWithoutCatalogNeedsAType() {
        const QByteArray before = bytesOf(collection);
        const CliRun run = cli({"update", collection}, "127.0.0.1:1");
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("--type"), run.err);
        QCOMPARE(bytesOf(collection), before);
    }
};

QTEST_GUILESS_MAIN(UpdateTest)
#include "test_update.moc"
