#include "reports/TextExport.h"

#include "Version.h"
#include "collection/SafeFile.h"
#include "reports/ReportText.h"

namespace vitrinex {
namespace {

constexpr std::size_t kCommentWidth = 50;
constexpr char kEnd[] = "\r\n";

void appendComment(std::string& out, std::string_view comment) {
    bool first = true;
    for (const std::string& line : commentLines(comment, kCommentWidth, true)) {
        out += first ? "     Comments:  " : std::string(16, ' ');
        out += line;
        out += kEnd;
        first = false;
    }
}

} // namespace

std::string textExportFileName(std::string_view collectionFileName) {
    return besideCollectionFile(collectionFileName, "txt");
}

std::string textExportContent(const OpenCollection& c, const Progress& progress) {
    std::string out;
    out += std::string(kApplicationTitle) + kEnd;
    out += kEnd;
    out += c.header().CollectionName + "   " + c.header().Brand + "   " + c.header().CollectionYear + kEnd;
    out += kEnd;
    const std::vector<const TFigureRecord*> items = liveItemsInKeyOrder(c);
    for (const TFigureRecord* item : items) {
        goOn(progress, &item - items.data(), static_cast<std::int64_t>(items.size()));
        const auto line = [&out](std::string_view label, std::string_view text) {
            out.append(label).append(text).append(kEnd);
        };
        line(item->FigureName.view(), "(" + std::to_string(item->Quantity) + ")");
        line("     Price:  ", withoutBlanks(item->Price.view()));
        line("     Net Change:  ", withoutBlanks(item->NetChange.view()));
        line("     Year:  ", item->Year.view());
        if (!item->Series.empty()) line("     Series:  ", item->Series.view());
        line("     Condition:  ", item->Condition.view());
        if (!item->CatNum.empty()) line("     Catalog #:  ", item->CatNum.view());
        if (!item->Comments.empty()) appendComment(out, item->Comments.view());
        out += kEnd;
    }
    return out;
}

UserMessage textExportCompletedMessage(const OpenCollection& c, std::string_view exportFileName) {
    const std::size_t slash = exportFileName.rfind('/');
    const std::string_view shortName =
        slash == std::string_view::npos ? exportFileName : exportFileName.substr(slash + 1);
    return {"export as text completed", c.header().CollectionName +
                                            " has been exported as a text file. the file is named " +
                                            std::string(shortName) + "."};
}

std::string writeTextExport(const OpenCollection& c, const Progress& progress) {
    std::string fileName = textExportFileName(c.fileName());
    const std::string content = textExportContent(c, progressPart(progress, 0, 700));
    writeCopyFile(fileName, copyRulesFor(c.fileName()), [&](const ByteSink& sink) {
        sinkInPieces(sink, content, progressPart(progress, 700, 1000));
    });
    return fileName;
}

} // namespace vitrinex
