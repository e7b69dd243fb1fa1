// What the prompts before an update decide: when the command acts, the question, and what
// confirming changes.

#include "collection/UpdatePrompts.h"

#include <QTest>

using namespace vitrinex;

class TestUpdatePrompts : public QObject {
    Q_OBJECT
private slots:
    void confirmingRecordsTheDayAndTheCatalog() {
        OpenCollection c;
        QVERIFY(!updateAvailable(c));
        c.CreateCollection("figures.fcd", "Figures", "Kenner", "1978");
        QVERIFY(!updateAvailable(c)); // no items
        QVERIFY(!hasUpdateType(c));

        confirmUpdate(c, QDate(1999, 3, 4), "HW");
        QCOMPARE(c.header().UpdateType, "HW");
        QCOMPARE(c.header().LastUpdate, "3/4/99");
        QVERIFY(hasUpdateType(c));
        QCOMPARE(lastUpdateQuestion(c), "Figures was last updated on 3/4/99. Would you like to continue?");

        // Confirming the last-update prompt keeps the catalog.
        confirmUpdate(c, QDate(2026, 12, 8));
        QCOMPARE(c.header().UpdateType, "HW");
        QCOMPARE(c.header().LastUpdate, "12/8/26");
    }
};

QTEST_GUILESS_MAIN(TestUpdatePrompts)
#include "test_updateprompts.moc"
