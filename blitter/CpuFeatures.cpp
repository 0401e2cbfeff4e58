#include "blitter/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>

namespace {

// XCR0: which register states the operating system saves on a task switch.
unsigned long long ReadXcr0()
{
    unsigned int low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<unsigned long long>(high) << 32 | low;
}

}  // namespace

CpuFeatures DetectCpuFeatures()
{
    CpuFeatures features;
    unsigned int eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return features;  // a 486 without cpuid leaf 1
    features.sse2 = (edx & bit_SSE2) != 0;

    // AVX2 needs the instructions (leaf 7) and an OS that saves the ymm
    // registers (OSXSAVE, then XMM and YMM state set in XCR0).
    const bool avx = (ecx & bit_AVX) != 0 && (ecx & bit_OSXSAVE) != 0;
    if (!avx || (ReadXcr0() & 0x6) != 0x6) return features;
    if (__get_cpuid_max(0, nullptr) < 7) return features;
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    features.avx2 = (ebx & bit_AVX2) != 0;
    return features;
}
#elif defined(__wasm_simd128__)
// A module built with SIMD only loads where the browser has SIMD.
CpuFeatures DetectCpuFeatures()
{
    CpuFeatures features;
    features.sse2 = true;
    return features;
}
#else
CpuFeatures DetectCpuFeatures()
{
    return {};
}
#endif

const char* NameOf(CpuFeature feature)
{
    switch (feature) {
    case CpuFeature::None: return "reference";
    case CpuFeature::Sse2: return "SSE2";
    case CpuFeature::Avx2: return "AVX2";
    }
    return "?";
}
