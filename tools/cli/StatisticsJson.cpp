#include "StatisticsJson.h"

namespace vitrinex::cli {

json::Object statisticsJson(const OpenCollection& c) {
    json::Object out;
    out.addWin1252("caption", c.captionWithValue())
        .addWin1252("total", c.totalText())
        .addWin1252("value", c.valueText())
        .addWin1252("netChange", c.netChangeText())
        .addWin1252Strings("high", c.extremes().HighList)
        .addWin1252Strings("low", c.extremes().LowList)
        .addWin1252Strings("hot", c.extremes().HotList)
        .addWin1252Strings("cold", c.extremes().ColdList)
        .addWin1252Strings("list", c.itemList().names());
    return out;
}

} // namespace vitrinex::cli
