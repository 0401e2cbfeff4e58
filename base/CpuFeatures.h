// What the processor we run on can execute, asked once through cpuid.
#pragma once

enum class CpuFeature {
    None,  // the reference kernels: plain C++, any x86
    Sse2,
    Avx2,  // with the operating system saving the 256-bit registers
};

struct CpuFeatures {
    bool sse2 = false;
    bool avx2 = false;

    bool Has(CpuFeature feature) const
    {
        return feature == CpuFeature::None || (feature == CpuFeature::Sse2 && sse2) ||
               (feature == CpuFeature::Avx2 && avx2);
    }
};

CpuFeatures DetectCpuFeatures();

const char* NameOf(CpuFeature feature);
