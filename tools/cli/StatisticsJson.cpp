#include "StatisticsJson.h"

#include <string>

namespace vitrinex::cli {
namespace {

// The entries' texts go straight into the object's buffer, quoted piece by piece.
std::function<void(std::string&)> entries(const ExtremeList& list) {
    return [&list](std::string& out) {
        out += '[';
        for (std::size_t i = 0; i < list.size(); ++i) {
            out += i ? ", \"" : "\"";
            list.writeEntry(i, [&out](std::string_view piece) { json::appendEscapedWin1252(out, piece); });
            out += '"';
        }
        out += ']';
    };
}

} // namespace

json::Object statisticsJson(const OpenCollection& c) {
    json::Object out;
    out.addWin1252("caption", c.captionWithValue())
        .addWin1252("total", c.totalText())
        .addWin1252("value", c.valueText())
        .addWin1252("netChange", c.netChangeText())
        .addWritten("high", entries(c.extremes().HighList))
        .addWritten("low", entries(c.extremes().LowList))
        .addWritten("hot", entries(c.extremes().HotList))
        .addWritten("cold", entries(c.extremes().ColdList))
        .addWin1252Strings("list", c.itemList().names());
    return out;
}

} // namespace vitrinex::cli
