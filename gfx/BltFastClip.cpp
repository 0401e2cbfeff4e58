#include "gfx/BltFastClip.h"

BltFastClip ClipBltFast(int32_t x, int32_t y, const Rect* sourceRect, int32_t sourceWidth, int32_t sourceHeight,
                        int32_t destinationWidth, int32_t destinationHeight)
{
    const Rect part = sourceRect ? *sourceRect : Rect{0, 0, sourceWidth, sourceHeight};
    // In 64 bits, so that no position of the caller's can overflow.
    const WideRect landed =
        part.As<int64_t>().Translated(x, y).Intersected({0, 0, destinationWidth, destinationHeight});
    if (landed.IsEmpty()) return {true, 0, 0, {0, 0, 0, 0}};
    // The part that lands lies within the source part, so it fits in 32 bits.
    const Rect source = landed.Translated(-int64_t{x}, -int64_t{y}).As<int32_t>();
    return {false, static_cast<int32_t>(landed.left), static_cast<int32_t>(landed.top), source};
}
