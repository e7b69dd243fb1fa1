#include "IconFile.h"

#include "LittleEndian.h"

#include <QBuffer>
#include <QtEndian>

namespace vitrinex::artgen {

QByteArray icoFile(const QList<QImage>& pictures) {
    QList<QByteArray> pngs;
    for (const QImage& picture : pictures) {
        if (picture.isNull() || picture.width() > 256 || picture.height() > 256) return {};
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG")) return {};
        pngs.append(png);
    }
    QByteArray out;
    auto u16 = [&out](quint16 v) { appendLe16(out, v); };
    auto u32 = [&out](quint32 v) { appendLe32(out, v); };
    u16(0); // reserved
    u16(1); // icon
    u16(quint16(pictures.size()));
    quint32 offset = 6 + 16 * quint32(pictures.size());
    for (int i = 0; i < pictures.size(); ++i) {
        // A side of 256 is written as 0.
        out.append(char(pictures[i].width() & 0xff));
        out.append(char(pictures[i].height() & 0xff));
        out.append(char(0)); // no palette
        out.append(char(0)); // reserved
        u16(1);              // colour planes
        u16(32);             // bits per pixel
        u32(quint32(pngs[i].size()));
        u32(offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs)
        out.append(png);
    return out;
}

} // namespace vitrinex::artgen
