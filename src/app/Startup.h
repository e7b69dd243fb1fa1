#pragma once
// The program's start: the windows are created once, in a fixed order, the main window first, and
// live until the program ends.

#include <QIcon>
#include <QString>

#include <memory>

class TMainForm;
class TSplashForm;

namespace vitrinex {

inline constexpr char kIconFileName[] = "qy.qyi";

// The application icon from "qy.qyi" in the current directory; the icon built into the program
// when that file is missing or unreadable.
QIcon loadApplicationIcon();

// True when Qt can show windows here: a platform was chosen, or an X or Wayland display is there.
bool displayAvailable();

// The program's windows: the splash window first, then the main window, which creates the dialogs
// and windows it owns. The main window starts disabled until the splash timer enables it, and closes
// the splash when it is shown. Destroying them writes the settings file (the main window does).
class ProgramWindows {
public:
    // `programFolder` as for TMainForm: empty means the running program's own places.
    explicit ProgramWindows(const QString& programFolder = {});
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    TMainForm& mainWindow() { return *main_; }
    TSplashForm& splashWindow() { return *splash_; }
    void showMainWindow();

private:
    std::unique_ptr<TSplashForm> splash_;
    std::unique_ptr<TMainForm> main_;
};

} // namespace vitrinex
