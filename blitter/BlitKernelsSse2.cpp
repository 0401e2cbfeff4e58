// The SSE2 kernels: four 32-bit or eight 5-6-5 pixels a step.
#include "blitter/BlitKernels.h"

#if PIXMIX_SSE2_KERNELS
#include "blitter/ReferenceRows.h"
#include "blitter/ScaleChannels.h"

#include <emmintrin.h>

namespace {

PIXMIX_SSE2 inline __m128i LoadPixels(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
PIXMIX_SSE2 inline void StorePixels(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Lanes of `pick` take a, the others b.
PIXMIX_SSE2 inline __m128i Select(__m128i pick, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(pick, a), _mm_andnot_si128(pick, b));
}

// Four x888 pixels through their four mask bytes (the low 32 bits of m).
// The channels are worked as two sets of 16-bit lanes, the even bytes of each
// pixel (blue, red) and the odd ones (green, top). A blend clears the top
// byte; under mask 255 and 0 the pixel is the source or the destination, all
// 32 bits.
PIXMIX_SSE2 inline __m128i Blend4_x888(__m128i d, __m128i s, __m128i m)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i evenBytes = _mm_set1_epi32(0x00FF00FF);
    __m128i doubled = _mm_unpacklo_epi8(m, m);
    doubled = _mm_unpacklo_epi16(doubled, doubled);  // a in all four bytes
    const __m128i ms = SourceMultipliers(doubled);
    const __m128i md = DestinationMultipliers(doubled);
    const __m128i even = BlendChannels(_mm_and_si128(d, evenBytes), _mm_and_si128(s, evenBytes), md, ms);
    const __m128i odd = BlendChannels(_mm_srli_epi16(d, 8), _mm_srli_epi16(s, 8), md, ms);
    const __m128i blended = _mm_and_si128(_mm_or_si128(even, _mm_slli_epi16(odd, 8)), _mm_set1_epi32(0x00FFFFFF));
    const __m128i opaque = _mm_cmpeq_epi32(doubled, _mm_set1_epi32(-1));
    return Select(_mm_cmpeq_epi32(doubled, zero), d, Select(opaque, s, blended));
}

// 5-6-5 channels widened to 8 bits with zero low bits, one per 16-bit lane.
PIXMIX_SSE2 inline __m128i Red8(__m128i v) { return _mm_and_si128(_mm_srli_epi16(v, 8), _mm_set1_epi16(0xF8)); }
PIXMIX_SSE2 inline __m128i Green8(__m128i v) { return _mm_and_si128(_mm_srli_epi16(v, 3), _mm_set1_epi16(0xFC)); }
PIXMIX_SSE2 inline __m128i Blue8(__m128i v) { return _mm_and_si128(_mm_slli_epi16(v, 3), _mm_set1_epi16(0xF8)); }

// Eight 5-6-5 pixels through their eight mask bytes (the low half of m);
// under mask 255 and 0 the pixel is the source or the destination, as the
// blend would give.
PIXMIX_SSE2 inline __m128i Blend8_565(__m128i d, __m128i s, __m128i m)
{
    const __m128i doubled = _mm_unpacklo_epi8(m, m);
    const __m128i ms = SourceMultipliers(doubled);
    const __m128i md = DestinationMultipliers(doubled);
    const __m128i red = BlendChannels(Red8(d), Red8(s), md, ms);
    const __m128i green = BlendChannels(Green8(d), Green8(s), md, ms);
    const __m128i blue = BlendChannels(Blue8(d), Blue8(s), md, ms);
    const __m128i packedRed = _mm_and_si128(_mm_slli_epi16(red, 8), _mm_set1_epi16(static_cast<short>(0xF800)));
    const __m128i packedGreen = _mm_slli_epi16(_mm_and_si128(green, _mm_set1_epi16(0xFC)), 3);
    const __m128i blended = _mm_or_si128(_mm_or_si128(packedRed, packedGreen), _mm_srli_epi16(blue, 3));
    const __m128i opaque = _mm_cmpeq_epi16(doubled, _mm_set1_epi16(-1));
    return Select(_mm_cmpeq_epi16(doubled, _mm_setzero_si128()), d, Select(opaque, s, blended));
}

PIXMIX_SSE2 inline void BlendRow_x888_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask,
                                         uint32_t width)
{
    uint32_t i = PixelsBeforeAlignment(destination, 4, width);
    if (i != 0) BlendPixels_x888_a8(destination, source, mask, i);
    for (const uint32_t end = i + (width - i) / 4 * 4; i != end; i += 4) {
        const uint32_t weights = Load32(mask + i);
        if (weights == 0) continue;
        uint8_t* d = destination + i * 4;
        const __m128i s = LoadPixels(source + i * 4);
        const __m128i m = _mm_cvtsi32_si128(static_cast<int>(weights));
        StorePixels(d, weights == 0xFFFFFFFF ? s : Blend4_x888(LoadPixels(d), s, m));
    }
    if (i != width) BlendPixels_x888_a8(destination + i * 4, source + i * 4, mask + i, width - i);
}

PIXMIX_SSE2 inline void KeyRow_x888(uint8_t* destination, const uint8_t* source, uint32_t width, uint32_t colorKey)
{
    uint32_t i = PixelsBeforeAlignment(destination, 4, width);
    if (i != 0) scalar::KeyRow_x888(destination, source, i, colorKey);
    const __m128i key = _mm_set1_epi32(static_cast<int>(colorKey));
    for (; width - i >= 4; i += 4) {
        uint8_t* d = destination + i * 4;
        const __m128i s = LoadPixels(source + i * 4);
        const __m128i keyed = _mm_cmpeq_epi32(s, key);
        const int keyedBytes = _mm_movemask_epi8(keyed);
        if (keyedBytes == 0xFFFF) continue;
        StorePixels(d, keyedBytes == 0 ? s : Select(keyed, LoadPixels(d), s));
    }
    if (i != width) scalar::KeyRow_x888(destination + i * 4, source + i * 4, width - i, colorKey);
}

PIXMIX_SSE2 inline void BlendRow_565_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask,
                                        uint32_t width)
{
    uint32_t i = PixelsBeforeAlignment(destination, 2, width);
    if (i != 0) scalar::BlendRow_565_a8(destination, source, mask, i);
    for (; width - i >= 8; i += 8) {
        const uint64_t weights = Load64(mask + i);
        if (weights == 0) continue;
        uint8_t* d = destination + i * 2;
        const __m128i s = LoadPixels(source + i * 2);
        const __m128i m = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask + i));
        StorePixels(d, weights == ~uint64_t{0} ? s : Blend8_565(LoadPixels(d), s, m));
    }
    if (i != width) scalar::BlendRow_565_a8(destination + i * 2, source + i * 2, mask + i, width - i);
}

// colorKey is a widened signed 16-bit value (key_565 sees to that), so
// comparing 16-bit lanes compares all 32 bits.
PIXMIX_SSE2 inline void KeyRow_565(uint8_t* destination, const uint8_t* source, uint32_t width, uint32_t colorKey)
{
    uint32_t i = PixelsBeforeAlignment(destination, 2, width);
    if (i != 0) scalar::KeyRow_565(destination, source, i, colorKey);
    const __m128i key = _mm_set1_epi16(static_cast<short>(colorKey));
    for (; width - i >= 8; i += 8) {
        uint8_t* d = destination + i * 2;
        const __m128i s = LoadPixels(source + i * 2);
        const __m128i keyed = _mm_cmpeq_epi16(s, key);
        const int keyedBytes = _mm_movemask_epi8(keyed);
        if (keyedBytes == 0xFFFF) continue;
        StorePixels(d, keyedBytes == 0 ? s : Select(keyed, LoadPixels(d), s));
    }
    if (i != width) scalar::KeyRow_565(destination + i * 2, source + i * 2, width - i, colorKey);
}

}  // namespace

namespace sse2 {

PIXMIX_KERNEL_ENTRY PIXMIX_SSE2 void blend_x888_a8(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        BlendRow_x888_a8(row.Destination(), row.Source(), row.Mask(), row.width);
    }
}

PIXMIX_KERNEL_ENTRY PIXMIX_SSE2 void key_x888(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        KeyRow_x888(row.Destination(), row.Source(), row.width, source.colorKey);
    }
}

PIXMIX_KERNEL_ENTRY PIXMIX_SSE2 void blend_565_a8(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        BlendRow_565_a8(row.Destination(), row.Source(), row.Mask(), row.width);
    }
}

PIXMIX_KERNEL_ENTRY PIXMIX_SSE2 void key_565(const SurfaceBuffer& destination, const BlitSource& source)
{
    // Only a key that is a widened pixel can match one.
    const uint32_t key = source.colorKey;
    if (key != Widened565(static_cast<uint16_t>(key))) {
        scalar::copy_565(destination, source);
        return;
    }
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        KeyRow_565(row.Destination(), row.Source(), row.width, key);
    }
}

}  // namespace sse2
#endif
