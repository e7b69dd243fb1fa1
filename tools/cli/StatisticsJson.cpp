#include "StatisticsJson.h"

#include "collection/Win1252.h"

namespace vitrinex::cli {
namespace {

std::vector<std::string> utf8All(const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    out.reserve(texts.size());
    for (const auto& t : texts)
        out.push_back(win1252ToUtf8(t));
    return out;
}

} // namespace

json::Object statisticsJson(const OpenCollection& c) {
    json::Object out;
    out.addString("caption", win1252ToUtf8(c.captionWithValue()))
        .addString("total", win1252ToUtf8(c.totalText()))
        .addString("value", win1252ToUtf8(c.valueText()))
        .addString("netChange", win1252ToUtf8(c.netChangeText()))
        .addStrings("high", utf8All(c.extremes().HighList))
        .addStrings("low", utf8All(c.extremes().LowList))
        .addStrings("hot", utf8All(c.extremes().HotList))
        .addStrings("cold", utf8All(c.extremes().ColdList))
        .addStrings("list", utf8All(c.itemList().names()));
    return out;
}

} // namespace vitrinex::cli
