#pragma once
// The receive path of a catalog update: the record scan (`ClearBuffer`) and the tag reader
// (`GetHTMLReference`) over the answer of the update server, block by block as the socket delivers
// it. The answer is an optional message in braces, then records "CATNUM|PRICE*", then the end
// marker "~". The scan keeps its place across blocks, so a record or message cut by a block's end is
// read whole: what it delivers does not depend on how the answer was cut into blocks.

#include "net/UpdateRecordFile.h"

#include <cstddef>
#include <functional>
#include <string>

namespace vitrinex::net {

class UpdateStreamScanner {
public:
    static constexpr std::size_t kBlockSize = 8192;
    // How much of the braced message is kept; a real one is a line or two.
    static constexpr std::size_t kMaxMessageBytes = 4096;

    enum class Answer {
        Reading,  // nothing final yet
        NotFound, // the answer starts "<TITLE>Not Found"
        HtmlPage, // the answer ended as an HTML page (a "/HTML" tag) before any end marker
    };

    // Called for every record completed by a "*".
    std::function<void(const TUpdateRecord&)> writeRecord;
    // Called once, at the first end marker "~".
    std::function<void()> endMarker;

    // Starts a new answer. UpdateRecord and UpdateMessage live on, as they do from one download
    // to the next.
    void Reset();

    // One received block: tag handling and the record scan over its `n` bytes, up to the end marker.
    // Every byte of the block is set to NUL afterwards. Once the end marker was seen, or the answer
    // is NotFound or HtmlPage, later bytes are ignored.
    Answer ProcessHostGet(char* block, std::size_t n);

    // The record scan over `n` positions, NULs included; each is set to NUL after it was seen.
    void ClearBuffer(char* block, std::size_t n);

    bool EndMarkerSeen() const { return endMarkerSeen_; }

    TUpdateRecord UpdateRecord{};
    std::string UpdateMessage;

private:
    void scan(char c);
    // Feeds one byte to the tag reader; true when it completed a tag (its text in TagBuffer).
    bool GetHTMLReference(char c);

    bool InBraces = false;
    std::string Token;
    bool inTag_ = false;
    std::string TagBuffer;
    std::string answerStart_;
    bool startChecked_ = false;
    bool endMarkerSeen_ = false;
    Answer answer_ = Answer::Reading;
};

} // namespace vitrinex::net
