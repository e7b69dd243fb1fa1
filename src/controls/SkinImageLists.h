#pragma once
// The four skin image lists every window paints its buttons' highlighted and pressed looks from.
// Each list is a strip of equally sized pictures: picture i sits at x = i * width. An even index is a
// button's normal look, the next odd index its highlighted look.

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

namespace vitrinex {

enum class SkinList { ImageList1 = 0, ImageList2, ImageList3, ImageList4 };

// The skin pictures' scale for the program's screens: 2 (the "@2x" pictures) where Qt's device pixel
// ratio is above 1, so that a zoom of 150 or 200 % stays sharp; otherwise 1.
int skinPictureScale();
// The compiled-in skin's path for `fileName` at skinPictureScale, "@2x" before the extension for 2.
QString skinPicturePath(const QString& fileName);

class SkinImageLists {
public:
    static constexpr int kListCount = 4;

    SkinImageLists() = default;

    // The program's one set of lists, loaded from the compiled-in skin on first use. The main window
    // owns it in spirit; every window paints from it.
    static SkinImageLists& shared();

    // Loads all four strips from the compiled-in skin (":/skin/ImageListN.png", or its
    // "ImageListN@2x.png" when the screens have more pixels than points: see skinPictureScale).
    bool loadResources();
    // Loads all four strips from "ImageListN.png" files in a folder.
    bool loadFolder(const QString& folder);
    // The compiled-in skin when it is there, otherwise the folder (when one is given).
    bool load(const QString& fallbackFolder = {});
    // Replaces one list with a strip; the strip must hold exactly count(list) pictures of pictureSize(list).
    bool setStrip(SkinList list, const QImage& strip);

    // Every load and setStrip either succeeds whole or leaves the lists as they were and says why here.
    QString errorString() const { return error_; }
    bool isComplete() const;

    // One picture of a list; null when the list is not loaded or the index is out of range.
    QImage image(SkinList list, int index) const;
    QPixmap picture(SkinList list, int index) const;

    static QSize pictureSize(SkinList list);
    static int count(SkinList list);
    static QString fileName(SkinList list);
    // The caption drawn on a button's pictures (normal look `index` and the one after it); empty
    // for an index the list does not have. Screen readers name the button by it.
    static QString caption(SkinList list, int index);
    static bool isValidIndex(SkinList list, int index) { return index >= 0 && index < count(list); }

private:
    using Pictures = std::vector<QImage>;
    bool cut(SkinList list, const QImage& strip, Pictures& out, const QString& source, int scale = 1);
    bool loadFrom(const QString& prefix, int scale = 1);

    std::array<Pictures, kListCount> lists_;
    QString error_;
};

} // namespace vitrinex
