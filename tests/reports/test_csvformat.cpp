// CSV out and in: the round trip of awkward texts, and imports refused as a whole.
#include "CollectionFixtures.h"
#include "reports/CsvFormat.h"
#include "reports/ReportText.h"

#include <QtTest>

#include <algorithm>
#include <numeric>
#include <random>

using namespace vitrinex;
using namespace fixtures;

namespace {

// An import into the collection file `path`, opened for it.
CsvImport importCsv(const std::string& path, const std::string& csv,
                    ExistingRows existing = ExistingRows::Refuse, const Progress& progress = {}) {
    OpenCollection c;
    c.LoadCollection(path);
    return vitrinex::importCsv(c, csv, existing, progress);
}

// Every stored field of every live item, in key order.
QStringList itemFields(const std::string& path) {
    OpenCollection c;
    c.LoadCollection(path);
    QStringList out;
    for (const TFigureRecord* item : liveItemsInKeyOrder(c)) {
        const TFigureRecord& r = *item;
        for (auto text : {r.FigureName.view(), r.Year.view(), r.Series.view(), r.Price.view(),
                          r.NetChange.view(), r.CatNum.view(), r.Condition.view(), r.Comments.view()})
            out << QByteArray(text.data(), qsizetype(text.size())).toHex();
        out << QString::number(r.Quantity) << "|";
    }
    return out;
}

std::string newCollection(const char* name) {
    const std::string path = QDir::current().absoluteFilePath(name).toStdString();
    OpenCollection c;
    c.CreateCollection(path, "Heroes", "Kenner", "1985-1990");
    return path;
}

void writeText(const std::string& path, const QByteArray& text) {
    writeBytes(path, text);
}

} // namespace

class CsvFormatTest : public QObject {
    Q_OBJECT

private slots:
    void exportThenImportGivesTheSameItems() {
        const std::string from = newCollection("from.fcd");
        OpenCollection c;
        c.LoadCollection(from);
        NewItemValues awkward = item(" Bat, \"man\" ", "$  12.50", "$  -5", 3);
        awkward.Series = "Caf\xE9 \xAB\xBB ";
        awkward.Year = "85  ";
        awkward.CatNum = "A,B\"C";
        awkward.Condition = "loose";
        awkward.Comments = " first, line\r\n\"quoted\"\r\n\r\nlast ";
        c.InsertNewItem(awkward);
        NewItemValues plain = item("Yoda", "$7.25", "$0");
        plain.Series = plain.CatNum = plain.Comments = "";
        c.InsertNewItem(plain);
        c.InsertNewItem(item("\xC9lan", "$0", "$+3"));
        c.SaveCollection();
        QCOMPARE(writeCsvExport(c, "out.csv"), std::size_t(3));

        const std::string to = newCollection("to.fcd");
        const CsvImport imported = importCsv(to, "out.csv");
        QCOMPARE(imported.added, std::size_t(3));
        QCOMPARE(itemFields(to), itemFields(from));
        // Rows follow the list's order; the file is UTF-8.
        const QString csv = QString::fromUtf8(readBytes("out.csv"));
        QVERIFY(csv.indexOf(" Bat") < csv.indexOf("\u00C9lan") &&
                csv.indexOf("\u00C9lan") < csv.indexOf("Yoda"));
    }

    void formulaCellsAreGuardedAndComeBackExactly() {
        const std::string from = newCollection("from.fcd");
        OpenCollection c;
        c.LoadCollection(from);
        // What a spreadsheet runs, and texts that start with the guard's own quote.
        for (const std::string lead : {"=HYPERLINK(\"http://x\",\"y\")", "+SUM(1,2)", "@SUM(1)", "-2+3",
                                       "\tx", "\rx", "'=1", "''-1", "'x", "''"}) {
            NewItemValues v = item(lead);
            v.Series = v.Comments = lead; // a year the dialog's year field holds: digits
            v.CatNum = lead.substr(0, 9);
            c.InsertNewItem(v);
        }
        c.SaveCollection();
        writeCsvExport(c, "out.csv");
        const QByteArray csv = readBytes("out.csv");
        for (const char* start : {",", "\n", ",\"", "\n\""})
            for (const char lead : std::string_view("=+-@\t\r"))
                QVERIFY2(!csv.contains(QByteArray(start) + lead), csv.constData());
        const std::string to = newCollection("to.fcd");
        importCsv(to, "out.csv");
        QCOMPARE(itemFields(to), itemFields(from));
    }

    // Many rows at once are inserted as one by one: the same tree (so the same file), list, totals
    // and extreme lists, with names that repeat and equal extremes, in shuffled order, into a
    // collection that holds items already.
    void anImportInsertsAsRowByRow() {
        std::vector<NewItemValues> held;
        for (const char* name : {"M", "Figure 500", "c", "Figure 77"})
            held.push_back(item(name, "$9", "$0"));
        const QString base = QDir::current().absoluteFilePath("base.fcd");
        writeCollection(base, held);
        QByteArray csv = "name,price,net_change\n";
        std::vector<int> order(3000);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), std::mt19937(7));
        for (const int i : order)
            csv += "Figure " + QByteArray::number(i % 2000) + (i % 3 ? "" : " x") + ",$" +
                   QByteArray::number(i % 50) + ",$" + QByteArray::number(i % 7 - 3) + "\n";
        csv += "figure 5,$1,$0\nFIGURE 77,$1,$0\n";
        const std::vector<CsvItem> rows = csvItems(csv.toStdString());

        OpenCollection one, many;
        for (auto* c : {&one, &many}) {
            const QString name = c == &one ? "one.fcd" : "many.fcd";
            QVERIFY(QFile::copy(base, name));
            c->LoadCollection(name.toStdString());
        }
        std::vector<const NewItemValues*> values;
        QList<int> refusedOne, refusedMany;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            values.push_back(&rows[i].values);
            if (one.InsertNewItem(rows[i].values)) refusedOne << int(i);
        }
        for (const auto& [place, message] : many.InsertNewItems(values))
            refusedMany << int(place);
        QCOMPARE(refusedMany, refusedOne);
        QCOMPARE(many.itemList().names(), one.itemList().names());
        QCOMPARE(many.currentItem()->Record.FigureName.str(), one.currentItem()->Record.FigureName.str());
        QCOMPARE(many.valueText(), one.valueText());
        QCOMPARE(many.netChangeText(), one.netChangeText());
        QCOMPARE(many.totals().ItemCount, one.totals().ItemCount);
        const auto lists = [](const OpenCollection& c) {
            const OpenCollection::Extremes e = c.extremes();
            return std::vector{e.HighList.texts(), e.LowList.texts(), e.HotList.texts(), e.ColdList.texts()};
        };
        QCOMPARE(lists(many), lists(one));
        one.SaveCollection();
        many.SaveCollection();
        QCOMPARE(readBytes("many.fcd"), readBytes("one.fcd"));
    }

    void aRefusedRowRefusesTheWholeImport_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("reasons");
        QTest::newRow("unknown column")
            << QByteArray("name,colour\nNew,red\n") << QStringList{"row 1: unknown column 'colour'"};
        QTest::newRow("rows")
            << QByteArray("quantity,name,series,price\r\n2,Fine,s,$1\r\n1,Other,\xCE\xA9,$1\r\n"
                          "1,Luke,,$1\r\n0,Zero,,$1\r\n1,Dear,,$1x\r\n1,Fine,,$2\r\n")
            << QStringList{"row 3: series holds a character that a collection cannot store (Windows-1252)",
                           "row 4: Luke already exists!",
                           "row 5: quantity: a quantity of 0 is not kept; to remove an item, use delete.",
                           "row 6: price: $1x      is an invalid price!", "row 7: Fine already exists!"};
        QTest::newRow("existing names")
            << QByteArray("name\nFine\nLUKE\nfine\n")
            << QStringList{"row 3: LUKE already exists!", "row 4: fine already exists!"};
        // One pass names every problem of a row, each on a line of its own.
        QTest::newRow("every problem")
            << QByteArray("name,year,price,net_change,quantity\nLuke,19x9,$x,$1.5,-1\n")
            << QStringList{"row 2: quantity must be a whole number of at least 1, not '-1'",
                           "row 2: year '19x9' cannot be typed into that field",
                           "row 2: price: $x       is an invalid price!",
                           "row 2: net_change '$1.5' cannot be typed into that field",
                           "row 2: Luke already exists!"};
        // The add dialog's year field takes digits and blanks in four positions.
        QTest::newRow("year") << QByteArray("name,year\nA,19x9\nB,85  \nC,\nD,19855\nE, 1985\n")
                              << QStringList{"row 2: year '19x9' cannot be typed into that field",
                                             "row 5: year '19855' cannot be typed into that field",
                                             "row 6: year ' 1985' cannot be typed into that field"};
        QTest::newRow("NUL") << QByteArray("name,comments\nA\0B,x\nC,x\0\n", 25)
                             << QStringList{"row 2: name holds a NUL byte",
                                            "row 3: comments holds a NUL byte"};
        QTest::newRow("damaged") << QByteArray("name,comments\nA,\"open\n")
                                 << QStringList{"row 2: a quoted field is not closed"};
    }
    void aRefusedRowRefusesTheWholeImport() {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, reasons);
        const std::string path = newCollection("mine.fcd");
        OpenCollection c;
        c.LoadCollection(path);
        c.InsertNewItem(item("Luke"));
        c.SaveCollection();
        const QByteArray before = readBytes(path);
        writeText("in.csv", csv);
        try {
            importCsv(path, "in.csv");
            QFAIL("imported");
        } catch (const ECsvRefused& e) {
            QStringList got;
            for (const std::string& r : e.reasons())
                got << QString::fromStdString(r);
            QCOMPARE(got, reasons);
        }
        QCOMPARE(readBytes(path), before);
    }
};

QTEST_GUILESS_MAIN(CsvFormatTest)
#include "test_csvformat.moc"
