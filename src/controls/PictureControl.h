#pragma once
// TJPEGImage, the picture control: shows a picture (normally the one stored with its window's layout) and can
// decode a JPEG file into it. Picture buttons paint their highlighted and pressed looks over it.

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <stdexcept>
#include <string>

namespace vitrinex {

// A JPEG file that could not be decoded; the message is the decoder's own text.
class EJPEGException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that could not be opened for reading; the message is "Cannot open file " and the name.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct JpegOptions;

} // namespace vitrinex

class TJPEGImage : public QWidget {
    Q_OBJECT
public:
    enum class TNumOfColors { _16, _256, TrueColor };
    Q_ENUM(TNumOfColors)
    enum class TDCTMethod { Integ, FastInteg, FloatingPoint };
    Q_ENUM(TDCTMethod)
    enum class TDither { None, FS, Ordered };
    Q_ENUM(TDither)

    Q_PROPERTY(QString FileName READ fileName WRITE setFileName)
    Q_PROPERTY(TNumOfColors NumOfColors READ numOfColors WRITE setNumOfColors)
    Q_PROPERTY(TDCTMethod DCTMethod READ dctMethod WRITE setDCTMethod)
    Q_PROPERTY(TDither Dither READ dither WRITE setDither)
    Q_PROPERTY(bool FastProcessing READ fastProcessing WRITE setFastProcessing)
    Q_PROPERTY(bool GrayScale READ grayScale WRITE setGrayScale)
    Q_PROPERTY(bool NoSmooth READ noSmooth WRITE setNoSmooth)
    Q_PROPERTY(bool OnePass READ onePass WRITE setOnePass)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)

    explicit TJPEGImage(QWidget* parent = nullptr);

    // The picture shown (as stored with the layout); the control takes its size when AutoSize is on.
    void setPicture(const QImage& image);
    const QImage& picture() const { return picture_; }
    void setAutoSize(bool on);
    bool autoSize() const { return autoSize_; }

    // Looks painted over the picture by the picture-button rule; offset (1,1) for the pressed look.
    void setLook(const QPixmap& look, QPoint offset = {});
    void clearLook();
    bool hasLook() const { return !look_.isNull(); }
    const QPixmap& look() const { return look_; }
    QPoint lookOffset() const { return lookOffset_; }

    // A picture button takes the focus by Tab, shows the skin's focus mark while it has it, and is a
    // push button to assistive tools, whose press action emits pressRequested.
    void setActsAsButton(bool on);
    bool actsAsButton() const { return actsAsButton_; }

    // While the owning window is being built, property setters only store their values.
    void setLoadingLayout(bool loading) { loadingLayout_ = loading; }
    bool loadingLayout() const { return loadingLayout_; }

    // Each setter stores its value and then, outside layout loading and with a FileName set, decodes
    // the file again. Decoding failures raise EFOpenError or EJPEGException and leave the picture as
    // it was; the new value stays stored.
    QString fileName() const { return fileName_; }
    void setFileName(const QString& name);
    TNumOfColors numOfColors() const { return numOfColors_; }
    void setNumOfColors(TNumOfColors value);
    TDCTMethod dctMethod() const { return dctMethod_; }
    void setDCTMethod(TDCTMethod value);
    TDither dither() const { return dither_; }
    void setDither(TDither value);
    bool fastProcessing() const { return fastProcessing_; }
    void setFastProcessing(bool on);
    bool grayScale() const { return grayScale_; }
    void setGrayScale(bool on);
    bool noSmooth() const { return noSmooth_; }
    void setNoSmooth(bool on);
    bool onePass() const { return onePass_; }
    void setOnePass(bool on);

    // The decoding options as currently stored.
    vitrinex::JpegOptions options() const;

    QSize sizeHint() const override;
    // The picture's size on the window: a 2x picture (device pixel ratio 2) shows at half its pixels.
    QSize shownSize() const { return picture_.deviceIndependentSize().toSize(); }

signals: // mouse tracking is on, so MouseMove also arrives with no button held
    void MouseMove(Qt::MouseButtons buttons, QPoint pos);
    void MouseDown(Qt::MouseButton button, QPoint pos);
    void MouseUp(Qt::MouseButton button, QPoint pos);
    // An assistive tool asked to press the button.
    void pressRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void decode();

    QImage picture_;
    QPixmap pixmap_; // the picture ready for painting
    bool autoSize_ = true;
    QPixmap look_;
    QPoint lookOffset_;
    bool loadingLayout_ = false;
    bool actsAsButton_ = false;

    QString fileName_;
    TNumOfColors numOfColors_ = TNumOfColors::_256;
    TDCTMethod dctMethod_ = TDCTMethod::Integ;
    TDither dither_ = TDither::FS;
    bool fastProcessing_ = false;
    bool grayScale_ = false;
    bool noSmooth_ = false;
    bool onePass_ = false;
};

using TNumOfColors = TJPEGImage::TNumOfColors;
using TDCTMethod = TJPEGImage::TDCTMethod;
using TDither = TJPEGImage::TDither;

namespace vitrinex {

// The decoding options of a picture control.
struct JpegOptions {
    TNumOfColors numOfColors = TNumOfColors::_256;
    TDCTMethod dctMethod = TDCTMethod::Integ;
    TDither dither = TDither::FS;
    bool fastProcessing = false;
    bool grayScale = false;
    bool noSmooth = false;
    bool onePass = false;
};

// Bounds that keep a hostile file from exhausting memory or time. QImage refuses bitmaps that need
// 128 MB or more, so larger pictures could not be shown anyway.
struct JpegLimits {
    qint64 maxPixels = 32'000'000;
    int maxScans = 500;                          // progressive files with more scans are refused
    qint64 maxDecoderMemory = qint64(512) << 20; // the decoder's own working memory
};

// Decodes a JPEG file into a complete Windows bitmap file image (bottom-up; 8 bits a pixel with a
// colour table when quantized or grey, 24 bits a pixel otherwise). Throws EFOpenError when the file
// cannot be opened, EJPEGException with the decoder's message on a damaged or unsupported file, and
// EJPEGException("There are warnings") when the decoder warned about the file.
QByteArray decodeJpegToBmp(const QString& fileName, const JpegOptions& options = {},
                           const JpegLimits& limits = {});

} // namespace vitrinex
