#pragma once
// The pieces every skinned window is built from: a fixed black client area filled by its background
// picture, picture buttons over it, and labels in the skin's fonts and colours.

#include "controls/PictureButtons.h"
#include "controls/SkinImageLists.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QLabel;
class QWidget;
class TJPEGImage;

namespace vitrinex {

inline const QColor kSkinWhite{0xFF, 0xFF, 0xFF};
inline const QColor kSkinGreen{0x39, 0xD3, 0x53};
inline const QColor kSkinRed{0xFF, 0x4A, 0x4A};
inline const QColor kSkinAqua{0x00, 0xFF, 0xFF};

// A picture of the compiled-in skin (":/skin/<fileName>", its "@2x" picture on screens with more
// pixels than points); a null image when there is none.
QImage skinPicture(const QString& fileName);

// The skin's font: "Arial Narrow" at `pointSize`.
QFont skinFont(int pointSize, bool bold = false);

// A fixed-size window with a black client area of `clientSize` and the given caption.
void setUpSkinnedWindow(QWidget* window, const QString& objectName, const QString& caption, QSize clientSize);

// Places `window` in the middle of the screen it is on.
void centerOnScreen(QWidget* window);

// The picture control that fills the client area with `pictureFile`, as stored with the layout.
TJPEGImage* addBackground(QWidget* window, const QString& objectName, const QString& pictureFile);

// A picture control showing `pictureFile` at `pos`, registered with `buttons` as a picture button
// drawn from `list` (normal look `normalIndex`, highlighted the next), with its hint.
TJPEGImage* addPictureButton(QWidget* window, PictureButtons& buttons, const QString& objectName,
                             const QString& pictureFile, SkinList list, int normalIndex, QPoint pos,
                             const QString& hint, int group = 0);

struct LabelStyle {
    int pointSize = 10;
    QColor color = kSkinWhite;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = false;
};

// A transparent label on the background. An empty `geometry` size means the label sizes itself.
QLabel* addLabel(QWidget* window, const QString& objectName, const QString& text, QRect geometry,
                 const LabelStyle& style);

// Gives an input field the skin's look: white text on black in a thin green frame that lights up
// while the field has the focus.
void styleInputField(QWidget* field, int pointSize = 10);

} // namespace vitrinex
