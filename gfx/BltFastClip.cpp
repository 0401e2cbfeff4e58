#include "gfx/BltFastClip.h"

#include <algorithm>

BltFastClip ClipBltFast(int32_t x, int32_t y, const Rect* sourceRect, int32_t sourceWidth,
                        int32_t sourceHeight, int32_t destinationWidth, int32_t destinationHeight)
{
    const Rect part = sourceRect ? *sourceRect : Rect{0, 0, sourceWidth, sourceHeight};
    // 64-bit, so that no position of the caller's can overflow.
    const int64_t left = std::max<int64_t>(int64_t{x} + part.left, 0);
    const int64_t top = std::max<int64_t>(int64_t{y} + part.top, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + part.right, destinationWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + part.bottom, destinationHeight);
    if (right <= left || bottom <= top) return {true, 0, 0, {0, 0, 0, 0}};
    const Rect source{static_cast<int32_t>(left - x), static_cast<int32_t>(top - y),
                      static_cast<int32_t>(right - x), static_cast<int32_t>(bottom - y)};
    return {false, static_cast<int32_t>(left), static_cast<int32_t>(top), source};
}
