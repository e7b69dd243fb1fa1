// The receive path of a catalog update: arbitrary answer bytes, cut into arbitrary blocks. What the
// scan delivers must not depend on where the blocks were cut.

#include "net/UpdateStreamScanner.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using vitrinex::TUpdateRecord;
using vitrinex::net::UpdateStreamScanner;

namespace {

struct Outcome {
    std::string records, message;
    bool end = false;
    UpdateStreamScanner::Answer answer = UpdateStreamScanner::Answer::Reading;
};

// Feeds `answer` in blocks whose sizes come from `sizes` (1 to 8192 bytes), as the window does:
// no more blocks after the end marker or a final answer.
Outcome feed(const std::string& answer, const std::uint8_t* sizes, std::size_t sizeCount) {
    UpdateStreamScanner scanner;
    Outcome out;
    scanner.writeRecord = [&out](const TUpdateRecord& r) {
        out.records.append(reinterpret_cast<const char*>(&r.UpdateCatNum), 1 + r.UpdateCatNum.view().size());
        out.records.append(reinterpret_cast<const char*>(&r.UpdatePrice), 1 + r.UpdatePrice.view().size());
    };
    scanner.Reset();
    std::vector<char> block(UpdateStreamScanner::kBlockSize + 1);
    std::size_t at = 0, next = 0;
    while (at < answer.size() && !scanner.EndMarkerSeen() &&
           out.answer == UpdateStreamScanner::Answer::Reading) {
        std::size_t n = UpdateStreamScanner::kBlockSize;
        if (sizeCount) {
            n = 1 + (sizes[next % sizeCount] * 37u + next) % UpdateStreamScanner::kBlockSize;
            ++next;
        }
        n = std::min(n, answer.size() - at);
        std::memcpy(block.data(), answer.data() + at, n);
        out.answer = scanner.ProcessHostGet(block.data(), n);
        for (std::size_t i = 0; i < n; ++i)
            if (block[i] != '\0') std::abort(); // every position is cleared after the scan
        at += n;
    }
    out.message = scanner.UpdateMessage;
    out.end = scanner.EndMarkerSeen();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte tells how many of the next bytes choose block sizes.
    const std::size_t sizeCount = size ? std::min<std::size_t>(data[0] % 32, size - 1) : 0;
    const std::uint8_t* sizes = data + 1;
    const std::size_t skip = size ? 1 + sizeCount : 0;
    const std::string answer(reinterpret_cast<const char*>(data) + skip, size - skip);

    const Outcome cut = feed(answer, sizes, sizeCount);
    const Outcome whole = feed(answer, nullptr, 0);
    if (cut.records != whole.records || cut.message != whole.message || cut.end != whole.end ||
        cut.answer != whole.answer)
        std::abort();
    return 0;
}
