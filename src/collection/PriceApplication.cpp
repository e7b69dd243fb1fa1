#include "collection/PriceApplication.h"

#include "collection/InOutError.h"
#include "collection/SafeFile.h"
#include "collection/ValueHistory.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace vitrinex {
namespace {

const char* const kUpdatedMark = "Updated";

// Whether a value can be held in the 6-byte real (largest exponent 2^126 with byte 255, bias 129).
bool fitsReal48(long double value) {
    const long double rounded = roundToReal48(value);
    if (!std::isfinite(rounded)) return false;
    int exponent = 0;
    std::frexp(rounded, &exponent);
    return rounded == 0 || exponent <= 127;
}

// An amount text cut to its field; a cut inside an exponent ("$1.5E") would not read back when the
// collection is next opened, so what is left of the exponent goes too.
std::string readableCut(std::string text, std::size_t capacity) {
    text.resize(std::min(text.size(), capacity));
    long double ignored = 0;
    while (text.size() > 1 && !amountValue(text, ignored))
        text.pop_back();
    return text;
}

// The delivered price as an item's Price field keeps it: "$" and the amount without its leading
// zeros, cut to the field where only digits after the point are lost. Nullopt for a
// price that is no number (it reads only as a whole: digits, a point, blanks around) or whose whole
// part does not fit: storing part of it would make it another price.
std::optional<std::string> keptPrice(std::string_view delivered) {
    constexpr std::size_t kField = 8;
    long double value = 0;
    if (delivered.find('$') != std::string_view::npos || !amountValue(delivered, value) || !fitsReal48(value))
        return std::nullopt;
    while (delivered.size() > 1 && delivered.front() == '0' && delivered[1] >= '0' && delivered[1] <= '9')
        delivered.remove_prefix(1);
    std::string text = "$" + std::string(delivered);
    if (text.size() <= kField) return text;
    const std::size_t point = text.find('.');
    if (point == std::string::npos || point >= kField || text.find_first_of("eE") != std::string::npos)
        return std::nullopt;
    return readableCut(text, kField);
}

// "$" and a change as the NetChange field holds it: cut where only digits after the point are lost,
// and otherwise to the nearest power of ten it can write ("$1E4"), so the size stays right.
std::string keptChange(long double change) {
    constexpr std::size_t kField = 5;
    const std::string text = "$" + formatAmount(change);
    const std::size_t point = text.find('.');
    if (text.size() <= kField ||
        (point != std::string::npos && point <= kField && text.find('E') == std::string::npos))
        return readableCut(text, kField);
    const long double magnitude = std::fabs(change);
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    if (std::round(magnitude / std::pow(10.0L, exponent)) >= 10) ++exponent;
    const long double digit = std::round(magnitude / std::pow(10.0L, exponent));
    const std::string power = std::string(change < 0 ? "$-" : "$") + std::to_string(static_cast<int>(digit)) +
                              "E" + std::to_string(exponent);
    return power.size() <= kField ? power : readableCut(text, kField);
}

// An entry of the hot or cold list shows the change as computed, which the stored text may round.
template <typename Beyond>
void trackExtreme(long double value, Real48& extreme, ExtremeList& list, const TFigureNode* node, bool exact,
                  Beyond beyond) {
    if (beyond(value, extreme.value())) {
        list.clear();
        extreme = value;
    } else if (value != extreme.value()) {
        return;
    }
    if (exact)
        list.add(node, value);
    else
        list.add(node);
}

// Reads the whole records of an update file, handing each to `onRecord`. Returns false when the file
// cannot be opened or read, or is no regular file (refused without waiting on a FIFO or a device);
// counts the bytes of a torn last record.
bool readUpdateFile(const std::string& path, std::int64_t& tailBytes,
                    const std::function<void(const TUpdateRecord&)>& onRecord) {
    int fd = -1;
    try {
        fd = openRegularFile(path);
    } catch (const EInOutError&) {
        return false;
    }
    constexpr std::size_t kBatch = 4096;
    std::vector<TUpdateRecord> batch(kBatch);
    char* const buffer = reinterpret_cast<char*>(batch.data());
    std::size_t filled = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer + filled, kBatch * kUpdateRecordSize - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        filled += static_cast<std::size_t>(n);
        if (n > 0 && filled < kBatch * kUpdateRecordSize) continue;
        const std::size_t whole = filled / kUpdateRecordSize;
        for (std::size_t i = 0; i < whole; ++i)
            onRecord(batch[i]);
        if (n == 0) {
            tailBytes = static_cast<std::int64_t>(filled % kUpdateRecordSize);
            break;
        }
        filled = 0;
    }
    ::close(fd);
    return true;
}

// The totals, extremes and lists an update builds, kept apart until the new file is on disk.
struct Aggregates : UpdatedAggregates {
    Aggregates() {
        HighPrice = HotChange = -OpenCollection::kExtremeStart;
        LowPrice = ColdChange = OpenCollection::kExtremeStart;
    }

    // The entry shows the node's Price, which is the new price once the update is committed.
    void trackPrice(long double price, const TFigureNode* node) {
        trackExtreme(price, HighPrice, HighList, node, false, std::greater<long double>());
        trackExtreme(price, LowPrice, LowList, node, false, std::less<long double>());
    }
    void trackChange(long double change, const TFigureNode* node) {
        trackExtreme(change, HotChange, HotList, node, true, std::greater<long double>());
        trackExtreme(change, ColdChange, ColdList, node, true, std::less<long double>());
    }
};

class PriceApplication {
public:
    PriceApplication(OpenCollection& collection, UpdateMatching matching)
        : collection_(collection), matching_(matching) {
        // The lists are not emptied: the first item that beats a reset extreme empties its list.
        totals_.HighList = collection.extremes().HighList;
        totals_.LowList = collection.extremes().LowList;
        totals_.HotList = collection.extremes().HotList;
        totals_.ColdList = collection.extremes().ColdList;
        forEachPreOrder(collection.ItemTree(), [this](TFigureNode& node) {
            // A blanked node waits for the reload that removes it; it is no longer an item.
            if (isDeletedRecord(node.Record)) return;
            const auto slot = static_cast<std::uint32_t>(items_.size());
            items_.push_back({&node, -1});
            if (matching_ == UpdateMatching::CatalogIndex)
                byCatNum_[nameKey(node.Record.CatNum.view())].push_back(slot);
            else
                slotOf_.emplace(&node, slot);
        });
    }

    // One record: every live item with its catalog number takes the price. False when the price is
    // no number, or when what the item would keep of it no longer is one (blanks before the digits
    // push them out of the 8 characters): the record then changes nothing.
    bool UpdateMatchingItems(const TUpdateRecord& record) {
        // Every figure the update reports comes from the price as it is stored.
        const std::optional<std::string> kept = keptPrice(record.UpdatePrice.view());
        long double keptValue = 0;
        if (!kept || !amountValue(*kept, keptValue)) return false;
        const std::string& priceText = *kept;
        const Real48 newPrice = keptValue;
        if (matching_ == UpdateMatching::CatalogIndex) {
            const auto found = byCatNum_.find(nameKey(record.UpdateCatNum.view()));
            if (found != byCatNum_.end())
                for (const std::uint32_t slot : found->second)
                    applyTo(slot, priceText, newPrice);
            else
                noteUnmatched(record);
            return true;
        }
        bool matched = false;
        forEachPreOrder(collection_.ItemTree(), [&](TFigureNode& node) {
            if (!isDeletedRecord(node.Record) &&
                compareNameKeys(node.Record.CatNum.view(), record.UpdateCatNum.view()) == 0) {
                applyTo(slotOf_.at(&node), priceText, newPrice);
                matched = true;
            }
        });
        if (!matched) noteUnmatched(record);
        return true;
    }

    // After the last record: the matched items count in the totals and lists once each, in the order
    // of their first match, then every other live item in pre-order.
    void WriteRemainingItems() {
        for (const Staged& s : staged_) {
            const TFigureRecord& r = items_[s.slot].node->Record;
            if (s.priceChanged) ++totals_.UpdatedCount;
            totals_.TotalValue =
                totals_.TotalValue.value() + s.newPrice * static_cast<long double>(r.Quantity);
            totals_.trackPrice(s.newPrice, items_[s.slot].node);
            totals_.trackChange(s.lastChange, items_[s.slot].node);
        }
        for (const Item& item : items_) {
            if (item.staged >= 0) continue;
            const TFigureRecord& r = item.node->Record;
            long double text = 0;
            if (!amountValue(r.Price.view(), text)) continue; // every inserted item's price reads
            const Real48 price = text;
            totals_.TotalValue =
                totals_.TotalValue.value() + price.value() * static_cast<long double>(r.Quantity);
            totals_.trackPrice(price, item.node);
        }
    }

    // The new file, complete, replaces the old one; nothing in memory has changed yet.
    void writeFile(const std::function<void(int)>& advanceProgress) const {
        const int step = progressStep(collection_.totals().ItemCount);
        std::size_t nextStaged = 0, nextItem = 0;
        TFigureRecord updated;
        collection_.writeCollection([&]() -> const TFigureRecord* {
            const TFigureRecord* out = nullptr;
            if (nextStaged < staged_.size()) {
                const Staged& s = staged_[nextStaged++];
                updated = items_[s.slot].node->Record;
                s.copyInto(updated);
                out = &updated;
            } else {
                while (nextItem < items_.size() && items_[nextItem].staged >= 0)
                    ++nextItem;
                if (nextItem == items_.size()) return nullptr;
                out = &items_[nextItem++].node->Record;
            }
            if (advanceProgress) advanceProgress(step);
            return out;
        });
    }

    // The changed items as the outcome lists them; before commit, while the nodes hold the old prices.
    std::vector<PriceChange> changes() const {
        std::vector<PriceChange> out;
        for (const Staged& s : staged_) {
            const TFigureRecord& r = items_[s.slot].node->Record;
            if (s.priceChanged)
                out.push_back({r.FigureName.str(), r.Price.str(), s.Price.str(), s.NetChange.str()});
        }
        return out;
    }
    std::vector<std::string> takeUnmatched() { return std::move(unmatched_); }

    void commit() {
        for (const Staged& s : staged_)
            s.copyInto(items_[s.slot].node->Record);
        collection_.takeUpdatedAggregates(std::move(totals_));
    }

private:
    struct Item {
        TFigureNode* node;
        std::int32_t staged; // index into staged_, or -1 while unmatched
    };
    // A matched item's new texts and values, applied to its node once the file is written.
    struct Staged {
        std::uint32_t slot;
        ShortString<8> Price;
        ShortString<5> NetChange;
        long double newPrice = 0, lastChange = 0;
        bool priceChanged = false;
        void copyInto(TFigureRecord& r) const {
            r.Price = Price;
            r.NetChange = NetChange;
            r.UpdateMark.assign(kUpdatedMark);
        }
    };

    void applyTo(std::uint32_t slot, const std::string& priceText, Real48 newPrice) {
        Item& item = items_[slot];
        if (item.staged < 0) {
            item.staged = static_cast<std::int32_t>(staged_.size());
            staged_.push_back({slot, item.node->Record.Price, item.node->Record.NetChange});
        }
        Staged& s = staged_[static_cast<std::size_t>(item.staged)];
        // A second match counts from the price the first one stored.
        long double oldText = 0;
        if (!amountValue(s.Price.view(), oldText)) return; // every inserted item's price reads
        const Real48 oldPrice = oldText;
        const long double change = newPrice.value() - oldPrice.value();
        if (change != 0) s.priceChanged = true;
        s.NetChange.assign(keptChange(change));
        totals_.TotalNetChange = totals_.TotalNetChange.value() + change;
        s.Price.assign(priceText);
        s.newPrice = newPrice;
        s.lastChange = change;
    }

    void noteUnmatched(const TUpdateRecord& record) {
        if (unmatchedKeys_.insert(nameKey(record.UpdateCatNum.view())).second)
            unmatched_.push_back(record.UpdateCatNum.str());
    }

    OpenCollection& collection_;
    const UpdateMatching matching_;
    std::vector<std::string> unmatched_;
    std::unordered_set<std::string> unmatchedKeys_;
    std::vector<Item> items_; // the live items in pre-order
    std::unordered_map<std::string, std::vector<std::uint32_t>> byCatNum_;
    std::unordered_map<const TFigureNode*, std::uint32_t> slotOf_;
    std::vector<Staged> staged_; // in the order of first match
    Aggregates totals_;
};

} // namespace

int progressStep(std::int32_t itemCount) {
    return itemCount > 0 ? 500 / itemCount : 0;
}

UpdateOutcome ApplyUpdate(OpenCollection& collection, std::uint64_t openingAtConfirm,
                          const std::string& updateFile, const std::string& updateMessage,
                          const std::function<void(int step)>& advanceProgress, UpdateMatching matching) {
    UpdateOutcome outcome;
    if (!collection.isOpen() || collection.openingId() != openingAtConfirm) {
        outcome.message =
            UserMessage{"update not applied", "the collection the update was started for is no longer open."};
        return outcome;
    }
    PriceApplication application(collection, matching);
    const bool read = readUpdateFile(updateFile, outcome.tailBytesIgnored, [&](const TUpdateRecord& record) {
        ++outcome.recordsRead;
        if (!application.UpdateMatchingItems(record)) ++outcome.recordsSkipped;
    });
    if (!read) {
        outcome = UpdateOutcome{};
        outcome.message = UserMessage{"update file not found", "update file not found!"};
        return outcome;
    }
    application.WriteRemainingItems();
    application.writeFile(advanceProgress);
    outcome.changes = application.changes();
    outcome.unmatched = application.takeUnmatched();
    application.commit();

    UpdateStatisticsTexts& s = outcome.texts.statistics;
    s.updatedCount = std::to_string(collection.totals().UpdatedCount) + "/" +
                     std::to_string(collection.totals().ItemCount);
    s.value = collection.valueText();
    s.netChange = collection.netChangeText();
    s.high = collection.extremes().HighList;
    s.low = collection.extremes().LowList;
    s.hot = collection.extremes().HotList;
    s.cold = collection.extremes().ColdList;
    outcome.texts.message = "vitrinex has completed updating your collection. press ok to continue.";
    outcome.texts.status = updateMessage;
    // The prices are in the file by now; a history that cannot be written does not undo them.
    try {
        addValuePoint(collection);
    } catch (const EInOutError& e) {
        outcome.historyFailure = e.what();
    }
    return outcome;
}

} // namespace vitrinex
