// vitrinex-cli update end to end against a loopback HTTP server: a good update file is applied after a
// backup; every way the server or the network can fail ends in its texts with the collection file
// byte for byte as before.

#include "UpdateServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QJsonObject json;
    QByteArray err;
};

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

    Run cli(const QStringList& args, const QString& host, const QString& timeoutMs = "5000") {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VITRINEX_UPDATE_HOST", host);
        env.insert("VITRINEX_UPDATE_TIMEOUT_MS", timeoutMs);
        p.setProcessEnvironment(env);
        p.start(VITRINEX_CLI, args);
        if (!p.waitForFinished(30000)) qFatal("vitrinex-cli did not finish");
        return {p.exitCode(), QJsonDocument::fromJson(p.readAllStandardOutput()).object(), p.readAllStandardError()};
    }

private slots:
    void init() {
        QFile::remove(collection);
        QVERIFY(QFile::copy(VITRINEX_SOURCE_DIR "/assets/samples/Vintage Heroes.fcd", collection));
        QFile::setPermissions(collection, QFile::ReadOwner | QFile::WriteOwner);
    }

    void goodFileUpdatesTheCollectionAfterABackup() {
        UpdateServer server({{"update.auf", sampleAnswer("update.auf")}, {"hwupdate.auf", sampleAnswer("hwupdate.auf")}});
        SKIP_WITHOUT_SERVER(server);
        const QByteArray before = bytesOf(collection);
        const Run run = cli({"update", collection, "--type", "SW"}, server.hostPort());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.json["label"].toString(), "vitrinex has completed updating your collection. press ok to continue.");
        QCOMPARE(run.json["status"].toString(), "Kenner Star Wars POTF catalog of 12/1/2026: 9 price changes");
        QCOMPARE(bytesOf("heroes.bak").size(), before.size());

        QProcess show;
        show.start(VITRINEX_CLI, {"show", collection});
        QVERIFY(show.waitForFinished(30000));
        const QJsonObject shown = QJsonDocument::fromJson(show.readAllStandardOutput()).object();
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
        QTest::newRow("missing file") << "" << "" << notFound << "status:  update file not found . . .";
        QTest::newRow("closes early") << "AB12|4.50*" << "" << notFound << "status:  update file not found . . .";
        QTest::newRow("never answers") << "" << "silent"
                                       << "update has timed-out. be sure you have established an internet "
                                          "connection and try again."
                                       << "update has timed-out.";
        QTest::newRow("refused") << "" << "refused" << "vitrinex could connect with host. please try again later."
                                 << "status:  not connected . . .";
        QTest::newRow("unknown host") << "" << "nosuchhost.invalid"
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
        const Run run = cli({"update", collection, "--type", "SW"}, host, "300");
        QCOMPARE(run.status, 1);
        QCOMPARE(run.json["label"].toString(), label);
        QCOMPARE(run.json["status"].toString(), status);
        QCOMPARE(bytesOf(collection), before);
    }

    void collectionWithoutCatalogNeedsAType() {
        const QByteArray before = bytesOf(collection);
        const Run run = cli({"update", collection}, "127.0.0.1:1");
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("--type"), run.err);
        QCOMPARE(bytesOf(collection), before);
    }
};

QTEST_GUILESS_MAIN(UpdateTest)
#include "test_update.moc"
