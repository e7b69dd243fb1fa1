#pragma once
// The program's start: the windows are created once, in a fixed order, the main window first, and
// live until the program ends.

#include <QIcon>
#include <QString>

namespace vitrinex {

inline constexpr char kIconFileName[] = "qy.qyi";

// The application icon from "qy.qyi" in the current directory; the icon built into the program
// when that file is missing or unreadable.
QIcon loadApplicationIcon();

// True when Qt can show windows here: a platform was chosen, or an X or Wayland display is there.
bool displayAvailable();

// Creates the splash window and then every other window in start-up order; the main window starts
// disabled until the splash timer enables it.
void createWindows();

// Shows the main window (which closes the splash).
void showMainWindow();

// Destroys the windows in reverse order; destroying the main window writes the settings file.
void destroyWindows();

} // namespace vitrinex
