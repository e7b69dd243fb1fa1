#pragma once
// vitrinex-cli's commands for what the collection keeps of its past (history/): the deleted items,
// every item's price over time, and what an update changed.

#include <string>

namespace vitrinex {
class CollectionSession;
namespace json {
class Object;
}
} // namespace vitrinex

namespace vitrinex::cli {

class CommandLine;

// {"deleted": [{"time", "item"}, ...]}, newest first, each item as show prints it.
int commandDeleted(const CommandLine& arguments);
// Brings back the newest deleted item of that name; prints {"item": ...} as show prints it.
int commandUndelete(const CommandLine& arguments);
// {"item": NAME, "points": [{"time", "price", "netChange", "source"}, ...]}, oldest first.
int commandPriceHistory(const CommandLine& arguments);

// Adds the members "changes" ([{"item", "old", "new"}, ...]) and "unmatched" (catalog numbers) of
// apply and update: what the session's last price application changed.
void addUpdateChanges(json::Object& out, const CollectionSession& session);

} // namespace vitrinex::cli
