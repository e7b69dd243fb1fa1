#pragma once
// Playing short sounds by file name, without ever holding up or failing the command that asked.

#include <QPointer>
#include <QString>

#include <functional>

class QSoundEffect;

namespace vitrinex {

class SoundService {
public:
    virtual ~SoundService() = default;
    // Starts playing `name` and returns at once. Never throws.
    virtual void playAsync(const QString& name) = 0;
};

// Plays WAV files through one reusable QSoundEffect. A relative name is taken from the current
// directory. A new sound cuts off the one still playing. A name that is no playable file gives
// the platform beep instead; every error is swallowed.
class QtSoundService final : public SoundService {
public:
    using Beep = std::function<void()>;
    // `beep` replaces the platform beep (tests count the fallbacks with it).
    explicit QtSoundService(Beep beep = {});
    ~QtSoundService() override;
    QtSoundService(const QtSoundService&) = delete;
    QtSoundService& operator=(const QtSoundService&) = delete;

    void playAsync(const QString& name) override;

    // Absolute path of the sound last handed to the player; empty when the last request fell back.
    QString currentFile() const { return currentFile_; }

    // True when `path` is a regular file whose WAV header the player can decode.
    static bool isPlayableWave(const QString& path);

private:
    QSoundEffect* effect();
    void fallBack();

    Beep beep_;
    QPointer<QSoundEffect> effect_;
    QString currentFile_;
};

} // namespace vitrinex
