// The node store: nodes never move, are visited oldest first, and can be filled in place.
#include "collection/ItemTree.h"

#include <QtTest>

using namespace vitrinex;

class ItemTreeTest : public QObject {
    Q_OBJECT

private slots:
    void nodesStayWhereTheyAreAndKeepTheirOrder() {
        NodeStore store;
        std::vector<TFigureNode*> added;
        TFigureRecord r = blankFigureRecord();
        for (int i = 0; i < 5000; ++i) {
            r.Quantity = i;
            added.push_back(store.add(r));
            if (i == 2500) store.reserve(20000); // a big block after smaller ones
        }
        std::size_t spare = 0;
        TFigureNode* free = store.spare(spare);
        QVERIFY(spare >= 20000 - 2499);
        for (int i = 0; i < 3; ++i)
            free[i].Record.Quantity = 5000 + i;
        free[spare - 1].Record.Quantity = -1; // every spare node of a big block can be written
        QCOMPARE(free[spare - 1].Record.Quantity, -1);
        store.commit(3);
        QCOMPARE(store.size(), std::size_t(5003));
        int expected = 0;
        bool sameNodes = true;
        store.forEach([&](const TFigureNode& node) {
            sameNodes = sameNodes && (expected >= 5000 || &node == added[static_cast<std::size_t>(expected)]);
            QCOMPARE(node.Record.Quantity, expected++);
        });
        QCOMPARE(expected, 5003);
        QVERIFY(sameNodes);
        NodeStore moved = std::move(store);
        QCOMPARE(moved.size(), std::size_t(5003));
        QCOMPARE(store.size(), std::size_t(0));
        store.spare(spare);
        QCOMPARE(spare, std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(ItemTreeTest)
#include "test_itemtree.moc"
