#include "tools/spritetool/SpriteWriter.h"

#include <cstdio>

namespace {

constexpr size_t NameBytes = 33;

void AppendLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendInt32(std::vector<uint8_t>& bytes, int32_t value)
{
    AppendLittleEndian(bytes, static_cast<uint32_t>(value), 4);
}

void AppendInt16(std::vector<uint8_t>& bytes, int32_t value)
{
    AppendLittleEndian(bytes, static_cast<uint32_t>(value), 2);
}

void AppendBlock(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& block)
{
    AppendInt32(bytes, static_cast<int32_t>(block.size()));
    bytes.insert(bytes.end(), block.begin(), block.end());
}

void AppendFrame(std::vector<uint8_t>& bytes, const FrameSource& frame, uint8_t pixelFormat)
{
    AppendInt32(bytes, frame.duration);
    bytes.push_back(static_cast<uint8_t>(frame.colorKey >> 16));
    bytes.push_back(static_cast<uint8_t>(frame.colorKey >> 8));
    bytes.push_back(static_cast<uint8_t>(frame.colorKey));
    bytes.push_back(0);
    AppendInt32(bytes, frame.flags);
    for (int16_t value : {frame.anchorX, frame.anchorY, frame.offsetX, frame.offsetY,
                          frame.reserved1, frame.reserved2}) {
        AppendInt16(bytes, value);
    }
    AppendInt16(bytes, frame.width);
    AppendInt16(bytes, frame.height);
    AppendInt32(bytes, frame.pixelsPresent ? 1 : 0);
    if (frame.pixelsPresent) {
        if (!frame.storedPixels.empty()) {
            bytes.insert(bytes.end(), frame.storedPixels.begin(), frame.storedPixels.end());
        } else {
            for (uint32_t rgb : frame.pixels) AppendStoredPixel(bytes, rgb, pixelFormat);
        }
    }
    AppendBlock(bytes, frame.alphaMask);
    AppendBlock(bytes, frame.extra);
}

}  // namespace

void AppendStoredPixel(std::vector<uint8_t>& bytes, uint32_t rgb, uint8_t pixelFormat)
{
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    if (pixelFormat == 0) {
        const uint32_t pixel = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        bytes.push_back(static_cast<uint8_t>(pixel >> 8));
        bytes.push_back(static_cast<uint8_t>(pixel));
    } else {
        bytes.push_back(static_cast<uint8_t>(b));
        bytes.push_back(static_cast<uint8_t>(g));
        bytes.push_back(static_cast<uint8_t>(r));
    }
}

std::vector<uint8_t> EncodeSpriteFile(const SpriteSource& sprite)
{
    std::vector<uint8_t> bytes = {'S', 'P', 'R', 'I', 'T', 'E'};
    AppendInt32(bytes, sprite.id);
    bytes.push_back(sprite.pixelFormat);
    bytes.push_back(sprite.reserved);
    AppendInt32(bytes, static_cast<int32_t>(sprite.animations.size()));
    for (const AnimationSource& animation : sprite.animations) {
        char name[NameBytes] = {};
        animation.name.copy(name, NameBytes - 1);
        bytes.insert(bytes.end(), name, name + NameBytes);
        AppendInt32(bytes, animation.direction);
        AppendInt32(bytes, static_cast<int32_t>(animation.frames.size()));
        for (const FrameSource& frame : animation.frames) AppendFrame(bytes, frame, sprite.pixelFormat);
    }
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
