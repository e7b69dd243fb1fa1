#include "StatisticsJson.h"

namespace vitrinex::cli {

json::Object statisticsJson(const OpenCollection& c) {
    json::Object out;
    out.addWin1252("caption", c.captionWithValue())
        .addWin1252("total", c.totalText())
        .addWin1252("value", c.valueText())
        .addWin1252("netChange", c.netChangeText())
        .addWin1252Strings("high", c.HighList)
        .addWin1252Strings("low", c.LowList)
        .addWin1252Strings("hot", c.HotList)
        .addWin1252Strings("cold", c.ColdList)
        .addWin1252Strings("list", c.ItemList.names());
    return out;
}

} // namespace vitrinex::cli
