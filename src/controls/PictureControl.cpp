#include "controls/PictureControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFile>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// jpeglib.h expects FILE and size_t to be declared before it.
#include <jpeglib.h>

namespace vitrinex {
namespace {

// The standard error manager, with a fatal error that jumps back to the decoder instead of ending
// the program, and warnings that are counted but not printed.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpOut(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

[[noreturn]] void fatalError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    jumpOut(cinfo);
}

void stayQuiet(j_common_ptr) {}

// Our own refusals travel the same way as the library's fatal errors.
[[noreturn]] __attribute__((format(printf, 2, 3))) void refuse(j_common_ptr cinfo, const char* format, ...) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(err->message, sizeof err->message, format, args);
    va_end(args);
    jumpOut(cinfo);
}

// Progressive files can carry thousands of tiny scans, each a pass over the whole picture.
struct ScanGuard {
    jpeg_progress_mgr pub;
    int maxScans;
};

void watchScans(j_common_ptr cinfo) {
    auto* guard = reinterpret_cast<ScanGuard*>(cinfo->progress);
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > guard->maxScans)
        refuse(cinfo, "Progressive JPEG image has more than %d scans", guard->maxScans);
}

// Everything the decoder owns; released by the destructor however decoding ends.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    ScanGuard scans{};
    FILE* file = nullptr;

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() {
        jpeg_destroy_decompress(&cinfo); // safe on a zeroed or half-made decompressor
        if (file) std::fclose(file);
    }
};

// The options in their fixed order; FastProcessing overrides the three before it, and the last
// three override it in turn.
void applyOptions(jpeg_decompress_struct& cinfo, const JpegOptions& o) {
    switch (o.numOfColors) {
    case TNumOfColors::_16:
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 16;
        break;
    case TNumOfColors::_256:
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 256;
        break;
    case TNumOfColors::TrueColor:
        cinfo.quantize_colors = FALSE;
        break;
    }
    switch (o.dctMethod) {
    case TDCTMethod::Integ:
        cinfo.dct_method = JDCT_ISLOW;
        break;
    case TDCTMethod::FastInteg:
        cinfo.dct_method = JDCT_IFAST;
        break;
    case TDCTMethod::FloatingPoint:
        cinfo.dct_method = JDCT_FLOAT;
        break;
    }
    switch (o.dither) {
    case TDither::None:
        cinfo.dither_mode = JDITHER_NONE;
        break;
    case TDither::FS:
        cinfo.dither_mode = JDITHER_FS;
        break;
    case TDither::Ordered:
        cinfo.dither_mode = JDITHER_ORDERED;
        break;
    }
    if (o.fastProcessing) {
        cinfo.two_pass_quantize = FALSE;
        cinfo.dither_mode = JDITHER_ORDERED;
        // Only the colour count: a true-colour picture stays unquantized.
        if (!cinfo.quantize_colors) cinfo.desired_number_of_colors = 216;
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
    }
    if (o.grayScale) cinfo.out_color_space = JCS_GRAYSCALE;
    if (o.noSmooth) cinfo.do_fancy_upsampling = FALSE;
    if (o.onePass) cinfo.two_pass_quantize = FALSE;
}

// Returns false when the library failed; the message is then in d.err.message.
bool createDecompressor(Decoder& d, const JpegOptions& options) {
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = fatalError;
    d.err.pub.output_message = stayQuiet;
    if (setjmp(d.err.jump)) return false;
    jpeg_create_decompress(&d.cinfo);
    jpeg_save_markers(&d.cinfo, JPEG_COM, 0); // comments are skipped, not kept
    applyOptions(d.cinfo, options);
    return true;
}

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void put16(uchar* p, quint32 v) {
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
}

void put32(uchar* p, quint32 v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Adobe files store CMYK inverted, so the ink-free value is 255.
inline void cmykToBgr(const JSAMPLE* in, uchar* out) {
    const int k = in[3];
    out[0] = uchar(in[2] * k / 255);
    out[1] = uchar(in[1] * k / 255);
    out[2] = uchar(in[0] * k / 255);
}

// Reads the header, decompresses and writes the bitmap into bmp. Returns false when the library
// failed or the file was refused; the message is then in d.err.message. Nothing with a destructor
// may live in this frame: a fatal error jumps straight back to the setjmp below.
bool decompress(Decoder& d, const JpegOptions& options, const JpegLimits& limits, QByteArray& bmp) {
    jpeg_decompress_struct& cinfo = d.cinfo;
    if (setjmp(d.err.jump)) return false;

    cinfo.mem->max_memory_to_use = long(limits.maxDecoderMemory);
    d.scans.pub.progress_monitor = watchScans;
    d.scans.maxScans = limits.maxScans;
    cinfo.progress = &d.scans.pub;

    jpeg_stdio_src(&cinfo, d.file);
    jpeg_read_header(&cinfo, TRUE);
    applyOptions(cinfo, options);

    jpeg_calc_output_dimensions(&cinfo);
    const qint64 width = cinfo.output_width;
    const qint64 height = cinfo.output_height;
    if (width * height > limits.maxPixels)
        refuse(reinterpret_cast<j_common_ptr>(&cinfo), "Image too large: %lld x %lld pixels",
               static_cast<long long>(width), static_cast<long long>(height));

    jpeg_start_decompress(&cinfo);

    const int comps = cinfo.output_components; // 1 when quantized or grey
    if (comps != 1 && comps != 3 && comps != 4)
        refuse(reinterpret_cast<j_common_ptr>(&cinfo), "Unsupported number of colour components: %d", comps);
    const bool indexed = comps == 1;
    const int colours = cinfo.quantize_colors ? cinfo.actual_number_of_colors : (indexed ? 256 : 0);
    const int bits = indexed ? 8 : 24;
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    const qint64 pixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * qint64(colours);
    const qint64 fileSize = pixelOffset + stride * height;
    if (fileSize > 0x7fffffff)
        refuse(reinterpret_cast<j_common_ptr>(&cinfo), "Image too large: %lld x %lld pixels",
               static_cast<long long>(width), static_cast<long long>(height));

    bmp.fill('\0', fileSize);
    uchar* out = reinterpret_cast<uchar*>(bmp.data());
    out[0] = 'B';
    out[1] = 'M';
    put32(out + 2, quint32(fileSize));
    put32(out + 10, quint32(pixelOffset));
    uchar* info = out + kFileHeaderSize;
    put32(info, kInfoHeaderSize);
    put32(info + 4, quint32(width));
    put32(info + 8, quint32(height)); // positive: bottom-up rows
    put16(info + 12, 1);
    put16(info + 14, quint32(bits));
    put32(info + 20, quint32(stride * height));
    put32(info + 32, quint32(colours));

    uchar* table = info + kInfoHeaderSize;
    for (int i = 0; i < colours; ++i) {
        uchar* entry = table + 4 * i;
        if (!cinfo.quantize_colors) {
            entry[0] = entry[1] = entry[2] = uchar(i);
        } else if (cinfo.out_color_components == 1) {
            entry[0] = entry[1] = entry[2] = cinfo.colormap[0][i];
        } else if (cinfo.out_color_components == 3) {
            entry[0] = cinfo.colormap[2][i];
            entry[1] = cinfo.colormap[1][i];
            entry[2] = cinfo.colormap[0][i];
        } else {
            const JSAMPLE cmyk[4] = {cinfo.colormap[0][i], cinfo.colormap[1][i], cinfo.colormap[2][i],
                                     cinfo.colormap[3][i]};
            cmykToBgr(cmyk, entry);
        }
    }

    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                JDIMENSION(width * comps), 1);
    uchar* pixels = out + pixelOffset;
    while (cinfo.output_scanline < cinfo.output_height) {
        const qint64 y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
            refuse(reinterpret_cast<j_common_ptr>(&cinfo), "Decoder stalled at line %lld",
                   static_cast<long long>(y));
        uchar* dest = pixels + (height - 1 - y) * stride;
        const JSAMPLE* src = row[0];
        if (comps == 1) {
            std::memcpy(dest, src, size_t(width));
        } else if (comps == 3) {
            for (qint64 x = 0; x < width; ++x, src += 3, dest += 3) {
                dest[0] = src[2];
                dest[1] = src[1];
                dest[2] = src[0];
            }
        } else {
            for (qint64 x = 0; x < width; ++x, src += 4, dest += 3)
                cmykToBgr(src, dest);
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

QByteArray decodeJpegToBmp(const QString& fileName, const JpegOptions& options, const JpegLimits& limits) {
    Decoder d;
    if (!createDecompressor(d, options)) throw EJPEGException(d.err.message);

    const std::string openError = "Cannot open file " + fileName.toStdString();
    const QByteArray path = QFile::encodeName(fileName);
    if (fileName.isEmpty() || fileName.contains(QChar(0))) throw EFOpenError(openError);
    // Without waiting on a FIFO or a device: only a regular file is a picture file.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw EFOpenError(openError);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(d.file = ::fdopen(fd, "rb"))) {
        ::close(fd);
        throw EFOpenError(openError);
    }

    QByteArray bmp;
    if (!decompress(d, options, limits, bmp)) throw EJPEGException(d.err.message);
    if (d.err.pub.num_warnings > 0) throw EJPEGException("There are warnings");
    return bmp;
}

} // namespace vitrinex

namespace vitrinex {
namespace {

// A picture button as assistive tools see it: a push button named by its caption (the accessible
// name), described by its hint, unavailable while it does not react, pressed through its action.
class PictureButtonAccessible : public QAccessibleWidget {
public:
    explicit PictureButtonAccessible(TJPEGImage* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) emit static_cast<TJPEGImage*>(widget())->pressRequested();
    }
    QStringList keyBindingsForAction(const QString& actionName) const override {
        return actionName == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }
};

QAccessibleInterface* pictureButtonInterface(const QString& className, QObject* object) {
    auto* picture = className == QLatin1String("TJPEGImage") ? qobject_cast<TJPEGImage*>(object) : nullptr;
    return picture && picture->actsAsButton() ? new PictureButtonAccessible(picture) : nullptr;
}

// The skin's green, as the input fields' focus frame shows it.
const QColor kFocusMarkColor{0x39, 0xD3, 0x53};

} // namespace
} // namespace vitrinex

TJPEGImage::TJPEGImage(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
}

void TJPEGImage::setActsAsButton(bool on) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(vitrinex::pictureButtonInterface);
        return true;
    }();
    (void)factoryInstalled;
    actsAsButton_ = on;
    // Tab only: a click leaves the focus where it was, so an edit field's check on leaving does not run.
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

void TJPEGImage::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TJPEGImage::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TJPEGImage::setPicture(const QImage& image) {
    picture_ = image;
    pixmap_ = QPixmap::fromImage(image);
    if (autoSize_ && !picture_.isNull()) resize(shownSize());
    updateGeometry();
    update();
}

void TJPEGImage::setAutoSize(bool on) {
    autoSize_ = on;
    if (autoSize_ && !picture_.isNull()) resize(shownSize());
}

void TJPEGImage::setLook(const QPixmap& look, QPoint offset) {
    look_ = look;
    lookOffset_ = offset;
    update();
}

void TJPEGImage::clearLook() {
    if (look_.isNull()) return;
    look_ = QPixmap();
    lookOffset_ = {};
    update();
}

QSize TJPEGImage::sizeHint() const {
    return picture_.isNull() ? QWidget::sizeHint() : shownSize();
}

void TJPEGImage::setFileName(const QString& name) {
    fileName_ = name;
    decode();
}

void TJPEGImage::setNumOfColors(TNumOfColors value) {
    numOfColors_ = value;
    decode();
}

void TJPEGImage::setDCTMethod(TDCTMethod value) {
    dctMethod_ = value;
    decode();
}

void TJPEGImage::setDither(TDither value) {
    dither_ = value;
    decode();
}

void TJPEGImage::setFastProcessing(bool on) {
    fastProcessing_ = on;
    decode();
}

void TJPEGImage::setGrayScale(bool on) {
    grayScale_ = on;
    decode();
}

void TJPEGImage::setNoSmooth(bool on) {
    noSmooth_ = on;
    decode();
}

void TJPEGImage::setOnePass(bool on) {
    onePass_ = on;
    decode();
}

vitrinex::JpegOptions TJPEGImage::options() const {
    vitrinex::JpegOptions o;
    o.numOfColors = numOfColors_;
    o.dctMethod = dctMethod_;
    o.dither = dither_;
    o.fastProcessing = fastProcessing_;
    o.grayScale = grayScale_;
    o.noSmooth = noSmooth_;
    o.onePass = onePass_;
    return o;
}

void TJPEGImage::decode() {
    if (loadingLayout_ || fileName_.isEmpty()) return;
    const QByteArray bmp = vitrinex::decodeJpegToBmp(fileName_, options());
    const QImage image = QImage::fromData(bmp, "BMP");
    if (image.isNull()) throw vitrinex::EJPEGException("Cannot load the decoded picture");
    setPicture(image);
}

void TJPEGImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!pixmap_.isNull()) painter.drawPixmap(0, 0, pixmap_);
    if (!look_.isNull()) painter.drawPixmap(lookOffset_, look_);
    if (actsAsButton_ && hasFocus()) {
        // Inside the button's black rim, as a thin rounded frame like the lit edit fields'.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(vitrinex::kFocusMarkColor, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    }
}

void TJPEGImage::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->buttons(), event->position().toPoint());
}

void TJPEGImage::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->position().toPoint());
}

void TJPEGImage::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event->button(), event->position().toPoint());
}
