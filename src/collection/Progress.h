#pragma once
// The progress of a long piece of work: the work reports how far it is, and the answer tells it
// whether to go on. The command line gives none; the windows show a progress window with Cancel.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace vitrinex {

// Called with the steps done of `total`; answers false to stop the work.
using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;

// The work was stopped by its progress; it left everything as it was.
class ECancelled : public std::runtime_error {
public:
    ECancelled() : std::runtime_error("cancelled") {}
};

// Reports to `progress`, when there is one; throws ECancelled when it answers false.
inline void goOn(const Progress& progress, std::int64_t done, std::int64_t total) {
    if (progress && !progress(done, total)) throw ECancelled();
}

// A part of the work, from `from` to `to` thousandths of the whole: the part's own steps move
// `whole` through that share.
inline Progress progressPart(const Progress& whole, int from, int to) {
    if (!whole) return {};
    return [whole, from, to](std::int64_t done, std::int64_t total) {
        const std::int64_t share =
            total > 0 ? std::clamp<std::int64_t>(done, 0, total) * (to - from) / total : 0;
        return whole(from + share, 1000);
    };
}

// Reports like `progress` but always goes on: for work that must end once it has begun.
inline Progress progressWithoutCancel(const Progress& progress) {
    if (!progress) return {};
    return [progress](std::int64_t done, std::int64_t total) { return progress(done, total), true; };
}

// Hands `bytes` to `sink` a piece at a time, each piece a step of `progress`.
template <typename Sink>
void sinkInPieces(const Sink& sink, std::string_view bytes, const Progress& progress) {
    constexpr std::size_t kPiece = std::size_t(1) << 20;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        goOn(progress, static_cast<std::int64_t>(at), static_cast<std::int64_t>(bytes.size()));
        sink(bytes.data() + at, std::min(kPiece, bytes.size() - at));
    }
    goOn(progress, static_cast<std::int64_t>(bytes.size()), static_cast<std::int64_t>(bytes.size()));
}

} // namespace vitrinex
