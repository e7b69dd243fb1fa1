#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

namespace vitrinex::artgen {

enum class ScrollPart { Top, Track, Bottom, Thumb };

struct ScrollBitmapArt {
    QString fileName;
    ScrollPart part;
    QSize size;
};

// The bitmaps of the item-list bar and of the comment bar.
const std::vector<ScrollBitmapArt>& scrollBitmaps();

// The bar control stretches these: the track is the same on every row so that it stretches along the
// bar, and nothing relies on a square aspect so that widening the ends or the thumb looks right.
QImage paintScrollPart(ScrollPart part, QSize size);

} // namespace vitrinex::artgen
