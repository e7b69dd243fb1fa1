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

// The zoom of every window in percent. kZoomFollowsScreen leaves the scale to the screen's pixel
// density as the desktop reports it to Qt.
inline constexpr int kZoomFollowsScreen = 0;
inline constexpr int kZoomLevels[] = {100, 150, 200};

// "$XDG_CONFIG_HOME/vitrinex/zoom": one line, "100", "150" or "200", or "screen".
QString zoomSettingPath();
// The zoom kept at `path`; kZoomFollowsScreen when the file is missing, not the user's own regular
// file, or holds anything but one of the zoom levels.
int readZoomSetting(const QString& path);
// Replaces the file at `path` (its folder made private when new). Throws EInOutError.
void writeZoomSetting(const QString& path, int zoom);
// Before the application is made: a zoom level becomes Qt's one scale factor for every window and
// screen (the platform's own factor switched off), so the windows, their fonts and the choice of the
// skin's 2x pictures all follow it; kZoomFollowsScreen leaves Qt's environment as it is.
void applyZoomBeforeStart(int zoom);

} // namespace vitrinex
