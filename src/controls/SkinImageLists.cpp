#include "controls/SkinImageLists.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>

// The skin is compiled into this static library; its resource initializer is only linked in when
// something calls it. The resource file is compiled only when it exists, so the call is too.
#if __has_include("../../assets/skin/skin.qrc")
#define VITRINEX_HAS_SKIN_RESOURCE 1
#endif

static void initSkinResource() {
#ifdef VITRINEX_HAS_SKIN_RESOURCE
    static const bool once = [] {
        Q_INIT_RESOURCE(skin);
        return true;
    }();
    (void)once;
#endif
}

namespace vitrinex {

namespace {

struct ListShape {
    int width;
    int height;
    int count;
};

constexpr std::array<ListShape, SkinImageLists::kListCount> kShapes{{
    {75, 43, 6},
    {75, 29, 18},
    {67, 43, 10},
    {158, 40, 4},
}};

// Each list's captions, one per button (two pictures); tools/artgen draws the same words.
const std::array<std::vector<const char*>, SkinImageLists::kListCount> kCaptions{{
    {"exit", "help", "update"},
    {"add", "cancel", "delete", "edit", "exit", "ok", "print", "close", "stats"},
    {"add", "close", "delete", "edit", "print"},
    {"new collection", "open collection"},
}};

int slot(SkinList list) {
    return static_cast<int>(list);
}

} // namespace

int skinPictureScale() {
    return qGuiApp && qGuiApp->devicePixelRatio() > 1.0 ? 2 : 1;
}

QString skinPicturePath(const QString& fileName) {
    initSkinResource();
    const QString plain = QStringLiteral(":/skin/") + fileName;
    if (skinPictureScale() == 1) return plain;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString scaled =
        QStringLiteral(":/skin/") + fileName.left(dot) + QStringLiteral("@2x") + fileName.mid(dot);
    return QFile::exists(scaled) ? scaled : plain;
}

SkinImageLists& SkinImageLists::shared() {
    static SkinImageLists* lists = [] {
        auto* l = new SkinImageLists; // lives as long as the program: windows keep painting from it
        l->loadResources();
        return l;
    }();
    return *lists;
}

QSize SkinImageLists::pictureSize(SkinList list) {
    const ListShape& s = kShapes[slot(list)];
    return {s.width, s.height};
}

int SkinImageLists::count(SkinList list) {
    return kShapes[slot(list)].count;
}

QString SkinImageLists::fileName(SkinList list) {
    return QStringLiteral("ImageList%1.png").arg(slot(list) + 1);
}

QString SkinImageLists::caption(SkinList list, int index) {
    const auto& captions = kCaptions[static_cast<std::size_t>(slot(list))];
    const auto button = static_cast<std::size_t>(index / 2);
    return index >= 0 && button < captions.size() ? QString::fromLatin1(captions[button]) : QString();
}

bool SkinImageLists::isComplete() const {
    for (const Pictures& p : lists_)
        if (p.empty()) return false;
    return true;
}

QImage SkinImageLists::image(SkinList list, int index) const {
    const Pictures& p = lists_[slot(list)];
    if (index < 0 || index >= static_cast<int>(p.size())) return {};
    return p[index];
}

QPixmap SkinImageLists::picture(SkinList list, int index) const {
    const QImage img = image(list, index);
    return img.isNull() ? QPixmap() : QPixmap::fromImage(img);
}

bool SkinImageLists::cut(SkinList list, const QImage& strip, Pictures& out, const QString& source,
                         int scale) {
    ListShape s = kShapes[slot(list)];
    s.width *= scale;
    s.height *= scale;
    if (strip.isNull()) {
        error_ = QStringLiteral("%1: not a readable picture").arg(source);
        return false;
    }
    if (strip.width() != s.width * s.count || strip.height() != s.height) {
        error_ = QStringLiteral("%1: expected a strip of %2 x %3 pixels, found %4 x %5")
                     .arg(source)
                     .arg(s.width * s.count)
                     .arg(s.height)
                     .arg(strip.width())
                     .arg(strip.height());
        return false;
    }
    out.clear();
    out.reserve(s.count);
    for (int i = 0; i < s.count; ++i) {
        out.push_back(strip.copy(i * s.width, 0, s.width, s.height));
        out.back().setDevicePixelRatio(scale); // painted at the list's picture size
    }
    return true;
}

bool SkinImageLists::setStrip(SkinList list, const QImage& strip) {
    Pictures fresh;
    if (!cut(list, strip, fresh, fileName(list))) return false;
    lists_[slot(list)] = std::move(fresh);
    error_.clear();
    return true;
}

bool SkinImageLists::loadFrom(const QString& prefix, int scale) {
    // Read all four into fresh state first, so one damaged strip leaves the lists as they were.
    std::array<Pictures, kListCount> fresh;
    for (int i = 0; i < kListCount; ++i) {
        const auto list = static_cast<SkinList>(i);
        QString path = prefix + fileName(list);
        if (scale != 1) path.replace(QStringLiteral(".png"), QStringLiteral("@%1x.png").arg(scale));
        if (!QFile::exists(path)) {
            error_ = QStringLiteral("%1: file not found").arg(path);
            return false;
        }
        QImageReader reader(path);
        reader.setAutoTransform(false);
        const QImage strip = reader.read();
        if (strip.isNull()) {
            error_ = QStringLiteral("%1: %2").arg(path, reader.errorString());
            return false;
        }
        if (!cut(list, strip, fresh[i], path, scale)) return false;
    }
    lists_ = std::move(fresh);
    error_.clear();
    return true;
}

bool SkinImageLists::loadResources() {
    initSkinResource();
    return loadFrom(QStringLiteral(":/skin/"), skinPictureScale());
}

bool SkinImageLists::loadFolder(const QString& folder) {
    if (folder.isEmpty()) {
        error_ = QStringLiteral("no skin folder given");
        return false;
    }
    return loadFrom(QDir(folder).absolutePath() + QLatin1Char('/'));
}

bool SkinImageLists::load(const QString& fallbackFolder) {
    if (loadResources()) return true;
    if (fallbackFolder.isEmpty()) return false;
    const QString resourceError = error_;
    if (loadFolder(fallbackFolder)) return true;
    error_ = resourceError + QStringLiteral("; ") + error_;
    return false;
}

} // namespace vitrinex
