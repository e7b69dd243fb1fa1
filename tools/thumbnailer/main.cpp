// vitrinex-thumbnailer -s SIZE COLLECTION.fcd OUTPUT.png: the picture a file manager shows for a
// collection, its first cover photo scaled to fit SIZE x SIZE. It reads the photo index only (never
// the collection's items), refuses a photo by its header before decoding it, and bounds its time and
// memory, as file managers run it on every ".fcd" file they show, whoever made the file.

#include "collection/SafeFile.h"
#include "photos/PhotoImage.h"
#include "photos/PhotoStore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kLargestSize = 1024;        // the freedesktop sizes go to 1024 (xx-large)
constexpr unsigned kSecondsAllowed = 20;  // then SIGALRM ends the program
constexpr rlim_t kCpuSecondsAllowed = 10; // then SIGXCPU ends it
constexpr rlim_t kMemoryAllowed = rlim_t(1) << 30;
constexpr int kDecodeLimitMb = 512; // a 100-megapixel photo, four bytes a pixel, and room

int fail(const std::string& why) {
    std::fprintf(stderr, "vitrinex-thumbnailer: %s\n", why.c_str());
    return 1;
}

void boundTimeAndMemory() {
    ::alarm(kSecondsAllowed);
    const rlimit cpu{kCpuSecondsAllowed, kCpuSecondsAllowed};
    ::setrlimit(RLIMIT_CPU, &cpu);
#ifndef __SANITIZE_ADDRESS__ // the address sanitizer reserves far more address space than it uses
    const rlimit memory{kMemoryAllowed, kMemoryAllowed};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
}

} // namespace

int main(int argc, char** argv) {
    boundTimeAndMemory();
    if (argc != 5 || std::string(argv[1]) != "-s")
        return fail("usage: vitrinex-thumbnailer -s SIZE COLLECTION.fcd OUTPUT.png");
    char* end = nullptr;
    const long size = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || size < 1 || size > kLargestSize)
        return fail(std::string("size '") + argv[2] + "' is not a number from 1 to 1024");
    const std::string collection = argv[3], output = argv[4];
    QCoreApplication app(argc, argv); // the image plugins (WebP) are found through it

    try {
        const vitrinex::PhotoStore store(collection);
        vitrinex::Photo cover;
        if (!store.firstCover(cover)) return fail(collection + ": no item has a photo");
        const std::string path = store.pathOf(cover);
        QByteArray bytes = vitrinex::readPhotoFile(path);
        try {
            vitrinex::checkImageHeader(bytes); // a huge picture is refused here, before any decoding
        } catch (const vitrinex::EPhotoRefused& e) {
            return fail(path + ": " + e.what());
        }

        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        reader.setAutoTransform(true);
        reader.setAllocationLimit(kDecodeLimitMb);
        QImage image = reader.read();
        if (image.isNull())
            return fail(path + ": the photo does not decode (" + reader.errorString().toStdString() + ")");
        const int side = static_cast<int>(size);
        if (image.width() > side || image.height() > side)
            image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);

        QByteArray png;
        QBuffer pngBuffer(&png);
        pngBuffer.open(QIODevice::WriteOnly);
        if (!QImageWriter(&pngBuffer, "png").write(image))
            return fail(output + ": the thumbnail cannot be made");
        vitrinex::FileReplacement file(output, 0600);
        file.write(png.constData(), static_cast<std::size_t>(png.size()));
        file.commit();
    } catch (const std::exception& e) { // a refused or unreadable photo or index, a failed write, no memory
        return fail(e.what());
    }
    return 0;
}
