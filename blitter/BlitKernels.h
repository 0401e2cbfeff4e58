// The kernels of the eight blit paths, one per instruction set. A kernel does
// a whole blit: it walks the rows (RowCursor) and does each one. Names read
// <operation>_<pixel layout>[_<mask>]:
//   blend_x888_a8  32-bit pixels through an 8-bit mask (a = 0 untouched, 255 copied)
//   key_x888       32-bit colour-keyed copy (all 32 bits compared)
//   copy_x888      32-bit opaque copy
//   blend_565_a8   5-6-5 pixels through an 8-bit mask (only a = 255 is a plain copy)
//   key_565        5-6-5 colour-keyed copy (signed 16-bit pixel vs. the key)
//   copy_565       5-6-5 opaque copy, one block per row
// Every kernel of every instruction set leaves the bytes the scalar reference
// leaves. The vector kernels share one shape per row: the reference row for
// the head until the destination is 16-byte aligned, a vector body that skips
// all-transparent groups and copies all-opaque ones, the reference row for
// the tail. Head and tail are calls out of line, made only by rows that have
// such pixels: a sprite row is a few steps long, and inline they cost every
// row registers and branches. (The key rows of SSE2 and the x888 ones of
// AVX2, and SSE2's 5-6-5 blend row, keep theirs inline: out of line they
// measured slower.) The copies stay memcpy's, which no vector loop here beat.
#pragma once

#include "blitter/KernelTarget.h"
#include "blitter/Pixmix.h"

#include <cstdint>

using BlitKernel = void (*)(const SurfaceBuffer& destination, const BlitSource& source);

#define PIXMIX_DECLARE_KERNEL(name) void name(const SurfaceBuffer& destination, const BlitSource& source)

namespace scalar {
PIXMIX_DECLARE_KERNEL(blend_x888_a8);
PIXMIX_DECLARE_KERNEL(key_x888);
PIXMIX_DECLARE_KERNEL(copy_x888);
PIXMIX_DECLARE_KERNEL(blend_565_a8);
PIXMIX_DECLARE_KERNEL(key_565);
PIXMIX_DECLARE_KERNEL(copy_565);
}  // namespace scalar

#if PIXMIX_SSE2_KERNELS
namespace sse2 {
PIXMIX_DECLARE_KERNEL(blend_x888_a8);
PIXMIX_DECLARE_KERNEL(key_x888);
PIXMIX_DECLARE_KERNEL(blend_565_a8);
PIXMIX_DECLARE_KERNEL(key_565);
}  // namespace sse2
#endif

#if PIXMIX_AVX2_KERNELS
namespace avx2 {
PIXMIX_DECLARE_KERNEL(blend_x888_a8);
PIXMIX_DECLARE_KERNEL(key_x888);
PIXMIX_DECLARE_KERNEL(blend_565_a8);
PIXMIX_DECLARE_KERNEL(key_565);
}  // namespace avx2
#endif

// The rows of one blit, walked as both routines define it. Row addresses are
// integers: a row is done while its start is below lastRowEnd (an unsigned
// compare, made before every row, the first included), and pitches may be
// negative. The mask row stays put when there is no mask.
struct RowCursor {
    uintptr_t row, end, sourceRow, maskRow;
    uintptr_t pitch, sourcePitch, maskPitch;
    uint32_t width;

    RowCursor(const SurfaceBuffer& destination, const BlitSource& source)
        : row(reinterpret_cast<uintptr_t>(destination.firstPixel)),
          end(reinterpret_cast<uintptr_t>(destination.lastRowEnd)),
          sourceRow(reinterpret_cast<uintptr_t>(source.pixels)),
          maskRow(reinterpret_cast<uintptr_t>(source.alphaMask)),
          pitch(static_cast<uintptr_t>(static_cast<intptr_t>(destination.pitch))),
          sourcePitch(static_cast<uintptr_t>(static_cast<intptr_t>(source.pitch))),
          maskPitch(source.alphaMask ? static_cast<uintptr_t>(static_cast<intptr_t>(source.alphaPitch)) : 0),
          width(static_cast<uint32_t>(destination.width))
    {
    }

    bool More() const { return row < end; }
    void Next()
    {
        row += pitch;
        sourceRow += sourcePitch;
        maskRow += maskPitch;
    }
    uint8_t* Destination() const { return reinterpret_cast<uint8_t*>(row); }
    const uint8_t* Source() const { return reinterpret_cast<const uint8_t*>(sourceRow); }
    const uint8_t* Mask() const { return reinterpret_cast<const uint8_t*>(maskRow); }
};

// Pixels of a row before its destination reaches a 16-byte boundary: the
// vector kernels' scalar head. None when the row never reaches one (an
// address that is not a whole number of pixels from a boundary).
inline uint32_t PixelsBeforeAlignment(const uint8_t* destination, uint32_t bytesPerPixel, uint32_t width)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(destination);
    if (address % bytesPerPixel != 0) return 0;
    const uint32_t head = static_cast<uint32_t>((0u - address) % 16) / bytesPerPixel;
    return head < width ? head : width;
}
