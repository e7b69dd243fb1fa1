#include "ItemText.h"

#include "Json.h"

namespace vitrinex::cli {

std::string itemJson(const TFigureRecord& r) {
    std::string out;
    appendItemJson(out, r);
    return out;
}

void appendItemJson(std::string& out, const TFigureRecord& r) {
    json::Object o;
    o.addWin1252("FigureName", r.FigureName.view())
        .addWin1252("UpdateMark", r.UpdateMark.view())
        .addWin1252("Year", r.Year.view())
        .addWin1252("Series", r.Series.view())
        .addWin1252("Price", r.Price.view())
        .addWin1252("NetChange", r.NetChange.view())
        .addNumber("Quantity", r.Quantity)
        .addWin1252("CatNum", r.CatNum.view())
        .addWin1252("Condition", r.Condition.view())
        .addWin1252("Comments", r.Comments.view());
    o.appendCompact(out);
}

std::string commentText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n') {
            out += "\r\n";
        } else if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace vitrinex::cli
