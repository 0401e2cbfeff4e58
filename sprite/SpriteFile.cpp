// The sprite file, read strictly in order, little-endian, no padding:
//
//   header (16)       "SPRITE" | id i32 | pixelFormat u8 | reserved u8 | animationCount i32
//   animation (41)    name char[33], NUL within | direction i32 | frameCount i32
//     frame (32..)    duration i32 | colorKey u8 R,G,B,unused | flags i32
//                     anchorX anchorY offsetX offsetY reserved1 reserved2 i16 | width height u16
//                     pixelsPresent i32
//                     [pixels: width x height, format 0: 5-6-5 high byte first (2),
//                                              format 1: blue, green, red (3)]   if pixelsPresent != 0
//                     alphaMaskSize i32 | mask bytes[alphaMaskSize]
//                     extraSize i32     | extra bytes[extraSize]
//     ... frameCount frames, then the next animation
//
// Nothing from the file is trusted: every count and size is checked against
// the bytes that are left before anything is allocated for it, and a file that
// breaks the layout leaves the record empty. Only a wrong magic is fatal.
#include "sprite/Sprite.h"

#include "base/BoundedReader.h"
#include "base/ErrLog.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameBlit.h"
#include "sprite/PixelConversion.h"
#include "sprite/SpriteFile.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace {

// Allocates `count` zeroed records. Returns null for a count of 0, and when
// the memory cannot be had.
template <typename Record>
Record* AllocateZeroed(int32_t count)
{
    if (count == 0) return nullptr;
    return new (std::nothrow) Record[static_cast<size_t>(count)]();
}

// Reads `size` bytes into a new buffer owned by the caller; a size of 0 leaves
// no buffer. Returns false when the bytes are not all left or the memory
// cannot be had.
bool ReadOwnedBytes(BoundedReader& file, int32_t size, uint8_t*& buffer)
{
    if (!file.Fits(size, 1)) return false;
    if (size == 0) return true;
    buffer = new (std::nothrow) uint8_t[static_cast<size_t>(size)];
    return buffer && file.ReadBytes(buffer, static_cast<size_t>(size));
}

// Reads a frame's pixels and converts them, and its colour key, with `path`
// from the file's format to the display's. Returns false when `path` is null (no conversion leads to
// that depth), when the pixels are not all left, or when they would need more
// memory than a frame may hold.
bool ReadPixels(BoundedReader& file, const PixelConversionPath* path, SpriteFrame& frame)
{
    if (!path) return false;
    // The key takes the pixels' layout with them, so that drawing compares
    // it as it is.
    frame.displayKey = DisplayColorKey(frame.colorKey, path->depth);
    const uint64_t count = uint64_t(frame.width) * frame.height;
    if (!file.Fits(static_cast<int64_t>(count), path->storedBytes)) return false;
    const uint64_t displaySize = count * path->displayBytes;
    if (displaySize > uint64_t(std::numeric_limits<int32_t>::max())) return false;
    if (count == 0) return true;

    frame.pixels = new (std::nothrow) uint8_t[displaySize];
    if (!frame.pixels) return false;
    frame.pixelBytes = static_cast<int32_t>(displaySize);
    uint8_t* display = frame.pixels;
    return file.ReadInPieces(count, path->storedBytes, [&](const uint8_t* stored, size_t pixels) {
        path->convert(display, stored, pixels);
        display += pixels * path->displayBytes;
    });
}

// Reads one frame into `frame`, which starts zeroed, and its display time into
// `duration`. Returns false when the frame breaks the layout; what was read of
// it is then released with the sprite.
bool ReadFrame(BoundedReader& file, const PixelConversionPath* path, SpriteFrame& frame, float& duration)
{
    int32_t pixelsPresent = 0;
    const bool fixedFields = file.Read(frame.duration) && file.Read(frame.colorKey) && file.Read(frame.flags) &&
                             file.Read(frame.anchorX) && file.Read(frame.anchorY) && file.Read(frame.offsetX) &&
                             file.Read(frame.offsetY) && file.Read(frame.reserved1) && file.Read(frame.reserved2) &&
                             file.Read(frame.width) && file.Read(frame.height) && file.Read(pixelsPresent);
    if (!fixedFields) return false;
    duration = static_cast<float>(frame.duration);

    if (pixelsPresent != 0 && !ReadPixels(file, path, frame)) return false;
    return file.Read(frame.alphaMaskSize) && ReadOwnedBytes(file, frame.alphaMaskSize, frame.alphaMask) &&
           file.Read(frame.extraSize) && ReadOwnedBytes(file, frame.extraSize, frame.extra);
}

// Reads one animation with its frames. Returns false when the animation
// breaks the layout: a name without a NUL, more frames than the rest of the
// file could hold, or a frame that breaks it.
bool ReadAnimation(BoundedReader& file, const PixelConversionPath* path, Animation& animation)
{
    int32_t frameCount = 0;
    if (!file.ReadBytes(animation.name, AnimationNameSize) || !std::memchr(animation.name, '\0', AnimationNameSize) ||
        !file.Read(animation.direction) || !file.Read(frameCount) || !file.Fits(frameCount, SmallestFrameSize)) {
        return false;
    }
    animation.frames = AllocateZeroed<SpriteFrame>(frameCount);
    animation.timing.durations = AllocateZeroed<float>(frameCount);
    if (frameCount > 0 && (!animation.frames || !animation.timing.durations)) return false;
    animation.frameCount = frameCount;
    animation.timing.frameCount = frameCount;

    for (int32_t i = 0; i < frameCount; ++i) {
        if (!ReadFrame(file, path, animation.frames[i], animation.timing.durations[i])) return false;
    }
    return true;
}

void FreeFrame(SpriteFrame& frame)
{
    delete[] frame.pixels;
    delete[] frame.alphaMask;
    delete[] frame.extra;
}

}  // namespace

bool ReadSpriteMagic(BoundedReader& file)
{
    char magic[SpriteMagicSize + 1] = {};
    file.ReadBytes(magic, SpriteMagicSize);
    return std::memcmp(magic, SpriteMagic, sizeof magic) == 0;
}

bool Sprite::LoadSprite(const char* fileName)
{
    return LoadSprite(fileName, DisplayDepth);
}

bool Sprite::LoadSprite(const char* fileName, uint8_t depth)
{
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return false;
    bool wrongMagic = false, loaded = false;
    size_t size = 0;
    if (SizeOfRest(file, size)) {
        BoundedReader reader(file, size);
        // A file that cannot be read at all (a directory, say) has no magic,
        // so it is not logged as a wrong one.
        if (ReadSpriteMagic(reader)) loaded = ReadSprite(reader, depth);
        else wrongMagic = !reader.ReadError();
    }
    std::fclose(file);
    // ErrLog ends the process, unless the log cannot be opened; then the load
    // just fails.
    if (wrongMagic) ErrLog(WrongSpriteMagicMessage);
    return loaded;
}

bool Sprite::ReadSprite(BoundedReader& file)
{
    return ReadSprite(file, DisplayDepth);
}

bool Sprite::ReadSprite(BoundedReader& file, uint8_t depth)
{
    int32_t count = 0;
    bool ok = file.Read(id) && file.Read(pixelFormat) && file.Read(reserved) && file.Read(count) && pixelFormat <= 1 &&
              file.Fits(count, AnimationHeaderSize);
    if (ok) {
        animations = AllocateZeroed<Animation>(count);
        ok = count == 0 || animations;
    }
    if (ok) {
        animationCount = count;
        const PixelConversionPath* path = FindPixelConversion(pixelFormat, depth);
        for (int32_t i = 0; ok && i < count; ++i) ok = ReadAnimation(file, path, animations[i]);
    }
    if (!ok) FreeSprite();
    return ok;
}

void Sprite::ResetSprite()
{
    id = 0;
    pixelFormat = 0;
    reserved = 0;
    animationCount = 0;
    animations = nullptr;
}

void Sprite::FreeSprite()
{
    for (int32_t a = 0; a < animationCount; ++a) {
        Animation& animation = animations[a];
        for (int32_t f = 0; f < animation.frameCount; ++f) FreeFrame(animation.frames[f]);
        delete[] animation.frames;
        delete[] animation.timing.durations;
    }
    delete[] animations;
    ResetSprite();
}
