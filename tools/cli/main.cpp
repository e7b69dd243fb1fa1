// vitrinex-cli: the collection store from the command line, for collectors who keep many files and
// for scripts. Prints JSON (UTF-8) on standard output; an error is one line on standard error and
// exit status 1.

#include "CommandLine.h"
#include "CommandSession.h"
#include "DataCommands.h"
#include "HistoryCommands.h"
#include "ItemCommands.h"
#include "ItemText.h"
#include "Json.h"
#include "Manual.h"
#include "PhotoCommands.h"
#include "PriceCommands.h"
#include "RepairCommands.h"
#include "ReportCommands.h"
#include "ScanCommand.h"
#include "StatisticsJson.h"
#include "UndoCommands.h"
#include "UpdateCommand.h"
#include "Version.h"
#include "collection/CollectionFile.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/Win1252.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace vitrinex;
using namespace vitrinex::cli;

namespace {

// Options take their value as the next argument or after "=" (--name=Batman); "--" ends the options.
const char* const kUsageNotes =
    "options: --name VALUE or --name=VALUE; -- ends the options; --help, --version, --manual\n";

// Header texts have the capacity of the record's long texts.
constexpr std::size_t kHeaderTextCapacity = 255;

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

int commandNew(const CommandLine& a) {
    std::map<std::string, std::string> texts;
    for (const char* o : {"name", "brand", "year"}) {
        texts[o] = collectionText(std::string("--") + o, a.value(o, ""), kHeaderTextCapacity);
        if (texts[o].empty()) throw UsageError(std::string("new needs --") + o);
    }
    // A new collection never replaces a file that is already there.
    if (fileExists(a.arg(0))) throw std::runtime_error(a.arg(0) + " already exists");
    CommandSession().createPath(a.arg(0), texts["name"], texts["brand"], texts["year"]);
    return 0;
}

int commandShow(const CommandLine& a) {
    if (recoverInterruptedSave(a.arg(0))) tellRecoveredSave(a.arg(0));
    TCollectionHeader header;
    json::Array items(2);
    // A torn last record is no item; the whole ones before it are shown.
    const std::string& file = a.arg(0);
    readCollectionFile(
        file, header, [&items](const TFigureRecord& r) { appendItemJson(items.next(), r); }, nullptr,
        [&file](const TFigureRecord&, std::size_t bytes) {
            std::cerr << "vitrinex-cli: " << oneLine(file) << ": the file ends " << bytes
                      << " bytes into a last record, which is left out\n";
        });
    json::Object h;
    h.addWin1252("CollectionName", header.CollectionName.view())
        .addWin1252("LastUpdate", header.LastUpdate.view())
        .addWin1252("UpdateType", header.UpdateType.view())
        .addWin1252("Brand", header.Brand.view())
        .addWin1252("CollectionYear", header.CollectionYear.view());
    json::Object out;
    out.add("header", h.str(2)).add("items", items.str());
    std::cout << out.str() << '\n';
    return 0;
}

int commandStats(const CommandLine& a) {
    const CommandSession session(a.arg(0));
    std::cout << statisticsJson(session.collection()).str() << '\n';
    return 0;
}

int commandDelete(const CommandLine& a) {
    const std::string name = collectionText("NAME", a.arg(1), kHeaderTextCapacity);
    CommandSession session(a.arg(0));
    if (!session.deleteItem(name)) throw std::runtime_error("a match for '" + a.arg(1) + "' was not found.");
    return 0;
}

struct Command {
    CommandSyntax syntax;
    std::function<int(const CommandLine&)> run;
};

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"new", {{{"FILE"}, {"name", "brand", "year"}}, commandNew}},
        {"show", {{{"FILE"}, {}}, commandShow}},
        {"stats", {{{"FILE"}, {}}, commandStats}},
        {"add", {{{"FILE"}, kItemFieldOptions, {"as-typed"}}, commandAdd}},
        {"delete", {{{"FILE", "NAME"}, {}}, commandDelete}},
        {"edit", {{{"FILE", "NAME"}, kItemFieldOptions, {"as-typed"}}, commandEdit}},
        {"find", {{{"FILE", "TEXT"}, {"from"}}, commandFind}},
        {"scan", {{{"STREAM"}, {"out"}}, commandScan}},
        {"update", {{{"FILE"}, {"type"}}, commandUpdate}},
        {"export", {{{"FILE"}, {}}, commandExport}},
        {"print", {{{"FILE"}, {"pdf", "fields", "page"}}, commandPrint}},
        {"backup", {{{"FILE"}, {}}, commandBackup}},
        {"apply", {{{"FILE", "UPDATEDAT"}, {}}, commandApply}},
        {"check", {{{"FILE"}, {}}, commandCheck}},
        {"repair", {{{"FILE"}, {}}, commandRepair}},
        {"export-csv", {{{"FILE"}, {"out", "photos"}}, commandExportCsv}},
        {"import-csv", {{{"FILE", "IN"}, {"existing"}}, commandImportCsv}},
        {"backups", {{{"FILE"}, {}}, commandBackups}},
        {"restore", {{{"FILE", "BACKUP"}, {}}, commandRestore}},
        {"history", {{{"FILE"}, {}}, commandHistory}},
        {"photos", {{{"FILE", "ITEM"}, {}}, commandPhotos}},
        {"deleted", {{{"FILE"}, {}}, commandDeleted}},
        {"undelete", {{{"FILE", "NAME"}, {}}, commandUndelete}},
        {"price-history", {{{"FILE", "ITEM"}, {}}, commandPriceHistory}},
        {"photo-add", {{{"FILE", "ITEM", "IMAGE..."}, {}}, commandPhotoAdd}},
        {"photo-remove", {{{"FILE", "ITEM", "N"}, {}}, commandPhotoRemove}},
        {"photo-cover", {{{"FILE", "ITEM", "N"}, {}}, commandPhotoCover}},
        {"undo", {{{"FILE"}, {}}, commandUndo}},
        {"redo", {{{"FILE"}, {}}, commandRedo}},
        {"changes", {{{"FILE"}, {}}, commandChanges}},
    };
    return table;
}

// The usage lines come from the manual, which must name every command there is.
std::string usage() {
    for (const auto& entry : commands()) {
        const std::string& name = entry.first;
        if (std::none_of(cliManual().synopsis.begin(), cliManual().synopsis.end(),
                         [&name](const std::string& line) { return line.rfind(name + ' ', 0) == 0; }))
            throw std::logic_error("the manual names no command " + name);
    }
    return usageText(cliManual(), "usage:\n");
}

int printHelp() {
    std::cout << usage() << kUsageNotes;
    return 0;
}

int printManual() {
    usage();
    std::cout << manualPage(cliManual(), std::string("vitrinex-cli ") + kVersion);
    return 0;
}

int printVersion() {
    std::cout << "vitrinex-cli " << kVersion << '\n';
    return 0;
}

int run(int argc, char** argv) {
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") return printHelp();
    if (command == "--version") return printVersion();
    if (command == "--manual") return printManual();
    const auto it = commands().find(command);
    if (it == commands().end()) throw UsageError("unknown command " + command);
    const CommandLine arguments(argc, argv, it->second.syntax);
    if (arguments.helpRequested()) return printHelp();
    if (arguments.versionRequested()) return printVersion();
    return it->second.run(arguments);
}

} // namespace

// Qt's own notes (a missing runtime folder, a font substitution) are no business of a script: the
// command line says nothing on standard error unless a command fails, and then in its own words.
static void keepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "vitrinex-cli: " << message.toStdString() << '\n';
}

int main(int argc, char** argv) {
    vitrinex::ignoreFileSizeSignal(); // any file written beyond a size limit fails with "Disk full"
    qInstallMessageHandler(keepQtQuiet);
    if (argc < 2) {
        std::cerr << usage();
        return 1;
    }
    try {
        const int status = run(argc, argv);
        // What was printed must have reached standard output (a full disk, a closed pipe).
        if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout)
            throw std::runtime_error("standard output: " + std::string(EInOutError::fromErrno(errno).what()));
        return status;
    } catch (const EInOutError& e) {
        const std::string file = reportedFile().empty() ? "" : oneLine(reportedFile()) + ": ";
        std::cerr << "vitrinex-cli: " << file << oneLine(e.what()) << '\n';
    } catch (const UsageError& e) {
        std::cerr << "vitrinex-cli: " << oneLine(e.what()) << "\n" << usage();
    } catch (const std::exception& e) {
        std::cerr << "vitrinex-cli: " << oneLine(e.what()) << '\n';
    }
    return 1;
}
