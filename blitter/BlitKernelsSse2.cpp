// The SSE2 kernels: 128 bits a step, four 32-bit or eight 5-6-5 pixels. The
// bodies are VectorKernels.inc's, compiled with SSE2's operations
// (base/VectorSse2.h).
#include "blitter/BlitKernels.h"

#if PIXMIX_SSE2_KERNELS
#include "base/VectorSse2.h"
#include "blitter/MaskGroup.h"
#include "blitter/ReferenceRows.h"

#include <cstring>

#define VECTOR_TARGET TARGET_SSE2

namespace sse2 {
#include "blitter/VectorKernels.inc"
}  // namespace sse2

#undef VECTOR_TARGET
#endif
