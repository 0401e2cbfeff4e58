// What the processor we run on can execute, asked through cpuid, and the
// shape of every table of vector code: rows of the same job, fastest first,
// each naming the feature it needs, the last one plain C++ that runs
// anywhere. The blitter's kernels (blitter/BlitPaths.cpp) and the sprite
// loader's pixel conversions (sprite/PixelConversion.cpp) are chosen so.
//
// Header-only: Pixmix.dll links against nothing but Windows' own DLLs, and
// builds this in. The detection has internal linkage because on WebAssembly
// its answer depends on how the file that asks is compiled (VectorTarget.h).
#pragma once

#include "base/VectorTarget.h"

#include <cstddef>

#if VECTOR_CODE_X86
#include <cpuid.h>
#endif

enum class CpuFeature {
    None,  // plain C++, any x86
    Sse2,
    Ssse3,
    Avx2,  // with the operating system saving the 256-bit registers
};

struct CpuFeatures {
    bool sse2 = false;
    bool ssse3 = false;
    bool avx2 = false;

    bool Has(CpuFeature feature) const
    {
        switch (feature) {
        case CpuFeature::None: return true;
        case CpuFeature::Sse2: return sse2;
        case CpuFeature::Ssse3: return ssse3;
        case CpuFeature::Avx2: return avx2;
        }
        return false;
    }
};

// Returns the feature's name for reports: "plain", "SSE2", "SSSE3" or "AVX2".
inline const char* NameOf(CpuFeature feature)
{
    switch (feature) {
    case CpuFeature::None: return "plain";
    case CpuFeature::Sse2: return "SSE2";
    case CpuFeature::Ssse3: return "SSSE3";
    case CpuFeature::Avx2: return "AVX2";
    }
    return "?";
}

namespace {

#if VECTOR_CODE_X86
// XCR0: which register states the operating system saves on a task switch.
inline unsigned long long SavedRegisterStates()
{
    unsigned int low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<unsigned long long>(high) << 32 | low;
}

// Asks the processor. Returns nothing on a 486 without cpuid leaf 1.
inline CpuFeatures DetectCpuFeatures()
{
    CpuFeatures features;
    unsigned int eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return features;
    features.sse2 = (edx & bit_SSE2) != 0;
    features.ssse3 = features.sse2 && (ecx & bit_SSSE3) != 0;
    // AVX2 needs the instructions (leaf 7) and an operating system that saves
    // the 256-bit registers (OSXSAVE, then the XMM and YMM states in XCR0).
    const bool avx = (ecx & bit_AVX) != 0 && (ecx & bit_OSXSAVE) != 0;
    if (!avx || (SavedRegisterStates() & 0x6) != 0x6 || __get_cpuid_max(0, nullptr) < 7) return features;
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    features.avx2 = (ebx & bit_AVX2) != 0;
    return features;
}
#elif VECTOR_CODE_WASM_SIMD
// A module built with SIMD only loads where the browser has SIMD.
inline CpuFeatures DetectCpuFeatures()
{
    CpuFeatures features;
    features.sse2 = true;
    return features;
}
#else
inline CpuFeatures DetectCpuFeatures()
{
    return {};
}
#endif

// The processor's features, asked the first time and remembered.
inline const CpuFeatures& ThisProcessor()
{
    static const CpuFeatures features = DetectCpuFeatures();
    return features;
}

}  // namespace

// Returns the first of the `count` rows that `fits` accepts and that a
// processor with `cpu` runs (the row's `needs`), or null when none fits.
template <class Row, class Fits>
const Row* FirstRunnable(const Row* rows, size_t count, const CpuFeatures& cpu, Fits fits)
{
    for (size_t i = 0; i < count; ++i) {
        if (fits(rows[i]) && cpu.Has(rows[i].needs)) return &rows[i];
    }
    return nullptr;
}
