#include "blitter/BlendTable.h"

#include <cstring>

uint8_t BlendTable[256 * 256];

void FillBlendTable()
{
    const uint32_t nearestOneOver255Bits = 0x3B808081u;
    float k;
    std::memcpy(&k, &nearestOneOver255Bits, sizeof k);
    for (int r = 0; r < 256; ++r) {
        for (int c = 0; c < 256; ++c) {
            const double product = static_cast<double>(c) * static_cast<double>(k) * r;
            BlendTable[r * 256 + c] = static_cast<uint8_t>(product);
        }
    }
}
