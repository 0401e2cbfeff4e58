// Anything on the map that is not a floor tile: the map file's objects and the walkers.
#pragma once

#include "sprite/AnimationName.h"

#include <cstdint>

struct AnimationCursor;

struct SceneObject {
    int16_t x0;  // anchor cell: where it is drawn, what a move tests, what ordering compares
    int16_t y0;
    int16_t x1;  // opposite corner; read only by the ordering rule
    int16_t y1;
    int16_t z;                    // moved along, never read
    int32_t spriteIndex;          // into the map's SpriteRegistry
    AnimationName animationName;  // NUL-terminated
    int32_t direction;
    AnimationCursor* cursor;  // not owned; null: always the animation's first frame
};
