// The geometry of drawing one frame, kept apart from the drawing itself: where
// the frame lands on the surface, what of it is visible, and the addresses and
// pitches the blitter is given for that rectangle.
#pragma once

#include "base/Rect.h"
#include "blitter/Pixmix.h"
#include "sprite/Sprite.h"

#include <cstdint>

struct FrameBlit {
    SurfaceBuffer destination;  // the target narrowed to the visible rectangle
    BlitSource source;
    bool noColorkey;  // frame flag bit 0: Blt_NoColorkey instead of Blt
};

// Converts a frame's colour key as stored (StoredKeyRgb) to the pixel layout
// of `depth`, as the loader does once with its pixels. Returns 0x00RRGGBB at
// 32 bits; at any other depth 5-6-5, as a signed 16-bit value widened to 32
// bits, which is how the blitter compares 5-6-5 pixels.
uint32_t DisplayColorKey(int32_t colorKey, uint8_t depth);

// Works out the blit that draws `frame` on `target`, which describes a whole
// surface, with the frame's top-left pixel at (x, y) moved by its offset
// minus its anchor. `clip` (in frame coordinates, clamped to the frame)
// limits the part drawn; `depth` is the layout of the frame's pixels
// (DisplayDepth), which its displayKey has too. Returns false when there is nothing to draw: the frame lies
// wholly off the surface, its visible part is empty, or it has fewer pixels
// than its size promises.
bool PlaceFrame(const SpriteFrame& frame, const SurfaceBuffer& target, int32_t x, int32_t y, const Rect* clip,
                uint8_t depth, FrameBlit& blit);
