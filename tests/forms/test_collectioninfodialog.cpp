// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse,
// and a right button press makes a context-menu event.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/CollectionInfoDialog.h"

#include "CollectionFixtures.h"
#include "collection/OpenCollection.h"
#include "controls/MaskedEditField.h"
#include "controls/PictureControl.h"
#include "forms/ErrorReport.h"
#include "forms/MainWindow.h"
#include "forms/MessageDialog.h"
#include "platform/FileDialogs.h"
#include "sound/Sound.h"

#include "MainWindowControls.h"
#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace vitrinex;

using namespace windowtest;

namespace {

const QString kCreateHint = QStringLiteral("click to create collection");
const QString kSaveHint = QStringLiteral("click to save changes");

std::unique_ptr<OpenCollection> load(const QString& path) {
    auto c = std::make_unique<OpenCollection>();
    c->LoadCollection(QFile::encodeName(path).toStdString());
    return c;
}

// Types into the three fields as a user does: the name field has the focus, Tab moves on.
void fillIn(TNewUForm* d, const QString& name, const QString& brand, const QString& yearDigits) {
    control<QLineEdit>(d, "CollectNameEDT")->setFocus();
    QTest::keyClicks(control<QLineEdit>(d, "CollectNameEDT"), name);
    QTest::keyClick(control<QLineEdit>(d, "CollectNameEDT"), Qt::Key_Tab);
    QTest::keyClicks(control<QLineEdit>(d, "BrandEDT"), brand);
    QTest::keyClick(control<QLineEdit>(d, "BrandEDT"), Qt::Key_Tab);
    QTest::keyClicks(control<TMaskEdit>(d, "YearEDT"), yearDigits);
}

} // namespace

class TestNewUForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readyOnlyWithNameBrandAndYear();
    void enterActsOnlyWhileReady();
    void createModeWritesTheCollection();
    void createFailureKeepsTheDialogOpen();
    void cancelInCreateModeCreatesNothing();
    void editModeSavesReloadsAndSetsCaption();
    void editFailureKeepsTheOldInformation();
    void cancelInEditModeThenNewCreatesNormally();
    void captionAndHintRestoredHoweverItCloses_data();
    void captionAndHintRestoredHoweverItCloses();

private:
    // Runs the new command from the main window's button; `whileOpen` runs once the dialog shows.
    // Answers whether the dialog was seen open.
    bool runNew(const QString& path, const std::function<void(TNewUForm*)>& whileOpen);
    // Runs "edit collection info" from the right-click menu.
    bool runEdit(const std::function<void(TNewUForm*)>& whileOpen);
    bool whileModal(const std::function<void()>& trigger, const std::function<void(TNewUForm*)>& whileOpen);
    void openCollection(const QString& path);
    QString dataPath(const QString& name) const { return dataDir_->filePath(name); }

    RecordingSoundService sounds_;
    std::unique_ptr<QTemporaryDir> programDir_;
    std::unique_ptr<QTemporaryDir> dataDir_;
    QPointer<TMainForm> main_;
    QPointer<TNewUForm> dialog_;
    MainControls ui_;
    QString answer_;
    QStringList errors_;
    QStringList messages_;
};

void TestNewUForm::initTestCase() {
    Sounds::setServiceForTesting(&sounds_);
}

void TestNewUForm::init() {
    programDir_ = std::make_unique<QTemporaryDir>();
    dataDir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(programDir_->isValid() && dataDir_->isValid());
    answer_.clear();
    errors_.clear();
    messages_.clear();
    FileDialogs::setAnswerForTesting([this](const FileDialogRequest&) { return answer_; });
    setShownMessagesForTesting({[this](const QString& t, const QString& x) { messages_ << t + "|" + x; },
                                [this](const QString& m) { errors_ << m; }});
    main_ = new TMainForm(nullptr, programDir_->path());
    ui_.find(main_);
    dialog_ = ui_.NewUForm;
    main_->show();
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_));
    sounds_.clear();
}

void TestNewUForm::cleanup() {
    delete main_.data();
    QVERIFY(dialog_.isNull()); // the dialog goes with its main window
    FileDialogs::setAnswerForTesting({});
    setShownMessagesForTesting({});
    programDir_.reset();
    dataDir_.reset();
}

bool TestNewUForm::whileModal(const std::function<void()>& trigger,
                              const std::function<void(TNewUForm*)>& whileOpen) {
    bool seen = false;
    QObject guard; // nothing fires after this call has returned
    TNewUForm* d = dialog_;
    std::function<void(int)> poll;
    poll = [&, d](int triesLeft) {
        if (d->isVisible()) {
            seen = true;
            whileOpen(d);
            QTimer::singleShot(3000, &guard, [d] {
                if (d->isVisible()) d->reject(); // a broken test fails instead of hanging
            });
        } else if (triesLeft > 0) {
            QTimer::singleShot(10, &guard, [&poll, triesLeft] { poll(triesLeft - 1); });
        }
    };
    QTimer::singleShot(0, &guard, [&poll] { poll(300); });
    trigger();
    return seen;
}

bool TestNewUForm::runNew(const QString& path, const std::function<void(TNewUForm*)>& whileOpen) {
    answer_ = path;
    return whileModal([this] { click(ui_.NewJPG); }, whileOpen);
}

bool TestNewUForm::runEdit(const std::function<void(TNewUForm*)>& whileOpen) {
    return whileModal(
        [this] {
            click(ui_.MainJPG, Qt::RightButton, QPoint(250, 150));
            QTRY_VERIFY(ui_.PopupMenu1->isVisible());
            QMenu* menu = ui_.PopupMenu1;
            click(menu, Qt::LeftButton, menu->actionGeometry(ui_.sound1->menuAction()).center());
            QTRY_VERIFY(ui_.sound1->isVisible());
            click(ui_.sound1, Qt::LeftButton, ui_.sound1->actionGeometry(ui_.editcollectioninfo1).center());
        },
        whileOpen);
}

void TestNewUForm::openCollection(const QString& path) {
    answer_ = path;
    click(ui_.OpenJPG);
    QVERIFY2(main_->collection().isOpen(), qPrintable(errors_.join(", ")));
    sounds_.clear();
}

void TestNewUForm::readyOnlyWithNameBrandAndYear() {
    const QString path = dataPath("ready.fcd");
    const bool seen = runNew(path, [](TNewUForm* d) {
        QCOMPARE(d->windowTitle(), QString("new collection"));
        QCOMPARE(control<TJPEGImage>(d, "OKJPG")->toolTip(), kCreateHint);
        QCOMPARE(control<TMaskEdit>(d, "YearEDT")->text(), QString("    -    "));

        // Each field alone, then two of three: never ready. OK neither lights up nor acts.
        auto okIsDead = [d](const char* what) {
            QVERIFY2(!d->Ready(), what);
            QTest::mouseMove(control<TJPEGImage>(d, "OKJPG"),
                             control<TJPEGImage>(d, "OKJPG")->rect().center());
            QVERIFY2(!control<TJPEGImage>(d, "OKJPG")->hasLook(), what);
            click(control<TJPEGImage>(d, "OKJPG"));
            QVERIFY2(d->isVisible(), what);
            QTest::mouseMove(control<TJPEGImage>(d, "JPEGImage1"), QPoint(5, 5));
        };
        okIsDead("empty");
        QTest::keyClicks(control<QLineEdit>(d, "CollectNameEDT"), "Heroes");
        okIsDead("name only");
        QTest::keyClicks(control<QLineEdit>(d, "BrandEDT"), "Kenner");
        okIsDead("name and brand");
        control<QLineEdit>(d, "CollectNameEDT")->clear();
        control<QLineEdit>(d, "BrandEDT")->setFocus();
        QTest::keyClick(control<QLineEdit>(d, "BrandEDT"), Qt::Key_Tab);
        QTest::keyClicks(control<TMaskEdit>(d, "YearEDT"), "1985");
        QCOMPARE(control<TMaskEdit>(d, "YearEDT")->text(), QString("1985-    "));
        okIsDead("brand and year");

        // A year half filled is no longer blank: with a name it is ready.
        QTest::keyClicks(control<QLineEdit>(d, "CollectNameEDT"), "H");
        QVERIFY(d->Ready());
        QTest::mouseMove(control<TJPEGImage>(d, "OKJPG"), control<TJPEGImage>(d, "OKJPG")->rect().center());
        QVERIFY(control<TJPEGImage>(d, "OKJPG")->hasLook());
        QCOMPARE(control<TJPEGImage>(d, "OKJPG")->lookOffset(), QPoint(0, 0));
        QTest::mouseMove(control<TJPEGImage>(d, "JPEGImage1"), QPoint(5, 5));
        QVERIFY(!control<TJPEGImage>(d, "OKJPG")->hasLook());
        // Blanking the year again by hand takes readiness away.
        control<TMaskEdit>(d, "YearEDT")->setFocus();
        control<TMaskEdit>(d, "YearEDT")->selectAll();
        QTest::keyClick(control<TMaskEdit>(d, "YearEDT"), Qt::Key_Delete);
        QCOMPARE(control<TMaskEdit>(d, "YearEDT")->text(), QString("    -    "));
        okIsDead("year erased");
        // The right button never acts, ready or not.
        QTest::keyClicks(control<TMaskEdit>(d, "YearEDT"), "1985");
        QVERIFY(d->Ready());
        click(control<TJPEGImage>(d, "OKJPG"), Qt::RightButton);
        QVERIFY(d->isVisible());
        click(control<TJPEGImage>(d, "CancelJPG"));
    });
    QVERIFY(seen);
    QVERIFY(!QFile::exists(path));
    QVERIFY(!main_->collection().isOpen());
}

void TestNewUForm::enterActsOnlyWhileReady() {
    const QString path = dataPath("enter.fcd");
    const bool seen = runNew(path, [](TNewUForm* d) {
        for (QWidget* field : std::initializer_list<QWidget*>{control<QLineEdit>(d, "CollectNameEDT"),
                                                              control<QLineEdit>(d, "BrandEDT"),
                                                              control<TMaskEdit>(d, "YearEDT")}) {
            QTest::keyPress(field, Qt::Key_Return);
            QVERIFY(!control<TJPEGImage>(d, "OKJPG")->hasLook());
            QTest::keyRelease(field, Qt::Key_Return);
            QVERIFY(d->isVisible());
        }
        QTest::keyClicks(control<QLineEdit>(d, "CollectNameEDT"), "Heroes");
        QTest::keyClicks(control<QLineEdit>(d, "BrandEDT"), "Kenner");
        QTest::keyClick(control<QLineEdit>(d, "BrandEDT"), Qt::Key_Enter);
        QVERIFY(d->isVisible()); // no year yet

        control<QLineEdit>(d, "BrandEDT")->setFocus();
        QTest::keyClick(control<QLineEdit>(d, "BrandEDT"), Qt::Key_Tab);
        QTest::keyClicks(control<TMaskEdit>(d, "YearEDT"), "19851990");
        // Ready: Enter in the name field shows OK pressed, and its release creates.
        QTest::keyPress(control<QLineEdit>(d, "CollectNameEDT"), Qt::Key_Return);
        QVERIFY(control<TJPEGImage>(d, "OKJPG")->hasLook());
        QCOMPARE(control<TJPEGImage>(d, "OKJPG")->lookOffset(), QPoint(1, 1));
        QVERIFY(d->isVisible());
        QTest::keyRelease(control<QLineEdit>(d, "CollectNameEDT"), Qt::Key_Return);
        QVERIFY(!d->isVisible());
    });
    QVERIFY(seen);
    QCOMPARE(QFileInfo(path).size(), qint64(1324));
    QVERIFY(main_->collection().isOpen());
}

void TestNewUForm::createModeWritesTheCollection() {
    const QString path = dataPath("villains.fcd");
    QStringList soundsWhileOpen;
    QVERIFY(runNew(path, [&](TNewUForm* d) {
        soundsWhileOpen = sounds_.names();
        QVERIFY(control<QLineEdit>(d, "CollectNameEDT")->hasFocus());
        QVERIFY(!d->EditMode());
        fillIn(d, "Villains", "Mattel", "19821988");
        click(control<TJPEGImage>(d, "OKJPG"));
    }));
    QCOMPARE(soundsWhileOpen, QStringList{"v10bp.qys"});
    QCOMPARE(sounds_.names(), (QStringList{"v10bp.qys", "v10op.qys"}));
    QVERIFY(errors_.isEmpty());

    QCOMPARE(QFileInfo(path).size(), qint64(1324));
    const std::unique_ptr<OpenCollection> loaded = load(path);
    const OpenCollection& written = *loaded;
    QCOMPARE(written.header().CollectionName, std::string("Villains"));
    QCOMPARE(written.header().Brand, std::string("Mattel"));
    QCOMPARE(written.header().CollectionYear, std::string("1982-1988"));
    QCOMPARE(written.header().LastUpdate, std::string("New Collection"));
    QCOMPARE(written.header().UpdateType, std::string());
    QCOMPARE(written.totals().ItemCount, 0);

    TMainForm& m = *main_;
    QVERIFY(main_->collection().isOpen());
    QCOMPARE(QString::fromStdString(main_->collection().fileName()), path);
    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4 - Villains"));
    QCOMPARE(ui_.TotalLBL->text(), QString("total items:  0"));
    QVERIFY(ui_.AddJPG->isVisible() && !ui_.NewJPG->isVisible());

    // The fields are emptied for the next use.
    QVERIFY(control<QLineEdit>(dialog_, "CollectNameEDT")->text().isEmpty());
    QVERIFY(control<QLineEdit>(dialog_, "BrandEDT")->text().isEmpty());
    QCOMPARE(control<TMaskEdit>(dialog_, "YearEDT")->text(), QString("    -    "));
}

void TestNewUForm::createFailureKeepsTheDialogOpen() {
    const QString path = dataPath("missing-folder/new.fcd");
    bool stillOpen = false;
    QVERIFY(runNew(path, [&](TNewUForm* d) {
        fillIn(d, "Villains", "Mattel", "19821988");
        click(control<TJPEGImage>(d, "OKJPG"));
        stillOpen = d->isVisible();
        // The typed values stay for another try.
        QCOMPARE(control<QLineEdit>(d, "CollectNameEDT")->text(), QString("Villains"));
        click(control<TJPEGImage>(d, "CancelJPG"));
    }));
    QVERIFY(stillOpen);
    QCOMPARE(errors_.size(), 1);
    QVERIFY(!main_->collection().isOpen());
    QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4"));
    QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"});
}

void TestNewUForm::cancelInCreateModeCreatesNothing() {
    const QString path = dataPath("cancelled.fcd");
    QVERIFY(runNew(path, [](TNewUForm* d) {
        fillIn(d, "Villains", "Mattel", "19821988");
        click(control<TJPEGImage>(d, "CancelJPG"));
    }));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!main_->collection().isOpen());
    QVERIFY(ui_.NewJPG->isVisible());
    QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"}); // cancel is silent
    QVERIFY(control<QLineEdit>(dialog_, "CollectNameEDT")->text().isEmpty());
    QCOMPARE(control<TMaskEdit>(dialog_, "YearEDT")->text(), QString("    -    "));
}

void TestNewUForm::editModeSavesReloadsAndSetsCaption() {
    const QString path = dataPath("heroes.fcd");
    {
        OpenCollection c;
        c.CreateCollection(QFile::encodeName(path).toStdString(), "Heroes", "Kenner", "1985-1990");
        QVERIFY(!c.InsertNewItem(fixtures::item("Batman", "$  12.50", "$   0", 2)).has_value());
        QVERIFY(!c.InsertNewItem(fixtures::item("Robin", "$  15")).has_value());
        c.SaveCollection();
    }
    openCollection(path);
    QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4 - Heroes:  $40"));

    QStringList soundsWhileOpen;
    QVERIFY(runEdit([&](TNewUForm* d) {
        soundsWhileOpen = sounds_.names();
        QVERIFY(d->EditMode());
        QCOMPARE(d->windowTitle(), QString("edit collection info"));
        QCOMPARE(control<TJPEGImage>(d, "OKJPG")->toolTip(), kSaveHint);
        QCOMPARE(control<QLineEdit>(d, "CollectNameEDT")->text(), QString("Heroes"));
        QCOMPARE(control<QLineEdit>(d, "BrandEDT")->text(), QString("Kenner"));
        QCOMPARE(control<TMaskEdit>(d, "YearEDT")->text(), QString("1985-1990"));
        QVERIFY(d->Ready());
        control<QLineEdit>(d, "CollectNameEDT")->selectAll();
        QTest::keyClicks(control<QLineEdit>(d, "CollectNameEDT"), "Super Heroes");
        click(control<TJPEGImage>(d, "OKJPG"));
    }));
    QCOMPARE(soundsWhileOpen, QStringList{"v10bp.qys"});
    QVERIFY(errors_.isEmpty());

    const std::unique_ptr<OpenCollection> loaded = load(path);
    const OpenCollection& written = *loaded;
    QCOMPARE(written.header().CollectionName, std::string("Super Heroes"));
    QCOMPARE(written.header().Brand, std::string("Kenner"));
    QCOMPARE(written.header().CollectionYear, std::string("1985-1990"));
    QCOMPARE(written.header().LastUpdate, std::string("New Collection")); // untouched
    QCOMPARE(written.totals().ItemCount, 2);                              // the items stay

    TMainForm& m = *main_;
    QCOMPARE(m.windowTitle(), QString("Vitrinex 1.4 - Super Heroes:  $40"));
    QCOMPARE(main_->collection().header().CollectionName, std::string("Super Heroes"));
    QCOMPARE(main_->collection().totals().ItemCount, 2);
    QCOMPARE(ui_.ListBox2->count(), 2);
    QVERIFY(main_->collection().isOpen());

    QVERIFY(!dialog_->isVisible());
    QVERIFY(!dialog_->EditMode());
    QCOMPARE(dialog_->windowTitle(), QString("new collection"));
    QCOMPARE(control<TJPEGImage>(dialog_, "OKJPG")->toolTip(), kCreateHint);
    QVERIFY(control<QLineEdit>(dialog_, "CollectNameEDT")->text().isEmpty());
    QVERIFY(control<QLineEdit>(dialog_, "BrandEDT")->text().isEmpty());
    QCOMPARE(control<TMaskEdit>(dialog_, "YearEDT")->text(), QString("    -    "));
}

void TestNewUForm::editFailureKeepsTheOldInformation() {
    QVERIFY(QDir(dataDir_->path()).mkdir("gone"));
    const QString path = dataPath("gone/heroes.fcd");
    {
        OpenCollection c;
        c.CreateCollection(QFile::encodeName(path).toStdString(), "Heroes", "Kenner", "1985-1990");
    }
    openCollection(path);
    QVERIFY(QDir(dataPath("gone")).removeRecursively());

    bool stillOpen = false;
    QVERIFY(runEdit([&](TNewUForm* d) {
        control<QLineEdit>(d, "BrandEDT")->selectAll();
        QTest::keyClicks(control<QLineEdit>(d, "BrandEDT"), "Hasbro");
        click(control<TJPEGImage>(d, "OKJPG"));
        stillOpen = d->isVisible();
        QVERIFY(d->EditMode());
        QCOMPARE(control<QLineEdit>(d, "BrandEDT")->text(), QString("Hasbro"));
        click(control<TJPEGImage>(d, "CancelJPG"));
    }));
    QVERIFY(stillOpen);
    QCOMPARE(errors_.size(), 1);
    QCOMPARE(main_->collection().header().Brand, std::string("Kenner"));
    QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4 - Heroes:  $0"));
    QVERIFY(main_->collection().isOpen());
}

void TestNewUForm::cancelInEditModeThenNewCreatesNormally() {
    const QString first = dataPath("first.fcd");
    {
        OpenCollection c;
        c.CreateCollection(QFile::encodeName(first).toStdString(), "Heroes", "Kenner", "1985-1990");
    }
    const QByteArray before = readAll(first);
    openCollection(first);
    QVERIFY(runEdit([](TNewUForm* d) {
        control<QLineEdit>(d, "CollectNameEDT")->selectAll();
        QTest::keyClicks(control<QLineEdit>(d, "CollectNameEDT"), "Changed");
        click(control<TJPEGImage>(d, "CancelJPG"));
    }));
    QCOMPARE(readAll(first), before);
    QCOMPARE(main_->collection().header().CollectionName, std::string("Heroes"));
    QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4 - Heroes:  $0"));
    click(ui_.CloseJPG);
    QVERIFY(!main_->collection().isOpen());

    const QString second = dataPath("second.fcd");
    QVERIFY(runNew(second, [](TNewUForm* d) {
        QVERIFY(!d->EditMode());
        QCOMPARE(d->windowTitle(), QString("new collection"));
        QCOMPARE(control<TJPEGImage>(d, "OKJPG")->toolTip(), kCreateHint);
        QVERIFY(control<QLineEdit>(d, "CollectNameEDT")->text().isEmpty());
        QVERIFY(control<QLineEdit>(d, "BrandEDT")->text().isEmpty());
        QCOMPARE(control<TMaskEdit>(d, "YearEDT")->text(), QString("    -    "));
        fillIn(d, "Villains", "Mattel", "19821988");
        click(control<TJPEGImage>(d, "OKJPG"));
    }));
    QCOMPARE(QFileInfo(second).size(), qint64(1324));
    QCOMPARE(load(second)->header().CollectionName, std::string("Villains"));
    QCOMPARE(readAll(first), before); // the first collection is not touched
    QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4 - Villains"));
}

void TestNewUForm::captionAndHintRestoredHoweverItCloses_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("ok") << "ok";
    QTest::newRow("enter") << "enter";
    QTest::newRow("cancel") << "cancel";
    QTest::newRow("escape") << "escape";
    QTest::newRow("close box") << "close box";
}

void TestNewUForm::captionAndHintRestoredHoweverItCloses() {
    QFETCH(QString, how);
    const QString path = dataPath("info.fcd");
    {
        OpenCollection c;
        c.CreateCollection(QFile::encodeName(path).toStdString(), "Heroes", "Kenner", "1985-1990");
    }
    openCollection(path);

    QString hintWhileOpen;
    QVERIFY(runEdit([&](TNewUForm* d) {
        hintWhileOpen = control<TJPEGImage>(d, "OKJPG")->toolTip();
        if (how == "ok")
            click(control<TJPEGImage>(d, "OKJPG"));
        else if (how == "enter")
            QTest::keyClick(control<TMaskEdit>(d, "YearEDT"), Qt::Key_Return);
        else if (how == "cancel")
            click(control<TJPEGImage>(d, "CancelJPG"));
        else if (how == "escape")
            QTest::keyClick(d, Qt::Key_Escape);
        else
            d->close();
    }));
    QCOMPARE(hintWhileOpen, kSaveHint);
    QVERIFY(!dialog_->isVisible());
    QVERIFY(!dialog_->EditMode());
    QCOMPARE(dialog_->windowTitle(), QString("new collection"));
    QCOMPARE(control<TJPEGImage>(dialog_, "OKJPG")->toolTip(), kCreateHint);
    // Whichever way, the fields are empty for the next use.
    QVERIFY(control<QLineEdit>(dialog_, "CollectNameEDT")->text().isEmpty());
    QCOMPARE(control<TMaskEdit>(dialog_, "YearEDT")->text(), QString("    -    "));
    QVERIFY(errors_.isEmpty());
}

QTEST_MAIN(TestNewUForm)
#include "test_collectioninfodialog.moc"
