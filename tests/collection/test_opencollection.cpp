// The open collection: creating, loading, inserting, aggregates, saving, reloading and closing.
#include "CollectionFixtures.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"

#include <QtTest>
#include <algorithm>
#include <pthread.h>
#include <random>
#include <set>

using namespace vitrinex;
using namespace fixtures;

class OpenCollectionTest : public QObject {
    Q_OBJECT

    std::string path(const char* name) const { return QDir::current().absoluteFilePath(name).toStdString(); }

private slots:
    void createWritesHeaderOnlyAndOpens() {
        OpenCollection c;
        c.CreateCollection(path("new.fcd"), "Heroes", "Kenner", "1985-1990");
        QVERIFY(c.isOpen());
        const QByteArray bytes = readBytes(path("new.fcd"));
        QCOMPARE(bytes.size(), 1324);
        const auto* h = reinterpret_cast<const TCollectionHeader*>(bytes.constData());
        QCOMPARE(h->CollectionName.str(), std::string("Heroes"));
        QCOMPARE(h->LastUpdate.str(), std::string("New Collection"));
        QVERIFY(h->UpdateType.empty());
        QCOMPARE(h->Brand.str(), std::string("Kenner"));
        QCOMPARE(h->CollectionYear.str(), std::string("1985-1990"));
        QCOMPARE(bytes.mid(1024, 36), QByteArray(36, '\0'));
        QCOMPARE(c.captionNameOnly(), std::string("Vitrinex 1.4 - Heroes"));

        OpenCollection opened;
        opened.LoadCollection(path("new.fcd"));
        QCOMPARE(opened.totals().ItemCount, 0);
        QCOMPARE(opened.captionWithValue(), std::string("Vitrinex 1.4 - Heroes:  $0"));
        QCOMPARE(opened.totalText(), std::string("total items:  0"));
        QCOMPARE(opened.statsTitle(), std::string("Kenner - Heroes - 1985-1990"));
    }

    void failedCreateLeavesNothingOpen() {
        OpenCollection c;
        QVERIFY_THROWS_EXCEPTION(EInOutError, c.CreateCollection(path("missing/dir/x.fcd"), "a", "b", "c"));
        QVERIFY(!c.isOpen());
        QVERIFY(c.fileName().empty());
    }

    void duplicateNamesAreRefusedWhateverTheirCase() {
        OpenCollection c;
        c.CreateCollection(path("dup.fcd"), "Heroes", "Kenner", "1985-1990");
        QVERIFY(!c.InsertNewItem(item("Batman")));
        const auto refused = c.InsertNewItem(item("batman"));
        QVERIFY(refused);
        QCOMPARE(refused->title, std::string("item exists"));
        QCOMPARE(refused->text, std::string("batman already exists!"));
        QCOMPARE(c.totals().ItemCount, 1);
        QCOMPARE(c.itemList().size(), 1);
        // Letters outside a to z keep their case: these are two items.
        QVERIFY(!c.InsertNewItem(item("\xe9mile")));
        QVERIFY(!c.InsertNewItem(item("\xc9mile")));
        QCOMPARE(c.totals().ItemCount, 3);
        QCOMPARE(c.FindItem("BATMAN"), c.FindItem("batman"));
        QVERIFY(c.FindItem("Robin") == nullptr);
        QCOMPARE(c.currentItem()->Record.FigureName.str(), std::string("Batman")); // not found leaves it
    }

    void newItemFieldsAreCutToTheirCapacities() {
        OpenCollection c;
        c.CreateCollection(path("cut.fcd"), "Heroes", "Kenner", "1985-1990");
        NewItemValues v = item("Joker", "$123456789", "$-12345");
        v.Condition = "loose!";
        v.CatNum = "1234567890";
        QVERIFY_THROWS_EXCEPTION(EConvertError, c.InsertNewItem(item("Bad", "$abc")));
        QCOMPARE(c.totals().ItemCount, 0);
        QVERIFY(!c.InsertNewItem(v));
        const TFigureRecord& r = c.currentItem()->Record;
        QCOMPARE(r.Price.str(), std::string("$1234567"));
        QCOMPARE(r.NetChange.str(), std::string("$-123"));
        QCOMPARE(r.Condition.str(), std::string("loose"));
        QCOMPARE(r.CatNum.str(), std::string("123456789"));
        QVERIFY(r.UpdateMark.empty());
    }

    void aggregatesAndExtremeLists() {
        OpenCollection c;
        c.CreateCollection(path("agg.fcd"), "Heroes", "Kenner", "1985-1990");
        c.InsertNewItem(item("A", "$  12.50", "$  -5", 3));
        QCOMPARE(c.valueText(), std::string("$37.5"));
        QCOMPARE(c.netChangeText(), std::string("$-5")); // a net change counts once, not per piece
        c.InsertNewItem(item("B", "$  20", "$   2", 1));
        c.InsertNewItem(item("C", "$  20", "$   2", 1));
        QCOMPARE(c.extremes().HighList.texts(), (std::vector<std::string>{"B  $  20", "C  $  20"}));
        QCOMPARE(c.extremes().HotList.texts(), (std::vector<std::string>{"B  $   2", "C  $   2"}));
        QCOMPARE(c.extremes().LowList.texts(), (std::vector<std::string>{"A  $  12.50"}));
        QCOMPARE(c.extremes().ColdList.texts(), (std::vector<std::string>{"A  $  -5"}));
        c.InsertNewItem(item("D", "$  25", "$   0", 1));
        QCOMPARE(c.extremes().HighList.texts(), (std::vector<std::string>{"D  $  25"}));
        QCOMPARE(c.valueText(), std::string("$102.5"));
        QCOMPARE(c.netChangeText(), std::string("$-1"));
    }

    void startValuesTakePartInTheComparisons() {
        OpenCollection c;
        c.CreateCollection(path("start.fcd"), "Heroes", "Kenner", "1985-1990");
        c.InsertNewItem(item("Big", "$2000000", "$   0"));
        QCOMPARE(c.extremes().HighList.size(), std::size_t(1));
        QVERIFY(c.extremes().LowList.empty());
        QCOMPARE(static_cast<long double>(c.extremes().LowPrice), 1000000.0L);
    }

    void theSixByteRealShowsInTheTotals() {
        OpenCollection c;
        c.CreateCollection(path("real.fcd"), "Heroes", "Kenner", "1985-1990");
        c.InsertNewItem(item("One", "$12.99", "$0", 1));
        QCOMPARE(c.valueText(), std::string("$12.9900000000052"));
        OpenCollection three;
        three.CreateCollection(path("real3.fcd"), "Heroes", "Kenner", "1985-1990");
        three.InsertNewItem(item("Three", "$12.99", "$0", 3));
        QCOMPARE(three.valueText(), std::string("$38.9699999999721"));
        three.SaveCollection();
        three.ReloadCollection();
        QCOMPARE(three.captionWithValue(), std::string("Vitrinex 1.4 - Heroes:  $38.9699999999721"));
    }

    void saveAndReloadKeepTheTreeShape() {
        OpenCollection c;
        c.CreateCollection(path("shape.fcd"), "Heroes", "Kenner", "1985-1990");
        for (const char* n : {"M", "c", "X", "a", "E", "z", "N", "b", "Y", "d"})
            QVERIFY(!c.InsertNewItem(item(n)));
        const QStringList before = shapeOf(c);
        c.SaveCollection();
        OpenCollection reopened;
        reopened.LoadCollection(path("shape.fcd"));
        QCOMPARE(shapeOf(reopened), before);
        QCOMPARE(reopened.totals().ItemCount, 10);
        // The list is in case-insensitive order, whatever the tree's shape.
        QStringList list;
        for (const auto& n : reopened.itemList().names())
            list << QString::fromStdString(n);
        QCOMPARE(list, (QStringList{"a", "b", "c", "d", "E", "M", "N", "X", "Y", "z"}));
    }

    void deletingByBlankSaveAndReload() {
        OpenCollection c;
        c.CreateCollection(path("del.fcd"), "Heroes", "Kenner", "1985-1990");
        c.InsertNewItem(item("Batman", "$  30", "$   4"));
        c.InsertNewItem(item("Robin", "$  10", "$  -2"));
        c.InsertNewItem(item("Alfred", "$  20", "$   1"));
        c.BlankItem(c.FindItem("Batman"));
        QVERIFY(c.FindItem("Batman") == nullptr);
        // Until the collection is read again the lists show the deleted item as it was.
        QCOMPARE(c.extremes().HighList.texts(), (std::vector<std::string>{"Batman  $  30"}));
        QCOMPARE(c.extremes().HotList.texts(), (std::vector<std::string>{"Batman  $   4"}));
        c.SaveCollection();
        QCOMPARE(readBytes(path("del.fcd")).size(), 3 * 1324);
        c.ReloadCollection();
        QCOMPARE(c.totals().ItemCount, 2);
        QCOMPARE(c.itemList().size(), 2);
        QCOMPARE(c.valueText(), std::string("$30"));
        QCOMPARE(c.extremes().HighList.texts(), (std::vector<std::string>{"Alfred  $  20"}));
        QCOMPARE(c.extremes().HotList.texts(), (std::vector<std::string>{"Alfred  $   1"}));
        QVERIFY(c.currentItem() == nullptr);
        // A new item can go where the deleted one was.
        QVERIFY(!c.InsertNewItem(item("Batman")));
    }

    void recordsMarkedDeletedInTheFileAreDroppedOnSave() {
        const std::string file = path("marked.fcd");
        writeBytes(file, fileImage(header(), {record("Keep"), record("Gone", "$1", "$0", 0), record(" ")}));
        OpenCollection c;
        c.LoadCollection(file);
        QCOMPARE(c.totals().ItemCount, 3); // readers do not filter
        c.SaveCollection();
        QCOMPARE(readBytes(file).size(), 2 * 1324);
    }

    void insignificantBytesDoNotChangeWhatIsLoaded() {
        TFigureRecord noisy = record("Batmobile", "$12.5", "$-5", 2);
        TFigureRecord clean = noisy;
        std::memset(noisy.FigureName.chars + 9, 0xAB, 246);
        std::memset(noisy.Price.chars + 5, 'Z', 3);
        noisy.Padding = 0x77;
        noisy.Left = 0xDEADBEEF;
        noisy.Right = 0x12345678;
        noisy.UpdateMark.assign("Updated"); // loading always clears it
        writeBytes(path("noisy.fcd"), fileImage(header(), {noisy}));
        writeBytes(path("clean.fcd"), fileImage(header(), {clean}));
        OpenCollection a, b;
        a.LoadCollection(path("noisy.fcd"));
        b.LoadCollection(path("clean.fcd"));
        QCOMPARE(a.valueText(), b.valueText());
        QCOMPARE(a.extremes().HighList.texts(), b.extremes().HighList.texts());
        QVERIFY(a.FindItem("batmobile")->Record.UpdateMark.empty());
        a.SaveCollection();
        const QByteArray saved = readBytes(path("noisy.fcd"));
        QCOMPARE(saved.mid(1324 + 1316, 8), QByteArray(8, '\0')); // links written as zeros
    }

    void damagedFilesLeaveTheOpenCollectionAsItWas() {
        OpenCollection c;
        c.CreateCollection(path("good.fcd"), "Good", "Kenner", "1985-1990");
        c.InsertNewItem(item("Batman"));
        c.SaveCollection();
        const QStringList shape = shapeOf(c);

        writeBytes(path("short.fcd"), QByteArray(500, '\0'));
        try {
            c.LoadCollection(path("short.fcd"));
            QFAIL("a file shorter than a header loaded");
        } catch (const EInOutError& e) {
            QCOMPARE(e.code(), int(kReadBeyondEnd));
        }
        writeBytes(path("badprice.fcd"), fileImage(header(), {record("A"), record("Joker", "$1x")}));
        {
            // A record that cannot be an item is set aside; the rest opens.
            OpenCollection d;
            d.LoadCollection(path("badprice.fcd"));
            QCOMPARE(d.totals().ItemCount, 1);
            QCOMPARE(d.damaged().size(), std::size_t(1));
            const QString message = QString::fromStdString(d.damaged()[0].reason);
            QVERIFY2(d.damaged()[0].record == 2 && message.contains("Joker") && message.contains("price") &&
                         message.contains("$1x"),
                     qPrintable(message));
        }
        try {
            c.LoadCollection(path("nothing-here.fcd"));
            QFAIL("a missing file loaded");
        } catch (const EInOutError& e) {
            QCOMPARE(QString(e.what()), QString("File not found"));
        }
        QVERIFY(c.isOpen());
        QCOMPARE(c.header().CollectionName, std::string("Good"));
        QCOMPARE(c.fileName(), path("good.fcd"));
        QCOMPARE(shapeOf(c), shape);
        QCOMPARE(c.totals().ItemCount, 1);
    }

    // The first of two records with one name is the item; the other is set aside as damaged, so
    // the next save does not drop it without a word.
    void duplicateRecordsInAFileAreSetAside() {
        writeBytes(path("twice.fcd"),
                   fileImage(header(), {record("Batman", "$10"), record("BATMAN", "$99")}));
        OpenCollection c;
        c.LoadCollection(path("twice.fcd"));
        QCOMPARE(c.totals().ItemCount, 1);
        QCOMPARE(c.itemList().size(), 1);
        QCOMPARE(c.valueText(), std::string("$10"));
        QCOMPARE(c.FindItem("batman")->Record.Price.str(), std::string("$10"));
        QCOMPARE(c.damaged().size(), std::size_t(1));
        QCOMPARE(c.damaged()[0].record, std::size_t(2));
    }

    void closeSavesAndResets() {
        OpenCollection c;
        c.CreateCollection(path("close.fcd"), "Heroes", "Kenner", "1985-1990");
        c.InsertNewItem(item("Batman"));
        c.CloseCollection();
        QVERIFY(!c.isOpen());
        QVERIFY(c.ItemTree() == nullptr);
        QCOMPARE(c.totals().ItemCount, 0);
        QVERIFY(c.extremes().HighList.empty());
        QCOMPARE(readBytes(path("close.fcd")).size(), 2 * 1324);
    }

    // Whatever order a file holds its records in, loading gives the tree that inserting them one by
    // one from the root gives (seen in the bytes saved), and the list that sorting them gives.
    void loadingAnyOrderGivesTheShapeOfSequentialInsertion() {
        struct Plain {
            const TFigureRecord* record;
            int left = -1, right = -1;
        };
        auto expectedBytes = [](const std::vector<TFigureRecord>& records) {
            std::vector<Plain> tree;
            for (const auto& r : records) {
                int* link = nullptr;
                int at = tree.empty() ? -1 : 0;
                bool repeat = false;
                while (at >= 0) {
                    const int order =
                        compareNameKeys(r.FigureName.view(), tree[at].record->FigureName.view());
                    if (order == 0) {
                        repeat = true;
                        break;
                    }
                    link = order < 0 ? &tree[at].left : &tree[at].right;
                    at = *link;
                }
                if (repeat) continue;
                if (link) *link = static_cast<int>(tree.size());
                tree.push_back({&r});
            }
            std::vector<TFigureRecord> preOrder;
            std::vector<int> stack;
            if (!tree.empty()) stack.push_back(0);
            while (!stack.empty()) {
                const Plain& n = tree[stack.back()];
                stack.pop_back();
                preOrder.push_back(*n.record);
                if (n.right >= 0) stack.push_back(n.right);
                if (n.left >= 0) stack.push_back(n.left);
            }
            return fileImage(header(), preOrder);
        };
        std::mt19937 random(5);
        const char* pieces[] = {"a", "B", "c", "_", "1", " ", "-", ":", "\xe9", "Z"};
        std::vector<TFigureRecord> pool;
        for (int i = 0; i < 1500; ++i) {
            std::string name;
            for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k)
                name += pieces[random() % std::size(pieces)];
            // Names that share their first 16 bytes and more, or their first 7.
            if (i % 3 == 0) name = "Deluxe Collector Edition " + name;
            if (i % 3 == 1) name = "Series " + name;
            pool.push_back(record(name + std::to_string(i % 400), "$" + std::to_string(i % 7),
                                  "$" + std::to_string(i % 5 - 2)));
        }
        std::vector<TFigureRecord> ascending = pool;
        std::sort(ascending.begin(), ascending.end(), [](const auto& a, const auto& b) {
            return compareNameKeys(a.FigureName.view(), b.FigureName.view()) < 0;
        });
        std::vector<TFigureRecord> hostile(ascending.begin(), ascending.begin() + 300);
        hostile.insert(hostile.end(), ascending.rbegin(), ascending.rbegin() + 300);
        const QByteArray shuffledSaved = expectedBytes(pool);
        std::vector<TFigureRecord> preOrder;
        for (int i = 1324; i < shuffledSaved.size(); i += 1324)
            preOrder.push_back(*reinterpret_cast<const TFigureRecord*>(shuffledSaved.constData() + i));

        // Pre-order with repeats of names already read (in another case) among the records.
        std::vector<TFigureRecord> preOrderRepeats;
        for (std::size_t i = 0; i < preOrder.size(); ++i) {
            preOrderRepeats.push_back(preOrder[i]);
            if (i % 5 == 0) {
                TFigureRecord repeat = preOrder[i / 2];
                repeat.FigureName.assign(nameKey(repeat.FigureName.view()));
                preOrderRepeats.push_back(repeat);
            }
        }

        // A record of zero bytes among them is set aside and changes nothing else.
        std::vector<TFigureRecord> poolDamaged = pool;
        poolDamaged.insert(poolDamaged.begin() + 300, blankFigureRecord());

        for (const auto* records : {&pool, &preOrder, &preOrderRepeats, &ascending, &hostile, &poolDamaged}) {
            writeBytes(path("order.fcd"), fileImage(header(), *records));
            // The damaged record and the later records of a name are set aside, in any order.
            const std::size_t damaged = records == &poolDamaged ? 1 : 0;
            if (records == &poolDamaged) records = &pool;
            std::vector<TFigureRecord> firsts;
            std::set<std::string> keys;
            for (const auto& r : *records)
                if (keys.insert(nameKey(r.FigureName.view())).second) firsts.push_back(r);
            OpenCollection c;
            c.LoadCollection(path("order.fcd"));
            c.SaveCollection();
            QCOMPARE(readBytes(path("order.fcd")), expectedBytes(*records));
            ItemNameList sorted;
            std::vector<std::string> names;
            for (const auto& r : firsts)
                names.push_back(r.FigureName.str());
            sorted.assign(names);
            QCOMPARE(c.itemList().names(), sorted.names());
            QCOMPARE(c.totals().ItemCount, static_cast<int>(firsts.size()));
            QCOMPARE(c.damaged().size(), records->size() - firsts.size() + damaged);
            for (const auto& r : *records)
                QVERIFY(c.FindItem(r.FigureName.view()));
            // The totals and extreme lists are those of adding the records one by one in file order.
            OpenCollection oneByOne;
            for (const auto& r : *records)
                oneByOne.InsertNewItem(
                    {r.FigureName.str(), "", "", r.Price.str(), r.NetChange.str(), "", "", "", r.Quantity});
            QCOMPARE(c.valueText(), oneByOne.valueText());
            QCOMPARE(c.netChangeText(), oneByOne.netChangeText());
            QCOMPARE(c.extremes().HighList.texts(), oneByOne.extremes().HighList.texts());
            QCOMPARE(c.extremes().LowList.texts(), oneByOne.extremes().LowList.texts());
            QCOMPARE(c.extremes().HotList.texts(), oneByOne.extremes().HotList.texts());
            QCOMPARE(c.extremes().ColdList.texts(), oneByOne.extremes().ColdList.texts());
        }
    }

    // A collection never updated: every net change is $0, so the hot and cold lists hold every item in
    // file order, whatever order the file holds them in; many items tie at the high price.
    void neverUpdatedCollectionListsEveryItemHotAndCold() {
        std::vector<TFigureRecord> records;
        std::vector<std::string> every, high;
        std::mt19937 random(3);
        for (int i = 0; i < 2000; ++i) {
            const std::string name = "figure " + std::to_string(random());
            records.push_back(record(name, "$" + std::to_string(i % 20) + ".5", "$0"));
            every.push_back(name + "  $0");
            if (i % 20 == 19) high.push_back(name + "  $19.5");
        }
        writeBytes(path("zero.fcd"), fileImage(header(), records));
        OpenCollection c;
        c.LoadCollection(path("zero.fcd"));
        QCOMPARE(c.extremes().HotList.texts(), every);
        QCOMPARE(c.extremes().ColdList.texts(), every);
        QCOMPARE(c.extremes().HighList.texts(), high);
        QVERIFY(!c.InsertNewItem(item("added", "$19.5", "$0")));
        QCOMPARE(c.extremes().HotList.text(2000), std::string("added  $0"));
        QCOMPARE(c.extremes().HighList.text(100), std::string("added  $19.5"));
    }

    // Large enough for the node store's one big block: the records read straight into their nodes
    // come back byte for byte, and a torn end sets only the last record aside.
    void largeCollectionRoundTripAndTornEnd() {
        std::vector<TFigureRecord> records;
        char name[16];
        for (int i = 0; i < 13000; ++i) {
            std::snprintf(name, sizeof name, "item%06d", i);
            records.push_back(record(name, "$" + std::to_string(i % 50) + ".25"));
        }
        const QByteArray image = fileImage(header(), records);
        writeBytes(path("large.fcd"), image);
        OpenCollection c;
        c.LoadCollection(path("large.fcd"));
        QCOMPARE(c.totals().ItemCount, 13000);
        QCOMPARE(c.itemList().at(12999), std::string("item012999"));
        QVERIFY(c.FindItem("ITEM006500"));
        QCOMPARE(c.extremes().HighList.size(), std::size_t(260)); // every fiftieth item is priced $49.25
        c.SaveCollection();
        QCOMPARE(readBytes(path("large.fcd")), image);

        writeBytes(path("torn.fcd"), image.left(image.size() - 100));
        c.LoadCollection(path("torn.fcd"));
        QCOMPARE(c.totals().ItemCount, 12999);
        QCOMPARE(c.damaged().size(), std::size_t(1));
        QCOMPARE(c.damaged()[0].record, std::size_t(13000));
        QVERIFY(!c.FindItem("item012999"));
    }

    // A tree that is one long chain must not be walked by recursion: run on a small stack.
    void longChainNeedsNoDeepStack() {
        struct Job {
            std::string file;
            int items = 0;
            bool ok = false;
        } job{path("chain.fcd"), 30000};
        auto run = [](void* arg) -> void* {
            auto* j = static_cast<Job*>(arg);
            OpenCollection c;
            c.CreateCollection(j->file, "Chain", "Kenner", "1985-1990");
            char name[16];
            for (int i = 0; i < j->items; ++i) {
                std::snprintf(name, sizeof name, "item%08d", i);
                c.InsertNewItem(item(name));
            }
            c.SaveCollection();
            c.ReloadCollection();
            j->ok = c.totals().ItemCount == j->items && c.ItemTree()->Left == nullptr &&
                    c.ItemTree()->Right != nullptr;
            return nullptr;
        };
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstacksize(&attr, 256 * 1024);
        pthread_t thread;
        QCOMPARE(pthread_create(&thread, &attr, +run, &job), 0);
        pthread_join(thread, nullptr);
        pthread_attr_destroy(&attr);
        QVERIFY(job.ok);
    }
};

QTEST_GUILESS_MAIN(OpenCollectionTest)
#include "test_opencollection.moc"
