// Play(name) and the sound switch: what reaches the platform's sound service, and when.

#include "platform/PlatformSound.h"
#include "sound/Sound.h"

#include "RecordingSoundService.h"

#include <QAction>
#include <QtTest>

#include <memory>
#include <stdexcept>

using vitrinex::RecordingSoundService;
using vitrinex::Sounds;

class TestSound : public QObject {
    Q_OBJECT

private slots:
    void init() {
        recorder_.clear();
        Sounds::setServiceForTesting(&recorder_);
        Sounds::bindSwitch(static_cast<QAction*>(nullptr));
    }
    void cleanup() {
        Sounds::setServiceForTesting(nullptr);
        Sounds::bindSwitch(static_cast<QAction*>(nullptr));
    }

    // The menu item's check mark is read at every call: names pass unchanged while it is set, and
    // not one call reaches the service while it is clear.
    void switchFollowsTheMenuItem() {
        QAction sounds1("sounds");
        sounds1.setCheckable(true);
        sounds1.setChecked(true);
        Sounds::bindSwitch(&sounds1);
        Play(vitrinex::kSoundClick);
        Play(vitrinex::kSoundOpen);
        Play(vitrinex::kSoundClose);
        sounds1.trigger(); // the user's click clears the check mark
        Play(vitrinex::kSoundAdd);
        Play(vitrinex::kSoundDelete);
        sounds1.trigger();
        Play(vitrinex::kSoundUpdate);
        Play(QStringLiteral("some other.wav"));
        QCOMPARE(recorder_.names(),
                 (QStringList{"v10bp.qys", "v10op.qys", "v10cs.qys", "v10up.qys", "some other.wav"}));
    }

    void unboundSwitchIsOnAndDestroyedSwitchIsOff() {
        Play(vitrinex::kSoundAdd);
        auto sounds1 = std::make_unique<QAction>("sounds");
        sounds1->setCheckable(true);
        sounds1->setChecked(true);
        Sounds::bindSwitch(sounds1.get());
        sounds1.reset();
        Play(vitrinex::kSoundDelete);

        bool on = false;
        Sounds::bindSwitch([&] { return on; });
        Play(vitrinex::kSoundClick);
        on = true;
        Play(vitrinex::kSoundUpdate);
        QCOMPARE(recorder_.names(), (QStringList{"v10ad.qys", "v10up.qys"}));
    }

    // A failing service never stops the command that played the sound.
    void serviceErrorsAreSwallowed() {
        struct Throwing final : vitrinex::SoundService {
            int calls = 0;
            void playAsync(const QString&) override {
                ++calls;
                throw std::runtime_error("device lost");
            }
        } throwing;
        Sounds::setServiceForTesting(&throwing);
        Play(vitrinex::kSoundClick);
        Play(vitrinex::kSoundClick);
        QCOMPARE(throwing.calls, 2);
    }

    // While the fake is removed, sounds go to the real service (which falls back quietly: no sound
    // files here) and none reaches the fake; put back, it records again.
    void removingTheFakeRestoresTheRealService() {
        Play(vitrinex::kSoundOpen);
        Sounds::setServiceForTesting(nullptr);
        QVERIFY(dynamic_cast<vitrinex::QtSoundService*>(&Sounds::service()) != nullptr);
        Play(vitrinex::kSoundClick);
        Sounds::setServiceForTesting(&recorder_);
        QCOMPARE(&Sounds::service(), &recorder_);
        Play(vitrinex::kSoundClose);
        QCOMPARE(recorder_.names(), (QStringList{"v10op.qys", "v10cs.qys"}));
    }

private:
    RecordingSoundService recorder_;
};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
