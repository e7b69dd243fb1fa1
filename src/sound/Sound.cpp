#include "sound/Sound.h"

#include "platform/PlatformSound.h"

#include <QAction>
#include <QPointer>

namespace vitrinex {

namespace {

std::function<bool()>& switchSource() {
    static std::function<bool()> source;
    return source;
}

SoundService*& serviceOverride() {
    static SoundService* service = nullptr;
    return service;
}

} // namespace

void Sounds::bindSwitch(QAction* sounds1) {
    if (!sounds1) {
        switchSource() = nullptr;
        return;
    }
    switchSource() = [item = QPointer<QAction>(sounds1)] { return item && item->isChecked(); };
}

void Sounds::bindSwitch(std::function<bool()> isOn) {
    switchSource() = std::move(isOn);
}

bool Sounds::switchOn() {
    const auto& source = switchSource();
    return !source || source();
}

void Sounds::setServiceForTesting(SoundService* service) {
    serviceOverride() = service;
}

SoundService& Sounds::service() {
    if (SoundService* s = serviceOverride()) return *s;
    // Never destroyed: its player belongs to the application object and goes with it.
    static QtSoundService* real = new QtSoundService;
    return *real;
}

} // namespace vitrinex

void Play(const QString& name) {
    using vitrinex::Sounds;
    try {
        if (!Sounds::switchOn()) return;
        Sounds::service().playAsync(name);
    } catch (...) {
        // A sound never stops a command.
    }
}
