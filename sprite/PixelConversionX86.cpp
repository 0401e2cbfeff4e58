// The vector kernels of PixelConversion.h. Each is compiled for its own
// instruction set by a function attribute, never by raising the baseline of
// the build, so that the 32-bit program still runs on a processor without
// them; FindPixelConversion takes one only where the processor has it.
#include "sprite/PixelConversion.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>

// A 32-bit caller may keep only 4-byte stack alignment (Windows does), while a
// spilled vector register needs more: the kernels realign on entry there.
#if defined(__i386__)
#define CONVERSION_KERNEL(isa) __attribute__((target(isa), force_align_arg_pointer))
#else
#define CONVERSION_KERNEL(isa) __attribute__((target(isa)))
#endif

namespace conversion {

// 5-6-5 stored high byte first is, loaded as little-endian 16-bit lanes,
// w = lo << 8 | hi. Then, in the pixel's two output halves:
//   red   = hi & 0xF8                           = w & 0x00F8        (byte 2)
//   blue  = (lo & 0x1F) << 3                    = (w >> 5) & 0x00F8 (byte 0)
//   green = (lo >> 5) << 2 | (hi & 0x07) << 5   -> byte 1:
//           (w >> 3) & 0x1C00 | w << 13
// and interleaving the halves gives the bytes blue, green, red, 0.
CONVERSION_KERNEL("sse2") void rgb565be_to_x888_sse2(uint8_t* display, const uint8_t* stored, size_t count)
{
    const __m128i byteMask = _mm_set1_epi16(0x00F8);
    const __m128i greenLow = _mm_set1_epi16(0x1C00);
    size_t i = 0;
    for (; i + 8 <= count; i += 8, stored += 16, display += 32) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stored));
        const __m128i red = _mm_and_si128(w, byteMask);
        const __m128i blue = _mm_and_si128(_mm_srli_epi16(w, 5), byteMask);
        const __m128i green = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(w, 3), greenLow), _mm_slli_epi16(w, 13));
        const __m128i blueGreen = _mm_or_si128(blue, green);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(display), _mm_unpacklo_epi16(blueGreen, red));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(display + 16), _mm_unpackhi_epi16(blueGreen, red));
    }
    rgb565be_to_x888(display, stored, count - i);
}

// The same, sixteen pixels a round. The interleave works within each 128-bit
// half, so the halves are put back in pixel order before they are stored.
CONVERSION_KERNEL("avx2") void rgb565be_to_x888_avx2(uint8_t* display, const uint8_t* stored, size_t count)
{
    const __m256i byteMask = _mm256_set1_epi16(0x00F8);
    const __m256i greenLow = _mm256_set1_epi16(0x1C00);
    size_t i = 0;
    for (; i + 16 <= count; i += 16, stored += 32, display += 64) {
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(stored));
        const __m256i red = _mm256_and_si256(w, byteMask);
        const __m256i blue = _mm256_and_si256(_mm256_srli_epi16(w, 5), byteMask);
        const __m256i green =
            _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(w, 3), greenLow), _mm256_slli_epi16(w, 13));
        const __m256i blueGreen = _mm256_or_si256(blue, green);
        const __m256i first = _mm256_unpacklo_epi16(blueGreen, red);   // pixels 0-3, 8-11
        const __m256i second = _mm256_unpackhi_epi16(blueGreen, red);  // pixels 4-7, 12-15
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(display), _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(display + 32), _mm256_permute2x128_si256(first, second, 0x31));
    }
    rgb565be_to_x888_sse2(display, stored, count - i);
}

// Four pixels per shuffle: twelve stored bytes spread to sixteen, a zero
// after each third. Each load takes 16 bytes of which it uses 12, so the
// rounds (sixteen pixels) stop while the last load still lies inside the
// stored pixels, and the plain kernel does the rest.
CONVERSION_KERNEL("ssse3") void bgr888_to_x888_ssse3(uint8_t* display, const uint8_t* stored, size_t count)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
    size_t i = 0;
    for (; i + 18 <= count; i += 16, stored += 48, display += 64) {
        for (int quarter = 0; quarter < 4; ++quarter) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stored + 12 * quarter));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(display + 16 * quarter), _mm_shuffle_epi8(pixels, spread));
        }
    }
    bgr888_to_x888(display, stored, count - i);
}

// The same shuffle on both 128-bit halves: eight pixels per store.
CONVERSION_KERNEL("avx2") void bgr888_to_x888_avx2(uint8_t* display, const uint8_t* stored, size_t count)
{
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128, 0, 1, 2, -128,
                                            3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
    size_t i = 0;
    for (; i + 18 <= count; i += 16, stored += 48, display += 64) {
        for (int half = 0; half < 2; ++half) {
            const uint8_t* from = stored + 24 * half;
            const __m256i pixels =
                _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from))),
                                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12)), 1);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(display + 32 * half), _mm256_shuffle_epi8(pixels, spread));
        }
    }
    bgr888_to_x888(display, stored, count - i);
}

}  // namespace conversion

#endif
