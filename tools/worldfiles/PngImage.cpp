#include "tools/worldfiles/PngImage.h"

#include <png.h>

#include <cstring>

bool LoadPng(const std::string& path, RgbaImage& image, std::string& error)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = "cannot read the PNG picture \"" + path + "\": " + png.message;
        return false;
    }
    if (png.width > MaxPictureSide || png.height > MaxPictureSide ||
        uint64_t(png.width) * png.height > MaxPicturePixels) {
        error = "the picture \"" + path + "\" is larger than " + std::to_string(MaxPictureSide) + " pixels a side";
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    image.width = png.width;
    image.height = png.height;
    image.rgba.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) {
        error = "cannot read the PNG picture \"" + path + "\": " + png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

bool SavePng(const std::string& path, const RgbaImage& image, std::string& error)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = image.width;
    png.height = image.height;
    png.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), 0, nullptr)) {
        error = path + ": " + png.message;
        return false;
    }
    return true;
}
