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

// A WebAssembly module built with SIMD (-msse2 -msimd128) runs the SSE2
// kernels through the compiler's SSE2 headers; it has no AVX2. A module is
// built for one instruction set as a whole, so there is nothing to choose at
// run time: the page loads the SIMD module only where the browser has SIMD.
#if !defined(PIXMIX_REFERENCE_ONLY) && defined(__wasm_simd128__) && defined(__SSE2__)
#define PIXMIX_WASM_SIMD_KERNELS 1
#else
#define PIXMIX_WASM_SIMD_KERNELS 0
#endif

#define PIXMIX_SSE2_KERNELS (PIXMIX_X86_KERNELS || PIXMIX_WASM_SIMD_KERNELS)
#define PIXMIX_AVX2_KERNELS PIXMIX_X86_KERNELS

#if defined(__i386__)
// A 32-bit caller may keep only 4-byte stack alignment (Windows does), while
// SSE2 arithmetic on a spilled register needs 16: kernels realign on entry.
#define PIXMIX_KERNEL_ENTRY __attribute__((force_align_arg_pointer))
#else
#define PIXMIX_KERNEL_ENTRY
#endif

#if PIXMIX_X86_KERNELS
#define PIXMIX_SSE2 __attribute__((target("sse2")))
#else
#define PIXMIX_SSE2  // the whole module is built for its instruction set
#endif
#define PIXMIX_AVX2 __attribute__((target("avx2")))
// A row's few pixels outside its vector steps go through functions kept out
// of line (ReferenceRows.h, the kernels' tails): see BlitKernels.h.
#define PIXMIX_OUT_OF_LINE __attribute__((noinline))
