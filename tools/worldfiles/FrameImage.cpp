#include "tools/worldfiles/FrameImage.h"

#include "base/PixelFormats.h"

namespace {

Transparency Decide(const RgbaImage& image, uint32_t x0, uint32_t y0, uint32_t width, uint32_t height, uint32_t key,
                    uint8_t pixelFormat)
{
    bool cleared = false, keyed = false;
    for (uint32_t y = y0; y < y0 + height; ++y) {
        for (uint32_t x = x0; x < x0 + width; ++x) {
            const uint8_t* pixel = image.Pixel(x, y);
            if (pixel[3] != 0 && pixel[3] != 255) return Transparency::Alpha;
            cleared = cleared || pixel[3] == 0;
            keyed = keyed || StoredColour(RgbOf(pixel), pixelFormat) == key;
        }
    }
    return cleared || keyed ? Transparency::Key : Transparency::Opaque;
}

int32_t AnchorX(const FrameSettings& settings, uint32_t width)
{
    return settings.anchorMode == AnchorMode::Point ? settings.anchorX : int32_t(width / 2);
}

int32_t AnchorY(const FrameSettings& settings, uint32_t height)
{
    switch (settings.anchorMode) {
    case AnchorMode::Center: return int32_t(height / 2);
    case AnchorMode::Bottom: return height ? int32_t(height - 1) : 0;
    default: return settings.anchorY;
    }
}

}  // namespace

uint32_t StoredColour(uint32_t rgb, uint8_t pixelFormat)
{
    return pixelFormat == 0 ? RgbOf565(Pack565(rgb)) : rgb & 0xFFFFFF;
}

FrameSource MakeFrame(const RgbaImage& image, uint32_t x0, uint32_t y0, uint32_t width, uint32_t height,
                      const FrameSettings& settings, uint8_t pixelFormat, std::vector<std::string>& warnings)
{
    FrameSource frame;
    frame.duration = settings.duration;
    frame.anchorX = static_cast<int16_t>(AnchorX(settings, width));
    frame.anchorY = static_cast<int16_t>(AnchorY(settings, height));
    frame.offsetX = static_cast<int16_t>(settings.offsetX);
    frame.offsetY = static_cast<int16_t>(settings.offsetY);
    frame.width = static_cast<uint16_t>(width);
    frame.height = static_cast<uint16_t>(height);
    // A 5-6-5 file keeps only the key's high bits, as it does its pixels', so
    // that the two still match once loaded.
    const uint32_t key = StoredColour(settings.colorKey, pixelFormat);
    frame.colorKey = key;

    Transparency transparency = settings.transparency;
    if (transparency == Transparency::Auto) transparency = Decide(image, x0, y0, width, height, key, pixelFormat);
    frame.flags = transparency == Transparency::Opaque ? 1 : 0;

    size_t hiddenByKey = 0, cleared = 0;
    for (uint32_t y = y0; y < y0 + height; ++y) {
        for (uint32_t x = x0; x < x0 + width; ++x) {
            const uint8_t* pixel = image.Pixel(x, y);
            uint32_t rgb = RgbOf(pixel);
            if (transparency == Transparency::Alpha) frame.alphaMask.push_back(pixel[3]);
            if (transparency == Transparency::Key) {
                if (pixel[3] < 128) {
                    rgb = key;
                    ++cleared;
                } else if (StoredColour(rgb, pixelFormat) == key) {
                    ++hiddenByKey;
                }
            }
            frame.pixels.push_back(rgb);
        }
    }
    // An image drawn with transparency should not also use the key colour;
    // one drawn on a key-coloured background means it.
    if (hiddenByKey && cleared) {
        warnings.push_back(std::to_string(hiddenByKey) + " visible pixels have the key colour and will not be drawn");
    }
    return frame;
}

RgbaImage FramePicture(const FrameSource& frame)
{
    RgbaImage image;
    image.width = frame.width;
    image.height = frame.height;
    const size_t count = size_t(frame.width) * frame.height;
    image.rgba.resize(count * 4);
    const bool masked = frame.alphaMask.size() >= count;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t rgb = frame.pixels[i];
        uint8_t* p = &image.rgba[i * 4];
        SetRgb(p, rgb);
        p[3] = masked ? frame.alphaMask[i] : ((frame.flags & 1) || rgb != frame.colorKey) ? 255 : 0;
    }
    return image;
}
