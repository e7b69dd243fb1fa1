#include "DataCommands.h"

#include "CommandLine.h"
#include "CommandSession.h"
#include "Json.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/ValueHistory.h"
#include "photos/PhotoExport.h"
#include "reports/BackupGenerations.h"
#include "reports/CsvFormat.h"

#include <QFile>

#include <iostream>
#include <stdexcept>
#include <string>

namespace vitrinex::cli {
namespace {

// Paths are printed as the system names them (UTF-8 here).
std::string shownPath(const std::string& path) {
    return QFile::decodeName(path.c_str()).toStdString();
}

} // namespace

int commandExportCsv(const CommandLine& a) {
    const CommandSession session(a.arg(0));
    const OpenCollection& c = session.collection();
    const std::string out = a.value("out", csvExportFileName(c.fileName()));
    std::size_t rows = 0;
    try {
        const auto photos = a.value("photos");
        rows = writeCsvExport(c, out, {}, photos ? exportPhotos(c, out, *photos) : CsvPhotoColumn());
    } catch (const EInOutError& e) {
        throw std::runtime_error(out + ": " + e.what());
    }
    json::Object o;
    o.addString("file", shownPath(out)).addNumber("items", static_cast<long long>(rows));
    std::cout << o.str() << '\n';
    return 0;
}

int commandImportCsv(const CommandLine& a) {
    ExistingRows existing = ExistingRows::Refuse;
    if (const auto option = a.value("existing")) {
        if (*option == "skip")
            existing = ExistingRows::Skip;
        else if (*option == "update")
            existing = ExistingRows::Update;
        else
            throw UsageError("--existing must be skip or update, not '" + *option + "'");
    }
    CsvImport imported;
    try {
        CommandSession session(a.arg(0));
        imported = session.importCsv(a.arg(1), existing);
    } catch (const ECsvRefused& e) {
        for (const std::string& reason : e.reasons())
            std::cerr << reason << '\n';
        return 1;
    }
    json::Object o;
    o.addString("file", shownPath(a.arg(0)))
        .addNumber("added", static_cast<long long>(imported.added))
        .addNumber("items", imported.items)
        .addNumber("skipped", static_cast<long long>(imported.skipped))
        .addNumber("updated", static_cast<long long>(imported.updated));
    std::cout << o.str() << '\n';
    return 0;
}

int commandBackups(const CommandLine& a) {
    std::vector<std::string> rows;
    for (const Generation& g : listGenerations(a.arg(0))) {
        json::Object o;
        o.addString("file", shownPath(g.path)).addString("time", g.time).addNumber("items", g.items);
        rows.push_back(o.compact());
    }
    json::Object out;
    out.add("backups", json::array(rows, 2));
    std::cout << out.str() << '\n';
    return 0;
}

int commandRestore(const CommandLine& a) {
    const RestoreResult restored = CommandSession().restore(a.arg(0), a.arg(1));
    json::Object out;
    out.addString("file", shownPath(a.arg(0))).addNumber("items", restored.items);
    std::cout << out.str() << '\n';
    return 0;
}

int commandHistory(const CommandLine& a) {
    std::vector<std::string> rows;
    for (const ValuePoint& p : readValueHistory(a.arg(0))) {
        json::Object o;
        o.addString("time", p.time)
            .addString("value", p.value)
            .addNumber("items", p.items)
            .addNumber("updated", p.updated);
        rows.push_back(o.compact());
    }
    json::Object out;
    out.add("points", json::array(rows, 2));
    std::cout << out.str() << '\n';
    return 0;
}

} // namespace vitrinex::cli
