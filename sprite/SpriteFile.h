// The sprite file's fixed sizes, shared by the loader and by the tools that
// write sprite files. The layout itself is drawn at the top of SpriteFile.cpp.
#pragma once

#include "base/PixelFormats.h"
#include "sprite/AnimationName.h"

#include <cstddef>
#include <cstdint>

class BoundedReader;

constexpr char SpriteMagic[] = "SPRITE";
constexpr size_t SpriteMagicSize = 6;
constexpr size_t AnimationHeaderSize = 41;
constexpr size_t FrameFixedSize = 32;                         // up to and including pixelsPresent
constexpr size_t SmallestFrameSize = FrameFixedSize + 4 + 4;  // no pixels, mask or extra

// Returns a frame's colour key as stored (the bytes red, green, blue, unused,
// read as one little-endian value) as 0x00RRGGBB.
constexpr uint32_t StoredKeyRgb(int32_t storedKey)
{
    return SwapRedAndBlue(static_cast<uint32_t>(storedKey));
}

constexpr const char* WrongSpriteMagicMessage = "LoadSprite(SPRITE_ID wrong) failed.";

// Reads the six magic bytes. Returns true when they are exactly "SPRITE"; a
// file shorter than that fails as any other wrong magic does.
bool ReadSpriteMagic(BoundedReader& file);
