#include "reports/ReportText.h"

namespace vitrinex {

std::string besideCollectionFile(std::string_view collectionFileName, std::string_view extension) {
    constexpr std::string_view kCollectionExtension = ".fcd";
    const std::size_t slash = collectionFileName.rfind('/');
    const std::string_view fileName =
        collectionFileName.substr(slash == std::string_view::npos ? 0 : slash + 1);
    std::string name(collectionFileName);
    if (fileName.size() > kCollectionExtension.size() && fileName.ends_with(kCollectionExtension))
        name.resize(name.size() - kCollectionExtension.size());
    return name.append(".").append(extension);
}

std::vector<const TFigureRecord*> liveItemsInKeyOrder(const OpenCollection& collection) {
    std::vector<const TFigureRecord*> items;
    forEachInOrder(collection.ItemTree(), [&items](const TFigureNode& node) {
        if (!isDeletedRecord(node.Record)) items.push_back(&node.Record);
    });
    return items;
}

std::string withoutBlanks(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += c;
    return out;
}

std::vector<std::string> commentLines(std::string_view comment, std::size_t width,
                                      bool keepBreaksInLastLine) {
    std::vector<std::string> lines;
    std::string_view rest = comment;
    while (!rest.empty()) {
        std::size_t take = rest.size();
        if (rest.size() > width) {
            const std::size_t blank = rest.substr(0, width).rfind(' ');
            take = blank == std::string_view::npos ? width : blank + 1;
        } else if (keepBreaksInLastLine) {
            lines.emplace_back(rest);
            break;
        }
        // A line break that starts within the line ends it; the text after the break goes on.
        const std::size_t lineBreak = rest.substr(0, take + 1).find("\r\n");
        if (lineBreak != std::string_view::npos && lineBreak < take) {
            lines.emplace_back(rest.substr(0, lineBreak));
            rest.remove_prefix(lineBreak + 2);
        } else {
            lines.emplace_back(rest.substr(0, take));
            rest.remove_prefix(take);
        }
    }
    return lines;
}

} // namespace vitrinex
