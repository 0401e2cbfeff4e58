// SSE2's operations for the vector bodies that are written once for every
// instruction set (blitter/VectorKernels.inc, sprite/*ToX888.inc): 128 bits
// a step. VectorAvx2.h has the same operations on 256 bits; a body is
// compiled for one of them by being included inside its namespace, with
// VECTOR_TARGET set to its attribute. What each operation does:
//   Vector, stepBytes                  the vector, and the bytes of one step
//   Load, Store, LoadHalf, StoreHalf   unaligned moves of a step, and of half a step
//   Zero, Broadcast32, Broadcast16     constants
//   And, Or, ShiftLeft16<n>, ShiftRight16<n>, Equal32, Equal16
//   Add16, Subtract16, MultiplyHigh16  16-bit lanes; the product's high half, unsigned
//   Select(pick, a, b)                 a where pick's lanes are set, b elsewhere
//   ByteMask, allBytes                 every byte's top bit, and its value when all are set
//   InterleaveLow16, InterleaveHigh16  the 16-bit lanes of a and b in turn, from the
//                                      first or second half of each, in lane order
//   MaskBytes, LoadMaskBytes<N>        N mask bytes (2 to 16) in the low lanes; nothing
//                                      past them is read, since the mask may end there
//   SpreadTo32, SpreadTo16             mask bytes spread over the pixels they weigh
//   LoadEachLane(p, stride)            16 bytes into each 128-bit lane, the k-th from p + k x stride
//   RepeatLane(bytes)                  the same 16 bytes in every 128-bit lane
//   ShuffleBytes(v, pattern)           each byte from the byte of its own 128-bit lane that
//                                      pattern names; 0 where pattern's byte has its top bit
//                                      (not in SSE2: VectorSsse3.h)
//   Prefetch(p)                        asks for the cache line that holds p
#pragma once

#include "base/PixelLoads.h"
#include "base/VectorTarget.h"

#if VECTOR_CODE_SSE2
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace sse2 {
// clang-format off

using Vector = __m128i;
constexpr uint32_t stepBytes = 16;

TARGET_SSE2 inline Vector Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
TARGET_SSE2 inline void Store(uint8_t* p, Vector v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// Half a step: the low 64 bits; the rest are zero and never stored.
TARGET_SSE2 inline Vector LoadHalf(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
TARGET_SSE2 inline void StoreHalf(uint8_t* p, Vector v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }

TARGET_SSE2 inline Vector Zero() { return _mm_setzero_si128(); }
TARGET_SSE2 inline Vector Broadcast32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
TARGET_SSE2 inline Vector Broadcast16(uint32_t v) { return _mm_set1_epi16(static_cast<short>(v)); }

TARGET_SSE2 inline Vector And(Vector a, Vector b) { return _mm_and_si128(a, b); }
TARGET_SSE2 inline Vector Or(Vector a, Vector b) { return _mm_or_si128(a, b); }
template <int n>
TARGET_SSE2 inline Vector ShiftLeft16(Vector v) { return _mm_slli_epi16(v, n); }
template <int n>
TARGET_SSE2 inline Vector ShiftRight16(Vector v) { return _mm_srli_epi16(v, n); }
TARGET_SSE2 inline Vector Equal32(Vector a, Vector b) { return _mm_cmpeq_epi32(a, b); }
TARGET_SSE2 inline Vector Equal16(Vector a, Vector b) { return _mm_cmpeq_epi16(a, b); }
TARGET_SSE2 inline Vector Add16(Vector a, Vector b) { return _mm_add_epi16(a, b); }
TARGET_SSE2 inline Vector Subtract16(Vector a, Vector b) { return _mm_sub_epi16(a, b); }
TARGET_SSE2 inline Vector MultiplyHigh16(Vector a, Vector b) { return _mm_mulhi_epu16(a, b); }

// SSE2 has no byte blend: and, and-not, or.
TARGET_SSE2 inline Vector Select(Vector pick, Vector a, Vector b)
{
    return _mm_or_si128(_mm_and_si128(pick, a), _mm_andnot_si128(pick, b));
}
TARGET_SSE2 inline int ByteMask(Vector v) { return _mm_movemask_epi8(v); }
constexpr int allBytes = 0xFFFF;

TARGET_SSE2 inline Vector InterleaveLow16(Vector a, Vector b) { return _mm_unpacklo_epi16(a, b); }
TARGET_SSE2 inline Vector InterleaveHigh16(Vector a, Vector b) { return _mm_unpackhi_epi16(a, b); }

using MaskBytes = __m128i;
template <uint32_t N>
TARGET_SSE2 inline MaskBytes LoadMaskBytes(const uint8_t* mask)
{
    static_assert(N == 2 || N == 4 || N == 8 || N == 16, "2, 4, 8 or 16 mask bytes");
    if constexpr (N == 2) {
        return _mm_cvtsi32_si128(Load16(mask));
    } else if constexpr (N == 4) {
        return _mm_cvtsi32_si128(static_cast<int>(Load32(mask)));
    } else if constexpr (N == 8) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask));
    } else {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask));
    }
}
// Mask bytes unpacked onto themselves: each fills its pixel's 32 or 16 bits.
TARGET_SSE2 inline Vector SpreadTo32(MaskBytes maskBytes)
{
    const __m128i doubled = _mm_unpacklo_epi8(maskBytes, maskBytes);
    return _mm_unpacklo_epi16(doubled, doubled);
}
TARGET_SSE2 inline Vector SpreadTo16(MaskBytes maskBytes) { return _mm_unpacklo_epi8(maskBytes, maskBytes); }

// One lane: LoadEachLane is a plain load.
TARGET_SSE2 inline Vector LoadEachLane(const uint8_t* p, size_t) { return Load(p); }
TARGET_SSE2 inline Vector RepeatLane(const uint8_t* bytes) { return Load(bytes); }

TARGET_SSE2 inline void Prefetch(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0); }

// clang-format on
}  // namespace sse2

#endif
