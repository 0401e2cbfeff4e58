// The AVX2 kernels: 256 bits a step, eight 32-bit or sixteen 5-6-5 pixels.
// The bodies are VectorKernels.inc's; this file gives them AVX2's vector and
// the operations they use.
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
#include "blitter/MaskGroup.h"
#include "blitter/ReferenceRows.h"
#include "blitter/ScaleChannels.inc"

#include <immintrin.h>

#include <cstring>

#define PIXMIX_TARGET PIXMIX_AVX2

namespace avx2 {
namespace {
// The operations as a table, one line each.
// clang-format off

using Vector = __m256i;
constexpr uint32_t stepBytes = 32;

PIXMIX_TARGET inline Vector Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
PIXMIX_TARGET inline void Store(uint8_t* p, Vector v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
// Half a step: 128 bits in the low half; the high half is left undefined.
PIXMIX_TARGET inline Vector LoadHalf(const uint8_t* p)
{
    return _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
PIXMIX_TARGET inline void StoreHalf(uint8_t* p, Vector v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
}

PIXMIX_TARGET inline Vector Zero() { return _mm256_setzero_si256(); }
PIXMIX_TARGET inline Vector Broadcast32(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
PIXMIX_TARGET inline Vector Broadcast16(uint32_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }

PIXMIX_TARGET inline Vector And(Vector a, Vector b) { return _mm256_and_si256(a, b); }
PIXMIX_TARGET inline Vector Or(Vector a, Vector b) { return _mm256_or_si256(a, b); }
template <int n>
PIXMIX_TARGET inline Vector ShiftLeft16(Vector v) { return _mm256_slli_epi16(v, n); }
template <int n>
PIXMIX_TARGET inline Vector ShiftRight16(Vector v) { return _mm256_srli_epi16(v, n); }
PIXMIX_TARGET inline Vector Equal32(Vector a, Vector b) { return _mm256_cmpeq_epi32(a, b); }
PIXMIX_TARGET inline Vector Equal16(Vector a, Vector b) { return _mm256_cmpeq_epi16(a, b); }

PIXMIX_TARGET inline Vector Select(Vector pick, Vector a, Vector b) { return _mm256_blendv_epi8(b, a, pick); }
PIXMIX_TARGET inline int ByteMask(Vector v) { return _mm256_movemask_epi8(v); }
constexpr int allBytes = -1;

// A 256-bit unpack works within each 128-bit half: the mask bytes of eight
// 32-bit pixels are broadcast to both halves and shuffled into place, and
// those of sixteen 5-6-5 pixels widened to 16 bits and doubled.
PIXMIX_TARGET inline Vector SpreadTo32(__m128i maskBytes)
{
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3,  //
                                            4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    return _mm256_shuffle_epi8(_mm256_broadcastq_epi64(maskBytes), spread);
}
PIXMIX_TARGET inline Vector SpreadTo16(__m128i maskBytes)
{
    const __m256i a = _mm256_cvtepu8_epi16(maskBytes);
    return _mm256_or_si256(a, _mm256_slli_epi16(a, 8));
}

// clang-format on
}  // namespace

#include "blitter/VectorKernels.inc"

}  // namespace avx2

#undef PIXMIX_TARGET
#endif
