// Which vector kernels this build has, and how each is compiled for its
// instruction set: function by function, never by raising the library's
// baseline, so that the 32-bit library still loads on a CPU without SSE2 and
// runs the reference kernels there.
#pragma once

#if !defined(PIXMIX_REFERENCE_ONLY) && (defined(__i386__) || defined(__x86_64__))
#define PIXMIX_X86_KERNELS 1
#else
#define PIXMIX_X86_KERNELS 0
#endif

#if defined(__i386__)
// A 32-bit caller may keep only 4-byte stack alignment (Windows does), while
// SSE2 arithmetic on a spilled register needs 16: kernels realign on entry.
#define PIXMIX_KERNEL_ENTRY __attribute__((force_align_arg_pointer))
#else
#define PIXMIX_KERNEL_ENTRY
#endif

#define PIXMIX_SSE2 __attribute__((target("sse2")))
#define PIXMIX_AVX2 __attribute__((target("avx2")))
// A row's few pixels outside its vector steps go through functions kept out
// of line: see VectorKernels.inc.
#define PIXMIX_OUT_OF_LINE __attribute__((noinline))
