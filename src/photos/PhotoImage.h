#pragma once
// What a photo may be: a JPEG, PNG or WebP image of at most 64 MiB and 100 megapixels, read through
// Qt's image readers with its EXIF orientation applied. The size an image's header declares is
// checked before anything is decoded, so that a small file declaring a huge picture is refused
// without allocating it.

#include <QByteArray>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vitrinex {

inline constexpr std::int64_t kPhotoByteLimit = std::int64_t(64) << 20;
inline constexpr std::int64_t kPhotoPixelLimit = 100'000'000;

// A file refused as a photo; what() names the file and why.
class EPhotoRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ImageHeader {
    std::string extension;     // "jpg", "png" or "webp"
    int width = 0, height = 0; // as declared, before the orientation is applied
};

// Reads the header of `bytes` without decoding the picture. Throws EPhotoRefused (its text without
// a file name) for bytes that are no JPEG, PNG or WebP header, or that declare more than
// kPhotoPixelLimit pixels.
ImageHeader checkImageHeader(const QByteArray& bytes);

struct AcceptedImage {
    QByteArray bytes; // the file's bytes, as they are kept
    std::string extension;
    int width = 0, height = 0; // as shown, the orientation applied
};

// The bytes of the file at `path`, at most kPhotoByteLimit. Throws EPhotoRefused naming `path` for no
// regular file, an unreadable one or one over the limit.
QByteArray readPhotoFile(const std::string& path);

// Reads the image file at `path` and decodes it once to make sure it is whole. Throws EPhotoRefused
// naming `path`: no regular file or unreadable, over kPhotoByteLimit, a header checkImageHeader
// refuses, or a picture that does not decode.
AcceptedImage acceptImage(const std::string& path);

} // namespace vitrinex
