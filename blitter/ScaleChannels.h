// BlendTable's entries for every 16-bit lane of a vector, computed rather
// than looked up: floor(x * w / 255) for channel values x of 0-255 and
// weights w of 0-254, as one unsigned high multiply:
//
//     floor(x * w / 255) = (x * (257 w + 1)) >> 16
//
// because x (257 w + 1) / 65536 = x w / 255 + x (255 - w) / (255 * 65536):
// the second term is at least 0 and, with x and 255 - w at most 255, below
// 1/255, while x w / 255 lies at least 1/255 below the next integer whenever
// it is not one itself. So both sides truncate to the same integer. (The
// kernels' tests check every channel pair under every mask byte against the
// table.)
//
// The multiplier of w = 255 would be 65,536 and does not fit a lane; the
// kernels never need it, since a pixel under mask 0 or 255 takes the
// destination or the source whole, and every other mask byte puts both
// weights, a and 255 - a, in 1-254. A blended channel adds two products, each
// floored on its own, as the table's two look-ups do.
#pragma once

#include "blitter/KernelTarget.h"

#if PIXMIX_SSE2_KERNELS
#include <emmintrin.h>

// From lanes that hold 257a (the mask byte a in both bytes), the multipliers
// of the source weight a and of the destination weight 255 - a:
// 257a + 1, and 257 (255 - a) + 1 = 65536 - 257a, that is -257a in 16 bits.
PIXMIX_SSE2 inline __m128i SourceMultipliers(__m128i doubledMask)
{
    return _mm_add_epi16(doubledMask, _mm_set1_epi16(1));
}
PIXMIX_SSE2 inline __m128i DestinationMultipliers(__m128i doubledMask)
{
    return _mm_sub_epi16(_mm_setzero_si128(), doubledMask);
}

// T[d][255 - a] + T[s][a] in every lane, given the two multipliers.
PIXMIX_SSE2 inline __m128i BlendChannels(__m128i d, __m128i s, __m128i destinationMultipliers,
                                         __m128i sourceMultipliers)
{
    return _mm_add_epi16(_mm_mulhi_epu16(d, destinationMultipliers), _mm_mulhi_epu16(s, sourceMultipliers));
}
#endif

#if PIXMIX_AVX2_KERNELS
#include <immintrin.h>

PIXMIX_AVX2 inline __m256i SourceMultipliers(__m256i doubledMask)
{
    return _mm256_add_epi16(doubledMask, _mm256_set1_epi16(1));
}
PIXMIX_AVX2 inline __m256i DestinationMultipliers(__m256i doubledMask)
{
    return _mm256_sub_epi16(_mm256_setzero_si256(), doubledMask);
}

PIXMIX_AVX2 inline __m256i BlendChannels(__m256i d, __m256i s, __m256i destinationMultipliers,
                                         __m256i sourceMultipliers)
{
    return _mm256_add_epi16(_mm256_mulhi_epu16(d, destinationMultipliers), _mm256_mulhi_epu16(s, sourceMultipliers));
}
#endif
