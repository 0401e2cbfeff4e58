// The two exported routines: pick a row kernel, then walk the rows.
#include "blitter/Pixmix.h"
#include "blitter/RowKernels.h"

namespace {

enum class Routine { Blt, NoColorkey };

struct BlitPath {
    Routine routine;
    int bytesPerPixel;
    bool masked;
    RowKernel kernel;
};

// (routine, pixel size, mask given) -> kernel. With a mask both routines blend.
// The first matching row wins, so a faster kernel for some CPU feature belongs
// above the reference row it must match bit for bit, which stays the fallback.
const BlitPath BlitPaths[] = {
    {Routine::Blt,        4, true,  scalar::blend_x888_a8},
    {Routine::NoColorkey, 4, true,  scalar::blend_x888_a8},
    {Routine::Blt,        4, false, scalar::key_x888},
    {Routine::NoColorkey, 4, false, scalar::copy_x888},
    {Routine::Blt,        2, true,  scalar::blend_565_a8},
    {Routine::NoColorkey, 2, true,  scalar::blend_565_a8},
    {Routine::Blt,        2, false, scalar::key_565},
    {Routine::NoColorkey, 2, false, scalar::copy_565},
};

RowKernel FindKernel(Routine routine, int bytesPerPixel, bool masked)
{
    for (const BlitPath& path : BlitPaths) {
        if (path.routine == routine && path.bytesPerPixel == bytesPerPixel && path.masked == masked) {
            return path.kernel;
        }
    }
    return nullptr;  // every combination has a row above
}

// Row addresses are handled as integers: the bound is an unsigned address
// compare made before every row, the first included, and pitches may be negative.
void BlitRows(Routine routine, const SurfaceBuffer& destination, const BlitSource& source)
{
    const int bytesPerPixel = destination.bitsPerPixel == 32 ? 4 : 2;
    const bool masked = source.alphaMask != nullptr;
    const RowKernel kernel = FindKernel(routine, bytesPerPixel, masked);
    const uint32_t width = static_cast<uint32_t>(destination.width);

    uintptr_t row = reinterpret_cast<uintptr_t>(destination.firstPixel);
    const uintptr_t end = reinterpret_cast<uintptr_t>(destination.lastRowEnd);
    uintptr_t sourceRow = reinterpret_cast<uintptr_t>(source.pixels);
    uintptr_t maskRow = reinterpret_cast<uintptr_t>(source.alphaMask);
    const uintptr_t pitch = static_cast<uintptr_t>(static_cast<intptr_t>(destination.pitch));
    const uintptr_t sourcePitch = static_cast<uintptr_t>(static_cast<intptr_t>(source.pitch));
    const uintptr_t maskPitch = masked ? static_cast<uintptr_t>(static_cast<intptr_t>(source.alphaPitch)) : 0;

    for (; row < end; row += pitch, sourceRow += sourcePitch, maskRow += maskPitch) {
        kernel(reinterpret_cast<uint8_t*>(row), reinterpret_cast<const uint8_t*>(sourceRow),
               reinterpret_cast<const uint8_t*>(maskRow), width, source.colorKey);
    }
}

}  // namespace

extern "C" {

PIXMIX_API void PIXMIX_CALL Blt(SurfaceBuffer destination, BlitSource source)
{
    BlitRows(Routine::Blt, destination, source);
}

PIXMIX_API void PIXMIX_CALL Blt_NoColorkey(SurfaceBuffer destination, BlitSource source)
{
    BlitRows(Routine::NoColorkey, destination, source);
}

}
