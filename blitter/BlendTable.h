// BlendTable[r][c] = floor(r x c / 255): the scaled product of a channel value r
// and a weight c, both 0-255. A blended channel is
//     T[destination][255 - a] + T[source][a]
// which never exceeds 255, since floor(x(255-a)/255) + floor(ya/255) <= 255.
// The table makes a blend two look-ups and an addition per channel.
#pragma once

#include <cstdint>

extern uint8_t BlendTable[256 * 256];

// Fills the table as the library's entry point does: c times the single-precision
// value nearest 1/255 (0x3B808081, slightly above it), times r, truncated. Both
// products are exact in double, so every entry equals floor(r x c / 255).
void FillBlendTable();

inline uint8_t ScaleChannel(uint32_t value, uint32_t weight)
{
    return BlendTable[(value << 8) | weight];
}
