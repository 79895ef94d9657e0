// Hands an RGBA picture to libpng's simplified writing interface.
#include "png_writer.h"

#include <png.h>

#include <cstdio>

bool WritePng(const std::string& path, const RgbaImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    const png_int_32 rowStride = static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(png));
    if (png_image_write_to_file(&png, path.c_str(), 0, image.bytes.data(), rowStride, nullptr) ==
        0) {
        std::fprintf(stderr, "flagrun-assetgen: cannot write %s: %s\n", path.c_str(), png.message);
        return false;
    }
    return true;
}
