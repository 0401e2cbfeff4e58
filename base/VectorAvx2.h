// AVX2's operations for the vector bodies that are written once for every
// instruction set: 256 bits a step, the operations VectorSse2.h lists.
//
// Most 256-bit shuffles and unpacks work within each 128-bit half; where an
// operation means the whole vector (InterleaveLow16, SpreadTo32), the halves
// are put in order here, so that no body needs to know.
#pragma once

#include "base/VectorSse2.h"
#include "base/VectorTarget.h"

#if VECTOR_CODE_AVX2
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace avx2 {
// clang-format off

using Vector = __m256i;
constexpr uint32_t stepBytes = 32;

TARGET_AVX2 inline Vector Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
TARGET_AVX2 inline void Store(uint8_t* p, Vector v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
// Half a step: 128 bits in the low half; the high half is left undefined.
TARGET_AVX2 inline Vector LoadHalf(const uint8_t* p)
{
    return _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
TARGET_AVX2 inline void StoreHalf(uint8_t* p, Vector v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
}

TARGET_AVX2 inline Vector Zero() { return _mm256_setzero_si256(); }
TARGET_AVX2 inline Vector Broadcast32(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
TARGET_AVX2 inline Vector Broadcast16(uint32_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }

TARGET_AVX2 inline Vector And(Vector a, Vector b) { return _mm256_and_si256(a, b); }
TARGET_AVX2 inline Vector Or(Vector a, Vector b) { return _mm256_or_si256(a, b); }
template <int n>
TARGET_AVX2 inline Vector ShiftLeft16(Vector v) { return _mm256_slli_epi16(v, n); }
template <int n>
TARGET_AVX2 inline Vector ShiftRight16(Vector v) { return _mm256_srli_epi16(v, n); }
TARGET_AVX2 inline Vector Equal32(Vector a, Vector b) { return _mm256_cmpeq_epi32(a, b); }
TARGET_AVX2 inline Vector Equal16(Vector a, Vector b) { return _mm256_cmpeq_epi16(a, b); }
TARGET_AVX2 inline Vector Add16(Vector a, Vector b) { return _mm256_add_epi16(a, b); }
TARGET_AVX2 inline Vector Subtract16(Vector a, Vector b) { return _mm256_sub_epi16(a, b); }
TARGET_AVX2 inline Vector MultiplyHigh16(Vector a, Vector b) { return _mm256_mulhi_epu16(a, b); }

TARGET_AVX2 inline Vector Select(Vector pick, Vector a, Vector b) { return _mm256_blendv_epi8(b, a, pick); }
TARGET_AVX2 inline int ByteMask(Vector v) { return _mm256_movemask_epi8(v); }
constexpr int allBytes = -1;

// The unpacks interleave within each half; the halves' results are then
// taken in order, the low halves' for the first half of the lanes.
TARGET_AVX2 inline Vector InterleaveLow16(Vector a, Vector b)
{
    return _mm256_permute2x128_si256(_mm256_unpacklo_epi16(a, b), _mm256_unpackhi_epi16(a, b), 0x20);
}
TARGET_AVX2 inline Vector InterleaveHigh16(Vector a, Vector b)
{
    return _mm256_permute2x128_si256(_mm256_unpacklo_epi16(a, b), _mm256_unpackhi_epi16(a, b), 0x31);
}

// A step's mask bytes, at most 16, fit 128 bits as they do for SSE2. Those
// of eight 32-bit pixels are broadcast to both halves and shuffled into
// place; those of sixteen 5-6-5 pixels widened to 16 bits and doubled.
using sse2::MaskBytes;
using sse2::LoadMaskBytes;
TARGET_AVX2 inline Vector SpreadTo32(MaskBytes maskBytes)
{
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3,  //
                                            4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    return _mm256_shuffle_epi8(_mm256_broadcastq_epi64(maskBytes), spread);
}
TARGET_AVX2 inline Vector SpreadTo16(MaskBytes maskBytes)
{
    const __m256i a = _mm256_cvtepu8_epi16(maskBytes);
    return _mm256_or_si256(a, _mm256_slli_epi16(a, 8));
}

TARGET_AVX2 inline Vector LoadEachLane(const uint8_t* p, size_t stride)
{
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + stride));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}
TARGET_AVX2 inline Vector RepeatLane(const uint8_t* bytes)
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
}
TARGET_AVX2 inline Vector ShuffleBytes(Vector v, Vector pattern) { return _mm256_shuffle_epi8(v, pattern); }

using sse2::Prefetch;

// clang-format on
}  // namespace avx2
#endif
