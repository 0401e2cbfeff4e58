// Stored sprite pixels to display pixels, done once per frame at load time so
// that drawing copies without conversion. Widened channels keep their low bits
// zero, never replicated: a stored 5-6-5 white becomes F8 FC F8 at 32 bits, and
// the colour key the loader builds from a frame's RGB key matches exactly that.
//
//   stored 0: 5-6-5, high byte first     stored 1: 3 bytes blue, green, red
//   depth 32: bytes blue, green, red, 0  depth 16: little-endian 5-6-5
#pragma once

#include "base/CpuFeatures.h"

#include <cstddef>
#include <cstdint>

// Converts `count` stored pixels to display pixels.
using PixelConversion = void (*)(uint8_t* display, const uint8_t* stored, size_t count);

// The conversions in plain C++ (PixelConversion.cpp), for any processor: the
// last row of each pair, and the rows every vector kernel agrees with.
namespace plain {
void rgb565be_to_x888(uint8_t* display, const uint8_t* stored, size_t count);
void bgr888_to_x888(uint8_t* display, const uint8_t* stored, size_t count);
void rgb565be_to_565(uint8_t* display, const uint8_t* stored, size_t count);
void bgr888_to_565(uint8_t* display, const uint8_t* stored, size_t count);
}  // namespace plain

// Vector kernels of the same conversions (PixelConversionX86.cpp), each
// compiled for its instruction set alone and used only on a processor that
// has it; they agree with the plain kernels bit for bit.
#if VECTOR_CODE_X86
namespace sse2 {
void rgb565be_to_x888(uint8_t* display, const uint8_t* stored, size_t count);
}  // namespace sse2
namespace ssse3 {
void bgr888_to_x888(uint8_t* display, const uint8_t* stored, size_t count);
}  // namespace ssse3
namespace avx2 {
void rgb565be_to_x888(uint8_t* display, const uint8_t* stored, size_t count);
void bgr888_to_x888(uint8_t* display, const uint8_t* stored, size_t count);
}  // namespace avx2
#endif

struct PixelConversionPath {
    uint8_t storedFormat;  // the sprite file's pixelFormat
    uint8_t depth;         // DisplayDepth
    uint8_t storedBytes;   // per pixel in the file
    uint8_t displayBytes;  // per pixel in memory
    CpuFeature needs;      // what the kernel needs
    PixelConversion convert;
};

// The table of conversions: (stored format, display depth, instruction set)
// to kernel, fastest first. The first row that fits the pair and the
// processor is taken, and the plain kernel is the last row of each pair.
// Returns the table and its number of rows in `count`.
const PixelConversionPath* PixelConversionPaths(size_t& count);

// Returns the fastest conversion from `storedFormat` to `depth` that this
// processor can run, or null when no conversion leads from that format to
// that depth.
const PixelConversionPath* FindPixelConversion(uint8_t storedFormat, uint8_t depth);
