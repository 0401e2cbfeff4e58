#include "tools/spritetool/SpriteContents.h"

#include "sprite/FrameBlit.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/FrameImage.h"
#include "tools/worldfiles/TextValues.h"
#include "tools/worldfiles/ToolPaths.h"

#include <sstream>

namespace {

const char* DrawnAs(const SpriteFrame& frame)
{
    if (frame.alphaMaskSize != 0) return "alpha";
    return (frame.flags & 1) ? "opaque" : "key";
}

std::string FileNameFor(const Animation& animation, int32_t frame)
{
    return FileNameWord(animation.name, "-_") + "-" + std::to_string(animation.direction) + "-" +
           std::to_string(frame) + ".png";
}

}  // namespace

bool ReadSpriteFile(const std::string& path, Sprite& sprite, std::string& error)
{
    std::vector<uint8_t> bytes;
    FileFault fault;
    if (!ReadFileWithin(path, MaxSpriteFileBytes, bytes, fault)) {
        error = path + ": " + WhyUnreadable(path, fault);
        return false;
    }
    return ReadSpriteBytes(bytes, path, sprite, error);
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
                << frame.offsetY << ", key " << FormatRgb(DisplayColorKey(frame.colorKey, 32)) << ", flags "
                << frame.flags << ", " << DrawnAs(frame) << (frame.pixels ? "" : ", no pixels") << ", mask "
                << frame.alphaMaskSize << " bytes, extra " << frame.extraSize << " bytes";
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
            if (!SavePng(folder + "/" + png, FramePicture(SourceOf(frame)), error)) return false;
            text << "frame " << png << " duration=" << frame.duration << " anchor=" << frame.anchorX << ","
                 << frame.anchorY << " offset=" << frame.offsetX << "," << frame.offsetY
                 << " key=" << FormatRgb(DisplayColorKey(frame.colorKey, 32)) << " transparency=" << DrawnAs(frame)
                 << "\n";
        }
    }
    manifest = text.str();
    notes = skipped.str();
    return true;
}
