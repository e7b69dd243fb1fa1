#pragma once
// Small WAV files written byte by byte, for the sound tests.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

namespace wavetest {

inline void put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

inline void put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// A RIFF/WAVE file: a "fmt " chunk with the given fields, then `samples` bytes of silence.
inline QByteArray wave(quint16 format = 1, quint16 channels = 1, quint32 rate = 8000, quint16 bits = 16,
                       int samples = 1600) {
    QByteArray fmt;
    put16(fmt, format);
    put16(fmt, channels);
    put32(fmt, rate);
    put32(fmt, rate * channels * (bits / 8));
    put16(fmt, quint16(channels * (bits / 8)));
    put16(fmt, bits);

    QByteArray body = "WAVE";
    body += "fmt ";
    put32(body, quint32(fmt.size()));
    body += fmt;
    body += "data";
    put32(body, quint32(samples));
    body += QByteArray(samples, bits == 8 ? char(0x80) : char(0));

    QByteArray file = "RIFF";
    put32(file, quint32(body.size()));
    return file + body;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace wavetest
