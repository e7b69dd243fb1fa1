#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace vitrinex::artgen {

// An ICO container holding each picture as a PNG entry (pictures of 1 to 256 pixels a side).
// Qt's own "ico" writer stores a single picture, and the icon needs two sizes.
QByteArray icoFile(const QList<QImage>& pictures);

} // namespace vitrinex::artgen
