// Play(name) and the sound switch: what reaches the platform's sound service, and when.

#include "platform/PlatformSound.h"
#include "sound/Sound.h"

#include <QAction>
#include <QtTest>

#include <memory>
#include <stdexcept>

using vitrinex::RecordingSoundService;
using vitrinex::Sounds;

namespace {

class ThrowingSoundService final : public vitrinex::SoundService {
public:
    void playAsync(const QString&) override {
        ++calls;
        throw std::runtime_error("device lost");
    }
    int calls = 0;
};

const QStringList kAllSounds = {"v10bp.qys", "v10op.qys", "v10cs.qys", "v10ad.qys", "v10dt.qys", "v10up.qys"};

void playAll() {
    Play(vitrinex::kSoundClick);
    Play(vitrinex::kSoundOpen);
    Play(vitrinex::kSoundClose);
    Play(vitrinex::kSoundAdd);
    Play(vitrinex::kSoundDelete);
    Play(vitrinex::kSoundUpdate);
}

} // namespace

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

    // With the menu item checked every sound goes through under its file name, in order.
    void switchOnPassesNamesUnchanged() {
        QAction sounds1("sounds");
        sounds1.setCheckable(true);
        sounds1.setChecked(true);
        Sounds::bindSwitch(&sounds1);
        playAll();
        Play(QStringLiteral("some other.wav"));
        QCOMPARE(recorder_.names(), kAllSounds + QStringList{"some other.wav"});
    }

    // Unchecked, not one call reaches the service.
    void switchOffPlaysNothing() {
        QAction sounds1("sounds");
        sounds1.setCheckable(true);
        sounds1.setChecked(false);
        Sounds::bindSwitch(&sounds1);
        playAll();
        QVERIFY(recorder_.names().isEmpty());
    }

    // The switch is read at each call, so clicking the item takes effect at once.
    void togglingTheItemTakesEffectImmediately() {
        QAction sounds1("sounds");
        sounds1.setCheckable(true);
        sounds1.setChecked(true);
        Sounds::bindSwitch(&sounds1);
        Play(vitrinex::kSoundClick);
        sounds1.trigger(); // the user's click inverts the check mark
        QVERIFY(!sounds1.isChecked());
        Play(vitrinex::kSoundOpen);
        sounds1.trigger();
        Play(vitrinex::kSoundClose);
        QCOMPARE(recorder_.names(), (QStringList{"v10bp.qys", "v10cs.qys"}));
    }

    void unboundSwitchIsOnAndDestroyedSwitchIsOff() {
        Play(vitrinex::kSoundAdd);
        QCOMPARE(recorder_.names(), QStringList{"v10ad.qys"});

        auto sounds1 = std::make_unique<QAction>("sounds");
        sounds1->setCheckable(true);
        sounds1->setChecked(true);
        Sounds::bindSwitch(sounds1.get());
        QVERIFY(Sounds::switchOn());
        sounds1.reset();
        QVERIFY(!Sounds::switchOn());
        Play(vitrinex::kSoundDelete);
        QCOMPARE(recorder_.names(), QStringList{"v10ad.qys"});
    }

    void anyFunctionCanBeTheSwitch() {
        bool on = false;
        Sounds::bindSwitch([&] { return on; });
        Play(vitrinex::kSoundUpdate);
        on = true;
        Play(vitrinex::kSoundUpdate);
        QCOMPARE(recorder_.names(), QStringList{"v10up.qys"});
        Sounds::bindSwitch(std::function<bool()>());
        QVERIFY(Sounds::switchOn());
    }

    // A failing service never stops the command that played the sound.
    void serviceErrorsAreSwallowed() {
        ThrowingSoundService throwing;
        Sounds::setServiceForTesting(&throwing);
        Play(vitrinex::kSoundClick);
        Play(vitrinex::kSoundClick);
        QCOMPARE(throwing.calls, 2);
    }

    void removingTheFakeRestoresTheRealService() {
        Sounds::setServiceForTesting(nullptr);
        QVERIFY(dynamic_cast<vitrinex::QtSoundService*>(&Sounds::service()) != nullptr);
        // No sound files in the test's directory: the real service falls back quietly.
        Play(vitrinex::kSoundClick);
        QVERIFY(recorder_.names().isEmpty());
    }

private:
    RecordingSoundService recorder_;
};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
