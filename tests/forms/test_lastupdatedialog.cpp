// The last-update prompt: the question it is given, OK confirms, Cancel does not.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/LastUpdateDialog.h"

#include "controls/PictureControl.h"

#include "WindowTestSupport.h"
#include <QLabel>
#include <QtTest>

using namespace windowtest;

class TestLastUpdateForm : public QObject {
    Q_OBJECT
private slots:
    void okConfirmsCancelDoesNot() {
        TLastUpdateForm form;
        form.setQuestion("Figures was last updated on 3/4/99. Would you like to continue?");
        QVERIFY(runModal(form, [&] {
            QCOMPARE(control<QLabel>(&form, "Label1")->text(),
                     "Figures was last updated on 3/4/99. Would you like to continue?");
            click(control<TJPEGImage>(&form, "OKJPG"));
        }));
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(runModal(form, [&] { click(control<TJPEGImage>(&form, "CancelJPG")); }));
        QCOMPARE(form.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestLastUpdateForm)
#include "test_lastupdatedialog.moc"
