#include "tools/worldfiles/PngImage.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// libpng reports an error by calling this, which must not return.
[[noreturn]] void Failed(png_structp png, png_const_charp message)
{
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void Unremarked(png_structp, png_const_charp) {}

// Writes the rows of `image` through the open `file`. Returns false, with
// `why` set, when libpng fails.
bool WriteRows(std::FILE* file, const RgbaImage& image, PngChannels channels, std::string& why)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &why, Failed, Unremarked);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    if (!ok) why = "out of memory";
    const bool rgb = channels == PngChannels::Rgb;
    std::vector<png_byte> row(rgb ? size_t(image.width) * 3 : 0);
    if (ok && setjmp(png_jmpbuf(png))) ok = false;
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, image.width, image.height, 8, rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (!rgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_write_info(png, info);
        for (uint32_t y = 0; y < image.height; ++y) {
            const uint8_t* pixels = image.Pixel(0, y);
            if (rgb) {
                for (uint32_t x = 0; x < image.width; ++x) std::memcpy(&row[size_t(x) * 3], pixels + size_t(x) * 4, 3);
                pixels = row.data();
            }
            png_write_row(png, pixels);
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    return ok;
}

}  // namespace

RgbaImage OpaqueImage(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels)
{
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.rgba.assign(size_t(width) * height * 4, 255);
    for (size_t i = 0; i < pixels.size() && i < size_t(width) * height; ++i) SetRgb(&image.rgba[i * 4], pixels[i]);
    return image;
}

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

bool SavePng(const std::string& path, const RgbaImage& image, std::string& error, PngChannels channels)
{
    if (image.width == 0 || image.height == 0 || image.rgba.size() != size_t(image.width) * image.height * 4) {
        error = path + ": a picture of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                " pixels cannot be written";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string why;
    const bool written = WriteRows(file, image, channels, why);
    if (std::fclose(file) != 0 && written) why = std::strerror(errno);
    if (written && why.empty()) return true;
    error = path + ": " + why;
    std::remove(path.c_str());  // a picture cut short is no picture
    return false;
}
