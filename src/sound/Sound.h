#pragma once
// The program's sounds: Play(name) plays one of the sound files beside the program while the
// user's sound switch (the main window's "sounds" menu item) is on.

#include <QString>

#include <functional>

class QAction;

namespace vitrinex {

class SoundService;

// The six sound files, named relative to the current directory.
inline constexpr char kSoundClick[] = "v10bp.qys";  // a command started
inline constexpr char kSoundOpen[] = "v10op.qys";   // a collection opened or created
inline constexpr char kSoundClose[] = "v10cs.qys";  // the collection closed
inline constexpr char kSoundAdd[] = "v10ad.qys";    // an item added or saved
inline constexpr char kSoundDelete[] = "v10dt.qys"; // an item deleted; an update failed
inline constexpr char kSoundUpdate[] = "v10up.qys"; // connected to the update host

class Sounds {
public:
    // The switch is the checked state of `sounds1`. Until a switch is bound, sounds are on (the
    // menu item starts checked); once the bound item is destroyed, they are off.
    static void bindSwitch(QAction* sounds1);
    // Any other source of the switch; an empty function unbinds it.
    static void bindSwitch(std::function<bool()> isOn);
    static bool switchOn();

    // Replaces the platform's sound service; nullptr restores the real one.
    // Global because every window plays through Play(name), which has no owner to be given a service.
    static void setServiceForTesting(SoundService* service);
    static SoundService& service();
};

} // namespace vitrinex

// Plays `name` asynchronously when the sound switch is on. Never throws, never waits.
void Play(const QString& name);
