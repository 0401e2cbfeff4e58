// The mask bytes of a group of pixels, read at once, so that a vector step
// can tell before any other work whether its pixels all keep the destination
// (every byte 0) or all take the source (every byte 255).
#pragma once

#include "base/PixelLoads.h"

#include <cstdint>
#include <type_traits>

template <uint32_t N>
class MaskGroup {
    static_assert(N == 2 || N == 4 || N == 8 || N == 16, "a group is 2, 4, 8 or 16 mask bytes");
    using Word = std::conditional_t<N == 2, uint16_t, std::conditional_t<N == 4, uint32_t, uint64_t>>;

public:
    explicit MaskGroup(const uint8_t* mask) : low(Read(mask)), high(N == 16 ? Read(mask + 8) : low) {}

    bool Clear() const { return (low | high) == 0; }
    bool Opaque() const { return (low & high) == static_cast<Word>(~Word{0}); }

private:
    static Word Read(const uint8_t* mask)
    {
        if constexpr (N == 2) {
            return Load16(mask);
        } else if constexpr (N == 4) {
            return Load32(mask);
        } else {
            return Load64(mask);
        }
    }

    Word low, high;  // of fewer than 16 bytes, both hold the one word
};
