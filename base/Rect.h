// A rectangle with right and bottom exclusive; the same layout as a Windows RECT.
#pragma once

#include <cstdint>

struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
