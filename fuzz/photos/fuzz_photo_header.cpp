// Reads any bytes as a photo's header. Every input gives a JPEG, PNG or WebP header of a size a
// photo may have, or a refusal with a reason, never anything else.
#include "photos/PhotoImage.h"

#include <QCoreApplication>

#include <cstdlib>

using namespace vitrinex;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // The image readers' plugins are found through the application's library paths.
    static int argc = 1;
    static char name[] = "fuzz_photo_header";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    try {
        const ImageHeader header =
            checkImageHeader(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        if (header.width <= 0 || header.height <= 0 ||
            std::int64_t(header.width) * header.height > kPhotoPixelLimit ||
            (header.extension != "jpg" && header.extension != "png" && header.extension != "webp"))
            std::abort();
    } catch (const EPhotoRefused& e) {
        if (e.what()[0] == '\0') std::abort();
    }
    return 0;
}
