#include "tools/worldfiles/SpriteWriter.h"

#include "base/ByteWriter.h"
#include "base/PixelFormats.h"
#include "sprite/SpriteFile.h"

namespace {

// Appends the stored bytes of one 0xRRGGBB colour: 5-6-5 high byte first, or
// blue, green, red.
void AppendStoredPixel(std::vector<uint8_t>& bytes, uint32_t rgb, uint8_t pixelFormat)
{
    if (pixelFormat == 0) {
        ByteWriter(bytes).WriteBigEndian(Pack565(rgb));
    } else {
        // Blue, green, red: the low three bytes of 0x00RRGGBB in little-endian order.
        for (int shift : {0, 8, 16}) bytes.push_back(static_cast<uint8_t>(rgb >> shift));
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
