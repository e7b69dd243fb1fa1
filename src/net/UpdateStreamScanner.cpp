#include "net/UpdateStreamScanner.h"

#include <cstring>

namespace vitrinex::net {

namespace {

constexpr std::string_view kNotFoundStart = "<TITLE>Not Found";

bool isHtmlEnd(const std::string& tag) {
    if (tag.size() != 5 || tag[0] != '/') return false;
    for (std::size_t i = 1; i < 5; ++i)
        if ((tag[i] & ~0x20) != "/HTML"[i]) return false;
    return true;
}

} // namespace

void UpdateStreamScanner::Reset() {
    InBraces = false;
    Token.clear();
    inTag_ = false;
    TagBuffer.clear();
    answerStart_.clear();
    startChecked_ = false;
    endMarkerSeen_ = false;
    answer_ = Answer::Reading;
}

void UpdateStreamScanner::scan(char c) {
    if (c == '{') {
        InBraces = true;
        UpdateMessage.clear();
    } else if (InBraces && c != '}' && UpdateMessage.size() < kMaxMessageBytes) {
        // Only the message's start is kept: an endless one must not grow without bound.
        UpdateMessage += c;
    }
    if (c == '}') InBraces = false;
    if (c == '*' && !InBraces) {
        UpdateRecord.UpdatePrice.assign(std::string_view(Token).substr(0, 10));
        if (writeRecord) writeRecord(UpdateRecord);
        Token.clear();
    } else if (!InBraces && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '|')) {
        if (c == '|') {
            UpdateRecord.UpdateCatNum.assign(std::string_view(Token).substr(0, 9));
            Token.clear();
        } else if (Token.size() < kBlockSize) {
            // Only the first 10 characters of a field are kept; the cap keeps a hostile answer
            // from growing the token without end.
            Token += c;
        }
    }
    if (c == '~' && !endMarkerSeen_) {
        endMarkerSeen_ = true;
        if (endMarker) endMarker();
    }
}

void UpdateStreamScanner::ClearBuffer(char* block, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        scan(block[i]);
        block[i] = '\0';
    }
}

bool UpdateStreamScanner::GetHTMLReference(char c) {
    if (c == '<') {
        // A further "<" inside a tag is skipped.
        if (!inTag_) TagBuffer.clear();
        inTag_ = true;
        return false;
    }
    if (!inTag_) return false;
    if (c == '>') {
        inTag_ = false;
        return true;
    }
    if (TagBuffer.size() < kBlockSize) TagBuffer += c;
    return false;
}

UpdateStreamScanner::Answer UpdateStreamScanner::ProcessHostGet(char* block, std::size_t n) {
    // Nothing after the end marker counts: the connection is closed there, so what else arrived
    // would depend on how the answer was cut into blocks.
    for (std::size_t i = 0; i < n && answer_ == Answer::Reading && !endMarkerSeen_; ++i) {
        const char c = block[i];
        if (!startChecked_) {
            answerStart_ += c;
            if (kNotFoundStart.substr(0, answerStart_.size()) != answerStart_) {
                startChecked_ = true;
            } else if (answerStart_.size() == kNotFoundStart.size()) {
                answer_ = Answer::NotFound;
                break;
            }
        }
        scan(c);
        if (GetHTMLReference(c) && isHtmlEnd(TagBuffer)) answer_ = Answer::HtmlPage;
    }
    std::memset(block, 0, n);
    return answer_;
}

} // namespace vitrinex::net
