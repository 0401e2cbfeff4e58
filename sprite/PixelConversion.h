// Stored sprite pixels to display pixels, done once per frame at load time so
// that drawing copies without conversion. Widened channels keep their low bits
// zero, never replicated: a stored 5-6-5 white becomes F8 FC F8 at 32 bits, and
// the colour key the drawer builds from a frame's RGB key matches exactly that.
//
//   stored 0: 5-6-5, high byte first     stored 1: 3 bytes blue, green, red
//   depth 32: bytes blue, green, red, 0  depth 16: little-endian 5-6-5
#pragma once

#include "base/CpuFeatures.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using PixelConversion = void (*)(uint8_t* display, const uint8_t* stored, size_t count);

namespace conversion {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool LittleEndianHost = true;
#else
constexpr bool LittleEndianHost = false;
#endif

// Whole words in and out where the host's byte order is the display's, so
// that the compiler sees a plain word loop; bytes one by one elsewhere.
inline uint32_t LoadWord(const uint8_t* bytes)
{
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

inline void StoreWord(uint8_t* bytes, uint32_t word)
{
    std::memcpy(bytes, &word, 4);
}

inline void StorePixel32(uint8_t* display, uint32_t rgb)
{
    if (LittleEndianHost) {
        StoreWord(display, rgb);
    } else {
        display[0] = static_cast<uint8_t>(rgb);
        display[1] = static_cast<uint8_t>(rgb >> 8);
        display[2] = static_cast<uint8_t>(rgb >> 16);
        display[3] = 0;
    }
}

// hi = the first stored byte: red 5 bits, then green's top 3; lo = green's
// low 3, then blue 5.
inline void rgb565be_to_x888(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 2, display += 4) {
        const uint32_t v = uint32_t(stored[0]) << 8 | stored[1];
        StorePixel32(display, (v & 0xF800) << 8 | (v & 0x07E0) << 5 | (v & 0x001F) << 3);
    }
}

// Two pixels are six bytes of one 64-bit word, b0 g0 r0 b1 g1 r1 (and two
// bytes of the next pixel, which the masks drop); moving the second pixel up
// one byte puts both in display layout. SSE2 does two such words at once.
// Both leave the last pixel to the byte loop, so no load reaches past the data.
inline size_t bgr888_to_x888_words(uint8_t* display, const uint8_t* stored, size_t count)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi64x(0xFFFFFF);
    const __m128i second = _mm_set1_epi64x(0xFFFFFF00000000LL);
    for (; i + 4 < count; i += 4, stored += 12, display += 16) {
        const __m128i words = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(stored)),
                                                 _mm_loadl_epi64(reinterpret_cast<const __m128i*>(stored + 6)));
        const __m128i pixels =
            _mm_or_si128(_mm_and_si128(words, first), _mm_and_si128(_mm_slli_epi64(words, 8), second));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(display), pixels);
    }
#endif
    for (; i + 2 < count; i += 2, stored += 6, display += 8) {
        uint64_t word;
        std::memcpy(&word, stored, 8);
        word = (word & 0xFFFFFF) | ((word << 8) & 0xFFFFFF00000000ULL);
        std::memcpy(display, &word, 8);
    }
    return i;
}

inline void bgr888_to_x888(uint8_t* display, const uint8_t* stored, size_t count)
{
    const size_t done = LittleEndianHost ? bgr888_to_x888_words(display, stored, count) : 0;
    stored += 3 * done;
    display += 4 * done;
    for (size_t i = done; i < count; ++i, stored += 3, display += 4) {
        StorePixel32(display, uint32_t(stored[2]) << 16 | uint32_t(stored[1]) << 8 | stored[0]);
    }
}

inline void rgb565be_to_565(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 2, display += 2) {
        display[0] = stored[1];
        display[1] = stored[0];
    }
}

inline void bgr888_to_565(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 3, display += 2) {
        const uint32_t b = stored[0], g = stored[1], r = stored[2];
        const uint32_t v = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        display[0] = static_cast<uint8_t>(v);
        display[1] = static_cast<uint8_t>(v >> 8);
    }
}

}  // namespace conversion

// Vector kernels of the same conversions (PixelConversionX86.cpp), each
// compiled for its instruction set alone and used only on a processor that
// has it; they agree with the plain kernels above bit for bit.
namespace conversion {
void rgb565be_to_x888_sse2(uint8_t* display, const uint8_t* stored, size_t count);
void rgb565be_to_x888_avx2(uint8_t* display, const uint8_t* stored, size_t count);
void bgr888_to_x888_ssse3(uint8_t* display, const uint8_t* stored, size_t count);
void bgr888_to_x888_avx2(uint8_t* display, const uint8_t* stored, size_t count);
}  // namespace conversion

struct PixelConversionPath {
    uint8_t storedFormat;  // the sprite file's pixelFormat
    uint8_t depth;         // DisplayDepth
    uint8_t storedBytes;   // per pixel in the file
    uint8_t displayBytes;  // per pixel in memory
    CpuFeature needs;      // what the kernel needs
    PixelConversion convert;
};

// The table of conversions: (stored format, display depth, instruction set)
// to kernel, fastest first. The first row that fits the pair and the
// processor is taken, and the plain kernel is the last row of each pair.
// Returns the table and its number of rows in `count`.
const PixelConversionPath* PixelConversionPaths(size_t& count);

// Returns the fastest conversion from `storedFormat` to `depth` that this
// processor can run, or null when no conversion leads from that format to
// that depth.
const PixelConversionPath* FindPixelConversion(uint8_t storedFormat, uint8_t depth);
