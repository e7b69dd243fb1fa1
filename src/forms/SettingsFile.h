#pragma once
// The settings file "Vitrinex.ini": one line, "1" when sounds are on, "0" when they are off,
// ended by CR LF.

#include <QString>

namespace vitrinex {

inline constexpr char kSettingsFileName[] = "Vitrinex.ini";

// `folder`'s settings file (the program's folder in real use).
QString settingsPathIn(const QString& folder);

// Reads the settings file in `folder` and answers whether sounds are on: only the first line
// counts, and only the exact text "1" turns them on. When the file is missing or cannot be
// opened or read, it is created with the line "1" and sounds are on. Never throws and shows
// nothing; a failure to create the file is ignored.
bool readSoundsSetting(const QString& folder);

// Replaces the file at `path` with the single line "1" or "0" and CR LF. The old file stays as it
// was when anything fails. Throws EInOutError.
void writeSoundsSetting(const QString& path, bool soundsOn);

} // namespace vitrinex
