#pragma once

#include <QByteArray>
#include <QImage>

namespace vitrinex::artgen {

// A baseline JPEG file image of the picture with full-resolution colour (no chroma subsampling), so
// that thin green lines and captions keep their colour; empty when the encoder fails.
QByteArray jpegFile(const QImage& picture, int quality);

} // namespace vitrinex::artgen
