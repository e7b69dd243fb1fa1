// The printed list on paper: printed into a real PDF file and read back with pdftotext.
#include "CollectionFixtures.h"
#include "collection/InOutError.h"
#include "reports/PainterPrinter.h"
#include "reports/PrintLayout.h"

#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QtTest>

using namespace vitrinex;

class PdfPrintTest : public QObject {
    Q_OBJECT

    // The text of each page of the PDF, every run of blanks and line ends as one blank.
    static QStringList pdfPages(const std::string& path) {
        QProcess p;
        p.start("pdftotext", {"-layout", QString::fromStdString(path), "-"});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) qFatal("pdftotext failed");
        QStringList pages;
        for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split('\f'))
            if (!page.simplified().isEmpty()) pages << page.simplified();
        return pages;
    }
    static int print(const OpenCollection& c, const PrintFields& fields, const std::string& path) {
        const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
        int pages = 0;
        printToPdfFile(path, CopyRules{}, a4, 600,
                       [&](Printer& p) { pages = printCollection(c, fields, p); });
        return pages;
    }

private slots:
    void pagesHoldWholeItemsInKeyOrderWithFooters() {
        OpenCollection c;
        c.CreateCollection("heroes.fcd", "Heroes", "Kenner", "1985-1990");
        for (int i = 39; i >= 0; --i)
            c.InsertNewItem(
                fixtures::item("figure " + std::to_string(100 + i), "$  12.50", i % 2 ? "$  -3" : "$  2"));
        const PrintFields all{true, true, true, true, true, true, true, true};
        const int pages = print(c, all, "heroes.pdf");
        const QStringList text = pdfPages("heroes.pdf");
        QCOMPARE(text.size(), pages);
        QVERIFY(pages >= 3);
        int next = 100;
        for (int page = 0; page < pages; ++page) {
            const QString& t = text[page];
            QVERIFY(t.contains(QString("page %1").arg(page + 1)));
            QVERIFY(t.contains("Heroes") && t.contains("1985-1990 Kenner"));
            QVERIFY(t.contains((page + 1 < pages ? pageFooterText() : closingFooterText()).simplified()));
            // Each item with its last line on the same page, numbered in key order.
            const QRegularExpression entry(
                "(\\d+)\\.\\) figure (\\d+) \\(1\\) \\$12\\.50 \\( ?(.) ?\\$(-?\\d)\\)");
            for (auto m = entry.globalMatch(t); m.hasNext();) {
                const auto e = m.next();
                QCOMPARE(e.captured(2).toInt(), next);
                QCOMPARE(e.captured(1).toInt(), next - 99);
                const bool falling = next % 2;
                QCOMPARE(e.captured(3), QString(QChar(falling ? kArrowDown : kArrowUp)));
                QCOMPARE(e.captured(4), QString(falling ? "-3" : "2"));
                QVERIFY(t.indexOf("comments: mint on card", e.capturedEnd()) > 0);
                ++next;
            }
        }
        QCOMPARE(next, 140);
    }

    void eachFieldPrintsAloneWhenTicked() {
        OpenCollection c;
        c.CreateCollection("one.fcd", "One", "Kenner", "1985");
        c.InsertNewItem(fixtures::item("Alpha", "$  12.50", "$  -3", 7));
        const std::vector<std::pair<bool PrintFields::*, QString>> marks = {
            {&PrintFields::Year, "year: 1985"},
            {&PrintFields::Series, "series: Series 1"},
            {&PrintFields::Price, "$12.50"},
            {&PrintFields::NetChange, "$-3)"},
            {&PrintFields::Quantity, "(7)"},
            {&PrintFields::Condition, "condition: C-9"},
            {&PrintFields::CatNum, "catalog #: CAT-5"},
            {&PrintFields::Comments, "from the 1985 wave"}};
        for (const auto& [field, mark] : marks) {
            PrintFields fields;
            fields.*field = true;
            print(c, fields, "one.pdf");
            const QString page = pdfPages("one.pdf").value(0);
            QVERIFY(page.contains("1.) Alpha"));
            for (const auto& [other, otherMark] : marks)
                QVERIFY2(page.contains(otherMark) == (other == field), qPrintable(mark + " / " + otherMark));
        }
    }

    // A job stopped part-way writes nothing: an earlier file stays as it was, and no file appears.
    void stoppedJobWritesNothing() {
        OpenCollection c;
        c.CreateCollection("long.fcd", "Long", "Kenner", "1985");
        for (int i = 0; i < 200; ++i)
            c.InsertNewItem(fixtures::item("figure " + std::to_string(100 + i)));
        QFile old("old.pdf");
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const QStringList before = QDir().entryList(QDir::Files);
        const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
        for (const std::string path : {"old.pdf", "new.pdf"})
            QVERIFY_THROWS_EXCEPTION(
                EPrintCancelled, printToPdfFile(path, CopyRules{}, a4, 600, [&c](Printer& p) {
                    printCollection(c, PrintFields{}, p, [](int done, int) { return done == 0; });
                }));
        QCOMPARE(QDir().entryList(QDir::Files), before);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }

    void unwritableTargetFailsAndKeepsTheOldFile() {
        OpenCollection c;
        c.CreateCollection("one.fcd", "One", "Kenner", "1985");
        QDir().mkdir("folder.pdf");
        QVERIFY_THROWS_EXCEPTION(EInOutError, print(c, PrintFields{}, "folder.pdf"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, print(c, PrintFields{}, "missing/one.pdf"));
    }
};

QTEST_MAIN(PdfPrintTest)
#include "test_pdfprint.moc"
