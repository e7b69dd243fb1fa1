#include "ItemText.h"

#include "Json.h"
#include "collection/Win1252.h"

namespace vitrinex::cli {

std::string itemJson(const TFigureRecord& r) {
    json::Object o;
    o.addString("FigureName", win1252ToUtf8(r.FigureName.view()))
        .addString("UpdateMark", win1252ToUtf8(r.UpdateMark.view()))
        .addString("Year", win1252ToUtf8(r.Year.view()))
        .addString("Series", win1252ToUtf8(r.Series.view()))
        .addString("Price", win1252ToUtf8(r.Price.view()))
        .addString("NetChange", win1252ToUtf8(r.NetChange.view()))
        .addNumber("Quantity", r.Quantity)
        .addString("CatNum", win1252ToUtf8(r.CatNum.view()))
        .addString("Condition", win1252ToUtf8(r.Condition.view()))
        .addString("Comments", win1252ToUtf8(r.Comments.view()));
    return o.compact();
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
