#pragma once
// A sound service for tests: it remembers every requested name, in order, and plays nothing.

#include "platform/PlatformSound.h"

#include <QStringList>

namespace vitrinex {

class RecordingSoundService final : public SoundService {
public:
    void playAsync(const QString& name) override { names_.append(name); }
    const QStringList& names() const { return names_; }
    void clear() { names_.clear(); }

private:
    QStringList names_;
};

} // namespace vitrinex
