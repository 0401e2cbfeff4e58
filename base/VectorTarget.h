// Which vector instruction sets this compiler can build code for here, and
// how a function is built for one: function by function, by an attribute,
// never by raising the baseline of the build, so that the 32-bit programs
// still run on a processor without them and take the vector code only where
// cpuid finds it (base/CpuFeatures.h).
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#define VECTOR_CODE_X86 1
#else
#define VECTOR_CODE_X86 0
#endif

// A WebAssembly module built with SIMD (-msse2 -msimd128) runs SSE2 code
// through the compiler's SSE2 headers; it has no SSSE3 or AVX2 here. A module
// is built for one instruction set as a whole, so there is nothing to choose
// at run time: the page loads the SIMD module only where the browser has SIMD.
#if defined(__wasm_simd128__) && defined(__SSE2__)
#define VECTOR_CODE_WASM_SIMD 1
#else
#define VECTOR_CODE_WASM_SIMD 0
#endif

#define VECTOR_CODE_SSE2 (VECTOR_CODE_X86 || VECTOR_CODE_WASM_SIMD)
#define VECTOR_CODE_SSSE3 VECTOR_CODE_X86
#define VECTOR_CODE_AVX2 VECTOR_CODE_X86

#if VECTOR_CODE_X86
#define TARGET_SSE2 __attribute__((target("sse2")))
#else
#define TARGET_SSE2  // the whole module is built for its instruction set
#endif
#define TARGET_SSSE3 __attribute__((target("ssse3")))
#define TARGET_AVX2 __attribute__((target("avx2")))

// Every function that the scalar code calls into vector code carries this.
// A 32-bit caller may keep only 4-byte stack alignment (Windows does), while
// a spilled vector register needs 16 or more: the function realigns on entry.
#if defined(__i386__)
#define VECTOR_ENTRY __attribute__((force_align_arg_pointer))
#else
#define VECTOR_ENTRY
#endif
