#include "ReportCommands.h"

#include "Json.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/Win1252.h"
#include "reports/PrintLayout.h"
#include "reports/TextExport.h"

#ifdef VITRINEX_CLI_PRINT
#include "reports/PainterPrinter.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#endif

#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>

namespace vitrinex::cli {
namespace {

struct ReportArguments {
    std::string file;
    std::map<std::string, std::string> options;
};

ReportArguments parseArguments(int argc, char** argv, std::initializer_list<const char*> allowed) {
    ReportArguments a;
    int files = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            a.file = arg;
            ++files;
            continue;
        }
        const std::string name = arg.substr(2);
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
            throw std::invalid_argument("unknown option " + arg);
        if (i + 1 >= argc) throw std::invalid_argument("option " + arg + " needs a value");
        a.options[name] = argv[++i];
    }
    if (files != 1) throw std::invalid_argument("wrong number of arguments");
    return a;
}

int commandExport(int argc, char** argv) {
    const ReportArguments a = parseArguments(argc, argv, {});
    OpenCollection c;
    c.LoadCollection(a.file);
    std::string exportFile;
    try {
        exportFile = writeTextExport(c);
    } catch (const EInOutError& e) {
        throw std::runtime_error(textExportFileName(c.CollectionFileName) + ": " + e.what());
    }
    const UserMessage message = textExportCompletedMessage(c, utf8ToWin1252(exportFile));
    json::Object out;
    out.addString("file", QFile::decodeName(exportFile.c_str()).toStdString())
        .addString("message", win1252ToUtf8(message.text));
    std::cout << out.str() << '\n';
    return 0;
}

PrintFields parseFields(const std::string& list) {
    PrintFields f;
    const std::map<QString, bool PrintFields::*> names = {
        {"year", &PrintFields::Year},         {"series", &PrintFields::Series},
        {"price", &PrintFields::Price},       {"netchange", &PrintFields::NetChange},
        {"quantity", &PrintFields::Quantity}, {"condition", &PrintFields::Condition},
        {"catnum", &PrintFields::CatNum},     {"comments", &PrintFields::Comments}};
    for (const QString& name : QString::fromStdString(list).split(u',', Qt::SkipEmptyParts)) {
        const auto it = names.find(name.trimmed().toLower());
        if (it == names.end()) throw std::invalid_argument("unknown field " + name.toStdString());
        f.*(it->second) = true;
    }
    return f;
}

int commandPrint(int argc, char** argv) {
    const ReportArguments a = parseArguments(argc, argv, {"pdf", "fields", "page"});
    const auto pdf = a.options.find("pdf");
    if (pdf == a.options.end() || pdf->second.empty()) throw std::invalid_argument("print needs --pdf OUT");
    const PrintFields fields = parseFields(a.options.count("fields") ? a.options.at("fields") : std::string());
    const std::string page = a.options.count("page") ? a.options.at("page") : "a4";
    if (page != "a4" && page != "letter") throw std::invalid_argument("--page is a4 or letter");
#ifdef VITRINEX_CLI_PRINT
    OpenCollection c;
    c.LoadCollection(a.file);
    // Fonts need a GUI application; without a display it runs on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    // A quarter inch all round: the printable area of most printers.
    const QPageLayout layout(QPageSize(page == "letter" ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
    int pages = 0;
    try {
        printToPdfFile(pdf->second, layout, 600,
                       [&](Printer& printer) { pages = printCollection(c, fields, printer); });
    } catch (const EInOutError& e) {
        throw std::runtime_error(pdf->second + ": " + e.what());
    }
    json::Object out;
    out.addString("file", QFile::decodeName(pdf->second.c_str()).toStdString()).addNumber("pages", pages);
    std::cout << out.str() << '\n';
    return 0;
#else
    (void)fields;
    throw std::runtime_error("print is not available: this vitrinex-cli was built without the windows "
                             "(VITRINEX_GUI=OFF)");
#endif
}

} // namespace

int runReportCommand(int argc, char** argv) {
    const std::string command = argv[1];
    try {
        if (command == "export") return commandExport(argc, argv);
        return commandPrint(argc, argv);
    } catch (const std::invalid_argument& e) {
        throw std::runtime_error(std::string(e.what()) + "\nusage:\n" + kReportUsage);
    }
}

} // namespace vitrinex::cli
