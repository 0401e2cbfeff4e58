// Which vector kernels this build has. Each is compiled for its instruction
// set function by function (base/VectorTarget.h), so that the 32-bit library
// still loads on a CPU without SSE2 and runs the reference kernels there;
// -DCLIENT_BLITTER_REFERENCE_ONLY=ON builds the reference kernels alone.
#pragma once

#include "base/VectorTarget.h"

#if defined(PIXMIX_REFERENCE_ONLY)
#define PIXMIX_SSE2_KERNELS 0
#define PIXMIX_AVX2_KERNELS 0
#else
#define PIXMIX_SSE2_KERNELS VECTOR_CODE_SSE2
#define PIXMIX_AVX2_KERNELS VECTOR_CODE_AVX2
#endif

// A row's few pixels outside its vector steps go through functions kept out
// of line: see VectorKernels.inc.
#define PIXMIX_OUT_OF_LINE __attribute__((noinline))
