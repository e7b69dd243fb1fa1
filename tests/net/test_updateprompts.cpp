// What the prompts before an update decide: when the command acts, the question, and what
// confirming changes.

#include "net/UpdatePrompts.h"

#include <QTest>

using namespace vitrinex;

class TestUpdatePrompts : public QObject {
    Q_OBJECT
private slots:
    void confirmingRecordsTheDayAndTheCatalog() {
        OpenCollection c;
        QVERIFY(!net::updateAvailable(c));
        c.CreateCollection("figures.fcd", "Figures", "Kenner", "1978");
        QVERIFY(!net::updateAvailable(c)); // no items
        QVERIFY(!net::hasUpdateType(c));

        net::confirmUpdate(c, QDate(1999, 3, 4), "HW");
        QCOMPARE(c.UpdateType, "HW");
        QCOMPARE(c.LastUpdate, "3/4/99");
        QVERIFY(net::hasUpdateType(c));
        QCOMPARE(net::lastUpdateQuestion(c), "Figures was last updated on 3/4/99. Would you like to continue?");

        // Confirming the last-update prompt keeps the catalog.
        net::confirmUpdate(c, QDate(2026, 12, 8));
        QCOMPARE(c.UpdateType, "HW");
        QCOMPARE(c.LastUpdate, "12/8/26");
    }
};

QTEST_GUILESS_MAIN(TestUpdatePrompts)
#include "test_updateprompts.moc"
