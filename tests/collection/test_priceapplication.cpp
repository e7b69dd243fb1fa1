// The price application of a catalog update: the rewritten file byte for byte, the totals, lists and
// texts, and that no update file, price or failure ever leaves a damaged or partial collection.
#include "CollectionFixtures.h"
#include "collection/CollectionFile.h"
#include "collection/InOutError.h"
#include "collection/PriceApplication.h"

#include <QtTest>
#include <cerrno>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace vitrinex;
using namespace fixtures;

namespace {

struct Figure {
    std::string name, price, catNum;
    int quantity = 1;
};
struct Delivery {
    std::string catNum, price;
};

// Saves the figures (inserted in this order, so the tree's shape is known) and opens the file.
void openWith(OpenCollection& c, const std::string& file, const std::vector<Figure>& figures) {
    OpenCollection maker;
    maker.CreateCollection(file, "Heroes", "Kenner", "1985-1990");
    for (const Figure& f : figures) {
        NewItemValues v = item(f.name, f.price, "$0", f.quantity);
        v.CatNum = f.catNum;
        maker.InsertNewItem(v);
    }
    maker.SaveCollection();
    c.LoadCollection(file);
}

void writeUpdate(const std::string& path, const std::vector<Delivery>& records, const QByteArray& tail = {}) {
    QByteArray bytes;
    for (const Delivery& d : records) {
        TUpdateRecord r;
        std::memset(&r, 0, sizeof r);
        r.UpdateCatNum.assign(d.catNum);
        r.UpdatePrice.assign(d.price);
        bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    writeBytes(path, bytes + tail);
}

std::vector<TFigureRecord> recordsOf(const std::string& file) {
    TCollectionHeader ignored;
    std::vector<TFigureRecord> out;
    readCollectionFile(file, ignored, [&out](const TFigureRecord& r) { out.push_back(r); });
    return out;
}

TFigureRecord updated(TFigureRecord r, const std::string& price, const std::string& netChange) {
    r.Price.assign(price);
    r.NetChange.assign(netChange);
    r.UpdateMark.assign("Updated");
    return r;
}

std::string amount(long double v) {
    return "$" + formatAmount(v);
}

} // namespace

class PriceApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void matchedItemsFirstThenTheRestWithTheirTexts() {
        OpenCollection c;
        // Tree: Luke (Han (Boba), Yoda (Obi)); pre-order Luke, Han, Boba, Yoda, Obi.
        openWith(c, "c.fcd",
                 {{"Luke", "$14.99", "ab12"},
                  {"Han", "$12.99", "CD7", 3},
                  {"Yoda", "$5", "ZZ"},
                  {"Boba", "$20", "AB12"},
                  {"Obi", "$7", "X-1"}});
        const auto before = recordsOf("c.fcd");
        writeUpdate("update.dat", {{"CD7", "12.99"}, {"AB12", "19.99"}, {"NOPE", "3"}, {"X1", "4"}});
        int progress = 0;
        const UpdateOutcome out = ApplyUpdate(c, c.openingId(), "update.dat", "prices of 5.12.99",
                                              [&progress](int s) { progress += s; });
        QVERIFY(!out.message);

        // 19.99 - 14.99 between two 6-byte reals is 4.99999999998545, cut to five characters.
        const long double bobaChange = Real48(19.99L).value() - Real48(20.0L).value();
        const QByteArray expected =
            fileImage(c.headerRecord(),
                      {updated(before[1], "$12.99", "$0"), updated(before[0], "$19.99", "$4.99"),
                       updated(before[2], "$19.99", amount(bobaChange).substr(0, 5)), before[3], before[4]});
        QCOMPARE(readBytes("c.fcd"), expected);
        QCOMPARE(c.FindItem("luke")->Record.Price.str(), std::string("$19.99"));
        QCOMPARE(progress, 5 * (500 / 5));

        const UpdateStatisticsTexts& s = out.texts.statistics;
        QCOMPARE(s.updatedCount, std::string("2/5")); // Han's price stayed
        QCOMPARE(s.high.texts(), (std::vector<std::string>{"Luke  $19.99", "Boba  $19.99"}));
        QCOMPARE(s.low.texts(), (std::vector<std::string>{"Yoda  $5"}));
        QCOMPARE(s.hot.texts(), (std::vector<std::string>{"Luke  $4.99999999998545"}));
        QCOMPARE(s.cold.texts(), (std::vector<std::string>{"Boba  " + amount(bobaChange)}));
        Real48 value = Real48(12.99L).value() * 3;
        for (long double p : {19.99L, 19.99L, 5.0L, 7.0L})
            value = value.value() + Real48(p).value();
        QCOMPARE(s.value, amount(value));
        QCOMPARE(s.netChange, amount(Real48(Real48(19.99L) - Real48(14.99L)).value() + bobaChange));
        QCOMPARE(out.texts.status, std::string("prices of 5.12.99"));
    }

    void equalPriceAndLongPrices() {
        OpenCollection c;
        openWith(c, "c.fcd", {{"Han", "$12.99", "CD7", 3}});
        writeUpdate("update.dat", {{"CD7", "12.99"}});
        UpdateOutcome out = ApplyUpdate(c, c.openingId(), "update.dat", "");
        // The update multiplies the already rounded price.
        QCOMPARE(out.texts.statistics.value, std::string("$38.9700000000303"));
        QCOMPARE(out.texts.statistics.updatedCount, std::string("0/1"));
        QCOMPARE(out.texts.statistics.hot.texts(), std::vector<std::string>{"Han  $0"});

        // Price keeps what its eight characters hold of a longer price, leading zeros dropped and
        // at most digits after the point lost; every figure reported is the stored price's, so an
        // open of the file reports the same. A whole part, or an exponent, that does not fit would
        // make it another price: that record changes nothing.
        writeUpdate("update.dat", {{"CD7", "1234.56789"}});
        out = ApplyUpdate(c, c.openingId(), "update.dat", "");
        QCOMPARE(c.FindItem("Han")->Record.Price.str(), std::string("$1234.56"));
        QCOMPARE(out.texts.statistics.value, amount(Real48(Real48(1234.56L).value() * 3).value()));
        QCOMPARE(out.texts.statistics.high.texts(), std::vector<std::string>{"Han  $1234.56"});
        writeUpdate("update.dat", {{"CD7", "0000000001"}, {"CD7", "9999999999"}, {"CD7", "1.2345E10"}});
        out = ApplyUpdate(c, c.openingId(), "update.dat", "");
        QCOMPARE(out.recordsSkipped, std::int64_t(2));
        QCOMPARE(c.FindItem("Han")->Record.Price.str() + c.FindItem("Han")->Record.NetChange.str(),
                 std::string("$1$-1E3"));
        const UpdateStatisticsTexts& applied = out.texts.statistics;
        const std::string shown = applied.value + applied.high.text(0); // its nodes go with the reload
        c.ReloadCollection();
        QCOMPARE(shown, c.valueText() + c.extremes().HighList.text(0));
    }

    void noMatchKeepsHotAndColdAndMoreThan500ItemsKeepTheBarStill() {
        OpenCollection c;
        std::vector<Figure> figures;
        for (int i = 0; i < 501; ++i)
            figures.push_back(
                {"figure " + std::to_string(i), "$" + std::to_string(i % 7 + 1), "N" + std::to_string(i)});
        openWith(c, "c.fcd", figures);
        const auto hot = c.extremes().HotList.texts(), cold = c.extremes().ColdList.texts();
        writeUpdate("update.dat", {{"NONE", "1"}});
        int progress = 0;
        const UpdateOutcome out =
            ApplyUpdate(c, c.openingId(), "update.dat", "", [&](int s) { progress += s; });
        QCOMPARE(out.texts.statistics.hot.texts(), hot);
        QCOMPARE(out.texts.statistics.cold.texts(), cold);
        QCOMPARE(progress, 0);
    }

    void nothingChangesWithoutAReadableUpdateFileOrTheSameOpenCollection() {
        OpenCollection c;
        openWith(c, "c.fcd", {{"Luke", "$14.99", "AB12"}});
        const QByteArray before = readBytes("c.fcd");
        QVERIFY(QDir().mkdir("folder.dat"));
        QCOMPARE(::mkfifo("fifo.dat", 0600), 0); // would be waited on for ever
        for (const char* path : {"missing.dat", "folder.dat", "fifo.dat"}) {
            const UpdateOutcome out = ApplyUpdate(c, c.openingId(), path, "");
            QVERIFY(out.message);
            QCOMPARE(out.message->title, std::string("update file not found"));
            QCOMPARE(out.message->text, std::string("update file not found!"));
        }
        writeUpdate("update.dat", {{"AB12", "30"}});
        const std::uint64_t confirmed = c.openingId();
        c.ReloadCollection(); // a reload keeps the opening
        QCOMPARE(c.openingId(), confirmed);
        c.CloseCollection();
        QVERIFY(ApplyUpdate(c, confirmed, "update.dat", "").message);
        c.LoadCollection("c.fcd"); // the same file opened again is another opening
        QVERIFY(ApplyUpdate(c, confirmed, "update.dat", "").message);
        QCOMPARE(readBytes("c.fcd"), before);
        QCOMPARE(c.FindItem("Luke")->Record.Price.str(), std::string("$14.99"));
    }

    void badPricesTornTailAndRepeatedMatchesWriteEveryItemOnce() {
        OpenCollection c;
        openWith(c, "c.fcd", {{"Luke", "$10", "A"}, {"Han", "$4", "B"}, {"Yoda", "$9", "C"}});
        // An earlier update in the same run marks Yoda; the next must still write it.
        writeUpdate("update.dat", {{"C", "9.5"}});
        ApplyUpdate(c, c.openingId(), "update.dat", "");
        writeUpdate("update.dat",
                    {{"A", ""},
                     {"A", "1..2"},
                     {"A", "12"},
                     {"B", "5"},
                     {"A", "        89"},
                     {"A", "15"},
                     {"A", "1E999"}},
                    QByteArray("\x01Z\0\0", 4));
        const UpdateOutcome out = ApplyUpdate(c, c.openingId(), "update.dat", "");
        QCOMPARE(out.recordsRead, std::int64_t(7));
        QCOMPARE(out.recordsSkipped, std::int64_t(4));
        QCOMPARE(out.tailBytesIgnored, std::int64_t(4));

        const auto records = recordsOf("c.fcd");
        QCOMPARE(records.size(), std::size_t(3));
        // The second change counts from the first new price; Yoda keeps the earlier update's mark.
        QCOMPARE(records[0].FigureName.str() + records[0].Price.str() + records[0].NetChange.str() +
                     records[1].FigureName.str() + records[2].FigureName.str() + records[2].UpdateMark.str(),
                 std::string("Luke$15$3HanYodaUpdated"));
        // Luke counts once, at his final price.
        QCOMPARE(out.texts.statistics.value, std::string("$29.5"));
        QCOMPARE(out.texts.statistics.high.texts(), std::vector<std::string>{"Luke  $15"});
        QCOMPARE(out.texts.statistics.updatedCount, std::string("2/3"));
        QCOMPARE(out.texts.statistics.netChange, std::string("$6"));
    }

    void aFailedWriteLeavesFileAndCollection() {
        OpenCollection c;
        openWith(c, "c.fcd", {{"Luke", "$10", "A"}});
        const QByteArray before = readBytes("c.fcd");
        writeUpdate("update.dat", {{"A", "12"}});
        FileSystemCalls full;
        full.write = [](int, const void*, std::size_t) -> ssize_t {
            errno = ENOSPC;
            return -1;
        };
        setFileSystemCallsForTesting(&full);
        QVERIFY_THROWS_EXCEPTION(EInOutError, ApplyUpdate(c, c.openingId(), "update.dat", ""));
        setFileSystemCallsForTesting(nullptr);
        QCOMPARE(readBytes("c.fcd"), before);
        QCOMPARE(c.FindItem("Luke")->Record.Price.str(), std::string("$10"));
        QCOMPARE(c.valueText(), std::string("$10"));
    }

    void indexGivesWhatTheTreeWalkGives() {
        std::mt19937 random(11);
        const char* catNums[] = {"ab1", "AB1", "C.2", "", "Z9", "q", "Q", "X-1"};
        const char* prices[] = {"1", "2.5", "12.99", "", "7.", "123456789", "0.015", "3..1", "1234.56789"};
        for (int round = 0; round < 20; ++round) {
            std::vector<Figure> figures;
            for (int i = 0; i < 60; ++i)
                figures.push_back({"n" + std::to_string(random() % 1000), "$" + std::to_string(random() % 50),
                                   catNums[random() % 8], int(random() % 3) + 1});
            std::vector<Delivery> deliveries;
            for (int i = 0; i < 12; ++i)
                deliveries.push_back({nameKey(catNums[random() % 8]), prices[random() % 9]});
            writeUpdate("update.dat", deliveries);
            OpenCollection byIndex, byWalk;
            openWith(byIndex, "index.fcd", figures);
            openWith(byWalk, "walk.fcd", figures);
            const UpdateOutcome a = ApplyUpdate(byIndex, byIndex.openingId(), "update.dat", "", {});
            const UpdateOutcome b =
                ApplyUpdate(byWalk, byWalk.openingId(), "update.dat", "", {}, UpdateMatching::TreeWalk);
            QCOMPARE(readBytes("index.fcd"), readBytes("walk.fcd"));
            auto shown = [](const UpdateStatisticsTexts& s) {
                return std::vector<std::vector<std::string>>{s.high.texts(),
                                                             s.low.texts(),
                                                             s.hot.texts(),
                                                             s.cold.texts(),
                                                             {s.updatedCount, s.value, s.netChange}};
            };
            QCOMPARE(shown(a.texts.statistics), shown(b.texts.statistics));
        }
    }
};

QTEST_GUILESS_MAIN(PriceApplicationTest)
#include "test_priceapplication.moc"
