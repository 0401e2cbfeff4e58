// The vector kernels of PixelConversion.h: each conversion's body written
// once (Rgb565ToX888.inc, Bgr888ToX888.inc) and compiled here for every
// instruction set that can run it, with that set's operations
// (base/Vector*.h). FindPixelConversion takes one only where the processor
// has its instruction set.
#include "sprite/PixelConversion.h"

#include "base/VectorTarget.h"

#if VECTOR_CODE_X86
#include "base/VectorAvx2.h"
#include "base/VectorSse2.h"
#include "base/VectorSsse3.h"

#define VECTOR_TARGET TARGET_SSE2
namespace sse2 {
#include "sprite/Rgb565ToX888.inc"
}  // namespace sse2
#undef VECTOR_TARGET

// SSSE3 has the byte shuffle that SSE2 lacks.
#define VECTOR_TARGET TARGET_SSSE3
namespace ssse3 {
#include "sprite/Bgr888ToX888.inc"
}  // namespace ssse3
#undef VECTOR_TARGET

#define VECTOR_TARGET TARGET_AVX2
namespace avx2 {
#include "sprite/Rgb565ToX888.inc"
#include "sprite/Bgr888ToX888.inc"
}  // namespace avx2
#undef VECTOR_TARGET

#endif
