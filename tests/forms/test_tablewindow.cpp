// The collection table: sorting by a column's title, the filter as the user types, following the
// collection's changes, the edit request, its size and place kept for the next opening, its first
// place beside the main window, and Escape.
#include "CollectionFixtures.h"
#include "WindowTestSupport.h"
#include "forms/TableWindow.h"
#include "model/CollectionSession.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>

using namespace vitrinex;
using namespace windowtest;

namespace {

QStringList column(QTableView* view, int column) {
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << view->model()->index(r, column).data().toString();
    return out;
}

void clickTitle(QTableView* view, int section) {
    QHeaderView* header = view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 4, 4));
}

} // namespace

class TableWindowTest : public QObject {
    Q_OBJECT

    CollectionSession session_;
    std::unique_ptr<TTableForm> form_;
    QTableView* table_ = nullptr;

private slots:
    void init() {
        const QString path = QDir::current().absoluteFilePath("table.fcd");
        OpenCollection c;
        c.CreateCollection(path.toStdString(), "Heroes", "Kenner", "1985-1990");
        const auto add = [&c](const char* name, const char* price, const char* year, int quantity,
                              const char* comment) {
            NewItemValues v = fixtures::item(name, price, "$0", quantity);
            v.Year = year;
            v.Comments = comment;
            c.InsertNewItem(v);
        };
        add("gamma", "$100", "2001", 1, "mint on card");
        add("beta", "$10", "1990", 2, "");
        add("Alpha", "$  9.5", "85  ", 10, "");
        add("delta", "$10", "1990", 2, "loose");
        c.SaveCollection();
        form_ = std::make_unique<TTableForm>();
        form_->follow(&session_);
        session_.open(path);
        form_->show();
        table_ = control<QTableView>(form_.get(), "TableGRD");
    }

    void sortsNumbersAsNumbersAndTiesInTheListsOrder() {
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"Alpha", "beta", "delta", "gamma"}));
        clickTitle(table_, ItemTable::Price);
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"Alpha", "beta", "delta", "gamma"}));
        clickTitle(table_, ItemTable::Price);
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"gamma", "beta", "delta", "Alpha"}));
        clickTitle(table_, ItemTable::Year);
        QCOMPARE(column(table_, ItemTable::Year), QStringList({"85  ", "1990", "1990", "2001"}));
        clickTitle(table_, ItemTable::Quantity);
        QCOMPARE(column(table_, ItemTable::Quantity), QStringList({"1", "2", "2", "10"}));
        clickTitle(table_, ItemTable::Name);
        clickTitle(table_, ItemTable::Name);
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"gamma", "delta", "beta", "Alpha"}));
    }

    void filtersAsTheUserTypesAndFollowsChanges() {
        auto* filter = control<QLineEdit>(form_.get(), "FilterEDT");
        QTest::keyClicks(filter, "L");
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"Alpha", "delta"})); // a name, a comment
        QTest::keyClicks(filter, "o");
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"delta"}));
        QTest::keyClick(filter, Qt::Key_Backspace);
        QTest::keyClick(filter, Qt::Key_Backspace);
        QTest::keyClicks(filter, "MINT");
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"gamma"}));
        session_.selectItem("gamma");
        session_.deleteCurrentItem();
        QCOMPARE(table_->model()->rowCount(), 0);
        filter->clear();
        QCOMPARE(column(table_, ItemTable::Name), QStringList({"Alpha", "beta", "delta"}));
    }

    void doubleClickAsksForTheEditDialog() {
        QSignalSpy edit(form_.get(), &TTableForm::editRequested);
        const QRect cell = table_->visualRect(table_->model()->index(2, ItemTable::Price));
        QTest::mouseClick(table_->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table_->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(edit.count(), 1);
        QCOMPARE(edit.at(0).at(0).toString(), QString("delta"));
    }

    void keepsItsSizeAndColumnWidths() {
        form_->resize(640, 300);
        table_->setColumnWidth(ItemTable::Series, 150);
        form_->hide();
        TTableForm again;
        QCOMPARE(again.size(), QSize(640, 300));
        QCOMPARE(control<QTableView>(&again, "TableGRD")->columnWidth(ItemTable::Series), 150);
    }

    void opensBesideTheMainWindowThenWhereItWasLeft() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget owner;
        owner.resize(200, 150);
        owner.show();
        const auto openBeside = [&](QPoint ownerAt, int width) {
            QFile::remove(TTableForm::settingsPath());
            owner.move(ownerAt);
            TTableForm table;
            table.resize(width, 200);
            table.showBeside(&owner);
            return table.frameGeometry();
        };
        const QPoint top = screen.topLeft() + QPoint(0, 20);
        QRect table = openBeside(top + QPoint(10, 0), 300);
        QCOMPARE(table.topLeft(), owner.frameGeometry().topRight() + QPoint(1, 0));
        table = openBeside(top + QPoint(screen.width() - 210, 0), 300);
        QCOMPARE(table.topRight(), owner.frameGeometry().topLeft() - QPoint(1, 0));
        QVERIFY(screen.contains(openBeside(top + QPoint(200, 0), screen.width() - 100))); // room on no side

        form_->hide();
        form_->move(screen.topLeft() + QPoint(123, 45));
        form_->show();
        form_->hide();
        TTableForm again;
        again.showBeside(&owner);
        QCOMPARE(again.frameGeometry().topLeft(), screen.topLeft() + QPoint(123, 45));
    }

    void escapeClosesTheWindow() {
        QTest::keyClick(control<QLineEdit>(form_.get(), "FilterEDT"), Qt::Key_Escape);
        QVERIFY(!form_->isVisible());
        form_->show();
        QTest::keyClick(table_, Qt::Key_Escape);
        QVERIFY(!form_->isVisible());
    }
};

QTEST_MAIN(TableWindowTest)
#include "test_tablewindow.moc"
