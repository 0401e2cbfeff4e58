#include "tools/worldfiles/PngImage.h"

#include "tools/worldfiles/Files.h"

#include <png.h>

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

void Append(png_structp png, png_bytep data, png_size_t size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + size);
}

void Flushed(png_structp) {}

// Appends the PNG file of `image` to `bytes`. Returns false, with `why` set,
// when libpng fails.
bool WriteRows(std::vector<uint8_t>& bytes, const RgbaImage& image, PngChannels channels, std::string& why)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &why, Failed, Unremarked);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    if (!ok) why = "out of memory";
    const bool rgb = channels == PngChannels::Rgb;
    std::vector<png_byte> row(rgb ? size_t(image.width) * 3 : 0);
    if (ok && setjmp(png_jmpbuf(png))) ok = false;
    if (ok) {
        png_set_write_fn(png, &bytes, Append, Flushed);
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

bool LoadPng(const std::string& path, RgbaImage& image, std::string& error,
             const std::function<void(uint32_t, uint32_t)>& beforePixels)
{
    FileFault fault;
    std::FILE* file = OpenFileWithin(path, MaxPictureFileBytes, fault);
    if (!file) {
        error = "cannot read the PNG picture \"" + path + "\": it " + fault.why;
        return false;
    }
    // Freed however the reading ends, `beforePixels` throwing included.
    struct Reading {
        std::FILE* file;
        png_image png;
        ~Reading()
        {
            png_image_free(&png);
            std::fclose(file);
        }
    } reading{file, {}};
    png_image& png = reading.png;
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_stdio(&png, file)) {
        error = "cannot read the PNG picture \"" + path + "\": " + png.message;
        return false;
    }
    if (png.width > MaxPictureSide || png.height > MaxPictureSide ||
        uint64_t(png.width) * png.height > MaxPicturePixels) {
        error = "the picture \"" + path + "\" is larger than " + std::to_string(MaxPictureSide) + " pixels a side or " +
                std::to_string(MaxPicturePixels) + " pixels";
        return false;
    }
    if (beforePixels) beforePixels(png.width, png.height);
    png.format = PNG_FORMAT_RGBA;
    image.width = png.width;
    image.height = png.height;
    image.rgba.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) {
        error = "cannot read the PNG picture \"" + path + "\": " + png.message;
        image = RgbaImage{};
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
    std::vector<uint8_t> bytes;
    std::string why;
    if (!WriteRows(bytes, image, channels, why)) {
        error = path + ": " + why;
        return false;
    }
    StagedFiles files;
    return files.Write(path, bytes, error) && files.MoveIntoPlace(error);
}
