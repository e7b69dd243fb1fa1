// The add/edit rules where a file operation fails, and the completion's choice after a Save.
#include "CollectionFixtures.h"
#include "collection/InOutError.h"
#include "collection/ItemEntry.h"
#include "collection/SafeFile.h"

#include <QtTest>
#include <cerrno>

using namespace vitrinex;
using namespace fixtures;

class ItemEntryTest : public QObject {
    Q_OBJECT

    // A collection file holding Batman and Robin, open.
    void open(OpenCollection& c) {
        std::vector<TFigureRecord> items = {record("Batman", "$5", "$0", 2), record("Robin", "$7")};
        for (auto& r : items)
            r.Year.assign("1985");
        writeBytes("heroes.fcd", fileImage(header(), items));
        c.LoadCollection("heroes.fcd");
    }
    static int failRename(const char*, const char*) {
        errno = ENOSPC;
        return -1;
    }

private slots:
    void aFailedSaveNeverLosesTheBlankedItem() {
        OpenCollection c;
        open(c);
        const QByteArray before = readBytes("heroes.fcd");
        const FileSystemCalls failing{nullptr, nullptr, &ItemEntryTest::failRename, nullptr};

        ItemEntry rename;
        rename.FillForEdit(c.FindItem("Batman")->Record);
        rename.Fields.FigureName = "Joker";
        setFileSystemCallsForTesting(&failing);
        QVERIFY_THROWS_EXCEPTION(EInOutError, rename.AddSave(c));
        c.FindItem("Robin");
        QVERIFY_THROWS_EXCEPTION(EInOutError, DeleteCurrentItem(c));
        setFileSystemCallsForTesting(nullptr);

        QCOMPARE(readBytes("heroes.fcd"), before);
        // Both items are whole in memory, and the rename can be tried again on the same item.
        QVERIFY(rename.EditMode);
        QCOMPARE(c.FindItem("Batman")->Record.Quantity, 2);
        QVERIFY(c.FindItem("Robin"));
        c.SaveCollection();
        QCOMPARE(readBytes("heroes.fcd"), before);
        c.FindItem("Batman");
        QVERIFY(rename.AddSave(c).closeDialog);
        QCOMPARE(c.itemList().names(), std::vector<std::string>({"Joker", "Robin"}));
    }

    // An add whose save failed is not in the collection either: the next press stores it.
    void aFailedAddIsStoredByTheNextPress() {
        OpenCollection c;
        open(c);
        ItemEntry add;
        add.Fields = {"Joker", "1  ", "1985", {}, "$     0 ", "$   0", "C-10", {}, {}};
        const FileSystemCalls failing{nullptr, nullptr, &ItemEntryTest::failRename, nullptr};
        setFileSystemCallsForTesting(&failing);
        QVERIFY_THROWS_EXCEPTION(EInOutError, add.AddSave(c));
        setFileSystemCallsForTesting(nullptr);
        QVERIFY(!add.AddSave(c).message);
        QVERIFY(readBytes("heroes.fcd").contains("Joker"));
    }

    void completionSelectsTheStoredItemOrNothing() {
        OpenCollection c;
        open(c);
        ItemEntry edit;
        edit.FillForEdit(c.FindItem("robin")->Record);
        edit.putField(EntryField::Series, "Teen Titans");
        QVERIFY(edit.AddSave(c).completed);
        QCOMPARE(ItemEntry::CompletionRow(c.itemList(), edit.NameToSelect), 1);
        QCOMPARE(c.FindItem("Robin")->Record.Series.str(), std::string("Teen Titans"));

        QCOMPARE(ItemEntry::CompletionRow(c.itemList(), "Joker"), -1);
    }
};

QTEST_GUILESS_MAIN(ItemEntryTest)
#include "test_itementry.moc"
