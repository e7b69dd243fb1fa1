// vitrinex-cli scan: update server answers through the receive path in 8192-byte blocks, as the
// update window receives them.

#include "CliRunner.h"

#include <QJsonArray>
#include <QtTest>
#include <sys/stat.h>

using namespace vitrinex::testing;

class ScanTest : public QObject {
    Q_OBJECT

    QJsonObject scan(const QByteArray& answer) {
        QFile f("answer.auf");
        if (!f.open(QIODevice::WriteOnly) || f.write(answer) != answer.size()) qFatal("cannot write answer");
        f.close();
        const CliRun run = runCli({"scan", "answer.auf", "--out", "update.dat"});
        if (run.status != 0) qFatal("scan failed: %s", run.err.data());
        return run.json();
    }
    static QJsonArray records(std::initializer_list<std::pair<const char*, const char*>> rows) {
        QJsonArray a;
        for (const auto& [cat, price] : rows)
            a.append(QJsonArray{cat, price});
        return a;
    }

private slots:
    void recordsMessageAndEndMarker() {
        QJsonObject r = scan("\r\n{prices of 5.12.99}AB12|4.50*CD7|10*~");
        QCOMPARE(r["records"].toArray(), records({{"AB12", "4.50"}, {"CD7", "10"}}));
        QCOMPARE(r["message"].toString(), "prices of 5.12.99");
        QCOMPARE(r["end"].toBool(), true);
        QCOMPARE(QFileInfo("update.dat").size(), 42);

        // Long fields are cut, lower-case letters dropped, a price with no "|" before it keeps the
        // last catalog number.
        r = scan("ABCDEFGHIJKL|12345678901234*ab12|3*A|1*2*");
        QCOMPARE(r["records"].toArray(),
                 records({{"ABCDEFGHI", "1234567890"}, {"12", "3"}, {"A", "1"}, {"A", "2"}}));
        QCOMPARE(r["end"].toBool(), false);

        // update.dat named by a FIFO or a device is refused at once, not waited on or emptied.
        QCOMPARE(::mkfifo("fifo.dat", 0600), 0);
        for (const char* odd : {"fifo.dat", "/dev/zero"}) {
            const CliRun run = runCli({"scan", "answer.auf", "--out", odd});
            QCOMPARE(run.status, 1);
            QCOMPARE(run.err, QByteArray("vitrinex-cli: ") + odd + ": File access denied\n");
        }
    }

    void recordsAndMessagesCutByBlockEdges() {
        // "{spl|it message}" at the first block edge, "AB12|4.|50*" at the second.
        QByteArray answer(8192 - 4, ' ');
        answer += "{split message}";
        answer += QByteArray(2 * 8192 - 7 - answer.size(), '\n');
        answer += "AB12|4.50*CD7|10*~";
        const QJsonObject r = scan(answer);
        QCOMPARE(r["message"].toString(), "split message");
        QCOMPARE(r["records"].toArray(), records({{"AB12", "4.50"}, {"CD7", "10"}}));
        QCOMPARE(r["end"].toBool(), true);
    }

    void tagsAndPagesWithoutUpdateFile() {
        // Text around tags is scanned; the end marker makes the trailing page harmless.
        QJsonObject r = scan("<html>{hi}AB|1*<br>CD|2*~</BODY></HTML>");
        QCOMPARE(r["records"].toArray(), records({{"AB", "1"}, {"CD", "2"}}));
        QCOMPARE(r["end"].toBool(), true);
        // A page that ends before any end marker, and the old server's "not found" page, stop the scan.
        r = scan("<html><body>A|1*</body></html>B|2*~");
        QCOMPARE(r["records"].toArray(), records({{"A", "1"}}));
        QCOMPARE(r["end"].toBool(), false);
        r = scan("<TITLE>Not Found</TITLE>A|1*~");
        QCOMPARE(r["records"].toArray(), QJsonArray());
        QCOMPARE(r["end"].toBool(), false);
    }
};

QTEST_GUILESS_MAIN(ScanTest)
#include "test_scan.moc"
