// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse,
// and a right button press makes a context-menu event.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/MainWindow.h"

#include "CollectionFixtures.h"
#include "ImmutableFile.h"
#include "collection/OpenCollection.h"
#include "collection/RecentCollections.h"
#include "controls/BitmapScrollBar.h"
#include "controls/MaskedEditField.h"
#include "controls/PictureControl.h"
#include "controls/WebPageOpener.h"
#include "forms/AboutDialog.h"
#include "forms/CollectionInfoDialog.h"
#include "forms/ErrorReport.h"
#include "forms/ExitDialog.h"
#include "forms/MessageDialog.h"
#include "forms/StatisticsWindow.h"
#include "platform/FileDialogs.h"
#include "platform/HelpViewer.h"
#include "sound/Sound.h"

#include "MainWindowControls.h"
#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <random>
#include <sys/ioctl.h>
#include <unistd.h>

#include <functional>
#include <memory>

using namespace vitrinex;

using namespace windowtest;

namespace {

const QString kHelpNotFoundText =
    QStringLiteral("the help file was not found. please reinstall Vitrinex 1.4.");

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

NewItemValues itemWithComments(const std::string& name, const std::string& comments) {
    NewItemValues v = fixtures::item(name);
    v.Comments = comments;
    return v;
}

std::vector<NewItemValues> numberedItems(int count) {
    std::vector<NewItemValues> items;
    for (int i = 1; i <= count; ++i)
        items.push_back(fixtures::item(QStringLiteral("Figure %1").arg(i, 2, 10, QChar('0')).toStdString()));
    return items;
}

QStringList entries(const QAbstractItemView* list) {
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        out << list->model()->index(i, 0).data().toString();
    return out;
}

} // namespace

// The windows of the item commands, as the watcher notes them when they open.
const QString kAddWindow = QStringLiteral("AddFigureForm/add item");
const QString kEditWindow = QStringLiteral("AddFigureForm/edit item");
const QString kDeleteWindow = QStringLiteral("DeleteForm/delete?");
const QString kFindWindow = QStringLiteral("FindForm/find");
const QString kPrintWindow = QStringLiteral("PrintForm/print collection");
const QString kUpdateTypeWindow = QStringLiteral("UpdateTypeForm/update type");

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Comments
    void wrapsComments_data();
    void wrapsComments();
    void commentBarMaximumFollowsEntries();

    // States, captions, menu and buttons
    void startsWithNoCollection();
    void openEmptyCollectionShowsZeroTotal();
    void openCollectionShowsTotalsAndEnablesItemCommands();
    void newCollectionFromButtonShowsNameOnlyCaption();
    void cancelledDialogsDoNothing();
    void disabledMenuItemsIgnoreTheirShortcuts();
    void recentCollectionsReopenFromTheMenu();
    void droppedCollectionOpens();
    void selectingShowsTheItem();

    // The item list and its scroll bar
    void scrollBarMovesTheList();
    void largeListFollowsKeysAndWheel();
    void releaseOnLastLinePutsBarAtMaximum();
    void commentBarScrollsTheComments();

    // Keys and buttons that need a selection or items
    void enterInListWorksTheEditButton();
    void doubleClickEditsTheItem();
    void deleteKeyNeedsASelection();
    void editAndDeleteButtonsNeedASelection();
    void printAndUpdateNeedItems();
    void itemCommandsPlayTheClickFirst();

    // Menu, logo, cursor
    void rightClickOpensTheMenu();
    void logoClickOpensAboutWithClickSound();
    void cursorOverTheLogoIsTheHelpCursor();

    // Opening and closing
    void openFromButtonOfMissingFile();
    void damagedFileLeavesNoCollectionOpen();
    void readOnlyCollectionRefusesChangesAndCloses();
    void closeWritesTheFileAndResetsTheWindow();
    void failedCloseKeepsTheCollectionOpen();
    void statisticsWindowFollowsTheCollection();
    void createBackupWritesBesideTheFileAndNamesIt();

    // Settings file
    void missingSettingsTurnSoundsOnAndRecreateTheFile();
    void settingsOtherThanOneTurnSoundsOff_data();
    void settingsOtherThanOneTurnSoundsOff();
    void destructionWritesTheSoundSwitch();

    // Help, web links, exit
    void helpWithoutHelpFile();
    void helpButtonUsesTheProgramFolder();
    void webLinksReportARefusingBrowser();
    void exitPlaysClickShowsDialogAndSavesWhenCancelled();

private:
    void createMain();
    void destroyMain();
    void openFile(const QString& path);
    QString dataPath(const QString& name) const { return dataDir_->filePath(name); }
    // Opens the right-click menu and chooses `item`, through `submenu` when it sits in one.
    void chooseFromMenu(QMenu* submenu, QAction* item);

    RecordingSoundService sounds_;
    std::unique_ptr<QTemporaryDir> programDir_;
    std::unique_ptr<QTemporaryDir> dataDir_;
    QPointer<TMainForm> main_;
    MainControls ui_;
    QString answer_; // what the user picks in the open or save dialog
    QList<FileDialogRequest> requests_;
    QStringList messages_;          // "title|text" of the message dialog
    QStringList errors_;            // the default error report
    QStringList opened_;            // the item commands' windows, in the order they opened
    QList<qsizetype> soundsAtOpen_; // how many sounds had played when each item window opened
    std::unique_ptr<DialogWatcher> itemWindows_;
    QStringList urls_;
};

void TestMainForm::initTestCase() {
    Sounds::setServiceForTesting(&sounds_);
}

void TestMainForm::init() {
    programDir_ = std::make_unique<QTemporaryDir>();
    dataDir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(programDir_->isValid() && dataDir_->isValid());
    answer_.clear();
    requests_.clear();
    messages_.clear();
    errors_.clear();
    opened_.clear();
    soundsAtOpen_.clear();
    urls_.clear();
    FileDialogs::setAnswerForTesting([this](const FileDialogRequest& r) {
        requests_ << r;
        return answer_;
    });
    setShownMessagesForTesting(
        {[this](const QString& title, const QString& text) { messages_ << title + "|" + text; },
         [this](const QString& message) { errors_ << message; }});
    createMain();
}

void TestMainForm::cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible()) menu->close();
    destroyMain();
    FileDialogs::setAnswerForTesting({});
    setShownMessagesForTesting({});
    // Leave the temporary folder before it goes, so that a test that removed it cannot break the next.
    programDir_.reset();
    dataDir_.reset();
}

void TestMainForm::createMain() {
    main_ = new TMainForm(nullptr, programDir_->path());
    itemWindows_ =
        std::make_unique<DialogWatcher>(QStringList{"AddFigureForm", "DeleteForm", "FindForm", "PrintForm",
                                                    "UpdateTypeForm", "LastUpdateForm"},
                                        [this](const QString& window) {
                                            opened_ << window;
                                            soundsAtOpen_ << sounds_.names().size();
                                        });
    ui_.find(main_);
    main_->show();
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_));
    sounds_.clear();
}

void TestMainForm::destroyMain() {
    itemWindows_.reset();
    // The dialogs and the statistics window go with the main window.
    QList<QPointer<QWidget>> owned;
    if (main_) owned = {ui_.NewUForm, ui_.AboutForm, ui_.ExitForm, ui_.StatsForm};
    delete main_.data();
    for (const QPointer<QWidget>& w : owned)
        QVERIFY(w.isNull());
    QVERIFY(main_.isNull());
}

void TestMainForm::openFile(const QString& path) {
    answer_ = path;
    click(ui_.OpenJPG);
    QVERIFY2(main_->collection().isOpen(), qPrintable(errors_.join(", ") + messages_.join(", ")));
}

void TestMainForm::chooseFromMenu(QMenu* submenu, QAction* item) {
    click(ui_.MainJPG, Qt::RightButton, QPoint(250, 150));
    QTRY_VERIFY(ui_.PopupMenu1->isVisible());
    QMenu* menu = ui_.PopupMenu1;
    if (submenu) {
        click(menu, Qt::LeftButton, menu->actionGeometry(submenu->menuAction()).center());
        QTRY_VERIFY(submenu->isVisible());
        menu = submenu;
    }
    click(menu, Qt::LeftButton, menu->actionGeometry(item).center());
    QTRY_VERIFY(!ui_.PopupMenu1->isVisible());
}

// --- comments -----------------------------------------------------------------------------------------

void TestMainForm::wrapsComments_data() {
    QTest::addColumn<QString>("comments");
    QTest::addColumn<QStringList>("expected");

    const QString letters45 = QString(45, QChar('x'));
    QTest::newRow("nine characters, one blank") << "mint card" << QStringList{"mint card"};
    QTest::newRow("exactly thirty") << QString(30, QChar('a')) << QStringList{QString(30, QChar('a'))};
    QTest::newRow("45 letters without blanks")
        << letters45 << QStringList{QString(30, QChar('x')), QString(15, QChar('x'))};
    // Positions counted from 1: the blank at 30 ends the first entry, and the line goes on after it.
    const QString blankAt30 = QString(29, QChar('a')) + " " + QString(10, QChar('b'));
    QTest::newRow("blank exactly at position 30")
        << blankAt30 << QStringList{QString(29, QChar('a')) + " ", QString(10, QChar('b'))};
    // A blank at 31 is outside the first thirty: cut at 30, the blank starts the next entry.
    const QString blankAt31 = QString(30, QChar('a')) + " " + QString(5, QChar('b'));
    QTest::newRow("blank at position 31") << blankAt31 << QStringList{QString(30, QChar('a')), " bbbbb"};
    const QString blankAt1 = " " + QString(40, QChar('c'));
    QTest::newRow("blank only at position 1")
        << blankAt1 << QStringList{" " + QString(29, QChar('c')), QString(11, QChar('c'))};
    const QString twoBlanks =
        QString(10, QChar('a')) + " " + QString(10, QChar('b')) + " " + QString(15, QChar('c'));
    QTest::newRow("last of several blanks")
        << twoBlanks
        << QStringList{QString(10, QChar('a')) + " " + QString(10, QChar('b')) + " ",
                       QString(15, QChar('c'))};
    QTest::newRow("long line cut twice")
        << QString(75, QChar('z'))
        << QStringList{QString(30, QChar('z')), QString(30, QChar('z')), QString(15, QChar('z'))};
    QTest::newRow("trailing CR LF adds nothing") << "mint\r\n" << QStringList{"mint"};
    QTest::newRow("two CR LF in a row add an empty entry")
        << "mint\r\n\r\nboxed" << QStringList{"mint", "", "boxed"};
    QTest::newRow("each line wrapped on its own")
        << "short\r\n" + letters45 << QStringList{"short", QString(30, QChar('x')), QString(15, QChar('x'))};
    QTest::newRow("lone CR stays in the line") << "a\rb" << QStringList{"a\rb"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestMainForm::wrapsComments() {
    QFETCH(QString, comments);
    QFETCH(QStringList, expected);
    QCOMPARE(WrapComments(comments), expected);
}

void TestMainForm::commentBarMaximumFollowsEntries() {
    const QString path = dataPath("comments.fcd");
    fixtures::writeCollection(path, {itemWithComments("Four", "1\r\n2\r\n3\r\n4"),
                                     itemWithComments("Five", "1\r\n2\r\n3\r\n4\r\n5"),
                                     itemWithComments("Nine", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9"),
                                     itemWithComments("None", "")});
    openFile(path);
    const QStringList names = entries(ui_.ListBox2);
    QCOMPARE(names, (QStringList{"Five", "Four", "Nine", "None"}));

    struct Case {
        int row, count, max;
    };
    for (const Case& c : {Case{1, 4, 1}, Case{0, 5, 2}, Case{2, 9, 6}, Case{3, 0, 1}, Case{1, 4, 1}}) {
        click(ui_.ListBox2->viewport(), Qt::LeftButton, ui_.ListBox2->rowRect(c.row).center());
        QCOMPARE(ui_.CommentsLBL->count(), c.count);
        QCOMPARE(ui_.BMPScrollBar2->max(), c.max);
    }
}

// --- states, captions, menu and buttons -----------------------------------------------------------------

void TestMainForm::startsWithNoCollection() {
    TMainForm& m = *main_;
    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4"));
    QCOMPARE(m.size(), QSize(501, 399));
    QVERIFY(ui_.newcollection1->isEnabled());
    QVERIFY(ui_.opencollection1->isEnabled());
    for (QAction* a : {ui_.closecollection1, ui_.additem1, ui_.edititem1, ui_.deleteitem1,
                       ui_.editcollectioninfo1, ui_.find1, ui_.collectionstats1, ui_.printcollection1,
                       ui_.updatecollection1, ui_.createbackup1, ui_.exportastext1})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    for (QAction* a : {ui_.sounds1, ui_.help1, ui_.about1, ui_.QuilloryHomePage1, ui_.VitrinexHomePage1,
                       ui_.vitrinexcatalogs1, ui_.exitvitrinex1})
        QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(ui_.sounds1->isChecked());

    for (TJPEGImage* b : {ui_.NewJPG, ui_.OpenJPG, ui_.HelpJPG, ui_.UpdateJPG, ui_.ExitJPG})
        QVERIFY2(b->isVisible(), qPrintable(b->objectName()));
    for (TJPEGImage* b : {ui_.AddJPG, ui_.EditJPG, ui_.DeleteJPG, ui_.PrintJPG, ui_.CloseJPG})
        QVERIFY2(!b->isVisible(), qPrintable(b->objectName()));
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_.ListBox2, ui_.BMPScrollBar1, ui_.TotalLBL, ui_.FigureNameLBL,
                                         ui_.CommentsLBL, ui_.BMPScrollBar2, ui_.Label1, ui_.PriceLBL})
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));

    // Controls are found by their names.
    for (const char* name : {"MainJPG", "ListBox2", "BMPScrollBar1", "TotalLBL", "FigureNameLBL",
                             "CommentsLBL", "BMPScrollBar2", "NewJPG", "ExitJPG", "PopupMenu1"})
        QVERIFY2(m.findChild<QObject*>(name), name);
    QCOMPARE(m.findChild<QAction*>("deleteitem1"), ui_.deleteitem1);

    // UpdateJPG reacts to nothing while no collection is open.
    click(ui_.UpdateJPG);
    QVERIFY(opened_.isEmpty());
    QVERIFY(!ui_.UpdateJPG->hasLook());
}

void TestMainForm::openEmptyCollectionShowsZeroTotal() {
    const QString path = dataPath("empty.fcd");
    fixtures::writeCollection(path, {});
    openFile(path);
    TMainForm& m = *main_;

    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4 - Heroes:  $0"));
    QVERIFY(ui_.TotalLBL->isVisible());
    QCOMPARE(ui_.TotalLBL->text(), QString("total items:  0"));
    QVERIFY(ui_.ListBox2->isVisible());
    QCOMPARE(ui_.ListBox2->count(), 0);
    QCOMPARE(ListTopRow(ui_.ListBox2), 0); // a list without lines counts as scrolled to its top
    QCOMPARE(sounds_.names(), QStringList{"v10op.qys"});
    QCOMPARE(requests_.size(), 1);
    QCOMPARE(requests_[0].kind, FileDialogRequest::Kind::Open);
    QCOMPARE(requests_[0].defaultExtension, QString("fcd"));
    QCOMPARE(
        requests_[0].filter,
        QString("figure collector document (*.fcd)|*.fcd|backup document (*.bak)|*.bak|All Files (*.*)|*.*"));

    QVERIFY(!ui_.newcollection1->isEnabled());
    QVERIFY(!ui_.opencollection1->isEnabled());
    for (QAction* a : {ui_.closecollection1, ui_.additem1, ui_.editcollectioninfo1})
        QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    for (QAction* a : {ui_.edititem1, ui_.deleteitem1, ui_.find1, ui_.collectionstats1, ui_.printcollection1,
                       ui_.updatecollection1, ui_.createbackup1, ui_.exportastext1})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));

    for (TJPEGImage* b : {ui_.AddJPG, ui_.EditJPG, ui_.DeleteJPG, ui_.PrintJPG, ui_.CloseJPG, ui_.HelpJPG,
                          ui_.UpdateJPG, ui_.ExitJPG})
        QVERIFY2(b->isVisible(), qPrintable(b->objectName()));
    QVERIFY(!ui_.NewJPG->isVisible());
    QVERIFY(!ui_.OpenJPG->isVisible());
}

void TestMainForm::openCollectionShowsTotalsAndEnablesItemCommands() {
    // The total is held as the stored 6-byte real: 12.99 shows its rounding.
    const QString path = dataPath("one.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batmobile", "$12.99")}, "Gotham");
    openFile(path);
    QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4 - Gotham:  $12.9900000000052"));
    click(ui_.CloseJPG);
    QVERIFY(!main_->collection().isOpen());

    const QString path2 = dataPath("three.fcd");
    fixtures::writeCollection(path2,
                              {fixtures::item("Robin", "$12.50", "$0", 2), fixtures::item("Batman", "$15"),
                               fixtures::item("joker", "$0", "$0", 3)});
    openFile(path2);
    TMainForm& m = *main_;
    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4 - Heroes:  $40"));
    QCOMPARE(ui_.TotalLBL->text(), QString("total items:  3"));
    // Sorted without regard to case.
    QCOMPARE(entries(ui_.ListBox2), (QStringList{"Batman", "joker", "Robin"}));
    QVERIFY(ui_.ListBox2->selectedRow() < 0);
    QVERIFY(!ui_.FigureNameLBL->isVisible());

    for (QAction* a : {ui_.closecollection1, ui_.additem1, ui_.editcollectioninfo1, ui_.edititem1,
                       ui_.deleteitem1, ui_.find1, ui_.collectionstats1, ui_.printcollection1,
                       ui_.updatecollection1, ui_.createbackup1, ui_.exportastext1})
        QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!ui_.newcollection1->isEnabled());
    QVERIFY(!ui_.opencollection1->isEnabled());

    // Close brings back the first state's menu.
    click(ui_.CloseJPG);
    QVERIFY(ui_.newcollection1->isEnabled());
    QVERIFY(ui_.opencollection1->isEnabled());
    for (QAction* a : {ui_.closecollection1, ui_.additem1, ui_.editcollectioninfo1, ui_.edititem1,
                       ui_.deleteitem1, ui_.find1, ui_.collectionstats1, ui_.printcollection1,
                       ui_.updatecollection1, ui_.createbackup1, ui_.exportastext1})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
}

void TestMainForm::newCollectionFromButtonShowsNameOnlyCaption() {
    const QString path = dataPath("villains.fcd");
    answer_ = path;
    TNewUForm* dialog = ui_.NewUForm;
    QVERIFY(dialog);
    const bool seen = throughModal(
        dialog, [this] { click(ui_.NewJPG); },
        [&] {
            QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"}); // the click comes before the dialog
            QVERIFY(control<QLineEdit>(dialog, "CollectNameEDT")->hasFocus());
            // Typed as a user does, moving on with Tab.
            QTest::keyClicks(control<QLineEdit>(dialog, "CollectNameEDT"), "Villains");
            QTest::keyClick(control<QLineEdit>(dialog, "CollectNameEDT"), Qt::Key_Tab);
            QTest::keyClicks(control<QLineEdit>(dialog, "BrandEDT"), "Kenner");
            QTest::keyClick(control<QLineEdit>(dialog, "BrandEDT"), Qt::Key_Tab);
            QVERIFY(control<TMaskEdit>(dialog, "YearEDT")->hasFocus());
            QTest::keyClicks(control<TMaskEdit>(dialog, "YearEDT"), "19851990");
            QTest::keyClick(control<TMaskEdit>(dialog, "YearEDT"), Qt::Key_Return);
        });
    QVERIFY(seen);
    QVERIFY(!dialog->isVisible());

    QCOMPARE(requests_.size(), 1);
    QCOMPARE(requests_[0].kind, FileDialogRequest::Kind::Save);
    QCOMPARE(requests_[0].proposedName, QString("untitled"));
    QCOMPARE(requests_[0].defaultExtension, QString("fcd"));
    QCOMPARE(requests_[0].filter, QString("figure collector document|*.fcd"));

    TMainForm& m = *main_;
    QVERIFY(main_->collection().isOpen());
    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4 - Villains"));
    QCOMPARE(ui_.TotalLBL->text(), QString("total items:  0"));
    QVERIFY(ui_.TotalLBL->isVisible());
    QVERIFY(ui_.ListBox2->isVisible());
    QCOMPARE(QFileInfo(path).size(), qint64(1324));
    QCOMPARE(sounds_.names(), (QStringList{"v10bp.qys", "v10op.qys"}));
    QVERIFY(ui_.CloseJPG->isVisible());
    QVERIFY(!ui_.NewJPG->isVisible());
    QVERIFY(ui_.closecollection1->isEnabled() && ui_.additem1->isEnabled() &&
            ui_.editcollectioninfo1->isEnabled());
    QVERIFY(!ui_.newcollection1->isEnabled() && !ui_.opencollection1->isEnabled() &&
            !ui_.edititem1->isEnabled());

    // What was written reads back as the collection shown.
    OpenCollection check;
    check.LoadCollection(QFile::encodeName(path).toStdString());
    QCOMPARE(check.header().CollectionName, std::string("Villains"));
    QCOMPARE(check.header().Brand, std::string("Kenner"));
    QCOMPARE(check.header().CollectionYear, std::string("1985-1990"));
    QCOMPARE(check.header().LastUpdate, std::string("New Collection"));
}

void TestMainForm::cancelledDialogsDoNothing() {
    answer_.clear();
    click(ui_.NewJPG);
    click(ui_.OpenJPG);
    chooseFromMenu(ui_.collection1, ui_.opencollection1);
    QCOMPARE(requests_.size(), 3);
    QVERIFY(!main_->collection().isOpen());
    QVERIFY(!ui_.NewUForm->isVisible());
    QVERIFY(sounds_.names().isEmpty());
    QVERIFY(messages_.isEmpty());
    QVERIFY(errors_.isEmpty());
}

void TestMainForm::disabledMenuItemsIgnoreTheirShortcuts() {
    // With no collection, close is disabled: Ctrl+W does nothing; Ctrl+O asks for a file.
    QTest::keyClick(main_, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(sounds_.names().isEmpty());
    QTest::keyClick(main_, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(requests_.size(), 1);

    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    openFile(path);
    requests_.clear();
    sounds_.clear();
    // Open and new are disabled while a collection is open.
    QTest::keyClick(main_, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(main_, Qt::Key_N, Qt::ControlModifier);
    QVERIFY(requests_.isEmpty());
    // Ctrl+E needs a selection as well as the enabled item.
    QTest::keyClick(main_, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(opened_.isEmpty());
    main_->SelectItem(1);
    QTest::keyClick(main_, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(main_, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(opened_, (QStringList{kEditWindow, kAddWindow}));
    // Ctrl+W closes.
    QTest::keyClick(main_, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!main_->collection().isOpen());
    QCOMPARE(sounds_.names(), (QStringList{"v10bp.qys", "v10bp.qys", "v10cs.qys"}));
}

void TestMainForm::recentCollectionsReopenFromTheMenu() {
    QFile::remove(recentCollectionsPath());
    QVERIFY(QDir().mkpath(QFileInfo(recentlyUsedBookmarksPath()).path()));
    QStringList paths;
    for (int i = 1; i <= 9; ++i) {
        paths << dataPath(QString("c%1.fcd").arg(i));
        fixtures::writeCollection(paths.last(), {fixtures::item("Robin")},
                                  QString("C%1").arg(i).toStdString());
        main_->OpenCollectionFile(paths.last());
        QTRY_COMPARE(QFile::decodeName(main_->collection().fileName().c_str()), paths.last());
    }
    const auto shown = [this] {
        emit ui_.collection1->aboutToShow();
        QStringList listed;
        for (int i = 1; QAction* a = main_->findChild<QAction*>(QString("recent%1").arg(i)); ++i)
            listed << a->toolTip();
        return listed;
    };
    // The last eight, the latest first; a file gone is no longer listed.
    QStringList latest(paths.crbegin(), paths.crbegin() + 8);
    QCOMPARE(shown(), latest);
    QFile::remove(paths[4]);
    latest.removeAll(paths[4]);
    QCOMPARE(shown(), latest);

    // Chosen, an entry closes the open collection and opens its own, which heads the list then.
    chooseFromMenu(ui_.collection1, main_->findChild<QAction*>("recent3"));
    QTRY_COMPARE(QFile::decodeName(main_->collection().fileName().c_str()), latest[2]);
    QCOMPARE(shown().first(), latest[2]);
    // The desktop's recently-used files hold every collection opened.
    QFile xbel(recentlyUsedBookmarksPath());
    QVERIFY(xbel.open(QIODevice::ReadOnly));
    const QByteArray bookmarks = xbel.readAll();
    for (const QString& p : paths)
        QVERIFY2(bookmarks.contains(QUrl::fromLocalFile(p).toEncoded()), qPrintable(p));
}

void TestMainForm::droppedCollectionOpens() {
    const QString first = dataPath("first.fcd"), dropped = dataPath("dropped.fcd"),
                  text = dataPath("notes.txt");
    fixtures::writeCollection(first, {fixtures::item("Robin")});
    fixtures::writeCollection(dropped, {fixtures::item("Joker"), fixtures::item("Bane")}, "Dropped");
    writeAll(text, "notes");
    openFile(first);
    const auto drag = [this](const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(250, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main_, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(250, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main_, &drop);
        return drop.isAccepted();
    };
    // A file of another kind is not taken; a collection closes the open one and opens.
    QVERIFY(!drag(text));
    QVERIFY(drag(dropped));
    QTRY_COMPARE(QFile::decodeName(main_->collection().fileName().c_str()), dropped);
    QCOMPARE(entries(ui_.ListBox2), (QStringList{"Bane", "Joker"}));
    QVERIFY(errors_.isEmpty() && messages_.isEmpty());
}

void TestMainForm::selectingShowsTheItem() {
    NewItemValues batman = fixtures::item("Batman", "$  12.50", "$  -2", 3);
    batman.Year = "1989";
    batman.Series = "Movie";
    batman.Condition = "C-8";
    batman.CatNum = "K-1001";
    batman.Comments = "cape torn\r\nno box";
    const QString path = dataPath("detail.fcd");
    fixtures::writeCollection(path, {batman, fixtures::item("Robin")});
    openFile(path);

    click(ui_.ListBox2->viewport(), Qt::LeftButton, ui_.ListBox2->rowRect(0).center());
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui_.FigureNameLBL, ui_.Label3, ui_.YearLBL, ui_.Label4, ui_.SeriesLBL, ui_.Label5, ui_.PriceLBL,
             ui_.Label6, ui_.QuantityLBL, ui_.Label9, ui_.NetChangeLBL, ui_.Label7, ui_.ConditionLBL,
             ui_.Label14, ui_.CatNumLBL, ui_.Label1, ui_.CommentsLBL, ui_.BMPScrollBar2})
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QCOMPARE(ui_.FigureNameLBL->text(), QString("Batman"));
    QCOMPARE(ui_.YearLBL->text(), QString("1989"));
    QCOMPARE(ui_.SeriesLBL->text(), QString("Movie"));
    QCOMPARE(ui_.PriceLBL->text(), QString("$  12.50")); // as stored
    QCOMPARE(ui_.NetChangeLBL->text(), QString("$  -2"));
    QCOMPARE(ui_.QuantityLBL->text(), QString("3"));
    QCOMPARE(ui_.ConditionLBL->text(), QString("C-8"));
    QCOMPARE(ui_.CatNumLBL->text(), QString("K-1001"));
    QCOMPARE(entries(ui_.CommentsLBL), (QStringList{"cape torn", "no box"}));
    QVERIFY(main_->collection().currentItem());
    QCOMPARE(main_->collection().currentItem()->Record.FigureName.str(), std::string("Batman"));

    // The keyboard moves the selection and the panel follows.
    ui_.ListBox2->setFocus();
    QTest::keyClick(ui_.ListBox2, Qt::Key_Down);
    QCOMPARE(ui_.FigureNameLBL->text(), QString("Robin"));
    QCOMPARE(entries(ui_.CommentsLBL), (QStringList{"mint on card", "from the 1985 wave"}));
}

// --- the item list and its scroll bar ---------------------------------------------------------------------

void TestMainForm::scrollBarMovesTheList() {
    const int count = 30;
    const QString path = dataPath("many.fcd");
    fixtures::writeCollection(path, numberedItems(count));
    openFile(path);
    TItemListBox* list = ui_.ListBox2;
    TBMPScrollBar* bar = ui_.BMPScrollBar1;
    QCOMPARE(bar->max(), count - 10);
    QCOMPARE(bar->position(), 1);
    QCOMPARE(ListTopRow(list), 0);

    // The furthest the list itself can scroll, to compare with.
    list->scrollToBottom();
    const int lastTop = ListTopRow(list);
    list->scrollToTop();
    QVERIFY(lastTop > 0);

    // Drag the thumb a little way down.
    const ScrollRect thumb = bar->currentLayout().thumb;
    QVERIFY(!thumb.isEmpty());
    const QPoint from((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    QTest::mouseMove(bar, from);
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    QTest::mouseMove(bar, from + QPoint(0, 25));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, from + QPoint(0, 25));
    const int pos = bar->position();
    QVERIFY2(pos > 1 && pos < bar->max(), qPrintable(QString::number(pos)));
    QCOMPARE(ListTopRow(list), pos - 1);

    // Every position below the maximum puts that line minus one at the top.
    for (int p : {1, 7, count - 11}) {
        bar->setPosition(p);
        QCOMPARE(ListTopRow(list), p - 1);
    }
    // Holding the bottom end runs the bar to its maximum, which shows line count - 9 at the top, as
    // far as the list can go.
    const ScrollRect end = bar->currentLayout().bottomRight;
    const QPoint endPoint((end.left + end.right) / 2, (end.top + end.bottom) / 2);
    QTest::mouseMove(bar, endPoint);
    QTimer::singleShot(100, bar, [bar, endPoint] { QTest::mouseRelease(bar, Qt::LeftButton, {}, endPoint); });
    QTest::mousePress(bar, Qt::LeftButton, {}, endPoint); // returns with the release
    QCOMPARE(bar->position(), bar->max());
    QCOMPARE(ListTopRow(list), std::min(count - 9, lastTop));
    QVERIFY(list->viewport()->rect().intersects(list->rowRect(count - 1)));
}

void TestMainForm::largeListFollowsKeysAndWheel() {
    const int count = 20000;
    const QString path = dataPath("large.fcd");
    std::vector<NewItemValues> items;
    for (int i = 0; i < count; ++i)
        items.push_back(fixtures::item(QStringLiteral("Figure %1").arg(i, 5, 10, QChar('0')).toStdString()));
    fixtures::writeCollection(path, items);
    openFile(path);
    TItemListBox* list = ui_.ListBox2;
    TBMPScrollBar* bar = ui_.BMPScrollBar1;
    QCOMPARE(list->count(), count);
    QCOMPARE(list->text(count - 1), QString("Figure 19999"));

    // Keys move the selection and the list; the shown item and the bar's handle come along at once.
    click(list->viewport(), Qt::LeftButton, list->rowRect(0).center());
    list->setFocus();
    for (int i = 0; i < 15; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(ui_.FigureNameLBL->text(), QString("Figure 00015"));
    QVERIFY(ListTopRow(list) > 0);
    QCOMPARE(bar->position(), ListTopRow(list) + 1);
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(ui_.FigureNameLBL->text(), QString("Figure 19999"));
    QCOMPARE(bar->position(), bar->max());

    // The wheel moves the list without a selection change; the handle follows too.
    QTest::keyClick(list, Qt::Key_Home);
    QWheelEvent wheel(list->viewport()->rect().center(),
                      list->viewport()->mapToGlobal(list->viewport()->rect().center()), {}, {0, -120 * 3},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->viewport(), &wheel);
    QVERIFY(ListTopRow(list) > 0);
    QCOMPARE(bar->position(), ListTopRow(list) + 1);
}

void TestMainForm::releaseOnLastLinePutsBarAtMaximum() {
    const int count = 25;
    const QString path = dataPath("many.fcd");
    fixtures::writeCollection(path, numberedItems(count));
    openFile(path);
    TItemListBox* list = ui_.ListBox2;
    TBMPScrollBar* bar = ui_.BMPScrollBar1;

    // A line in the middle: the bar follows the top line.
    bar->setPosition(4);
    QCOMPARE(ListTopRow(list), 3);
    click(list->viewport(), Qt::LeftButton, list->rowRect(6).center());
    QCOMPARE(ui_.FigureNameLBL->text(), QString("Figure 07"));
    QCOMPARE(bar->position(), ListTopRow(list) + 1);

    // The list shows whole lines only; the last line brought into view and released puts the bar at
    // its maximum.
    QCOMPARE(list->viewport()->height() % list->rowRect(0).height(), 0);
    list->scrollToBottom();
    const QRect last = list->rowRect(count - 1);
    QVERIFY(list->viewport()->rect().contains(last));
    click(list->viewport(), Qt::LeftButton, last.center());
    QCOMPARE(ui_.FigureNameLBL->text(), QString("Figure 25"));
    QCOMPARE(bar->position(), bar->max());
    // The bar at its maximum brings the list to its end.
    QVERIFY(list->viewport()->rect().contains(list->rowRect(count - 1)));
}

void TestMainForm::commentBarScrollsTheComments() {
    const QString path = dataPath("long.fcd");
    fixtures::writeCollection(path, {itemWithComments("Talker", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8")});
    openFile(path);
    main_->SelectItem(0);
    QListWidget* comments = ui_.CommentsLBL;
    TBMPScrollBar* bar = ui_.BMPScrollBar2;
    QCOMPARE(bar->max(), 5);
    QCOMPARE(bar->position(), 1);
    bar->setPosition(3);
    QCOMPARE(ListTopRow(comments), 2);
    bar->setPosition(1);
    QCOMPARE(ListTopRow(comments), 0);

    // Scrolled by other means, a click on the comments puts the bar back on the top line.
    comments->scrollToItem(comments->item(4), QAbstractItemView::PositionAtTop);
    const int top = ListTopRow(comments);
    QVERIFY(top > 0);
    click(comments->viewport(), Qt::LeftButton, QPoint(5, 5));
    QCOMPARE(bar->position(), top + 1);
    // The comments never keep the focus.
    QVERIFY(!comments->hasFocus());
}

// --- keys and buttons that need a selection or items ------------------------------------------------------

void TestMainForm::enterInListWorksTheEditButton() {
    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    openFile(path);
    TItemListBox* list = ui_.ListBox2;
    TJPEGImage* edit = ui_.EditJPG;
    list->setFocus();

    // Nothing selected: Enter does nothing.
    QTest::keyPress(list, Qt::Key_Return);
    QVERIFY(!edit->hasLook());
    QTest::keyRelease(list, Qt::Key_Return);
    QVERIFY(opened_.isEmpty());

    main_->SelectItem(1);
    QTest::keyPress(list, Qt::Key_Return);
    QVERIFY(edit->hasLook());
    QCOMPARE(edit->lookOffset(), QPoint(1, 1));
    QVERIFY(opened_.isEmpty()); // acts on release only
    QTest::keyRelease(list, Qt::Key_Return);
    QVERIFY(!edit->hasLook());
    QCOMPARE(opened_, QStringList{kEditWindow});

    // The keypad's Enter works alike.
    QTest::keyClick(list, Qt::Key_Enter);
    QCOMPARE(opened_.size(), 2);
    // A release whose press went elsewhere does nothing.
    QTest::keyRelease(list, Qt::Key_Return);
    QCOMPARE(opened_.size(), 2);
}

void TestMainForm::doubleClickEditsTheItem() {
    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    openFile(path);
    TItemListBox* list = ui_.ListBox2;
    const QPoint p = list->rowRect(0).center();
    QTest::mouseMove(list->viewport(), p);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p);
    QCOMPARE(opened_, QStringList{kEditWindow});
    QCOMPARE(ui_.FigureNameLBL->text(), QString("Batman"));
}

void TestMainForm::deleteKeyNeedsASelection() {
    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    openFile(path);
    TItemListBox* list = ui_.ListBox2;
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    QVERIFY(opened_.isEmpty());
    click(list->viewport(), Qt::LeftButton, list->rowRect(0).center());
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(opened_, QStringList{kDeleteWindow});
    QCOMPARE(list->count(), 2); // the main window itself removes nothing
}

void TestMainForm::editAndDeleteButtonsNeedASelection() {
    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    openFile(path);

    for (TJPEGImage* b : {ui_.EditJPG, ui_.DeleteJPG}) {
        QTest::mouseMove(b, b->rect().center());
        QVERIFY2(!b->hasLook(), qPrintable(b->objectName()));
        QVERIFY(!b->hasLook()); // not highlighted
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        QVERIFY2(!b->hasLook(), qPrintable(b->objectName()));
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
    }
    QVERIFY(opened_.isEmpty());
    // The Add button needs nothing.
    click(ui_.AddJPG);
    QCOMPARE(opened_, QStringList{kAddWindow});
    opened_.clear();

    click(ui_.ListBox2->viewport(), Qt::LeftButton, ui_.ListBox2->rowRect(0).center());
    QTest::mouseMove(ui_.EditJPG, ui_.EditJPG->rect().center());
    QVERIFY(ui_.EditJPG->hasLook()); // highlighted
    QCOMPARE(ui_.EditJPG->lookOffset(), QPoint(0, 0));
    click(ui_.EditJPG);
    click(ui_.DeleteJPG);
    QCOMPARE(opened_, (QStringList{kEditWindow, kDeleteWindow}));
    // The right button never acts.
    click(ui_.EditJPG, Qt::RightButton);
    QTRY_VERIFY(ui_.PopupMenu1->isVisible());
    ui_.PopupMenu1->close();
    QCOMPARE(opened_.size(), 2);
}

void TestMainForm::printAndUpdateNeedItems() {
    const QString empty = dataPath("empty.fcd");
    fixtures::writeCollection(empty, {});
    openFile(empty);
    for (TJPEGImage* b : {ui_.PrintJPG, ui_.UpdateJPG}) {
        QTest::mouseMove(b, b->rect().center());
        QVERIFY2(!b->hasLook(), qPrintable(b->objectName()));
        click(b);
    }
    QVERIFY(opened_.isEmpty());
    click(ui_.CloseJPG);

    const QString one = dataPath("one.fcd");
    fixtures::writeCollection(one, {fixtures::item("Batman")});
    openFile(one);
    QTest::mouseMove(ui_.PrintJPG, ui_.PrintJPG->rect().center());
    QVERIFY(ui_.PrintJPG->hasLook());
    click(ui_.PrintJPG);
    click(ui_.UpdateJPG);
    QCOMPARE(opened_, (QStringList{kPrintWindow, kUpdateTypeWindow}));
}

void TestMainForm::itemCommandsPlayTheClickFirst() {
    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    openFile(path);
    TItemListBox* list = ui_.ListBox2;
    click(list->viewport(), Qt::LeftButton, list->rowRect(0).center());
    sounds_.clear();

    click(ui_.AddJPG);
    click(ui_.EditJPG);
    QTest::keyClick(list, Qt::Key_Return);
    click(ui_.DeleteJPG);
    QTest::keyClick(list, Qt::Key_Delete);
    click(ui_.PrintJPG);
    chooseFromMenu(ui_.tools1, ui_.find1); // find is silent
    QCOMPARE(opened_, (QStringList{kAddWindow, kEditWindow, kEditWindow, kDeleteWindow, kDeleteWindow,
                                   kPrintWindow, kFindWindow}));
    // Each window opened after its own click sound.
    QCOMPARE(soundsAtOpen_, (QList<qsizetype>{1, 2, 3, 4, 5, 6, 6}));
    QCOMPARE(sounds_.names(), QStringList(6, "v10bp.qys"));
}

// --- menu, logo, cursor -----------------------------------------------------------------------------------

void TestMainForm::rightClickOpensTheMenu() {
    click(ui_.MainJPG, Qt::RightButton, QPoint(250, 150));
    QTRY_VERIFY(ui_.PopupMenu1->isVisible());
    ui_.PopupMenu1->close();
    QTRY_VERIFY(!ui_.PopupMenu1->isVisible());

    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    openFile(path);
    click(ui_.ListBox2->viewport(), Qt::RightButton, QPoint(10, 5));
    QTRY_VERIFY(ui_.PopupMenu1->isVisible());
    QTest::keyClick(ui_.PopupMenu1, Qt::Key_Escape);
    QTRY_VERIFY(!ui_.PopupMenu1->isVisible());

    // The menu's entries run their commands: "sounds" turns the switch off.
    chooseFromMenu(ui_.sound1, ui_.sounds1);
    QVERIFY(!ui_.sounds1->isChecked());
    QVERIFY(!Sounds::switchOn());
    chooseFromMenu(ui_.collection1, ui_.closecollection1);
    QVERIFY(!main_->collection().isOpen());
    QCOMPARE(sounds_.names(), QStringList{"v10op.qys"}); // the close was silent
}

void TestMainForm::logoClickOpensAboutWithClickSound() {
    QVERIFY(ui_.AboutForm);
    QStringList soundsWhileOpen;
    const bool seen = throughModal(
        ui_.AboutForm, [this] { click(ui_.MainJPG, Qt::LeftButton, QPoint(29, 24)); },
        [&] {
            soundsWhileOpen = sounds_.names();
            click(control<TJPEGImage>(ui_.AboutForm, "OKJPG"));
        });
    QVERIFY(seen);
    QVERIFY(!ui_.AboutForm->isVisible());
    QCOMPARE(soundsWhileOpen, QStringList{"v10bp.qys"});

    // Outside the logo (and with the right button inside it) no about box.
    sounds_.clear();
    bool opened = false;
    for (const QPoint p : {QPoint(28, 50), QPoint(118, 50), QPoint(60, 91), QPoint(60, 23)}) {
        opened |= throughModal(
            ui_.AboutForm, [&] { click(ui_.MainJPG, Qt::LeftButton, p); }, [] {});
        QVERIFY2(!opened, qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    }
    QVERIFY(sounds_.names().isEmpty());
    // The right button in the logo opens the menu, not the about box.
    QVERIFY(!throughModal(
        ui_.AboutForm, [this] { click(ui_.MainJPG, Qt::RightButton, QPoint(60, 60)); },
        [this] { ui_.AboutForm->reject(); }));
    QTRY_VERIFY(ui_.PopupMenu1->isVisible());
    ui_.PopupMenu1->close();
    QVERIFY(sounds_.names().isEmpty());
    // The far corner is inside too.
    QVERIFY(throughModal(
        ui_.AboutForm, [this] { click(ui_.MainJPG, Qt::LeftButton, QPoint(117, 90)); },
        [this] { ui_.AboutForm->reject(); }));
}

void TestMainForm::cursorOverTheLogoIsTheHelpCursor() {
    TJPEGImage* bg = ui_.MainJPG;
    QTest::mouseMove(bg, QPoint(60, 60));
    QCOMPARE(bg->cursor().shape(), Qt::WhatsThisCursor);
    QTest::mouseMove(bg, QPoint(118, 60));
    QCOMPARE(bg->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(bg, QPoint(117, 90));
    QCOMPARE(bg->cursor().shape(), Qt::WhatsThisCursor);
    QTest::mouseMove(bg, QPoint(300, 300));
    QCOMPARE(bg->cursor().shape(), Qt::ArrowCursor);
}

// --- opening and closing ----------------------------------------------------------------------------------

void TestMainForm::openFromButtonOfMissingFile() {
    answer_ = dataPath("nowhere.fcd");
    click(ui_.OpenJPG);
    QCOMPARE(messages_, QStringList{"file not found|file does not exist!"});
    QVERIFY(errors_.isEmpty());
    QVERIFY(!main_->collection().isOpen());
    QVERIFY(sounds_.names().isEmpty());
    QVERIFY(ui_.OpenJPG->isVisible());

    // From the menu the same file is the runtime's error.
    messages_.clear();
    chooseFromMenu(ui_.collection1, ui_.opencollection1);
    QCOMPARE(errors_, QStringList{"File not found"});
    QVERIFY(messages_.isEmpty());
    QVERIFY(!main_->collection().isOpen());
    QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4"));
}

// Random bytes, a renamed PDF and a file shorter than a header are no collection: refused by name,
// nothing opened, nothing written.
void TestMainForm::damagedFileLeavesNoCollectionOpen() {
    QByteArray random(66 * 1024, '\0');
    std::mt19937 bytes(7);
    for (char& b : random)
        b = static_cast<char>(bytes());
    QByteArray pdf = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    pdf = pdf.repeated(60);
    const QString damaged = dataPath("damaged.fcd");
    for (const QByteArray& content : {random, pdf, QByteArray("a short text\n")}) {
        writeAll(damaged, content);
        messages_.clear();
        answer_ = damaged;
        click(ui_.OpenJPG);
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_.front().startsWith("no collection file|'" + damaged + "' is no collection file: "),
                 qPrintable(messages_.front()));
        QVERIFY(!main_->collection().isOpen());
        QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4"));
        QVERIFY(!ui_.ListBox2->isVisible() && !ui_.TotalLBL->isVisible());
        QVERIFY(ui_.opencollection1->isEnabled() && !ui_.closecollection1->isEnabled());
        QCOMPARE(readAll(damaged), content);
    }
    QVERIFY(errors_.isEmpty() && sounds_.names().isEmpty());
    QVERIFY(!QFile::exists(damaged + ".damaged"));
}

// An immutable file (read-only even for root) opens read-only: said at open and in the caption;
// the commands that change it refuse before any window opens; close leaves without a save.
void TestMainForm::readOnlyCollectionRefusesChangesAndCloses() {
    const QString path = dataPath("sample.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman")});
    const fixtures::ImmutableFile immutable(QFile::encodeName(path));
    if (!immutable.ok()) QSKIP(fixtures::ImmutableFile::unavailable());
    openFile(path);
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_.front().startsWith("read-only collection|"), qPrintable(messages_.front()));
    QVERIFY(main_->windowTitle().endsWith("(read-only)"));
    const QByteArray before = readAll(path);
    click(ui_.ListBox2->viewport(), Qt::LeftButton, ui_.ListBox2->rowRect(0).center());
    for (QWidget* command : {static_cast<QWidget*>(ui_.AddJPG), static_cast<QWidget*>(ui_.DeleteJPG)}) {
        messages_.clear();
        click(command);
        QCOMPARE(messages_, QStringList{"read-only collection|'" + path +
                                        "' is read-only: its changes cannot be saved."});
    }
    QVERIFY(opened_.isEmpty());
    click(ui_.CloseJPG);
    QVERIFY(!main_->collection().isOpen() && errors_.isEmpty());
    QCOMPARE(readAll(path), before);
}

// Nobody pushes values into the statistics window: it follows the collection's announcements, even
// while it is not shown.
void TestMainForm::statisticsWindowFollowsTheCollection() {
    auto* title = control<QLabel>(ui_.StatsForm, "TitleLBL");
    auto* high = control<QComboBox>(ui_.StatsForm, "HighFigLBL");
    const QString path = dataPath("two.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman", "$30"), fixtures::item("Robin", "$5")});
    openFile(path);
    QVERIFY(!ui_.StatsForm->isVisible());
    QCOMPARE(title->text(), QString("Kenner - Heroes - 1985-1990"));
    QCOMPARE(high->count(), 0); // a hidden window lists nothing until it is shown
    ui_.StatsForm->show();
    QCOMPARE(high->currentText(), QString("Batman  $30"));

    click(ui_.CloseJPG);
    QCOMPARE(high->count(), 0);
}

void TestMainForm::createBackupWritesBesideTheFileAndNamesIt() {
    const QString path = dataPath("Caf\u00e9.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")}, "Caf\xe9 Heroes");
    openFile(path);
    sounds_.clear();
    chooseFromMenu(ui_.tools1, ui_.createbackup1);
    QCOMPARE(readAll(dataPath("Caf\u00e9.bak")), readAll(path));
    QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"});
    QCOMPARE(messages_, QStringList{"backup complete|a backup file of Caf\u00e9 Heroes has been created. "
                                    "the file is named Caf\u00e9.bak."});

    // A backup that cannot be written is reported, with no click and no completion message.
    click(ui_.CloseJPG);
    QVERIFY(QDir(dataDir_->path()).mkdir("Robin.bak"));
    fixtures::writeCollection(dataPath("Robin.fcd"), {fixtures::item("Robin")});
    openFile(dataPath("Robin.fcd"));
    sounds_.clear();
    messages_.clear();
    chooseFromMenu(ui_.tools1, ui_.createbackup1);
    QCOMPARE(errors_.size(), 1);
    QVERIFY(messages_.isEmpty() && sounds_.names().isEmpty());
}

void TestMainForm::closeWritesTheFileAndResetsTheWindow() {
    const QString path = dataPath("close.fcd");
    fixtures::writeCollection(path,
                              {fixtures::item("Batman"), fixtures::item("Robin"), fixtures::item("Alfred")});
    const QByteArray original = readAll(path);
    openFile(path);
    TMainForm& m = *main_;
    click(ui_.ListBox2->viewport(), Qt::LeftButton, ui_.ListBox2->rowRect(1).center());
    QVERIFY(ui_.FigureNameLBL->isVisible());

    // The file is rewritten from memory.
    const auto loaded = currentIdentity(QFile::encodeName(path).toStdString());
    sounds_.clear();
    click(ui_.CloseJPG);
    QVERIFY(currentIdentity(QFile::encodeName(path).toStdString()) != loaded);
    QCOMPARE(readAll(path), original);
    QVERIFY(errors_.isEmpty());

    QVERIFY(!main_->collection().isOpen());
    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4"));
    QVERIFY(!ui_.ListBox2->isVisible());
    QCOMPARE(ui_.ListBox2->count(), 0);
    QVERIFY(!ui_.BMPScrollBar1->isVisible());
    QCOMPARE(ui_.BMPScrollBar1->max(), 1);
    QVERIFY(!ui_.TotalLBL->isVisible());
    QVERIFY(ui_.TotalLBL->text().isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{ui_.FigureNameLBL, ui_.PriceLBL, ui_.Label1,
                                                      ui_.CommentsLBL, ui_.BMPScrollBar2})
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    QVERIFY(ui_.NewJPG->isVisible() && ui_.OpenJPG->isVisible());
    for (TJPEGImage* b : {ui_.AddJPG, ui_.EditJPG, ui_.DeleteJPG, ui_.PrintJPG, ui_.CloseJPG})
        QVERIFY(!b->isVisible());
    QVERIFY(main_->collection().currentItem() == nullptr);
    QCOMPARE(sounds_.names(), QStringList{"v10cs.qys"});

    // The window is ready for the next collection.
    openFile(path);
    QCOMPARE(ui_.ListBox2->count(), 3);
    QCOMPARE(ui_.TotalLBL->text(), QString("total items:  3"));
}

void TestMainForm::failedCloseKeepsTheCollectionOpen() {
    QDir data(dataDir_->path());
    QVERIFY(data.mkdir("gone"));
    const QString path = dataPath("gone/lost.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman")});
    openFile(path);
    QVERIFY(QDir(dataPath("gone")).removeRecursively());

    sounds_.clear();
    click(ui_.CloseJPG);
    QCOMPARE(errors_.size(), 1);
    TMainForm& m = *main_;
    QVERIFY(main_->collection().isOpen());
    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4 - Heroes:  $12.5"));
    QVERIFY(ui_.ListBox2->isVisible());
    QCOMPARE(ui_.ListBox2->count(), 1);
    QVERIFY(ui_.CloseJPG->isVisible() && !ui_.NewJPG->isVisible());
    QVERIFY(ui_.closecollection1->isEnabled());
    QVERIFY(sounds_.names().isEmpty());

    // Once the folder is back the close goes through.
    QVERIFY(data.mkdir("gone"));
    click(ui_.CloseJPG);
    QVERIFY(!main_->collection().isOpen());
    QCOMPARE(QFileInfo(path).size(), qint64(2 * 1324));
}

// --- settings file ----------------------------------------------------------------------------------------

void TestMainForm::missingSettingsTurnSoundsOnAndRecreateTheFile() {
    // init() made the window with no settings file in the program folder.
    const QString ini = programDir_->filePath("Vitrinex.ini");
    QCOMPARE(readAll(ini), QByteArray("1\r\n"));
    QVERIFY(ui_.sounds1->isChecked());
    QVERIFY(Sounds::switchOn());
    // Nothing lands in the working folder.
    QVERIFY(!QFile::exists(QDir::current().filePath("Vitrinex.ini")));
}

void TestMainForm::settingsOtherThanOneTurnSoundsOff_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("on");
    QTest::newRow("1 with a line end") << QByteArray("1\r\n") << true;
    QTest::newRow("1 alone") << QByteArray("1") << true;
    QTest::newRow("0") << QByteArray("0\r\n") << false;
    QTest::newRow("1 and a blank") << QByteArray("1 \r\n") << false;
    QTest::newRow("yes") << QByteArray("yes\r\n") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("second line ignored") << QByteArray("0\r\n1\r\n") << false;
}

void TestMainForm::settingsOtherThanOneTurnSoundsOff() {
    QFETCH(QByteArray, content);
    QFETCH(bool, on);
    destroyMain();
    const QString ini = programDir_->filePath("Vitrinex.ini");
    writeAll(ini, content);
    createMain();
    QCOMPARE(ui_.sounds1->isChecked(), on);
    QCOMPARE(readAll(ini), content); // read, not rewritten, at start

    // Sounds follow the switch.
    sounds_.clear();
    click(ui_.HelpJPG);
    QCOMPARE(sounds_.names().contains("v10bp.qys"), on);
}

void TestMainForm::destructionWritesTheSoundSwitch() {
    const QString ini = programDir_->filePath("Vitrinex.ini");
    QCOMPARE(readAll(ini), QByteArray("1\r\n"));
    chooseFromMenu(ui_.sound1, ui_.sounds1);
    QVERIFY(!ui_.sounds1->isChecked());
    QCOMPARE(readAll(ini), QByteArray("1\r\n")); // only the end writes it
    destroyMain();
    QCOMPARE(readAll(ini), QByteArray("0\r\n"));

    // Unchanged, it is rewritten all the same (a blank after the 0 goes).
    writeAll(ini, "0 ");
    createMain();
    QVERIFY(!ui_.sounds1->isChecked());
    destroyMain();
    QCOMPARE(readAll(ini), QByteArray("0\r\n"));
}

// --- help, web links, exit --------------------------------------------------------------------------------

void TestMainForm::helpWithoutHelpFile() {
    const QString expected = "help not found|" + kHelpNotFoundText;
    click(ui_.HelpJPG);
    QCOMPARE(messages_, QStringList{expected});
    QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"});
    chooseFromMenu(nullptr, ui_.help1);
    QCOMPARE(messages_, (QStringList{expected, expected}));
    QCOMPARE(sounds_.names(), (QStringList{"v10bp.qys", "v10bp.qys"}));
}

void TestMainForm::helpButtonUsesTheProgramFolder() {
    // The help file lies beside the program, not in the working folder.
    QVERIFY(QFile::copy(VITRINEX_HELP_FILE, programDir_->filePath("Help.hlp")));
    QVERIFY(!QFile::exists("Help.hlp"));
    const QString expected = "help not found|" + kHelpNotFoundText;

    // The menu looks in the working folder until the button has been used.
    chooseFromMenu(nullptr, ui_.help1);
    QCOMPARE(messages_, QStringList{expected});
    QCOMPARE(main_->HelpFile(), QString("Help.hlp"));

    click(ui_.HelpJPG);
    QCOMPARE(messages_.size(), 1);
    QVERIFY(helpWindow() && helpWindow()->isVisible());
    QCOMPARE(QDir::cleanPath(main_->HelpFile()), QDir::cleanPath(programDir_->filePath("Help.hlp")));
    helpWindow()->close();

    chooseFromMenu(nullptr, ui_.help1);
    QCOMPARE(messages_.size(), 1);
    QTRY_VERIFY(helpWindow()->isVisible());
    helpWindow()->close();
}

void TestMainForm::webLinksReportARefusingBrowser() {
    ui_.GoToWeb1->setUrlOpener([this](const QUrl& url) {
        urls_ << url.toString();
        return false;
    });
    for (QAction* link : {ui_.QuilloryHomePage1, ui_.VitrinexHomePage1, ui_.vitrinexcatalogs1})
        chooseFromMenu(nullptr, link);
    const QString expected = "error|Error opening default web browser.";
    QCOMPARE(messages_, (QStringList{expected, expected, expected}));
    QCOMPARE(urls_.size(), 3);
    QVERIFY(urls_[1].endsWith("/vitrinex/"));
    QVERIFY(urls_[2].endsWith("/vitrinex/catalog.htm"));
    QVERIFY(sounds_.names().isEmpty());

    // A browser that takes the page: no message.
    ui_.GoToWeb1->setUrlOpener([this](const QUrl& url) {
        urls_ << url.toString();
        return true;
    });
    chooseFromMenu(nullptr, ui_.VitrinexHomePage1);
    QCOMPARE(messages_.size(), 3);
    QCOMPARE(urls_.size(), 4);
}

void TestMainForm::exitPlaysClickShowsDialogAndSavesWhenCancelled() {
    const QString path = dataPath("exit.fcd");
    fixtures::writeCollection(path, {fixtures::item("Batman"), fixtures::item("Robin")});
    const QByteArray original = readAll(path);
    openFile(path);
    const auto loaded = currentIdentity(QFile::encodeName(path).toStdString());
    sounds_.clear();

    QVERIFY(ui_.ExitForm);
    QStringList soundsWhileOpen;
    std::optional<FileIdentity> fileWhileOpen;
    const bool seen = throughModal(
        ui_.ExitForm, [this] { click(ui_.ExitJPG); },
        [&] {
            soundsWhileOpen = sounds_.names();
            fileWhileOpen = currentIdentity(QFile::encodeName(path).toStdString());
            click(control<TJPEGImage>(ui_.ExitForm, "CancelJPG"));
        });
    QVERIFY(seen);
    QVERIFY(!ui_.ExitForm->isVisible());
    QCOMPARE(soundsWhileOpen, QStringList{"v10bp.qys"});
    // Saved after the dialog, not before: the file was written anew only once it had closed.
    QVERIFY(fileWhileOpen == loaded);
    QVERIFY(currentIdentity(QFile::encodeName(path).toStdString()) != loaded);
    QCOMPARE(readAll(path), original);
    QVERIFY(!ui_.ExitForm->ExitConfirmed());
    QVERIFY(main_->collection().isOpen());
    QVERIFY(main_->isVisible());
    QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"}); // cancel is silent

    // From the menu, with no collection open: the dialog, and nothing written.
    click(ui_.CloseJPG);
    sounds_.clear();
    QVERIFY(throughModal(
        ui_.ExitForm, [this] { chooseFromMenu(nullptr, ui_.exitvitrinex1); },
        [this] { ui_.ExitForm->reject(); }));
    QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"});
    QVERIFY(errors_.isEmpty());
}

QTEST_MAIN(TestMainForm)
#include "test_mainwindow.moc"
