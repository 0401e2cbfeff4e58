#include "tools/worldfiles/SpriteWriter.h"

#include "base/ByteWriter.h"
#include "sprite/SpriteFile.h"

namespace {

// Appends the stored bytes of one 0xRRGGBB colour: 5-6-5 high byte first, or
// blue, green, red.
void AppendStoredPixel(std::vector<uint8_t>& bytes, uint32_t rgb, uint8_t pixelFormat)
{
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    if (pixelFormat == 0) {
        ByteWriter(bytes).WriteBigEndian(static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)));
    } else {
        bytes.push_back(static_cast<uint8_t>(b));
        bytes.push_back(static_cast<uint8_t>(g));
        bytes.push_back(static_cast<uint8_t>(r));
    }
}

// A block of the frame: its length, then its bytes.
void WriteBlock(ByteWriter& out, const std::vector<uint8_t>& block)
{
    out.Write(static_cast<int32_t>(block.size()));
    out.WriteBytes(block);
}

void WriteFrame(std::vector<uint8_t>& bytes, const FrameSource& frame, uint8_t pixelFormat)
{
    ByteWriter out(bytes);
    out.Write(frame.duration);
    // The key is stored as the bytes red, green, blue, 0.
    for (int shift : {16, 8, 0}) out.Write(static_cast<uint8_t>(frame.colorKey >> shift));
    out.Write(uint8_t{0});
    out.Write(frame.flags);
    for (int16_t value :
         {frame.anchorX, frame.anchorY, frame.offsetX, frame.offsetY, frame.reserved1, frame.reserved2}) {
        out.Write(value);
    }
    out.Write(frame.width);
    out.Write(frame.height);
    out.Write(int32_t(frame.pixelsPresent ? 1 : 0));
    if (frame.pixelsPresent) {
        if (!frame.storedPixels.empty()) {
            out.WriteBytes(frame.storedPixels);
        } else {
            for (uint32_t rgb : frame.pixels) AppendStoredPixel(bytes, rgb, pixelFormat);
        }
    }
    WriteBlock(out, frame.alphaMask);
    WriteBlock(out, frame.extra);
}

}  // namespace

std::vector<uint8_t> EncodeSpriteFile(const SpriteSource& sprite)
{
    std::vector<uint8_t> bytes(SpriteMagic, SpriteMagic + SpriteMagicSize);
    ByteWriter out(bytes);
    out.Write(sprite.id);
    out.Write(sprite.pixelFormat);
    out.Write(sprite.reserved);
    out.Write(static_cast<int32_t>(sprite.animations.size()));
    for (const AnimationSource& animation : sprite.animations) {
        out.WriteText(animation.name, AnimationNameSize);
        out.Write(animation.direction);
        out.Write(static_cast<int32_t>(animation.frames.size()));
        for (const FrameSource& frame : animation.frames) WriteFrame(bytes, frame, sprite.pixelFormat);
    }
    return bytes;
}
