#include "Sounds.h"

#include "LittleEndian.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vitrinex::artgen {

const std::vector<SoundArt>& sounds() {
    // Notes of the equal-tempered scale used below.
    constexpr double C5 = 523.25, E5 = 659.26, G5 = 783.99, A5 = 880.0, C6 = 1046.5;
    static const std::vector<SoundArt> all = {
        // Click: a short, dry tick.
        {QStringLiteral("v10bp.qys"), {{0.0, 0.09, 1900, 1500, {1.0, 0.25}, 0.0015, 0.014, 0.012, 1.0}}},
        // Open: a rising two-note chime.
        {QStringLiteral("v10op.qys"),
         {{0.0, 0.20, E5, E5, {1.0, 0.3, 0.1}, 0.004, 0.10, 0.04, 0.8},
          {0.11, 0.30, A5, A5, {1.0, 0.3, 0.1}, 0.004, 0.14, 0.06, 1.0}}},
        // Close: the same chime falling, a little darker.
        {QStringLiteral("v10cs.qys"),
         {{0.0, 0.20, G5, G5, {1.0, 0.18}, 0.004, 0.10, 0.04, 1.0},
          {0.11, 0.30, C5, C5, {1.0, 0.18}, 0.004, 0.14, 0.06, 0.85}}},
        // Add: a bright upward blip with a glint on top.
        {QStringLiteral("v10ad.qys"),
         {{0.0, 0.12, 900, 2000, {1.0, 0.3, 0.12}, 0.003, 0.06, 0.03, 1.0},
          {0.05, 0.09, 2600, 2600, {1.0}, 0.003, 0.03, 0.03, 0.35}}},
        // Delete or failure: a low buzz, two close pitches beating against each other.
        {QStringLiteral("v10dt.qys"),
         {{0.0, 0.32, 110, 104, {1.0, 0.0, 0.33, 0.0, 0.2, 0.0, 0.14, 0.0, 0.11}, 0.01, 0.5, 0.06, 1.0},
          {0.0, 0.32, 116, 110, {1.0, 0.0, 0.33, 0.0, 0.2}, 0.01, 0.5, 0.06, 0.6}}},
        // Update connected: a rising major arpeggio.
        {QStringLiteral("v10up.qys"),
         {{0.0, 0.24, C5, C5, {1.0, 0.3, 0.1}, 0.004, 0.12, 0.05, 0.9},
          {0.10, 0.24, E5, E5, {1.0, 0.3, 0.1}, 0.004, 0.12, 0.05, 0.9},
          {0.20, 0.34, G5, G5, {1.0, 0.3, 0.1}, 0.004, 0.16, 0.08, 1.0},
          {0.20, 0.34, C6, C6, {1.0}, 0.004, 0.10, 0.08, 0.25}}},
    };
    return all;
}

namespace {

// 0 to 1 along half a cosine: a fade without a corner at either end.
double smoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

} // namespace

std::vector<qint16> renderNotes(const std::vector<Note>& notes) {
    double end = 0;
    for (const Note& n : notes)
        end = std::max(end, n.start + n.length);
    const size_t count = size_t(std::ceil(end * kSampleRate));
    std::vector<double> mix(count, 0.0);
    for (const Note& n : notes) {
        const size_t first = size_t(std::lround(n.start * kSampleRate));
        const size_t length = size_t(std::lround(n.length * kSampleRate));
        double phase = 0;
        for (size_t i = 0; i < length && first + i < count; ++i) {
            const double t = double(i) / kSampleRate;
            const double hz = n.startHz + (n.endHz - n.startHz) * (t / n.length);
            double v = 0;
            for (size_t h = 0; h < n.harmonics.size(); ++h)
                v += n.harmonics[h] * std::sin(phase * double(h + 1));
            phase += 2 * std::numbers::pi * hz / kSampleRate;
            const double envelope =
                smoothStep(t / n.attack) * std::exp(-t / n.decay) * smoothStep((n.length - t) / n.release);
            mix[first + i] += n.gain * envelope * v;
        }
    }
    double peak = 0;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    const double scale = peak > 0 ? 0.7 * 32767.0 / peak : 0.0;
    std::vector<qint16> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = qint16(std::lround(std::clamp(mix[i] * scale, -32767.0, 32767.0)));
    return samples;
}

QByteArray wavFile(const std::vector<qint16>& samples, int sampleRate) {
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray out;
    out.reserve(int(44 + dataBytes));
    auto u32 = [&out](quint32 v) { appendLe32(out, v); };
    auto u16 = [&out](quint16 v) { appendLe16(out, v); };
    out.append("RIFF", 4);
    u32(36 + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(quint32(sampleRate));
    u32(quint32(sampleRate) * 2);
    u16(2);
    u16(16);
    out.append("data", 4);
    u32(dataBytes);
    for (qint16 s : samples)
        u16(quint16(s));
    return out;
}

} // namespace vitrinex::artgen
