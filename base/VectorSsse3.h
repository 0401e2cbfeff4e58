// SSSE3's operations: SSE2's (VectorSse2.h) and the byte shuffle.
#pragma once

#include "base/VectorSse2.h"

#if VECTOR_CODE_SSSE3
#include <tmmintrin.h>

namespace ssse3 {
using namespace sse2;

TARGET_SSSE3 inline Vector ShuffleBytes(Vector v, Vector pattern)
{
    return _mm_shuffle_epi8(v, pattern);
}

}  // namespace ssse3
#endif
