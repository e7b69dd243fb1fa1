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

class SkinImageLists {
public:
    static constexpr int kListCount = 4;

    SkinImageLists() = default;

    // The program's one set of lists, loaded from the compiled-in skin on first use. The main window
    // owns it in spirit; every window paints from it.
    static SkinImageLists& shared();

    // Loads all four strips from the compiled-in skin (":/skin/ImageListN.png").
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
    static bool isValidIndex(SkinList list, int index) { return index >= 0 && index < count(list); }

private:
    using Pictures = std::vector<QImage>;
    bool cut(SkinList list, const QImage& strip, Pictures& out, const QString& source);
    bool loadFrom(const QString& prefix);

    std::array<Pictures, kListCount> lists_;
    QString error_;
};

} // namespace vitrinex
