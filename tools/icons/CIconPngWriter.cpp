#include "tools/icons/CIconPngWriter.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr char kPartSuffix[] = ".part";

} // namespace

bool CIconPngWriter::Write(const CRgbaImage& picture, const std::string& path) {
    m_strError.clear();
    if (picture.Width() <= 0 || picture.Height() <= 0) {
        return Fail("cannot write " + path + ": the picture is empty");
    }
    const std::vector<std::uint8_t> bytes = picture.RgbaBytes();
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.Width());
    image.height = static_cast<png_uint_32>(picture.Height());
    image.format = PNG_FORMAT_RGBA;

    const std::string part = path + kPartSuffix;
    const bool written =
        png_image_write_to_file(&image, part.c_str(), 0, bytes.data(), 0, nullptr) != 0;
    if (!written) {
        const std::string reason = image.message;
        png_image_free(&image);
        std::remove(part.c_str());
        return Fail("cannot write " + path + ": " + reason);
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(part.c_str());
        return Fail("cannot write " + path + ": " + reason);
    }
    return true;
}

bool CIconPngWriter::Fail(const std::string& what) {
    m_strError = what;
    return false;
}
