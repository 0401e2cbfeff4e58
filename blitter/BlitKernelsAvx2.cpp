// The AVX2 kernels: eight 32-bit or sixteen 5-6-5 pixels a step, then one
// half step of 128 bits before the scalar tail.
//
// The head aligns the destination to 16 bytes, not 32: aligning to 32 would
// cost up to seven scalar pixels a row, far more than the occasional 32-byte
// store that straddles two cache lines.
//
// With eight registers the 32-bit build spills 256-bit values to the stack,
// which Windows never aligns to 32 bytes: the Windows builds assemble every
// aligned vector move as an unaligned one (-muse-unaligned-vector-move,
// blitter/CMakeLists.txt), and VEX arithmetic takes unaligned operands.
// StackAlignmentTest calls every kernel at every stack alignment.
#include "blitter/BlitKernels.h"

#if PIXMIX_AVX2_KERNELS
#include "blitter/ReferenceRows.h"
#include "blitter/ScaleChannels.h"

#include <immintrin.h>

namespace {

PIXMIX_AVX2 inline __m256i LoadPixels(const uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
PIXMIX_AVX2 inline void StorePixels(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
// The half steps: 128 bits in the low half; the high half is left undefined.
PIXMIX_AVX2 inline __m256i LoadHalf(const uint8_t* p)
{
    return _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
PIXMIX_AVX2 inline void StoreHalf(uint8_t* p, __m256i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
}

// Eight x888 pixels through their eight mask bytes (the low 64 bits of m).
// The channels are worked as two sets of 16-bit lanes, the even bytes of each
// pixel (blue, red) and the odd ones (green, top): masks and shifts, which
// more ports execute than the byte shuffles of an unpack and a pack. A blend
// clears the top byte; under mask 255 and 0 the pixel is the source or the
// destination, all 32 bits.
PIXMIX_AVX2 inline __m256i Blend8_x888(__m256i d, __m256i s, __m128i m)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i evenBytes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3,  //
                                            4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    const __m256i doubled = _mm256_shuffle_epi8(_mm256_broadcastq_epi64(m), spread);  // a in all four bytes
    const __m256i ms = SourceMultipliers(doubled);
    const __m256i md = DestinationMultipliers(doubled);
    const __m256i even = BlendChannels(_mm256_and_si256(d, evenBytes), _mm256_and_si256(s, evenBytes), md, ms);
    const __m256i odd = BlendChannels(_mm256_srli_epi16(d, 8), _mm256_srli_epi16(s, 8), md, ms);
    const __m256i blended = _mm256_and_si256(_mm256_or_si256(even, _mm256_slli_epi16(odd, 8)), _mm256_set1_epi32(0x00FFFFFF));
    const __m256i opaque = _mm256_cmpeq_epi32(doubled, _mm256_set1_epi32(-1));
    return _mm256_blendv_epi8(_mm256_blendv_epi8(blended, s, opaque), d, _mm256_cmpeq_epi32(doubled, zero));
}

PIXMIX_AVX2 inline __m256i Red8(__m256i v) { return _mm256_and_si256(_mm256_srli_epi16(v, 8), _mm256_set1_epi16(0xF8)); }
PIXMIX_AVX2 inline __m256i Green8(__m256i v) { return _mm256_and_si256(_mm256_srli_epi16(v, 3), _mm256_set1_epi16(0xFC)); }
PIXMIX_AVX2 inline __m256i Blue8(__m256i v) { return _mm256_and_si256(_mm256_slli_epi16(v, 3), _mm256_set1_epi16(0xF8)); }

// Sixteen 5-6-5 pixels through their sixteen mask bytes; under mask 255 and
// 0 the pixel is the source or the destination, as the blend would give.
PIXMIX_AVX2 inline __m256i Blend16_565(__m256i d, __m256i s, __m128i m)
{
    const __m256i a = _mm256_cvtepu8_epi16(m);
    const __m256i doubled = _mm256_or_si256(a, _mm256_slli_epi16(a, 8));
    const __m256i ms = SourceMultipliers(doubled);
    const __m256i md = DestinationMultipliers(doubled);
    const __m256i red = BlendChannels(Red8(d), Red8(s), md, ms);
    const __m256i green = BlendChannels(Green8(d), Green8(s), md, ms);
    const __m256i blue = BlendChannels(Blue8(d), Blue8(s), md, ms);
    const __m256i packedRed =
        _mm256_and_si256(_mm256_slli_epi16(red, 8), _mm256_set1_epi16(static_cast<short>(0xF800)));
    const __m256i packedGreen = _mm256_slli_epi16(_mm256_and_si256(green, _mm256_set1_epi16(0xFC)), 3);
    const __m256i blended = _mm256_or_si256(_mm256_or_si256(packedRed, packedGreen), _mm256_srli_epi16(blue, 3));
    const __m256i opaque = _mm256_cmpeq_epi16(doubled, _mm256_set1_epi16(-1));
    return _mm256_blendv_epi8(_mm256_blendv_epi8(blended, s, opaque), d, _mm256_cmpeq_epi16(doubled, _mm256_setzero_si256()));
}

// The few pixels of a row outside its whole steps (below) go through
// functions of their own, out of line: the body's loop keeps its registers
// and constants, and a sprite row, a few steps long, pays one call for the
// pixels it has there rather than a tangle of branches for those it has not.
PIXMIX_OUT_OF_LINE PIXMIX_AVX2 void BlendTail_x888_a8(uint8_t* destination, const uint8_t* source,
                                                      const uint8_t* mask, uint32_t width)
{
    uint32_t i = 0;
    if (width >= 4) {
        const uint32_t weights = Load32(mask);
        const __m128i m = _mm_cvtsi32_si128(static_cast<int>(weights));
        if (weights != 0) StoreHalf(destination, Blend8_x888(LoadHalf(destination), LoadHalf(source), m));
        i = 4;
    }
    if (i != width) scalar::BlendRow_x888_a8(destination + i * 4, source + i * 4, mask + i, width - i);
}

PIXMIX_AVX2 inline void BlendRow_x888_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask,
                                         uint32_t width)
{
    uint32_t i = PixelsBeforeAlignment(destination, 4, width);
    if (i != 0) BlendPixels_x888_a8(destination, source, mask, i);
    for (const uint32_t end = i + (width - i) / 8 * 8; i != end; i += 8) {
        const uint64_t weights = Load64(mask + i);
        if (weights == 0) continue;
        uint8_t* d = destination + i * 4;
        const __m256i s = LoadPixels(source + i * 4);
        const __m128i m = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask + i));
        StorePixels(d, weights == ~uint64_t{0} ? s : Blend8_x888(LoadPixels(d), s, m));
    }
    if (i != width) BlendTail_x888_a8(destination + i * 4, source + i * 4, mask + i, width - i);
}

PIXMIX_AVX2 inline void KeyRow_x888(uint8_t* destination, const uint8_t* source, uint32_t width, uint32_t colorKey)
{
    uint32_t i = PixelsBeforeAlignment(destination, 4, width);
    if (i != 0) scalar::KeyRow_x888(destination, source, i, colorKey);
    const __m256i key = _mm256_set1_epi32(static_cast<int>(colorKey));
    for (; width - i >= 8; i += 8) {
        uint8_t* d = destination + i * 4;
        const __m256i s = LoadPixels(source + i * 4);
        const __m256i keyed = _mm256_cmpeq_epi32(s, key);
        const int keyedBytes = _mm256_movemask_epi8(keyed);
        if (keyedBytes == -1) continue;
        StorePixels(d, keyedBytes == 0 ? s : _mm256_blendv_epi8(s, LoadPixels(d), keyed));
    }
    if (width - i >= 4) {
        uint8_t* d = destination + i * 4;
        const __m256i s = LoadHalf(source + i * 4);
        StoreHalf(d, _mm256_blendv_epi8(s, LoadHalf(d), _mm256_cmpeq_epi32(s, key)));
        i += 4;
    }
    if (i != width) scalar::KeyRow_x888(destination + i * 4, source + i * 4, width - i, colorKey);
}

PIXMIX_OUT_OF_LINE PIXMIX_AVX2 void BlendTail_565_a8(uint8_t* destination, const uint8_t* source,
                                                     const uint8_t* mask, uint32_t width)
{
    uint32_t i = 0;
    if (width >= 8) {
        const __m128i m = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask));
        StoreHalf(destination, Blend16_565(LoadHalf(destination), LoadHalf(source), m));
        i = 8;
    }
    if (i != width) scalar::BlendRow_565_a8(destination + i * 2, source + i * 2, mask + i, width - i);
}

PIXMIX_AVX2 inline void BlendRow_565_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask,
                                        uint32_t width)
{
    uint32_t i = PixelsBeforeAlignment(destination, 2, width);
    if (i != 0) BlendPixels_565_a8(destination, source, mask, i);
    const __m128i opaque = _mm_set1_epi8(-1);
    for (const uint32_t end = i + (width - i) / 16 * 16; i != end; i += 16) {
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + i));
        if (_mm_testz_si128(m, m)) continue;
        uint8_t* d = destination + i * 2;
        const __m256i s = LoadPixels(source + i * 2);
        StorePixels(d, _mm_testc_si128(m, opaque) ? s : Blend16_565(LoadPixels(d), s, m));
    }
    if (i != width) BlendTail_565_a8(destination + i * 2, source + i * 2, mask + i, width - i);
}

// colorKey is a widened signed 16-bit value (key_565 sees to that), so
// comparing 16-bit lanes compares all 32 bits.
PIXMIX_OUT_OF_LINE PIXMIX_AVX2 void KeyTail_565(uint8_t* destination, const uint8_t* source, uint32_t width,
                                                uint32_t colorKey)
{
    uint32_t i = 0;
    if (width >= 8) {
        const __m256i s = LoadHalf(source);
        const __m256i keyed = _mm256_cmpeq_epi16(s, _mm256_set1_epi16(static_cast<short>(colorKey)));
        StoreHalf(destination, _mm256_blendv_epi8(s, LoadHalf(destination), keyed));
        i = 8;
    }
    if (i != width) scalar::KeyRow_565(destination + i * 2, source + i * 2, width - i, colorKey);
}

PIXMIX_AVX2 inline void KeyRow_565(uint8_t* destination, const uint8_t* source, uint32_t width, uint32_t colorKey)
{
    uint32_t i = PixelsBeforeAlignment(destination, 2, width);
    if (i != 0) KeyPixels_565(destination, source, i, colorKey);
    const __m256i key = _mm256_set1_epi16(static_cast<short>(colorKey));
    for (const uint32_t end = i + (width - i) / 16 * 16; i != end; i += 16) {
        uint8_t* d = destination + i * 2;
        const __m256i s = LoadPixels(source + i * 2);
        const __m256i keyed = _mm256_cmpeq_epi16(s, key);
        const int keyedBytes = _mm256_movemask_epi8(keyed);
        if (keyedBytes == -1) continue;
        StorePixels(d, keyedBytes == 0 ? s : _mm256_blendv_epi8(s, LoadPixels(d), keyed));
    }
    if (i != width) KeyTail_565(destination + i * 2, source + i * 2, width - i, colorKey);
}

}  // namespace

namespace avx2 {

PIXMIX_KERNEL_ENTRY PIXMIX_AVX2 void blend_x888_a8(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        BlendRow_x888_a8(row.Destination(), row.Source(), row.Mask(), row.width);
    }
}

PIXMIX_KERNEL_ENTRY PIXMIX_AVX2 void key_x888(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        KeyRow_x888(row.Destination(), row.Source(), row.width, source.colorKey);
    }
}

PIXMIX_KERNEL_ENTRY PIXMIX_AVX2 void blend_565_a8(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        BlendRow_565_a8(row.Destination(), row.Source(), row.Mask(), row.width);
    }
}

PIXMIX_KERNEL_ENTRY PIXMIX_AVX2 void key_565(const SurfaceBuffer& destination, const BlitSource& source)
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

}  // namespace avx2
#endif
