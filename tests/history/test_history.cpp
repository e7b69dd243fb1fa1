// What the session keeps of a collection's past: deleted items, prices over time, and what an update
// changed.

#include "CollectionFixtures.h"
#include "collection/CollectionData.h"
#include "collection/InOutError.h"
#include "collection/ItemEntry.h"
#include "model/CollectionSession.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace vitrinex;
using fixtures::item;

namespace {

void writeUpdate(const std::vector<std::pair<std::string, std::string>>& prices) {
    QByteArray bytes;
    for (const auto& p : prices) {
        TUpdateRecord r;
        std::memset(&r, 0, sizeof r);
        r.UpdateCatNum.assign(p.first);
        r.UpdatePrice.assign(p.second);
        bytes += QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
    }
    fixtures::writeBytes("update.dat", bytes);
}

QStringList pointTexts(const std::vector<PricePoint>& points) {
    QStringList out;
    for (const PricePoint& p : points)
        out << QString::fromStdString(p.source + " " + p.price + " " + p.netChange);
    return out;
}

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT

    std::string path_ = "heroes.fcd";

private slots:
    void init() { fixtures::writeCollection(QString::fromStdString(path_), {item("Batman"), item("Robin")}); }

    void aDeletedItemComesBackWholeOnlyWhileItsNameIsFree() {
        CollectionSession session;
        session.open(QString::fromStdString(path_));
        session.selectItem("Batman");
        const QByteArray stored(reinterpret_cast<const char*>(&session.collection().currentItem()->Record),
                                sizeof(TFigureRecord));
        QVERIFY(session.deleteItem("batman"));
        QVERIFY(!session.addItem(item("BATMAN", "$1")));
        const QByteArray held = fixtures::readBytes(path_);
        QCOMPARE(session.undelete("Batman"), CollectionSession::Undelete::NameHeld);
        QCOMPARE(fixtures::readBytes(path_), held);

        QVERIFY(session.deleteItem("Batman"));
        QCOMPARE(session.deletedItems().size(), std::size_t(2));
        QCOMPARE(session.undelete("batman"), CollectionSession::Undelete::Restored); // the newest: $1
        QCOMPARE(session.collection().currentItem()->Record.Price.str(), std::string("$1"));
        QCOMPARE(session.undelete("Joker"), CollectionSession::Undelete::NotKept);
        // The first Batman is still kept, every field as it was.
        const std::vector<DeletedItem> left = session.deletedItems();
        QCOMPARE(left.size(), std::size_t(1));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&left[0].record), offsetof(TFigureRecord, Left)),
                 stored.left(offsetof(TFigureRecord, Left)));
    }

    void theStoreKeepsTheNewestThousandAndADamagedOneDeletesNothing() {
        DeletedItems store(path_);
        for (std::size_t i = 0; i <= kDeletedItemsKept; ++i)
            store.keep(fixtures::record("Item " + std::to_string(i)));
        const std::vector<DeletedItem> kept = store.list();
        QCOMPARE(kept.size(), kDeletedItemsKept);
        QCOMPARE(kept.front().record.FigureName.str(), "Item " + std::to_string(kDeletedItemsKept));
        QCOMPARE(kept.back().record.FigureName.str(), std::string("Item 1"));

        const std::string file = collectionDataFolder(path_, false) + "/deleted";
        fixtures::writeBytes(file, fixtures::readBytes(file) + "not a line\n");
        CollectionSession session;
        session.open(QString::fromStdString(path_));
        const QByteArray before = fixtures::readBytes(path_);
        try {
            session.deleteItem("Robin");
            QFAIL("a damaged store was taken for a good one");
        } catch (const EInOutError& e) {
            QVERIFY(std::string(e.what()).find(file + ": line 1002") != std::string::npos);
        }
        QCOMPARE(fixtures::readBytes(path_), before);
        QVERIFY(session.collection().itemList().size() == 2);
    }

    void pricePointsFollowTheItemThroughARenameAndAnUpdate() {
        CollectionSession session;
        session.open(QString::fromStdString(path_));
        QVERIFY(!session.addItem(item("Joker", "$10", "$0")));
        ItemEntry edit;
        edit.FillForEdit(session.collection().currentItem()->Record);
        edit.Fields.FigureName = "Clown Prince";
        edit.putField(EntryField::Price, "11");
        QVERIFY(session.addSave(edit).completed);
        ItemEntry sameEdit; // a save that gives no new price adds no point
        session.selectItem("Clown Prince");
        sameEdit.FillForEdit(session.collection().currentItem()->Record);
        sameEdit.Fields.Series = "Villains";
        QVERIFY(session.addSave(sameEdit).completed);
        writeUpdate({{"CAT-5", "12.5"}}); // Joker's catalog number, kept through the rename
        QVERIFY(!session.applyUpdateFile("update.dat").message);

        const QStringList points = pointTexts(session.priceHistory("clown prince"));
        QCOMPARE(points.size(), 3);
        QCOMPARE(points[0], QString("add $10 $0"));
        QVERIFY(points[1].startsWith("edit $") && points[1].contains("11"));
        QCOMPARE(points[2], QString("update $12.5 $1.5"));
        // A new item of the old name starts its own record.
        QVERIFY(!session.addItem(item("Joker", "$3", "$0")));
        QCOMPARE(pointTexts(session.priceHistory("Joker")), QStringList{"add $3 $0"});
    }

    void anUpdateListsWhatItChangedAndWhatMatchedNothing() {
        CollectionSession session;
        session.open(QString::fromStdString(path_));
        // Batman and Robin are CAT-6 and CAT-5 at $12.5; ZZ matches nothing, twice.
        writeUpdate({{"cat-6", "20"}, {"ZZ", "1"}, {"CAT-5", "12.5"}, {"zz", "2"}, {"CAT-6", "21"}});
        const UpdateOutcome outcome = session.applyUpdateFile("update.dat");
        QVERIFY(!outcome.message);
        const CollectionSession::UpdateChanges& last = session.lastUpdateChanges();
        QCOMPARE(last.changes.size(), std::size_t(1));
        QCOMPARE(last.changes[0].item + " " + last.changes[0].oldPrice + " " + last.changes[0].newPrice,
                 std::string("Batman $  12.50 $21"));
        QCOMPARE(last.unmatched, std::vector<std::string>{"ZZ"});
        QCOMPARE(pointTexts(session.priceHistory("Robin")), QStringList{});
    }
};

QTEST_GUILESS_MAIN(HistoryTest)
#include "test_history.moc"
