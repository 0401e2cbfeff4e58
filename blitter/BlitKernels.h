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
// leaves. The vector kernels of all instruction sets share one body per
// kernel (VectorKernels.inc), which each instruction set's file compiles with
// its own vector and target attribute.
#pragma once

#include "blitter/KernelTarget.h"
#include "blitter/Pixmix.h"

#include <cstdint>

using BlitKernel = void (*)(const SurfaceBuffer& destination, const BlitSource& source);

#define PIXMIX_DECLARE_KERNEL(name) void name(const SurfaceBuffer& destination, const BlitSource& source)

// Every instruction set has the same six.
#define PIXMIX_DECLARE_KERNELS()                                                                                       \
    PIXMIX_DECLARE_KERNEL(blend_x888_a8);                                                                              \
    PIXMIX_DECLARE_KERNEL(key_x888);                                                                                   \
    PIXMIX_DECLARE_KERNEL(copy_x888);                                                                                  \
    PIXMIX_DECLARE_KERNEL(blend_565_a8);                                                                               \
    PIXMIX_DECLARE_KERNEL(key_565);                                                                                    \
    PIXMIX_DECLARE_KERNEL(copy_565)

namespace scalar {
PIXMIX_DECLARE_KERNELS();
}  // namespace scalar

#if PIXMIX_SSE2_KERNELS
namespace sse2 {
PIXMIX_DECLARE_KERNELS();
}  // namespace sse2
#endif

#if PIXMIX_AVX2_KERNELS
namespace avx2 {
PIXMIX_DECLARE_KERNELS();
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
          sourceRow(reinterpret_cast<uintptr_t>(source.pixels)), maskRow(reinterpret_cast<uintptr_t>(source.alphaMask)),
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

// How a vector kernel splits a row: the head before the destination is
// aligned, whole steps of stepPixels, and the tail of pixels left after them.
struct RowSplit {
    uint32_t head, steps, tail;
};

template <uint32_t bytesPerPixel, uint32_t stepPixels>
inline RowSplit SplitRow(const uint8_t* destination, uint32_t width)
{
    const uint32_t head = PixelsBeforeAlignment(destination, bytesPerPixel, width);
    const uint32_t steps = (width - head) / stepPixels;
    return {head, steps, width - head - steps * stepPixels};
}

// The rows of a vector kernel's blit, each with its split. A pitch of whole
// 16-byte blocks keeps every row at the first row's alignment, and so at its
// split, which is then worked out once for the blit rather than row by row:
// on a small sprite that work is a good part of each row's. (The split only
// places the steps on the alignment; any split leaves the same bytes.)
template <uint32_t bytesPerPixel, uint32_t stepPixels>
struct SplitRowCursor : RowCursor {
    RowSplit split;
    bool rowsAlike;

    SplitRowCursor(const SurfaceBuffer& destination, const BlitSource& source)
        : RowCursor(destination, source), split(SplitRow<bytesPerPixel, stepPixels>(Destination(), width)),
          rowsAlike(pitch % 16 == 0)
    {
    }

    void Next()
    {
        RowCursor::Next();
        if (!rowsAlike) split = SplitRow<bytesPerPixel, stepPixels>(Destination(), width);
    }

    // Whether every row is whole steps, with neither head nor tail: the rows
    // of a floor tile, say, whose left edge lies on the alignment.
    bool WholeSteps() const { return rowsAlike && (split.head | split.tail) == 0; }
};
