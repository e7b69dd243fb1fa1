// The print window on its own, and the print and export commands of the main window, driven through
// mouse events; the system's print dialog answers through its seam with a PDF file.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/PrintDialog.h"
#include "forms/SkinnedWindow.h"

#include "CollectionFixtures.h"
#include "controls/PictureControl.h"
#include "forms/ErrorReport.h"
#include "forms/MainWindow.h"
#include "forms/MessageDialog.h"
#include "platform/FileDialogs.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace windowtest;

class TestPrintForm : public QObject {
    Q_OBJECT

    static QColor captionColour(const QCheckBox* box) { return box->palette().color(QPalette::WindowText); }

    // A main window with a collection of three items opened through its Open button, "Beta" selected.
    std::unique_ptr<TMainForm> openMainWindow() {
        const QString file = dir_.filePath("heroes.fcd");
        vitrinex::OpenCollection c;
        c.CreateCollection(QFile::encodeName(file).toStdString(), "Heroes", "Kenner", "1985");
        for (const char* name : {"Gamma", "Alpha", "Beta"})
            c.InsertNewItem(fixtures::item(name));
        c.SaveCollection();
        auto main = std::make_unique<TMainForm>(nullptr, dir_.path());
        main->show();
        vitrinex::FileDialogs::setAnswerForTesting(
            [file](const vitrinex::FileDialogRequest&) { return file; });
        click(control<TJPEGImage>(main.get(), "OpenJPG"));
        auto* list = control<TItemListBox>(main.get(), "ListBox2");
        click(list->viewport(), Qt::LeftButton, list->rowRect(1).center());
        sounds_.clear();
        return main;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        vitrinex::Sounds::setServiceForTesting(&sounds_);
        vitrinex::setShownMessagesForTesting(
            {[this](const QString& t, const QString& x) { messages_ << t + "|" + x; },
             [this](const QString& m) { errors_ << m; }});
    }

    void checkBoxesChangeColourAndStayTicked() {
        TPrintForm form;
        int dialogs = 0;
        form.setSystemPrintDialog([&dialogs](QPrinter&, QWidget*) { return ++dialogs, false; });
        auto* year = control<QCheckBox>(&form, "YearCB");
        auto* price = control<QCheckBox>(&form, "PriceCB");
        QVERIFY(runModal(form, [&] {
            QCOMPARE(captionColour(year), vitrinex::kSkinGreen);
            click(year);
            click(price);
            click(price);
            click(price);
            QCOMPARE(captionColour(year), vitrinex::kSkinWhite);
            click(control<TJPEGImage>(&form, "CancelJPG"));
        }));
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(dialogs, 0);
        QVERIFY(runModal(form, [&] {
            QVERIFY(year->isChecked() && price->isChecked());
            click(year);
            QCOMPARE(captionColour(year), vitrinex::kSkinGreen);
            QCOMPARE(captionColour(control<QCheckBox>(&form, "SeriesCB")), vitrinex::kSkinGreen);
            click(control<TJPEGImage>(&form, "PrintJPG"));
        }));
        QCOMPARE(dialogs, 1);
        QCOMPARE(form.result(), int(QDialog::Rejected)); // the print dialog was cancelled
        const vitrinex::PrintFields f = form.Fields();
        QVERIFY(f.Price && !f.Year && !f.Series && !f.NetChange && !f.Quantity && !f.Condition && !f.CatNum &&
                !f.Comments);
    }

    void printButtonPrintsTheTickedFieldsAndKeepsTheShownItem() {
        auto main = openMainWindow();
        const QString pdf = dir_.filePath("list.pdf");
        int copies = 0;
        auto* form = control<TPrintForm>(main.get(), "PrintForm");
        form->setSystemPrintDialog([&](QPrinter& printer, QWidget*) {
            copies = printer.copyCount();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        QTimer poll; // acts once the print window is on screen
        connect(&poll, &QTimer::timeout, form, [form, &poll] {
            if (!form->isVisible()) return;
            poll.stop();
            click(control<QCheckBox>(form, "CatNumCB"));
            click(control<TJPEGImage>(form, "PrintJPG"));
        });
        poll.start(10);
        click(control<TJPEGImage>(main.get(), "PrintJPG"));
        QVERIFY(!form->isVisible());
        QCOMPARE(copies, 1);
        QCOMPARE(sounds_.names(), QStringList({"v10bp.qys"}));
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        QVERIFY2(
            QRegularExpression("1\\.\\) Alpha catalog #: CAT-5 2\\.\\) Beta catalog #: CAT-4 3\\.\\) Gamma")
                .match(page)
                .hasMatch(),
            qPrintable(page));
        QCOMPARE(control<QLabel>(main.get(), "FigureNameLBL")->text(), QString("Beta"));
        QCOMPARE(errors_, QStringList());
    }

    // The progress window shows itself once a job takes a while; the callback answers true until its
    // Cancel button is pressed or stop() is called.
    void progressWindowStopsTheJobAtCancel() {
        QWidget parent;
        parent.show();
        TPrintProgressForm progress(&parent);
        const vitrinex::PrintProgress report = progress.callback();
        auto* dialog = parent.findChild<QProgressDialog*>("PrintProgressForm");
        QTRY_VERIFY(report(1, 10) && dialog->isVisible());
        click(dialog->findChild<QPushButton*>());
        QVERIFY(!report(2, 10));
        TPrintProgressForm stopped(&parent);
        stopped.stop();
        QVERIFY(!stopped.callback()(0, 1));
    }

    void exportFromTheMenuTellsTheFileOrTheError() {
        auto main = openMainWindow();
        auto* menu = control<QMenu>(main.get(), "PopupMenu1");
        auto* tools = control<QMenu>(main.get(), "tools1");
        auto chooseExport = [&] {
            click(control<TJPEGImage>(main.get(), "MainJPG"), Qt::RightButton, QPoint(250, 150));
            QTRY_VERIFY(menu->isVisible());
            click(menu, Qt::LeftButton, menu->actionGeometry(tools->menuAction()).center());
            QTRY_VERIFY(tools->isVisible());
            click(tools, Qt::LeftButton,
                  tools->actionGeometry(control<QAction>(main.get(), "exportastext1")).center());
            QTRY_VERIFY(!menu->isVisible());
        };
        chooseExport();
        QCOMPARE(messages_, QStringList({"export as text completed|Heroes has been exported as a text file. "
                                         "the file is named heroes.txt."}));
        QCOMPARE(sounds_.names(), QStringList({"v10bp.qys"}));
        QVERIFY(readAll(dir_.filePath("heroes.txt"))
                    .startsWith("Vitrinex 1.4\r\n\r\nHeroes   Kenner   1985\r\n"));

        messages_.clear();
        QVERIFY(QFile::remove(dir_.filePath("heroes.txt")) && QDir(dir_.path()).mkdir("heroes.txt"));
        chooseExport();
        QCOMPARE(errors_, QStringList({"File access denied"}));
        QCOMPARE(messages_, QStringList());
        errors_.clear();
    }

private:
    QTemporaryDir dir_;
    vitrinex::RecordingSoundService sounds_;
    QStringList messages_, errors_;
};

QTEST_MAIN(TestPrintForm)
#include "test_printdialog.moc"
