#include "app/CommandLine.h"

#include "app/ProgramManual.h"

#include "Version.h"
#include "app/Startup.h"
#include "forms/SettingsFile.h"
#include "sound/Sound.h"

#include <QDir>
#include <QFileInfo>

namespace vitrinex {

namespace {

// Qt's own options that take a value ("-platform offscreen"); QApplication reads and removes them.
bool isQtOptionWithValue(const QString& a) {
    static const QStringList names = {"-platform",      "-platformpluginpath",
                                      "-platformtheme", "-plugin",
                                      "-display",       "-geometry",
                                      "-title",         "-style",
                                      "-stylesheet",    "-session",
                                      "-name",          "-qwindowgeometry",
                                      "-qwindowtitle",  "-qwindowicon",
                                      "-qmljsdebugger"};
    return names.contains(a);
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine c;
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (optionsEnded || !a.startsWith(QLatin1Char('-'))) {
            files << a;
        } else if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            // Asking for help wins over anything else on the line.
            return CommandLine{CommandLine::Action::Help, {}, {}};
        } else if (a == QLatin1String("--manual")) {
            c.action = CommandLine::Action::Manual;
        } else if (a == QLatin1String("--version")) {
            c.action = CommandLine::Action::Version;
        } else if (a == QLatin1String("--check-install")) {
            c.action = CommandLine::Action::CheckInstall;
        } else if (a.startsWith(QLatin1String("--"))) {
            return CommandLine{CommandLine::Action::Error, {}, QStringLiteral("unknown option %1").arg(a)};
        } else if (isQtOptionWithValue(a)) {
            ++i;
        }
    }
    if (files.size() > 1)
        return CommandLine{CommandLine::Action::Error, {}, QStringLiteral("one collection file at a time")};
    if (!files.isEmpty()) c.file = files.first();
    return c;
}

QString helpText() {
    const Manual& m = programManual();
    for (const ManualSection& section : m.sections)
        if (section.title == "OPTIONS")
            return QString::fromStdString("Usage: " + m.name + " " + m.synopsis.front() + "\n" +
                                          m.description.front() + "\n\n" + itemsText(section.items));
    return {};
}

QString manualText() {
    return QString::fromStdString(manualPage(programManual(), kApplicationTitle));
}

QString versionText() {
    return QStringLiteral("%1\n").arg(QLatin1String(kApplicationTitle));
}

InstallCheck checkInstall(const QString& programPath, const FilePlaces& places) {
    InstallCheck check;
    QStringList missing;
    auto expect = [&missing](const QString& path) {
        if (!QFileInfo(path).isFile()) missing << path;
    };
    for (const char* name : {kSoundClick, kSoundOpen, kSoundClose, kSoundAdd, kSoundDelete, kSoundUpdate,
                             kIconFileName, "Help.hlp"})
        expect(places.dataPath(QString::fromLatin1(name)));
    const QString helpFile = FilePlaces::pathIn(places.helpFolder, QStringLiteral("Help.hlp"));
    expect(helpFile);

    QString& r = check.report;
    r += QStringLiteral("program: %1\n").arg(programPath);
    r += QStringLiteral("layout: %1\n")
             .arg(places.installed ? QStringLiteral("installed") : QStringLiteral("build folder"));
    r += QStringLiteral("reads: %1\n")
             .arg(places.dataFolder.isEmpty() ? QDir::currentPath() : places.dataFolder);
    r += QStringLiteral("help file: %1\n").arg(helpFile);
    r += QStringLiteral("settings file: %1\n")
             .arg(FilePlaces::pathIn(places.settingsFolder, QLatin1String(kSettingsFileName)));
    r += QStringLiteral("update file: %1\n").arg(places.updateFilePath());
    missing.removeDuplicates();
    for (const QString& m : missing)
        r += QStringLiteral("missing: %1\n").arg(m);
    check.complete = missing.isEmpty();
    r += check.complete ? QStringLiteral("all files found\n") : QStringLiteral("files are missing\n");
    return check;
}

} // namespace vitrinex
