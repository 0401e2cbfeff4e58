// The AVX2 kernels: 256 bits a step, eight 32-bit or sixteen 5-6-5 pixels.
// The bodies are VectorKernels.inc's, compiled with AVX2's operations
// (base/VectorAvx2.h).
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
#include "base/VectorAvx2.h"
#include "blitter/MaskGroup.h"
#include "blitter/ReferenceRows.h"

#include <cstring>

#define VECTOR_TARGET TARGET_AVX2

namespace avx2 {
#include "blitter/VectorKernels.inc"
}  // namespace avx2

#undef VECTOR_TARGET
#endif
