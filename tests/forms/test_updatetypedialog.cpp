// The update-type prompt: OK acts only with a catalog chosen and tells which; Cancel tells nothing.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/UpdateTypeDialog.h"

#include "controls/PictureControl.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QRadioButton>
#include <QtTest>

using namespace windowtest;

class TestUpdateTypeForm : public QObject {
    Q_OBJECT
    vitrinex::RecordingSoundService sounds_;

private slots:
    void initTestCase() {
        vitrinex::Sounds::setServiceForTesting(&sounds_);
        vitrinex::Sounds::bindSwitch([] { return true; });
    }

    void okNeedsAChoiceAndTellsIt() {
        TUpdateTypeForm form;
        QVERIFY(runModal(form, [&] {
            click(control<TJPEGImage>(&form, "OKJPG")); // nothing chosen: stays open
            QVERIFY(form.isVisible());
            click(control<QRadioButton>(&form, "HWRB"));
            click(control<TJPEGImage>(&form, "OKJPG"));
        }));
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.ChosenType(), "HW");
        QCOMPARE(sounds_.names(), QStringList{"v10bp.qys"});

        // Shown again: nothing chosen, and Cancel tells no choice.
        QVERIFY(runModal(form, [&] {
            QVERIFY(!control<QRadioButton>(&form, "HWRB")->isChecked());
            click(control<QRadioButton>(&form, "SWRB"));
            click(control<TJPEGImage>(&form, "CancelJPG"));
        }));
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(form.ChosenType(), "");
    }
};

QTEST_MAIN(TestUpdateTypeForm)
#include "test_updatetypedialog.moc"
