// Pixmix: the per-pixel work of every sprite frame that reaches the screen.
//
// Shared by the library and its one caller, the frame drawer. Both routines
// take the destination and the source by value, cdecl, and return nothing.
// The program imports them by ordinal: 1 = Blt, 2 = Blt_NoColorkey.
//
// Pixels are 32-bit 0x00RRGGBB, or 16-bit 5-6-5 (red 11-15, green 5-10,
// blue 0-4); the destination's bitsPerPixel picks which (32, or anything
// else for 5-6-5). Source pixels already have the destination's layout.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define PIXMIX_CALL __cdecl
#if defined(PIXMIX_BUILDING_LIBRARY)
#define PIXMIX_API
#else
#define PIXMIX_API __declspec(dllimport)
#endif
#else
#define PIXMIX_CALL
#define PIXMIX_API __attribute__((visibility("default")))
#endif

// A rectangle of a surface's memory. Owns nothing.
struct SurfaceBuffer {
    uint8_t* firstPixel;   // the rectangle's top-left pixel
    uint8_t* lastRowEnd;   // one pixel past the right edge of the last row: bound of every row loop
    int32_t pitch;         // bytes from one row's start to the next
    int32_t height;        // rows
    int32_t width;         // pixels per row
    uint8_t bitsPerPixel;  // 16 or 32
};

// The pixels (and optional alpha mask) that land on a SurfaceBuffer.
struct BlitSource {
    const uint8_t* pixels;     // the pixel that lands on the destination's firstPixel
    const uint8_t* alphaMask;  // its mask byte, or null: 0 keeps the destination, 255 takes the source
    int32_t pitch;             // bytes from one source row to the next
    int32_t alphaPitch;        // bytes from one mask row to the next
    int32_t height;            // not read by the routines
    int32_t width;             // not read: the destination's width governs
    uint32_t colorKey;         // transparent value; a 5-6-5 key is a signed 16-bit value widened to 32 bits
    uint8_t bitsPerPixel;      // not read by the routines
};

extern "C" {
// Colour-keyed copy, or a blend through alphaMask when it is given.
PIXMIX_API void PIXMIX_CALL Blt(SurfaceBuffer destination, BlitSource source);
// Opaque copy, or a blend through alphaMask when it is given.
PIXMIX_API void PIXMIX_CALL Blt_NoColorkey(SurfaceBuffer destination, BlitSource source);
}
