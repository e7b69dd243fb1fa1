#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

namespace vitrinex::artgen {

// One skin image list: a strip of button pictures, normal look at even places, lit look after it.
struct ImageListArt {
    QString fileName;
    QSize cell;
    QStringList captions; // one per button, in strip order
    double captionPixels;
};

// A button's normal picture kept as its own JPEG, cut from an image list.
struct OffPictureArt {
    QString fileName;
    int list;  // index into imageLists()
    int index; // picture index in that list
};

const std::vector<ImageListArt>& imageLists();
const std::vector<OffPictureArt>& offPictures();

// A glass push button with an indicator light; lit, the light, rim and caption glow green.
QImage paintButton(QSize size, const QString& caption, bool lit, double captionPixels);

// The whole strip of a list: picture i at x = i * cell width.
QImage paintImageList(const ImageListArt& list);

} // namespace vitrinex::artgen
