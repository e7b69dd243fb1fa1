// The update-type prompt: OK acts only with a catalog chosen and tells which; Cancel tells nothing.
#define QTEST_QPA_MOUSE_HANDLING

#include "forms/UpdateTypeDialog.h"

#include "controls/PictureControl.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"
#include "WindowTestSupport.h"
#include <QRadioButton>
#include <QtTest>

#include <cmath>

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

    // Every choice reads at least 4.5:1 on the black background, taken or not (the WCAG contrast of
    // relative luminances).
    void choicesHaveReadableContrast() {
        const auto luminance = [](const QColor& c) {
            const auto channel = [](double v) {
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
        };
        TUpdateTypeForm form;
        form.show();
        auto* taken = control<QRadioButton>(&form, "SWRB");
        click(taken);
        for (QRadioButton* choice : {taken, control<QRadioButton>(&form, "HWRB")}) {
            const double contrast = (luminance(choice->palette().color(QPalette::WindowText)) + 0.05) / 0.05;
            QVERIFY2(contrast >= 4.5,
                     qPrintable(QString("%1: %2:1").arg(choice->objectName()).arg(contrast)));
        }
    }
};

QTEST_MAIN(TestUpdateTypeForm)
#include "test_updatetypedialog.moc"
