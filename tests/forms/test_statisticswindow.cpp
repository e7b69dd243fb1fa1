// Route simulated mouse events through the window, as real ones are: the pressed widget keeps the mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "collection/OpenCollection.h"
#include "controls/PictureButtons.h"
#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "forms/StatisticsWindow.h"
#include "sound/Sound.h"

#include "CollectionFixtures.h"
#include "RecordingSoundService.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

#include <memory>

using vitrinex::OpenCollection;
using vitrinex::RecordingSoundService;
using vitrinex::Sounds;

namespace {

// A collection built in memory, items inserted in the order given as {name, price, net change, qty}.
struct Item {
    std::string name, price, netChange;
    int quantity = 1;
};

std::unique_ptr<OpenCollection> makeCollection(const std::vector<Item>& items,
                                               const std::string& name = "Heroes") {
    auto c = std::make_unique<OpenCollection>();
    c->CreateCollection(name + ".fcd", name, "Kenner", "1985-1990");
    for (const Item& i : items) {
        if (c->InsertNewItem(fixtures::item(i.name, i.price, i.netChange, i.quantity)))
            qFatal("could not insert %s", i.name.c_str());
    }
    return c;
}

QStringList entries(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

// What the window looked like at the moment the click sound was asked for.
struct Snapshot {
    bool windowVisible = false;
    bool updatedHidden = false;
    bool captionHidden = false;
    QString value, netChange;
    int highIndex = -2;
};

class ProbeSound final : public vitrinex::SoundService {
public:
    TStatsForm* form = nullptr;
    QStringList names;
    std::vector<Snapshot> seen;
    void playAsync(const QString& name) override {
        names << name;
        Snapshot s;
        s.windowVisible = form->isVisible();
        s.updatedHidden = form->findChild<QLabel*>("UpdatedFigsLBL")->isHidden();
        s.captionHidden = form->findChild<QLabel*>("Label7")->isHidden();
        s.value = form->findChild<QLabel*>("CollValueLBL")->text();
        s.netChange = form->findChild<QLabel*>("NetChangeLBL")->text();
        s.highIndex = form->findChild<QComboBox*>("HighFigLBL")->currentIndex();
        seen.push_back(s);
    }
};

} // namespace

class TestStats : public QObject {
    Q_OBJECT

    std::unique_ptr<TStatsForm> form;
    RecordingSoundService sounds;

    template <typename T> T* child(const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QLabel* label(const char* name) { return child<QLabel>(name); }
    QComboBox* list(const char* name) { return child<QComboBox>(name); }
    TJPEGImage* ok() { return child<TJPEGImage>("OKJPG"); }
    QPoint okCentre() { return ok()->rect().center(); }

private slots:
    void init() {
        sounds.clear();
        Sounds::setServiceForTesting(&sounds);
        Sounds::bindSwitch(std::function<bool()>{});
        form = std::make_unique<TStatsForm>();
    }
    void cleanup() {
        form.reset();
        Sounds::setServiceForTesting(nullptr);
        Sounds::bindSwitch(std::function<bool()>{});
    }

    void windowAndControls() {
        QCOMPARE(form->objectName(), QString("StatsForm"));
        QCOMPARE(form->windowTitle(), QString("collection stats"));
        QCOMPARE(form->size(), QSize(378, 337));
        QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

        auto* background = child<TJPEGImage>("JPEGImage1");
        QCOMPARE(background->geometry(), QRect(0, 0, 378, 337));
        QCOMPARE(background->picture().size(), QSize(378, 337));

        QCOMPARE(label("TitleLBL")->pos(), QPoint(32, 24));
        QVERIFY(label("TitleLBL")->wordWrap());
        QVERIFY(label("TitleLBL")->alignment() & Qt::AlignHCenter);
        QCOMPARE(label("TitleLBL")->font().pointSize(), 12);

        // Each caption reads as given, sits on its value's line and ends before the value starts.
        const struct {
            const char *caption, *text, *value;
            QPoint valuePos;
        } lines[] = {{"Label1", "collection value:", "CollValueLBL", {141, 100}},
                     {"Label2", "net change:", "NetChangeLBL", {141, 118}},
                     {"Label7", "items updated:", "UpdatedFigsLBL", {141, 136}}};
        for (const auto& l : lines) {
            QCOMPARE(label(l.caption)->text(), QString(l.text));
            QCOMPARE(label(l.value)->pos(), l.valuePos);
            QCOMPARE(label(l.caption)->y(), l.valuePos.y());
            QVERIFY2(label(l.caption)->geometry().right() < l.valuePos.x(), l.caption);
            QCOMPARE(label(l.caption)->palette().color(QPalette::WindowText), vitrinex::kSkinGreen);
            QCOMPARE(label(l.value)->palette().color(QPalette::WindowText), vitrinex::kSkinWhite);
        }
        // One total a line: no value runs into the next line or out of the window.
        QVERIFY(!label("CollValueLBL")->geometry().intersects(label("NetChangeLBL")->geometry()));
        QVERIFY(!label("NetChangeLBL")->geometry().intersects(label("UpdatedFigsLBL")->geometry()));
        QVERIFY(form->rect().contains(label("CollValueLBL")->geometry()));

        const struct {
            const char *caption, *text, *list;
            int top;
            QColor color;
        } lists[] = {{"Label3", "high item:", "HighFigLBL", 160, vitrinex::kSkinWhite},
                     {"Label4", "low item:", "LowFigLBL", 187, vitrinex::kSkinWhite},
                     {"Label5", "hot item:", "HotLBL", 214, vitrinex::kSkinRed},
                     {"Label6", "cold item:", "ColdLBL", 241, vitrinex::kSkinAqua}};
        for (const auto& l : lists) {
            QComboBox* box = list(l.list);
            QCOMPARE(box->geometry().topLeft(), QPoint(99, l.top));
            QCOMPARE(box->width(), 240);
            QVERIFY2(box->height() <= 27, l.list); // the lists do not overlap
            QVERIFY(!box->isEditable());
            QCOMPARE(box->font().pointSize(), 9);
            QCOMPARE(box->palette().color(QPalette::ButtonText), l.color);
            QCOMPARE(box->palette().color(QPalette::Button), QColor(Qt::black));
            QCOMPARE(label(l.caption)->text(), QString(l.text));
            QVERIFY2(label(l.caption)->geometry().right() < 99, l.caption);
            const int mid = label(l.caption)->geometry().center().y();
            QVERIFY2(mid > l.top && mid < l.top + box->height(), l.caption);
        }

        QCOMPARE(ok()->pos(), QPoint(152, 282));
        QCOMPARE(ok()->toolTip(), QString("click to close window"));
        QCOMPARE(ok()->fileName(), QString("okoff.jpg"));
        QVERIFY(form->pictureButtons().contains(ok()));

        form.reset();
    }

    void openingFillsTextsAndLists() {
        // One item of $12.99 three times: the 6-byte total, and a net change counted once, not per piece.
        auto c = makeCollection({{"Batmobile", "$12.99", "$-1", 3}});
        form->showUpdatedCount(*c);
        form->showCollection(*c);
        QCOMPARE(label("TitleLBL")->text(), QString("Kenner - Heroes - 1985-1990"));
        QCOMPARE(label("CollValueLBL")->text(), QString("$38.9699999999721"));
        QCOMPARE(label("NetChangeLBL")->text(), QString("$-1"));
        QVERIFY(label("UpdatedFigsLBL")->isHidden());
        QVERIFY(label("Label7")->isHidden());
        // A hidden window lists nothing until it is shown.
        QCOMPARE(entries(list("HighFigLBL")), QStringList());
        form->show();
        QCOMPARE(entries(list("HighFigLBL")), QStringList{"Batmobile  $12.99"});
        QCOMPARE(entries(list("LowFigLBL")), QStringList{"Batmobile  $12.99"});
        QCOMPARE(entries(list("HotLBL")), QStringList{"Batmobile  $-1"});
        QCOMPARE(entries(list("ColdLBL")), QStringList{"Batmobile  $-1"});
        QVERIFY(sounds.names().isEmpty());

        // Opening another collection replaces everything; stored bytes are Windows-1252.
        auto other = makeCollection({{"Se\xF1or Espa\xF1", "$7.25", "$2", 1}}, "Caf\xE9");
        form->showCollection(*other);
        QCOMPARE(label("TitleLBL")->text(), QString::fromUtf8("Kenner - Café - 1985-1990"));
        QCOMPARE(label("CollValueLBL")->text(), QString("$7.25"));
        QCOMPARE(label("NetChangeLBL")->text(), QString("$2"));
        QCOMPARE(entries(list("HighFigLBL")), QStringList{QString::fromUtf8("Señor Españ  $7.25")});
        QCOMPARE(entries(list("ColdLBL")), QStringList{QString::fromUtf8("Señor Españ  $2")});
        QCOMPARE(list("HotLBL")->currentText(), QString::fromUtf8("Señor Españ  $2"));
    }

    void zeroItemsAppearInEveryList() {
        auto c = makeCollection({{"Robin", "$0", "$0"}, {"Alfred", "$0", "$0"}, {"Joker", "$0", "$0"}});
        form->show();
        form->showCollection(*c);
        QCOMPARE(label("CollValueLBL")->text(), QString("$0"));
        QCOMPARE(label("NetChangeLBL")->text(), QString("$0"));
        const QStringList byPrice{"Robin  $0", "Alfred  $0", "Joker  $0"};
        for (const char* name : {"HighFigLBL", "LowFigLBL", "HotLBL", "ColdLBL"})
            QCOMPARE(entries(list(name)), byPrice);
    }

    void tiesInInsertionOrderAndLaterItemsShowOnStats() {
        auto c = makeCollection({{"Zeta", "$20", "$0"}, {"Alpha", "$20", "$0"}, {"Mid", "$5", "$0"}});
        form->show();
        form->showCollection(*c);
        QCOMPARE(entries(list("HighFigLBL")), (QStringList{"Zeta  $20", "Alpha  $20"}));
        QCOMPARE(entries(list("LowFigLBL")), QStringList{"Mid  $5"});

        // An item added later beats the high price; the stats command shows the collection as it is now.
        QVERIFY(!c->InsertNewItem(fixtures::item("Top", "$30", "$3")));
        form->collectionstats1Click(*c);
        QCOMPARE(entries(list("HighFigLBL")), QStringList{"Top  $30"});
        QCOMPARE(entries(list("HotLBL")), QStringList{"Top  $3"});
        QCOMPARE(label("CollValueLBL")->text(), QString("$75"));
        QCOMPARE(label("NetChangeLBL")->text(), QString("$3"));
    }

    void statsCommandRunsItsStepsInOrder() {
        ProbeSound probe;
        probe.form = form.get();
        Sounds::setServiceForTesting(&probe);

        // The only item's price is above the low start value, so the low list stays empty.
        auto c = makeCollection({{"Statue", "$2000000", "$4"}, {"Bust", "$2000000", "$1"}});
        form->showCollection(*c);
        form->showUpdatedCount(*c);
        list("HighFigLBL")->setCurrentIndex(1); // the user looked at the second entry last time

        form->collectionstats1Click(*c);
        QCOMPARE(probe.names, QStringList{"v10bp.qys"});
        const Snapshot& atSound = probe.seen.front();
        QVERIFY(!atSound.windowVisible);
        QVERIFY(atSound.updatedHidden);
        QVERIFY(atSound.captionHidden);
        QCOMPARE(atSound.value, QString("$4000000"));
        QCOMPARE(atSound.netChange, QString("$5"));
        QCOMPARE(atSound.highIndex, 0);

        QVERIFY(form->isVisible());
        QVERIFY(!form->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(list("HighFigLBL")->currentText(), QString("Statue  $2000000"));
        QCOMPARE(list("HotLBL")->currentText(), QString("Statue  $4"));
        QCOMPARE(list("ColdLBL")->currentText(), QString("Bust  $1"));
        QCOMPARE(list("LowFigLBL")->count(), 0);
        QCOMPARE(list("LowFigLBL")->currentIndex(), -1);
        QVERIFY(list("LowFigLBL")->currentText().isEmpty());

        // Again while shown: one more click sound, still the one window; with sounds off, silence.
        form->collectionstats1Click(*c);
        QCOMPARE(probe.names.size(), 2);
        Sounds::bindSwitch([] { return false; });
        form->hide();
        form->collectionstats1Click(*c);
        QCOMPARE(probe.names.size(), 2);
        QVERIFY(form->isVisible());
    }

    void statsCommandBringsBackMinimizedWindow() {
        auto c = makeCollection({{"Robin", "$1", "$0"}});
        form->collectionstats1Click(*c);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->showMinimized();
        QTRY_VERIFY(form->isMinimized());
        form->collectionstats1Click(*c);
        QTRY_VERIFY(!form->isMinimized());
        QVERIFY(form->isVisible());
    }

    void updatedCountShowsCountOverItems() {
        auto c = makeCollection({{"Robin", "$1", "$0"}});
        vitrinex::UpdatedAggregates updated;
        updated.UpdatedCount = 12;
        c->takeUpdatedAggregates(updated);
        form->collectionstats1Click(*c);
        QVERIFY(label("UpdatedFigsLBL")->isHidden());
        form->showUpdatedCount(*c);
        QCOMPARE(label("UpdatedFigsLBL")->text(), QString("12/1"));
        QVERIFY(label("UpdatedFigsLBL")->isVisible());
        QVERIFY(label("Label7")->isVisible());

        c->takeUpdatedAggregates(vitrinex::UpdatedAggregates{});
        form->showUpdatedCount(*c);
        QCOMPARE(label("UpdatedFigsLBL")->text(), QString("0/1"));
        form->hideUpdatedCount();
        QVERIFY(label("UpdatedFigsLBL")->isHidden());
        QVERIFY(label("Label7")->isHidden());
    }

    void okShowsUpdatedCountAgainAndCloses() {
        auto c = makeCollection({{"Robin", "$1", "$0"}});
        form->collectionstats1Click(*c);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        sounds.clear();

        struct {
            int calls = 0;
            bool windowOpen = false, updatedShown = false;
        } hook;
        form->OnClosedAfterUpdate = [&] {
            ++hook.calls;
            hook.windowOpen = form->isVisible();
            hook.updatedShown = !label("UpdatedFigsLBL")->isHidden() && !label("Label7")->isHidden();
        };

        QTest::mouseMove(ok(), okCentre());
        QTest::mousePress(ok(), Qt::LeftButton, {}, okCentre());
        QVERIFY(form->isVisible());
        QCOMPARE(hook.calls, 0);
        QTest::mouseRelease(ok(), Qt::LeftButton, {}, okCentre());
        QCOMPARE(hook.calls, 1);
        QVERIFY(hook.windowOpen); // the hook runs before the window closes
        QVERIFY(hook.updatedShown);
        QVERIFY(!form->isVisible());
        QVERIFY(!label("UpdatedFigsLBL")->isHidden());
        QVERIFY(!label("Label7")->isHidden());
        QVERIFY(sounds.names().isEmpty()); // OK is silent

        // The window is kept: shown again, it works again. Released away from the button still acts.
        form->collectionstats1Click(*c);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTest::mousePress(ok(), Qt::LeftButton, {}, okCentre());
        QTest::mouseMove(form.get(), QPoint(20, 20));
        QTest::mouseRelease(form.get(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(hook.calls, 2);
        QVERIFY(!form->isVisible());
    }

    void otherButtonsDoNothing() {
        auto c = makeCollection({{"Robin", "$1", "$0"}});
        form->collectionstats1Click(*c);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        int calls = 0;
        form->OnClosedAfterUpdate = [&] { ++calls; };
        for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(ok(), b, {}, okCentre());
            QTest::mouseRelease(ok(), b, {}, okCentre());
        }
        QCoreApplication::processEvents();
        QVERIFY(form->isVisible());
        QCOMPARE(calls, 0);
        QVERIFY(label("UpdatedFigsLBL")->isHidden());
        QVERIFY(!ok()->hasLook() || ok()->lookOffset() == QPoint(0, 0)); // never the pressed look
        QCOMPARE(sounds.names(), QStringList{"v10bp.qys"});
    }

    void pointerOverLabelsAndListsRestoresOk() {
        auto c = makeCollection({{"Robin", "$1", "$0"}});
        form->collectionstats1Click(*c);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto& rule = form->pictureButtons();
        // Start away from the button: a move to where the pointer already is reports nothing.
        QTest::mouseMove(form.get(), QPoint(5, 330));
        for (const char* name : {"CollValueLBL", "Label4", "TitleLBL", "ColdLBL", "JPEGImage1"}) {
            QTest::mouseMove(ok(), okCentre());
            QVERIFY2(rule.isHighlighted(ok()), name);
            QWidget* w = form->findChild<QWidget*>(name);
            QTest::mouseMove(w, QPoint(3, 3));
            QVERIFY2(!rule.isHighlighted(ok()), name);
            QVERIFY2(!ok()->hasLook(), name);
        }
    }

    void closingEmptiesTheListsOnly() {
        auto c = makeCollection({{"Robin", "$1", "$1"}, {"Alfred", "$2", "$0"}});
        form->showCollection(*c);
        form->clearLists();
        for (const char* name : {"HighFigLBL", "LowFigLBL", "HotLBL", "ColdLBL"}) {
            QCOMPARE(list(name)->count(), 0);
            QVERIFY(list(name)->currentText().isEmpty());
        }
        QCOMPARE(label("TitleLBL")->text(), QString("Kenner - Heroes - 1985-1990"));
        QCOMPARE(label("CollValueLBL")->text(), QString("$3"));
    }

    void escapeWorksOk() {
        bool okRan = false;
        form->OnClosedAfterUpdate = [&okRan] { okRan = true; };
        form->show();
        QTest::keyClick(list("HighFigLBL"), Qt::Key_Escape);
        QVERIFY(!form->isVisible() && okRan);
    }

    void longAmountsShowEveryDigit() {
        auto c = makeCollection({{"Robin", "$12.99", "$-9999", 3}});
        form->setTotalsFrom(*c);
        for (const char* name : {"CollValueLBL", "NetChangeLBL"}) {
            QLabel* l = label(name);
            QCOMPARE(l->toolTip(), l->text());
            // At the size of the window's other texts, however long.
            QCOMPARE(l->font().pointSize(), label("Label1")->font().pointSize());
            QVERIFY2(QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width(), name);
        }
        QCOMPARE(label("CollValueLBL")->text(), QString("$38.9699999999721"));

        // A short amount keeps the caption's size.
        auto small = makeCollection({{"Robin", "$2.5", "$1"}});
        form->setTotalsFrom(*small);
        QCOMPARE(label("CollValueLBL")->text(), QString("$2.5"));
        QCOMPARE(label("CollValueLBL")->font().pointSize(), 10);
    }
};

QTEST_MAIN(TestStats)
#include "test_statisticswindow.moc"
