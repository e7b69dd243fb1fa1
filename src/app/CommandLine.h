#pragma once
// The program's command line: `vitrinex [FILE]`, `--help`, `--version`, `--manual` and `--check-install`,
// which answer on standard output without a display.

#include "platform/FilePlaces.h"

#include <QString>
#include <QStringList>

namespace vitrinex {

struct CommandLine {
    enum class Action { Run, Help, Version, Manual, CheckInstall, Error };
    Action action = Action::Run;
    QString file;  // the collection to open; empty when none was given
    QString error; // for Action::Error, one line
};

// Reads the arguments after the program's name. Options of our own start with "--" (and "-h");
// other single-dash arguments are left to Qt; "--" ends the options.
CommandLine parseCommandLine(const QStringList& arguments);

QString helpText();
// The manual page vitrinex(1), in roff.
QString manualText();
QString versionText();

struct InstallCheck {
    QString report;        // lines of "what: where"
    bool complete = false; // every file the program ships with was found
};

// Where a program at `programPath` with these places reads and writes, and whether the files it
// ships with are there.
InstallCheck checkInstall(const QString& programPath, const FilePlaces& places);

} // namespace vitrinex
