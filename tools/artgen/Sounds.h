#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace vitrinex::artgen {

inline constexpr int kSampleRate = 22050;

// One note of a sound: a tone of a few harmonics gliding from startHz to endHz, shaped by a soft
// attack, an exponential decay and a faded release, so that it starts and ends without a click.
struct Note {
    double start;  // seconds
    double length; // seconds
    double startHz;
    double endHz;
    std::vector<double> harmonics; // amplitude of harmonic 1, 2, 3, ...
    double attack = 0.004;         // seconds
    double decay = 0.15;           // time constant of the decay, seconds
    double release = 0.02;         // seconds
    double gain = 1.0;
};

struct SoundArt {
    QString fileName;
    std::vector<Note> notes;
};

const std::vector<SoundArt>& sounds();

// Mixes the notes into 16-bit samples at kSampleRate, peak at about -3 dB.
std::vector<qint16> renderNotes(const std::vector<Note>& notes);

// A RIFF/WAVE file image: PCM, 16 bits, one channel.
QByteArray wavFile(const std::vector<qint16>& samples, int sampleRate);

} // namespace vitrinex::artgen
