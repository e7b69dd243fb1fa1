#include "photos/PhotoImage.h"

#include "collection/InOutError.h"
#include "collection/SafeFile.h"

#include <QBuffer>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

// Room for the largest picture accepted, four bytes a pixel, in the megabytes Qt counts.
constexpr int kAllocationLimitMb = int(kPhotoPixelLimit * 4 / 1'000'000) + 16;

std::string extensionOf(const QByteArray& format) {
    if (format == "jpeg" || format == "jpg") return "jpg";
    if (format == "png") return "png";
    if (format == "webp") return "webp";
    return {};
}

void prepare(QImageReader& reader) {
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kAllocationLimitMb);
}

ImageHeader readHeader(QImageReader& reader) {
    ImageHeader header;
    header.extension = extensionOf(reader.format());
    if (header.extension.empty()) throw EPhotoRefused("not a JPEG, PNG or WebP image");
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        throw EPhotoRefused("not a JPEG, PNG or WebP image: its header gives no size");
    header.width = size.width();
    header.height = size.height();
    if (std::int64_t(header.width) * header.height > kPhotoPixelLimit)
        throw EPhotoRefused(std::to_string(header.width) + " x " + std::to_string(header.height) +
                            " pixels is more than a photo may have (100 megapixels)");
    return header;
}

} // namespace

ImageHeader checkImageHeader(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    prepare(reader);
    return readHeader(reader);
}

QByteArray readPhotoFile(const std::string& path) {
    const auto refused = [&path](const std::string& why) { return EPhotoRefused(path + ": " + why); };
    int fd = -1;
    try {
        fd = openRegularFile(path);
    } catch (const EInOutError& e) {
        throw refused(e.what());
    }
    QByteArray bytes;
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    // The limit is checked before reading, and again by what is read (a file still growing).
    if (sized && st.st_size > kPhotoByteLimit) {
        ::close(fd);
        throw refused(std::to_string(st.st_size >> 20) + " MiB is more than a photo may have (64 MiB)");
    }
    bytes.resize(sized ? qsizetype(st.st_size) : 0);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(done + 65536);
        const ssize_t n = ::read(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw refused(EInOutError::fromErrno(error).what());
        }
        if (n == 0) break;
        done += n;
        if (done > kPhotoByteLimit) {
            ::close(fd);
            throw refused("more than a photo may have (64 MiB)");
        }
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

AcceptedImage acceptImage(const std::string& path) {
    const auto refused = [&path](const std::string& why) { return EPhotoRefused(path + ": " + why); };
    AcceptedImage image;
    image.bytes = readPhotoFile(path);

    QBuffer buffer(&image.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    prepare(reader);
    try {
        image.extension = readHeader(reader).extension;
    } catch (const EPhotoRefused& e) {
        throw refused(e.what());
    }
    const QImage decoded = reader.read();
    if (decoded.isNull())
        throw refused("the image does not decode (" + reader.errorString().toStdString() + ")");
    image.width = decoded.width();
    image.height = decoded.height();
    return image;
}

} // namespace vitrinex
