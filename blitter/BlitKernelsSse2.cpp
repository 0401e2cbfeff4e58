// The SSE2 kernels: 128 bits a step, four 32-bit or eight 5-6-5 pixels. The
// bodies are VectorKernels.inc's; this file gives them SSE2's vector and the
// operations they use.
#include "blitter/BlitKernels.h"

#if PIXMIX_SSE2_KERNELS
#include "blitter/MaskGroup.h"
#include "blitter/ReferenceRows.h"
#include "blitter/ScaleChannels.inc"

#include <emmintrin.h>

#include <cstring>

#define PIXMIX_TARGET PIXMIX_SSE2

namespace sse2 {
namespace {
// The operations as a table, one line each.
// clang-format off

using Vector = __m128i;
constexpr uint32_t stepBytes = 16;

PIXMIX_TARGET inline Vector Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
PIXMIX_TARGET inline void Store(uint8_t* p, Vector v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// Half a step: the low 64 bits; the rest are zero and never stored.
PIXMIX_TARGET inline Vector LoadHalf(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
PIXMIX_TARGET inline void StoreHalf(uint8_t* p, Vector v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }

PIXMIX_TARGET inline Vector Zero() { return _mm_setzero_si128(); }
PIXMIX_TARGET inline Vector Broadcast32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
PIXMIX_TARGET inline Vector Broadcast16(uint32_t v) { return _mm_set1_epi16(static_cast<short>(v)); }

PIXMIX_TARGET inline Vector And(Vector a, Vector b) { return _mm_and_si128(a, b); }
PIXMIX_TARGET inline Vector Or(Vector a, Vector b) { return _mm_or_si128(a, b); }
template <int n>
PIXMIX_TARGET inline Vector ShiftLeft16(Vector v) { return _mm_slli_epi16(v, n); }
template <int n>
PIXMIX_TARGET inline Vector ShiftRight16(Vector v) { return _mm_srli_epi16(v, n); }
PIXMIX_TARGET inline Vector Equal32(Vector a, Vector b) { return _mm_cmpeq_epi32(a, b); }
PIXMIX_TARGET inline Vector Equal16(Vector a, Vector b) { return _mm_cmpeq_epi16(a, b); }

// SSE2 has no byte blend: and, and-not, or.
PIXMIX_TARGET inline Vector Select(Vector pick, Vector a, Vector b)
{
    return _mm_or_si128(_mm_and_si128(pick, a), _mm_andnot_si128(pick, b));
}
PIXMIX_TARGET inline int ByteMask(Vector v) { return _mm_movemask_epi8(v); }
constexpr int allBytes = 0xFFFF;

// Mask bytes unpacked onto themselves: each fills its pixel's 32 or 16 bits.
PIXMIX_TARGET inline Vector SpreadTo32(__m128i maskBytes)
{
    const __m128i doubled = _mm_unpacklo_epi8(maskBytes, maskBytes);
    return _mm_unpacklo_epi16(doubled, doubled);
}
PIXMIX_TARGET inline Vector SpreadTo16(__m128i maskBytes) { return _mm_unpacklo_epi8(maskBytes, maskBytes); }

// clang-format on
}  // namespace

#include "blitter/VectorKernels.inc"

}  // namespace sse2

#undef PIXMIX_TARGET
#endif
