#include "HistoryCommands.h"

#include "CommandLine.h"
#include "CommandSession.h"
#include "ItemText.h"
#include "Json.h"

#include <iostream>
#include <stdexcept>

namespace vitrinex::cli {
namespace {

constexpr std::size_t kNameCapacity = 255;

std::string itemName(const CommandLine& a, const char* what) {
    return collectionText(what, a.arg(1), kNameCapacity);
}

} // namespace

int commandDeleted(const CommandLine& a) {
    const CommandSession session(a.arg(0));
    json::Array rows(2);
    for (const DeletedItem& d : session.deletedItems()) {
        json::Object o;
        o.addString("time", d.time).add("item", itemJson(d.record));
        o.appendCompact(rows.next());
    }
    json::Object out;
    out.add("deleted", rows.str());
    std::cout << out.str() << '\n';
    return 0;
}

int commandUndelete(const CommandLine& a) {
    const std::string name = itemName(a, "NAME");
    CommandSession session(a.arg(0));
    switch (session.undelete(name)) {
    case CollectionSession::Undelete::NotKept:
        throw std::runtime_error("no deleted item named '" + a.arg(1) + "' is kept.");
    case CollectionSession::Undelete::NameHeld:
        throw std::runtime_error("the collection has an item named '" + a.arg(1) +
                                 "'; nothing was brought back.");
    case CollectionSession::Undelete::Restored:
        break;
    }
    json::Object out;
    out.add("item", itemJson(session.collection().currentItem()->Record));
    std::cout << out.str() << '\n';
    return 0;
}

int commandPriceHistory(const CommandLine& a) {
    const std::string name = itemName(a, "ITEM");
    CommandSession session(a.arg(0));
    const std::vector<PricePoint> points = session.priceHistory(name);
    // The item became the current one if the collection holds it; a deleted item's record remains.
    const TFigureNode* item = session.collection().currentItem();
    if (item && nameKey(item->Record.FigureName.view()) != nameKey(name)) item = nullptr;
    if (!item && points.empty()) throw std::runtime_error("a match for '" + a.arg(1) + "' was not found.");
    json::Array rows(2);
    for (const PricePoint& p : points) {
        json::Object o;
        o.addWin1252("time", p.time)
            .addWin1252("price", p.price)
            .addWin1252("netChange", p.netChange)
            .addString("source", p.source);
        o.appendCompact(rows.next());
    }
    json::Object out;
    out.addWin1252("item", item ? item->Record.FigureName.view() : std::string_view(name))
        .add("points", rows.str());
    std::cout << out.str() << '\n';
    return 0;
}

void addUpdateChanges(json::Object& out, const CollectionSession& session) {
    const CollectionSession::UpdateChanges& last = session.lastUpdateChanges();
    json::Array changes(2);
    for (const PriceChange& c : last.changes) {
        json::Object o;
        o.addWin1252("item", c.item).addWin1252("old", c.oldPrice).addWin1252("new", c.newPrice);
        o.appendCompact(changes.next());
    }
    out.add("changes", changes.str()).addWin1252Strings("unmatched", last.unmatched);
}

} // namespace vitrinex::cli
