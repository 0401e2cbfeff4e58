// The clipping of the device's BltFast: (x, y) is where the whole source's
// top-left corner lands; a source rectangle picks the part that is copied,
// which lands at (x + left, y + top). Only the destination's bounds clip.
#pragma once

#include "base/Rect.h"

#include <cstdint>

struct BltFastClip {
    bool empty;  // nothing of the source lands on the destination
    int32_t x;   // where the clipped part lands
    int32_t y;
    Rect source;  // the clipped part, in source coordinates
};

// Clips the copy of `sourceRect` of the source (the whole source,
// sourceWidth x sourceHeight, when null) to the destination. Returns where the
// part that lands goes and which part it is, or `empty` when nothing lands.
BltFastClip ClipBltFast(int32_t x, int32_t y, const Rect* sourceRect, int32_t sourceWidth, int32_t sourceHeight,
                        int32_t destinationWidth, int32_t destinationHeight);
