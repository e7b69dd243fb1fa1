#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

namespace vitrinex::artgen {

// A window picture: a background or the about window's picture.
struct WindowPictureArt {
    QString fileName;
    QSize size;
    QImage (*paint)(QSize size);
};

const std::vector<WindowPictureArt>& windowPictures();

QImage paintMainBackground(QSize size);

} // namespace vitrinex::artgen
