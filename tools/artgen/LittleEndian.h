#pragma once
// Appending little-endian numbers to the file images the generator writes (WAV, ICO).

#include <QByteArray>
#include <QtEndian>

inline void appendLe16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

inline void appendLe32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}
