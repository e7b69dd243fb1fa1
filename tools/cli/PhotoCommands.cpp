#include "PhotoCommands.h"

#include "CommandLine.h"
#include "CommandSession.h"
#include "Json.h"
#include "collection/Win1252.h"

#include <QFile>

#include <charconv>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vitrinex::cli {
namespace {

constexpr std::size_t kNameCapacity = 255;

std::string itemName(const CommandLine& a) {
    return collectionText("ITEM", a.arg(1), kNameCapacity);
}

const std::vector<Photo>& found(const std::optional<std::vector<Photo>>& photos, const CommandLine& a) {
    if (!photos) throw std::runtime_error("a match for '" + a.arg(1) + "' was not found.");
    return *photos;
}

// N counts from 1; anything but a whole number from 1 on is refused here, beyond the last photo by
// the store.
std::size_t position(const CommandLine& a) {
    const std::string& text = a.arg(2);
    std::size_t n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || n == 0)
        throw std::runtime_error("N must be a photo's position from 1, not '" + text + "'");
    return n - 1;
}

int printPhotos(const CommandSession& session, const std::vector<Photo>& photos) {
    std::vector<std::string> rows;
    for (const Photo& p : photos) {
        json::Object o;
        o.addString("file", QFile::decodeName(session.photoPath(p).c_str()).toStdString())
            .addNumber("width", p.width)
            .addNumber("height", p.height)
            .addNumber("bytes", p.bytes);
        rows.push_back(o.compact());
    }
    json::Object out;
    out.addWin1252("item", session.collection().currentItem()->Record.FigureName.view())
        .add("photos", json::array(rows, 2));
    std::cout << out.str() << '\n';
    return 0;
}

// Changes of the photos lock the collection; out of range is a bad N.
int changed(CommandSession& session, const CommandLine& a,
            const std::function<std::optional<std::vector<Photo>>(CommandSession&)>& change) {
    std::optional<std::vector<Photo>> photos;
    try {
        photos = change(session);
    } catch (const std::out_of_range& e) {
        throw std::runtime_error(e.what());
    }
    return printPhotos(session, found(photos, a));
}

} // namespace

int commandPhotos(const CommandLine& a) {
    CommandSession session(a.arg(0));
    return printPhotos(session, found(session.photos(itemName(a)), a));
}

int commandPhotoAdd(const CommandLine& a) {
    CommandSession session(a.arg(0));
    const std::vector<std::string> images = a.argsFrom(2);
    return changed(session, a, [&](CommandSession& s) { return s.addPhotos(itemName(a), images); });
}

int commandPhotoRemove(const CommandLine& a) {
    CommandSession session(a.arg(0));
    const std::size_t n = position(a);
    return changed(session, a, [&](CommandSession& s) { return s.removePhoto(itemName(a), n); });
}

int commandPhotoCover(const CommandLine& a) {
    CommandSession session(a.arg(0));
    const std::size_t n = position(a);
    return changed(session, a, [&](CommandSession& s) { return s.makeCover(itemName(a), n); });
}

} // namespace vitrinex::cli
