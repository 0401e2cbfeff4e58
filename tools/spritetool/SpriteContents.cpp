#include "tools/spritetool/SpriteContents.h"

#include "base/BoundedReader.h"
#include "sprite/SpriteFile.h"
#include "tools/worldfiles/PngImage.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

std::string Hex(uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
    return text;
}

// Returns the frame's key as 0xRRGGBB (it is stored red first).
uint32_t KeyRgb(const SpriteFrame& frame)
{
    const uint32_t key = static_cast<uint32_t>(frame.colorKey);
    return (key & 0xFF) << 16 | (key & 0xFF00) | ((key >> 16) & 0xFF);
}

const char* DrawnAs(const SpriteFrame& frame)
{
    if (frame.alphaMaskSize != 0) return "alpha";
    return (frame.flags & 1) ? "opaque" : "key";
}

uint32_t PixelAt(const SpriteFrame& frame, size_t i)
{
    uint32_t value;
    std::memcpy(&value, frame.pixels + 4 * i, 4);
    return value & 0xFFFFFF;
}

RgbaImage FrameImage(const SpriteFrame& frame)
{
    RgbaImage image;
    image.width = frame.width;
    image.height = frame.height;
    const size_t count = size_t(frame.width) * frame.height;
    const bool masked = frame.alphaMaskSize >= 0 && size_t(frame.alphaMaskSize) >= count && frame.alphaMask;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t rgb = PixelAt(frame, i);
        uint8_t alpha = 255;
        if (masked) alpha = frame.alphaMask[i];
        else if (!(frame.flags & 1) && rgb == KeyRgb(frame)) alpha = 0;
        image.rgba.insert(image.rgba.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), alpha});
    }
    return image;
}

std::string FileNameFor(const Animation& animation, int32_t frame)
{
    std::string name = animation.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    }
    return name + "-" + std::to_string(animation.direction) + "-" + std::to_string(frame) + ".png";
}

}  // namespace

bool ReadSpriteFile(const std::string& path, Sprite& sprite, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    size_t size = 0;
    if (!file || !SizeOfRest(file, size)) {
        if (file) std::fclose(file);
        error = path + ": cannot be read";
        return false;
    }
    BoundedReader reader(file, size);
    // Read at 32 bits, so that every pixel comes back as its whole 0xRRGGBB.
    const bool magic = ReadSpriteMagic(reader);
    const bool read = magic && sprite.ReadSprite(reader, 32);
    std::fclose(file);
    if (reader.ReadError()) {
        error = path + ": cannot be read";
    } else if (!magic) {
        error = path + ": not a sprite file (it does not start with SPRITE)";
    } else if (!read) {
        error = path + ": damaged: the layout breaks at or before byte " + std::to_string(reader.Offset()) + " of " +
                std::to_string(size);
    }
    return read;
}

void PrintSprite(const Sprite& sprite, std::ostream& out)
{
    out << "sprite id " << sprite.id << ", stored format " << int(sprite.pixelFormat)
        << (sprite.pixelFormat == 0 ? " (5-6-5)" : " (8-8-8)") << ", reserved " << int(sprite.reserved) << ", "
        << sprite.animationCount << " animation" << (sprite.animationCount == 1 ? "" : "s") << "\n";
    for (int32_t a = 0; a < sprite.animationCount; ++a) {
        const Animation& animation = sprite.animations[a];
        out << "animation \"" << animation.name << "\" direction " << animation.direction << ": "
            << animation.frameCount << " frame" << (animation.frameCount == 1 ? "" : "s") << "\n";
        for (int32_t f = 0; f < animation.frameCount; ++f) {
            const SpriteFrame& frame = animation.frames[f];
            out << "  frame " << f << ": " << frame.width << "x" << frame.height << ", " << frame.duration
                << " ms, anchor " << frame.anchorX << "," << frame.anchorY << ", offset " << frame.offsetX << ","
                << frame.offsetY << ", key " << Hex(KeyRgb(frame)) << ", flags " << frame.flags << ", "
                << DrawnAs(frame) << (frame.pixels ? "" : ", no pixels") << ", mask " << frame.alphaMaskSize
                << " bytes, extra " << frame.extraSize << " bytes";
            if (frame.reserved1 || frame.reserved2) out << ", reserved " << frame.reserved1 << "," << frame.reserved2;
            out << "\n";
        }
    }
}

bool UnpackSprite(const Sprite& sprite, const std::string& folder, std::string& manifest, std::string& notes,
                  std::string& error)
{
    std::ostringstream text, skipped;
    text << "# unpacked from a sprite file\nid " << sprite.id << "\nformat "
         << (sprite.pixelFormat == 0 ? "565" : "888") << "\n";
    if (sprite.reserved) skipped << "the header's reserved byte " << int(sprite.reserved) << " is not kept\n";
    for (int32_t a = 0; a < sprite.animationCount; ++a) {
        const Animation& animation = sprite.animations[a];
        text << "\nanimation \"" << animation.name << "\" direction " << animation.direction << "\n";
        for (int32_t f = 0; f < animation.frameCount; ++f) {
            const SpriteFrame& frame = animation.frames[f];
            if (!frame.pixels) {
                skipped << animation.name << " " << animation.direction << " frame " << f
                        << " has no pixels: left out\n";
                continue;
            }
            if (frame.extraSize || frame.reserved1 || frame.reserved2) {
                skipped << animation.name << " " << animation.direction << " frame " << f
                        << ": its extra block and reserved fields are not kept\n";
            }
            const std::string png = FileNameFor(animation, f);
            if (!SavePng(folder + "/" + png, FrameImage(frame), error)) return false;
            text << "frame " << png << " duration=" << frame.duration << " anchor=" << frame.anchorX << ","
                 << frame.anchorY << " offset=" << frame.offsetX << "," << frame.offsetY
                 << " key=" << Hex(KeyRgb(frame)) << " transparency=" << DrawnAs(frame) << "\n";
        }
    }
    manifest = text.str();
    notes = skipped.str();
    return true;
}
