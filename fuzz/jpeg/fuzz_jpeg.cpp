// Arbitrary bytes as a JPEG file for the picture control's decoder, under several option sets.
// Every outcome must be a bitmap that QImage loads or an EJPEGException; anything else is a fault.

#include "controls/PictureControl.h"

#include <QImage>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

char inputPath[] = "/tmp/fuzz_jpeg.XXXXXX";

void removeInput() {
    ::unlink(inputPath);
}

const QString& inputFile() {
    static const QString name = [] {
        const int fd = ::mkstemp(inputPath);
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit(removeInput);
        return QString::fromLocal8Bit(inputPath);
    }();
    return name;
}

vitrinex::JpegOptions optionSet(int i) {
    vitrinex::JpegOptions o; // 256 colours, two passes, Floyd-Steinberg
    switch (i) {
    case 1:
        o.numOfColors = TNumOfColors::_16, o.dither = TDither::Ordered, o.onePass = true;
        break;
    case 2:
        o.numOfColors = TNumOfColors::TrueColor, o.dctMethod = TDCTMethod::FloatingPoint, o.noSmooth = true;
        break;
    case 3:
        o.grayScale = true, o.fastProcessing = true;
        break;
    }
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString& file = inputFile();
    FILE* out = std::fopen(inputPath, "wb");
    if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) std::abort();

    // Smaller bounds than the program's keep each run quick; the paths taken are the same.
    vitrinex::JpegLimits limits;
    limits.maxPixels = 1 << 20;
    limits.maxDecoderMemory = 64 << 20;
    limits.maxScans = 100;
    for (int i = 0; i < 4; ++i) {
        try {
            const QByteArray bmp = vitrinex::decodeJpegToBmp(file, optionSet(i), limits);
            if (QImage::fromData(bmp, "BMP").isNull()) std::abort();
        } catch (const vitrinex::EJPEGException&) {
        }
    }
    return 0;
}
