#include "ReportCommands.h"

#include "CommandLine.h"
#include "CommandSession.h"
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

int commandExport(const CommandLine& a) {
    const CommandSession session(a.arg(0));
    const OpenCollection& c = session.collection();
    std::string exportFile;
    try {
        exportFile = writeTextExport(c);
    } catch (const EInOutError& e) {
        throw std::runtime_error(textExportFileName(c.fileName()) + ": " + e.what());
    }
    const UserMessage message = textExportCompletedMessage(c, utf8ToWin1252(exportFile));
    json::Object out;
    out.addString("file", QFile::decodeName(exportFile.c_str()).toStdString())
        .addString("message", win1252ToUtf8(message.text));
    std::cout << out.str() << '\n';
    return 0;
}

namespace {

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

} // namespace

int commandPrint(const CommandLine& a) {
    const std::string pdf = a.value("pdf", "");
    if (pdf.empty()) throw UsageError("print needs --pdf OUT");
    const PrintFields fields = parseFields(a.value("fields", ""));
    const std::string page = a.value("page", "a4");
    if (page != "a4" && page != "letter") throw UsageError("--page is a4 or letter");
#ifdef VITRINEX_CLI_PRINT
    const CommandSession session(a.arg(0));
    const OpenCollection& c = session.collection();
    // Fonts need a GUI application; without a display it runs on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, a.argv());
    // A quarter inch all round: the printable area of most printers.
    const QPageLayout layout(QPageSize(page == "letter" ? QPageSize::Letter : QPageSize::A4),
                             QPageLayout::Portrait, QMarginsF(6.35, 6.35, 6.35, 6.35),
                             QPageLayout::Millimeter);
    int pages = 0;
    try {
        printToPdfFile(pdf, copyRulesFor(a.arg(0)), layout, 600,
                       [&](Printer& printer) { pages = printCollection(c, fields, printer); });
    } catch (const EInOutError& e) {
        throw std::runtime_error(pdf + ": " + e.what());
    }
    json::Object out;
    out.addString("file", QFile::decodeName(pdf.c_str()).toStdString()).addNumber("pages", pages);
    std::cout << out.str() << '\n';
    return 0;
#else
    (void)fields;
    throw std::runtime_error("print is not available: this vitrinex-cli was built without the windows "
                             "(VITRINEX_GUI=OFF)");
#endif
}

} // namespace vitrinex::cli
