#include "platform/FilePlaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace vitrinex {

namespace {

std::optional<FilePlaces>& current() {
    static std::optional<FilePlaces> places;
    return places;
}

QString subfolder(const QString& home) {
    // Without a home folder there is nowhere of the user's own: fall back to the current directory.
    return home.isEmpty() ? QString() : QDir(home).filePath(QLatin1String(kProgramFolderName));
}

} // namespace

QString FilePlaces::pathIn(const QString& folder, const QString& name) {
    return folder.isEmpty() ? QDir::current().absoluteFilePath(name) : QDir(folder).filePath(name);
}

QString installedDataFolder(const QString& programFolder, const QString& dataFolderFromProgram,
                            const std::function<bool(const QString&)>& folderExists) {
    if (programFolder.isEmpty() || dataFolderFromProgram.isEmpty()) return {};
    const QString folder = QDir::cleanPath(QDir(programFolder).filePath(dataFolderFromProgram));
    return folderExists(folder) ? folder : QString();
}

FilePlaces filePlacesFor(const QString& programFolder, const QString& installedData,
                         const QString& configHome, const QString& dataHome) {
    FilePlaces p;
    if (installedData.isEmpty()) {
        // The build folder: the help and settings files beside the program, everything named without a
        // folder in the current directory.
        p.helpFolder = programFolder;
        p.settingsFolder = programFolder;
        return p;
    }
    p.installed = true;
    p.dataFolder = installedData;
    p.helpFolder = installedData;
    // One settings file for the start, the end and a confirmed exit.
    p.settingsFolder = subfolder(configHome);
    p.exitSettingsFolder = p.settingsFolder;
    p.updateFolder = subfolder(dataHome);
    return p;
}

const FilePlaces& filePlaces() {
    std::optional<FilePlaces>& places = current();
    if (!places) {
        const QString programFolder =
            QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
        const QString data = installedDataFolder(programFolder, QStringLiteral(VITRINEX_DATA_FROM_PROGRAM),
                                                 [](const QString& f) { return QFileInfo(f).isDir(); });
        places = filePlacesFor(programFolder, data,
                               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                               QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    }
    return *places;
}

bool createWritableFolders(const FilePlaces& places) {
    if (!places.installed) return true;
    bool ok = true;
    for (const QString& folder : {places.settingsFolder, places.updateFolder})
        if (!folder.isEmpty()) ok = QDir().mkpath(folder) && ok;
    return ok;
}

} // namespace vitrinex
