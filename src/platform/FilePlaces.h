#pragma once
// Where the program finds the files it ships with (sounds, icon, help file) and where it writes its
// own (settings file, update.dat): beside the program when it runs from its build folder, or the
// installed data folder and the user's XDG folders when it runs installed.

#include <QString>

#include <functional>

namespace vitrinex {

// The folder names below share/ and the user's XDG config and data folders.
inline constexpr char kProgramFolderName[] = "vitrinex";

struct FilePlaces {
    bool installed = false;
    // Sounds, icon and help file named without a folder. Empty: the current directory.
    QString dataFolder;
    // The help file that the Help button shows.
    QString helpFolder;
    // The settings file read at start and written when the main window goes.
    QString settingsFolder;
    // The settings file written by a confirmed exit. Empty: the current directory.
    QString exitSettingsFolder;
    // update.dat. Empty: the current directory.
    QString updateFolder;

    // `name` in `folder`, or in the current directory (at the time of the call) when `folder` is empty.
    static QString pathIn(const QString& folder, const QString& name);
    QString dataPath(const QString& name) const { return pathIn(dataFolder, name); }
    QString updateFilePath() const { return pathIn(updateFolder, QStringLiteral("update.dat")); }
};

// The installed data folder for a program in `programFolder` (…/bin), that is
// `programFolder`/`dataFolderFromProgram` (normally ../share/vitrinex) when that folder exists;
// empty when it does not, as in a build folder. Only the question whether a folder exists is put
// to the file system, through `folderExists`.
QString installedDataFolder(const QString& programFolder, const QString& dataFolderFromProgram,
                            const std::function<bool(const QString&)>& folderExists);

// The rule. From its build folder (no installed data folder) the program keeps everything beside
// itself and in the current directory. Installed, it reads from the installed data folder and writes
// the settings file under `configHome`/vitrinex and update.dat under `dataHome`/vitrinex.
FilePlaces filePlacesFor(const QString& programFolder, const QString& installedData,
                         const QString& configHome, const QString& dataHome);

// The running program's places, decided on first use from its own folder and QStandardPaths.
const FilePlaces& filePlaces();

// Creates the folders an installed program writes into; false when one cannot be made.
bool createWritableFolders(const FilePlaces& places);

} // namespace vitrinex
