// The printed list's layout through a recording printer: positions at a fixed resolution, page
// breaks, footers, skipped records, and the splitting of comments.
#include "CollectionFixtures.h"
#include "RecordingPrinter.h"
#include "reports/PrintLayout.h"
#include "reports/ReportText.h"

#include <QtTest>

using namespace vitrinex;

class PrintLayoutTest : public QObject {
    Q_OBJECT

    static PrintFields allFields() { return {true, true, true, true, true, true, true, true}; }

private slots:
    // Resolution 400: unit 100, step 75; the recorder's characters are size * 400 / 144 wide.
    void positionsAtFixedResolution() {
        OpenCollection c;
        c.CreateCollection("heroes.fcd", "Heroes", "Kenner", "1985-1990");
        c.InsertNewItem(fixtures::item("Alpha", "$  12.50", "$  -3", 2));
        RecordingPrinter p(400, 3000, 4000);
        QCOMPARE(printCollection(c, allFields(), p), 1);
        const QString rule(132, '_');
        const QString footer = closingFooterText();
        QCOMPARE(p.texts(),
                 QStringList({"0 0 " + rule, "100 125 Heroes", "566 175 1985-1990    Kenner",
                              "2600 175 page 1", "0 275 " + rule, "200 500 1.)  Alpha", "533 500 (2)",
                              "1400 500 $12.50", "1677 500 (", "1677 500 " + QString(QChar(kArrowDown)),
                              "1788 500 $-3)", "500 575 year:  1985", "500 650 series:  Series 1",
                              "500 725 condition:  C-9", "500 800 catalog #:  CAT-5",
                              "500 875 comments:  mint on card", "775 950 from the 1985 wave",
                              QString("%1 3900 ").arg(1500 - footer.size() * 9 * 400 / 144 / 2) + footer}));
        QVERIFY(p.calls().contains(QString("font %1 10").arg(kPrintArrowFont)));

        // Net change without price: "(" at 14 units, the arrow after it, the amount after "(  ,".
        RecordingPrinter q(400, 3000, 4000);
        c.InsertNewItem(fixtures::item("Beta", "$1", "$  4"));
        PrintFields netChangeOnly;
        netChangeOnly.NetChange = true;
        printCollection(c, netChangeOnly, q);
        const QStringList texts = q.texts();
        const qsizetype beta = texts.indexOf("200 600 2.)  Beta");
        QVERIFY(beta > 0);
        QCOMPARE(texts.mid(beta + 1, 3),
                 QStringList({"1400 600 (", "1427 600 " + QString(QChar(kArrowUp)), "1511 600 $4)"}));
    }

    // Items in key order on pages that never split one; a footer closes every page.
    void pagesKeepItemsWholeWithFooters() {
        OpenCollection c;
        c.CreateCollection("many.fcd", "Many", "Kenner", "1985");
        QStringList names;
        for (int i = 0; i < 30; ++i) {
            auto v = fixtures::item(QString("item %1").arg(QChar('A' + (i * 7) % 26)).toStdString() +
                                    std::to_string(i));
            v.Comments = std::string(static_cast<std::size_t>(i % 5) * 40, 'x');
            c.InsertNewItem(v);
        }
        c.InsertNewItem(fixtures::item("gone", "$1", "$0", 0));
        c.BlankItem(c.FindItem("item A0"));
        RecordingPrinter p(400, 3000, 2500);
        const int pages = printCollection(c, allFields(), p);
        QVERIFY(pages > 3);

        int page = 1, entry = 0, itemPage = 0;
        QString lastKey;
        for (const QString& call : p.calls()) {
            if (call == "newpage") ++page;
            if (!call.startsWith("text ")) continue;
            const QString text = call.section(' ', 3);
            if (text.startsWith("page ")) QCOMPARE(text, QString("page %1").arg(page));
            const QRegularExpressionMatch m = QRegularExpression("^(\\d+)\\.\\)  (.*)$").match(text);
            if (m.hasMatch()) {
                QCOMPARE(m.captured(1).toInt(), ++entry);
                QVERIFY(QString::fromStdString(nameKey(m.captured(2).toStdString())) > lastKey);
                lastKey = QString::fromStdString(nameKey(m.captured(2).toStdString()));
                itemPage = page;
            } else if (call.section(' ', 2, 2).toInt() > 275 && !text.endsWith(pageFooterText())) {
                QCOMPARE(page, itemPage); // below the header, every line but the footer is the item's
            }
        }
        QCOMPARE(page, pages);
        QCOMPARE(entry, 29); // the blanked item and the quantity-0 item are not printed
        QCOMPARE(p.calls().filter(pageFooterText()).size() - p.calls().filter(closingFooterText()).size(),
                 pages - 1);
        for (qsizetype i = 0; i < p.calls().size(); ++i)
            if (p.calls()[i] == "newpage") QVERIFY(p.calls()[i - 1].endsWith(pageFooterText()));
        QVERIFY(p.calls().at(p.calls().size() - 2).endsWith(closingFooterText()));
    }

    // The progress callback hears at the start and after every full page how many items are done;
    // answering false aborts the job there, with no page begun after it.
    void progressFollowsPagesAndCanStopTheJob() {
        OpenCollection c;
        c.CreateCollection("many.fcd", "Many", "Kenner", "1985");
        for (int i = 0; i < 30; ++i)
            c.InsertNewItem(fixtures::item("item " + std::to_string(100 + i)));
        RecordingPrinter whole(400, 3000, 2500);
        std::vector<int> done;
        const int pages = printCollection(c, allFields(), whole, [&done](int d, int total) {
            done.push_back(total == 30 ? d : -1);
            return true;
        });
        QCOMPARE(int(done.size()), pages);
        QVERIFY(pages > 2 && done.front() == 0 && done.back() < 30);
        QVERIFY(std::adjacent_find(done.begin(), done.end(), std::greater_equal<>()) == done.end());

        RecordingPrinter stopped(400, 3000, 2500);
        int calls = 0;
        QVERIFY_THROWS_EXCEPTION(
            EPrintCancelled,
            printCollection(c, allFields(), stopped, [&calls](int, int) { return ++calls < 2; }));
        QCOMPARE(stopped.calls().last(), QString("abort"));
        QVERIFY(!stopped.calls().contains("end") && !stopped.calls().contains("newpage"));
    }

    void collectionWithoutLiveItemsPrintsHeaderAndClosingFooter() {
        OpenCollection c;
        c.CreateCollection("empty.fcd", "Empty", "Kenner", "1985");
        c.InsertNewItem(fixtures::item(" "));
        RecordingPrinter p(400, 3000, 4000);
        QCOMPARE(printCollection(c, allFields(), p), 1);
        QCOMPARE(p.texts().size(), 6);
        QCOMPARE(p.calls().at(p.calls().size() - 3), QString("font Arial Narrow 10"));
        QVERIFY(p.texts().last().endsWith(closingFooterText()));
    }

    void commentLinesBreakAtTheLastBlankOrHard() {
        const std::string a55 = std::string(20, 'a') + " " + std::string(34, 'b');
        using Lines = std::vector<std::string>;
        QCOMPARE(commentLines(a55, 55, false), Lines({a55}));
        QCOMPARE(commentLines(a55 + "c", 55, false),
                 Lines({std::string(20, 'a') + " ", std::string(34, 'b') + "c"}));
        QCOMPARE(commentLines(std::string(60, 'x'), 55, false), Lines({std::string(55, 'x'), "xxxxx"}));
        QCOMPARE(commentLines("one\r\ntwo\r\n", 55, false), Lines({"one", "two"}));
        // Kept as it stands when the rest fits; broken when a line break lies within the width.
        QCOMPARE(commentLines("one\r\ntwo", 50, true), Lines({"one\r\ntwo"}));
        QCOMPARE(commentLines("one\r\n" + std::string(50, 'y'), 50, true),
                 Lines({"one", std::string(50, 'y')}));
        QCOMPARE(commentLines(std::string(49, 'z') + "\r\nw", 50, true), Lines({std::string(49, 'z'), "w"}));
    }
};

QTEST_GUILESS_MAIN(PrintLayoutTest)
#include "test_printlayout.moc"
