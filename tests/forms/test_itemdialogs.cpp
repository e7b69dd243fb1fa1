// The add/edit, delete and find dialogs, opened from the real main window and typed into offscreen.
#define QTEST_QPA_MOUSE_HANDLING

#include "CollectionFixtures.h"
#include "collection/OpenCollection.h"
#include "controls/MaskedEditField.h"
#include "controls/PictureControl.h"
#include "forms/DeleteDialog.h"
#include "forms/ErrorReport.h"
#include "forms/FindDialog.h"
#include "forms/ItemDialog.h"
#include "forms/MainWindow.h"
#include "forms/MessageDialog.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

using namespace vitrinex;
using namespace windowtest;

class TestItemDialogs : public QObject {
    Q_OBJECT

    RecordingSoundService sounds_;
    std::unique_ptr<QTemporaryDir> dir_;
    QPointer<TMainForm> main_;
    QStringList messages_; // "title|text"
    QString file_;
    TAddFigureForm* add_ = nullptr;

    void open(const QStringList& names) {
        OpenCollection c;
        c.CreateCollection(QFile::encodeName(file_).toStdString(), "Heroes", "Kenner", "1985");
        for (const QString& n : names)
            QVERIFY(!c.InsertNewItem(fixtures::item(n.toStdString())));
        c.SaveCollection();
        main_->OpenCollectionFile(file_);
        QVERIFY(main_->collection().isOpen());
        sounds_.clear();
    }
    // The items the file holds now, read by a collection of its own.
    std::vector<TFigureRecord> stored() const {
        OpenCollection c;
        c.LoadCollection(QFile::encodeName(file_).toStdString());
        std::vector<TFigureRecord> out;
        for (const std::string& n : c.itemList().names())
            out.push_back(c.FindItem(n)->Record);
        return out;
    }
    QStringList storedNames() const {
        QStringList out;
        for (const TFigureRecord& r : stored())
            out << QString::fromStdString(r.FigureName.str());
        return out;
    }
    template <typename T = QWidget> T* in(QObject* window, const char* name) {
        return control<T>(window, name);
    }
    TItemListBox* list() { return in<TItemListBox>(main_, "ListBox2"); }
    QString selected() {
        const int row = list()->selectedRow();
        return row < 0 ? QString() : list()->text(row);
    }
    QString nextMessage() { return messages_.isEmpty() ? QString("<none>") : messages_.takeFirst(); }
    QString text(const char* field) { return in<QLineEdit>(add_, field)->text(); }
    // A user's typing: the field takes the focus, its text is selected and typed over.
    void type(const char* field, const QString& text) {
        auto* e = in<QLineEdit>(add_, field);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // Typing letters that no key of the test's keyboard map carries.
    static void typeAny(QWidget* w, const QString& text) {
        w->setFocus();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void leave(const char* field) { QTest::keyClick(in<QLineEdit>(add_, field), Qt::Key_Tab); }
    void fillRequired(const QString& name) {
        type("FigureNameEDT", name);
        type("QuantityEDT", "1");
        type("YearEDT", "1985");
    }
    bool inDialog(QDialog* d, const char* action, const std::function<void()>& body) {
        return throughModal(
            d, [&] { in<QAction>(main_, action)->trigger(); },
            [&] {
                d->activateWindow(); // as a window manager activates a new modal window
                QTRY_COMPARE(QApplication::activeWindow(), d);
                body();
            });
    }

private slots:
    void initTestCase() { Sounds::setServiceForTesting(&sounds_); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        file_ = dir_->filePath("heroes.fcd");
        messages_.clear();
        setShownMessagesForTesting({[this](const QString& t, const QString& x) { messages_ << t + "|" + x; },
                                    [this](const QString& e) { messages_ << "error report|" + e; }});
        main_ = new TMainForm(nullptr, dir_->path());
        main_->show();
        QVERIFY(QTest::qWaitForWindowActive(main_));
        add_ = main_->findChild<TAddFigureForm*>();
        sounds_.clear();
    }
    void cleanup() {
        delete main_.data();
        setShownMessagesForTesting({});
    }

    void maskedFieldsAlignWhenLeftAndAddStoresThem() {
        open({"Batman"});
        QVERIFY(inDialog(add_, "additem1", [&] {
            QCOMPARE(add_->windowTitle(), QString("add item"));
            QCOMPARE(in<QLabel>(add_, "TitlePanel")->text(), QString("Kenner - Heroes - 1985"));
            type("FigureNameEDT", "Robin");
            auto* button = in<TJPEGImage>(add_, "AddJPG");
            QTest::mouseMove(button);
            QVERIFY(button->toolTip().startsWith("Cannot add item."));
            click(button); // nothing happens while the required fields are empty
            QVERIFY(add_->isVisible() && messages_.isEmpty());

            const QList<std::tuple<const char*, QString, QString, QString>> cases = {
                {"QuantityEDT", " 5", " 5 ", "5  "},
                {"YearEDT", " 85", " 85 ", "85  "},
                {"PriceEDT", " 12.50", "$ 12.50 ", "$  12.50"},
                {"NetChangeEDT", "-5", "$-5  ", "$  -5"}};
            for (const auto& [field, typed, shown, left] : cases) {
                type(field, typed);
                QCOMPARE(text(field), shown);
                leave(field);
                QCOMPARE(text(field), left);
            }
            QTest::mouseMove(button, {5, 5});
            QCOMPARE(button->toolTip(), QString("Click to add item."));
            click(button);
        }));
        QVERIFY(!add_->isVisible());
        const TFigureRecord robin = stored().at(1);
        QCOMPARE(
            QString::fromStdString(robin.Price.str() + "|" + robin.NetChange.str() + "|" + robin.Year.str()),
            QString("$  12.50|$  -5|85  "));
        QCOMPARE(robin.Quantity, 5);
        QCOMPARE(selected(), QString("Robin"));
        QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4 - Heroes:  $75"));
        QCOMPARE(in<QLabel>(main_, "TotalLBL")->text(), QString("total items:  2"));
        QCOMPARE(sounds_.names().join(","), QStringList({kSoundClick, kSoundAdd}).join(","));
    }

    void refusedPriceNetChangeAndDuplicateNameKeepTheDialogOpen() {
        open({"Batman"});
        const QByteArray before = readAll(file_);
        QVERIFY(inDialog(add_, "additem1", [&] {
            fillRequired("BATMAN");
            type("PriceEDT", "12,50");
            leave("PriceEDT");
            QCOMPARE(nextMessage(), QString("invalid price|$12,50   is an invalid price!"));
            QCOMPARE(text("PriceEDT"), QString("$     0 "));
            QVERIFY(in<QWidget>(add_, "PriceEDT")->hasFocus());
            // Digits with several points are no number either.
            type("PriceEDT", "1.2.3");
            click(in<TJPEGImage>(add_, "AddJPG"));
            QCOMPARE(nextMessage(), QString("invalid price|$1.2.3   is an invalid price!"));
            type("NetChangeEDT", "5-");
            QTest::keyClick(in<QLineEdit>(add_, "NetChangeEDT"), Qt::Key_Return);
            QCOMPARE(nextMessage(), QString("invalid net change value|$5-   is an invalid value for net "
                                            "change. net change must be an integer."));
            QCOMPARE(text("NetChangeEDT"), QString("$   0"));
            QCOMPARE(readAll(file_), before);
            click(in<TJPEGImage>(add_, "AddJPG"));
            QCOMPARE(messages_, QStringList{"item exists|BATMAN already exists!"});
            QVERIFY(add_->isVisible());
            QCOMPARE(text("FigureNameEDT"), QString("BATMAN"));
            add_->close(); // the close box cancels
        }));
        QCOMPARE(text("FigureNameEDT"), QString());
        QCOMPARE(storedNames(), QStringList{"Batman"});
    }

    void renamesSaveAtOnceAndARefusedOneRestoresTheItem() {
        open({"Batman", "Hangman", "Superman"});
        main_->SelectItem(1);
        // The statistics window's OK shows the last update's count again.
        in<QAction>(main_, "collectionstats1")->trigger();
        auto* stats = topLevelControl<QWidget>("StatsForm");
        click(stats->findChild<TJPEGImage*>("OKJPG"));
        auto* updatedCaption = stats->findChild<QLabel*>("Label7");
        QVERIFY(!updatedCaption->isHidden());
        QVERIFY(inDialog(add_, "edititem1", [&] {
            QCOMPARE(add_->windowTitle(), QString("edit item"));
            type("FigureNameEDT", "Joker");
            click(in<TJPEGImage>(add_, "EditJPG"), Qt::RightButton); // any button saves
        }));
        QCOMPARE(storedNames(), QStringList({"Batman", "Joker", "Superman"}));
        QCOMPARE(selected(), QString("Joker"));
        QVERIFY(updatedCaption->isHidden()); // the last update's count no longer holds

        main_->SelectItem(0);
        QVERIFY(inDialog(add_, "edititem1", [&] {
            type("FigureNameEDT", "superman");
            type("QuantityEDT", "9");
            click(in<TJPEGImage>(add_, "EditJPG"));
            QCOMPARE(messages_, QStringList{"item exists|superman already exists!"});
            QVERIFY(add_->isVisible());
            QCOMPARE(add_->windowTitle(), QString("add item"));
            QCOMPARE(text("FigureNameEDT") + text("QuantityEDT"), QString("Batman1  "));
            QCOMPARE(storedNames(), QStringList({"Batman", "Joker", "Superman"}));
            QCOMPARE(stored().at(0).Quantity, 1);
            QCOMPARE(selected(), QString("Superman")); // the item that bore the requested name
            // The dialog goes on adding: a new name closes it as usual.
            type("FigureNameEDT", "Robin");
            click(in<TJPEGImage>(add_, "AddJPG"));
        }));
        QCOMPARE(storedNames(), QStringList({"Batman", "Joker", "Robin", "Superman"}));
    }

    // A quantity of 0 would mark the record deleted: add and edit refuse it and write nothing.
    void aQuantityOf0IsRefused() {
        open({"Batman"});
        const QByteArray before = readAll(file_);
        for (const char* action : {"additem1", "edititem1"}) {
            main_->SelectItem(0);
            QVERIFY(inDialog(add_, action, [&] {
                if (!add_->entry().EditMode) fillRequired("Robin");
                type("QuantityEDT", "0");
                QTest::keyClick(in<QLineEdit>(add_, "QuantityEDT"), Qt::Key_Return);
                QCOMPARE(nextMessage(),
                         QString("quantity|a quantity of 0 is not kept; to remove an item, use "
                                 "delete."));
                QVERIFY(add_->isVisible() && in<QWidget>(add_, "QuantityEDT")->hasFocus());
                add_->reject();
            }));
        }
        QCOMPARE(readAll(file_), before);
        QCOMPARE(in<QLabel>(main_, "TotalLBL")->text(), QString("total items:  1"));
    }

    // A value the user did not touch is saved as stored, even one its field cannot show, and even
    // when the focus passed through its field.
    void untouchedFieldsKeepTheirStoredTexts() {
        NewItemValues v = fixtures::item("Batman", "12345.67", "$5.5", 1234);
        v.Year = "1985-1990";
        v.Condition = "mint";
        fixtures::writeCollection(file_, {v});
        main_->OpenCollectionFile(file_);
        main_->SelectItem(0);
        QVERIFY(inDialog(add_, "edititem1", [&] {
            QCOMPARE(in<QComboBox>(add_, "ConditionCB")->currentText(), QString("mint"));
            for (int i = 0; i < 8; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClicks(in<QPlainTextEdit>(add_, "CommentsMEMO"), "boxed ");
            click(in<TJPEGImage>(add_, "EditJPG"));
        }));
        const TFigureRecord r = stored().at(0);
        QCOMPARE(QString::fromStdString(r.Price.str() + "|" + r.NetChange.str() + "|" + r.Year.str() + "|" +
                                        r.Condition.str() + "|" + std::to_string(r.Quantity) + "|" +
                                        r.Comments.str()),
                 QString::fromStdString("12345.67|$5.5|1985-1990|mint|1234|boxed " + v.Comments));
    }

    // A stored name longer than the dialog lets one type is shown and saved whole.
    void longStoredNamesStayWhole() {
        const QString longName = QString(50, 'N') + " Figure Sixty";
        open({longName});
        main_->SelectItem(0);
        QVERIFY(inDialog(add_, "edititem1", [&] {
            QCOMPARE(text("FigureNameEDT"), longName);
            type("QuantityEDT", "7");
            click(in<TJPEGImage>(add_, "EditJPG"));
        }));
        QCOMPARE(storedNames(), QStringList{longName});
        QCOMPARE(stored().at(0).Quantity, 7);
    }

    // Characters a collection cannot hold are refused in every window that stores typed text: the
    // message names the field and the character, and nothing is saved.
    void foreignCharactersAreRefused() {
        open({"Batman"});
        const QByteArray before = fixtures::readBytes(QFile::encodeName(file_).toStdString());
        auto* info = main_->findChild<QDialog*>("NewUForm");
        auto* find = main_->findChild<TFindForm*>();
        // The parts are named, not bound: clang, which builds the checks, cannot capture a binding.
        for (const auto& entry : {std::tuple<QDialog*, const char*, const char*, const char*>{
                                      add_, "additem1", "FigureNameEDT", "AddJPG"},
                                  {info, "editcollectioninfo1", "BrandEDT", "OKJPG"},
                                  {find, "find1", "FindEDT", "OkBtn"}}) {
            QDialog* const dialog = std::get<0>(entry);
            const char* const field = std::get<2>(entry);
            const char* const ok = std::get<3>(entry);
            QVERIFY(inDialog(dialog, std::get<1>(entry), [&] {
                if (dialog == add_) fillRequired("");
                in<QLineEdit>(dialog, field)->selectAll();
                typeAny(in<QLineEdit>(dialog, field), QString::fromUtf8("\u0141\u00f3d\u017a\u20ac"));
                click(in<TJPEGImage>(dialog, ok));
                QVERIFY(dialog->isVisible()); // refused: the dialog stays on the typed text
                dialog->reject();
            }));
        }
        QCOMPARE(messages_.size(), 3);
        for (const auto& [field, message] :
             {std::pair{"name", messages_[0]}, std::pair{"brand", messages_[1]},
              std::pair{"find", messages_[2]}})
            QVERIFY2(message.startsWith("invalid character|") && message.contains(field) &&
                         message.contains(QString::fromUtf8("'\u0141'")),
                     qPrintable(message));
        QCOMPARE(fixtures::readBytes(QFile::encodeName(file_).toStdString()), before);
    }

    void enterInCommentsBreaksTheLineAndElsewhereAdds() {
        open({});
        QVERIFY(inDialog(add_, "additem1", [&] {
            fillRequired("Robin");
            auto* memo = in<QPlainTextEdit>(add_, "CommentsMEMO");
            memo->setFocus();
            QTest::keyClicks(memo, "mint");
            QTest::keyClick(memo, Qt::Key_Return);
            QTest::keyClicks(memo, "boxed");
            QVERIFY(add_->isVisible());
            QTest::keyClick(in<QLineEdit>(add_, "CatNumEDT"), Qt::Key_Enter);
        }));
        QCOMPARE(stored().at(0).Comments.str(), std::string("mint\r\nboxed"));
        QVERIFY(in<QAction>(main_, "find1")->isEnabled());
    }

    void findGoesFromMatchToMatchWithoutWrapping() {
        open({"Batman", "Hangman", "Robin", "Superman"});
        auto* find = main_->findChild<TFindForm*>();
        QVERIFY(inDialog(find, "find1", [&] {
            QCOMPARE(find->pos(), main_->pos() + QPoint(100, 0));
            auto* edit = in<QLineEdit>(find, "FindEDT");
            QTest::keyClicks(edit, "MAN");
            QStringList seen;
            for (int i = 0; i < 4; ++i) {
                click(in<TJPEGImage>(find, "OkBtn"));
                seen << selected() + ":" + in<QLabel>(find, "Label1")->text();
            }
            QCOMPARE(seen, QStringList({"Batman:click the 'ok' to find next.",
                                        "Hangman:click the 'ok' to find next.",
                                        "Superman:click the 'ok' to find next.",
                                        "Superman:a match for 'MAN' was not found."}));
            QCOMPARE(in<QLabel>(main_, "FigureNameLBL")->text(), QString("Superman"));
            // The same text typed again starts over from the top.
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, "N");
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(selected(), QString("Batman"));
            find->close();
        }));
        QCOMPARE(in<QLabel>(find, "Label1")->text(), QString("enter the name to find:"));
    }

    void deleteRewritesFileListCaptionAndCommands() {
        open({"Batman", "Robin"});
        auto* del = main_->findChild<TDeleteForm*>();
        main_->SelectItem(1);
        const QByteArray before = readAll(file_);
        QVERIFY(inDialog(del, "deleteitem1", [&] { click(in<TJPEGImage>(del, "CancelJPG")); }));
        QCOMPARE(readAll(file_), before);
        for (const QString& expectedList : {QString("Batman"), QString()}) {
            sounds_.clear();
            QVERIFY(inDialog(del, "deleteitem1", [&] {
                QCOMPARE(del->question(), "are you sure you want to delete " + selected() + "?");
                click(in<TJPEGImage>(del, "DeleteJPG"));
            }));
            QCOMPARE(storedNames().join(","), expectedList);
            QCOMPARE(list()->count(), storedNames().size());
            QCOMPARE(selected(), QString());
            QCOMPARE(sounds_.names(), QStringList({kSoundClick, kSoundDelete}));
            QCOMPARE(topLevelControl<QWidget>("StatsForm")->findChild<QLabel*>("CollValueLBL")->text(),
                     expectedList.isEmpty() ? QString("$0") : QString("$12.5"));
            main_->SelectItem(0);
        }
        QCOMPARE(main_->windowTitle(), QString("Vitrinex 1.4 - Heroes:  $0"));
        QCOMPARE(in<QLabel>(main_, "TotalLBL")->text(), QString("total items:  0"));
        for (const char* command : {"edititem1", "deleteitem1", "updatecollection1", "collectionstats1",
                                    "createbackup1", "printcollection1", "find1", "exportastext1"})
            QVERIFY2(!in<QAction>(main_, command)->isEnabled(), command);
    }
};

QTEST_MAIN(TestItemDialogs)
#include "test_itemdialogs.moc"
