#include "blitter/BlitPaths.h"

#include <cstring>
#include <initializer_list>

#define KERNEL(kernel) kernel, #kernel

// clang-format off
const BlitPath BlitPaths[] = {
// routine               size  mask   needs             kernel
#if PIXMIX_AVX2_KERNELS
    {Routine::Blt,        4,   true,  CpuFeature::Avx2, KERNEL(avx2::blend_x888_a8)},
    {Routine::NoColorkey, 4,   true,  CpuFeature::Avx2, KERNEL(avx2::blend_x888_a8)},
    {Routine::Blt,        4,   false, CpuFeature::Avx2, KERNEL(avx2::key_x888)},
    {Routine::NoColorkey, 4,   false, CpuFeature::Avx2, KERNEL(avx2::copy_x888)},
    {Routine::Blt,        2,   true,  CpuFeature::Avx2, KERNEL(avx2::blend_565_a8)},
    {Routine::NoColorkey, 2,   true,  CpuFeature::Avx2, KERNEL(avx2::blend_565_a8)},
    {Routine::Blt,        2,   false, CpuFeature::Avx2, KERNEL(avx2::key_565)},
    {Routine::NoColorkey, 2,   false, CpuFeature::Avx2, KERNEL(avx2::copy_565)},
#endif
#if PIXMIX_SSE2_KERNELS
    {Routine::Blt,        4,   true,  CpuFeature::Sse2, KERNEL(sse2::blend_x888_a8)},
    {Routine::NoColorkey, 4,   true,  CpuFeature::Sse2, KERNEL(sse2::blend_x888_a8)},
    {Routine::Blt,        4,   false, CpuFeature::Sse2, KERNEL(sse2::key_x888)},
    {Routine::NoColorkey, 4,   false, CpuFeature::Sse2, KERNEL(sse2::copy_x888)},
    {Routine::Blt,        2,   true,  CpuFeature::Sse2, KERNEL(sse2::blend_565_a8)},
    {Routine::NoColorkey, 2,   true,  CpuFeature::Sse2, KERNEL(sse2::blend_565_a8)},
    {Routine::Blt,        2,   false, CpuFeature::Sse2, KERNEL(sse2::key_565)},
    {Routine::NoColorkey, 2,   false, CpuFeature::Sse2, KERNEL(sse2::copy_565)},
#endif
    {Routine::Blt,        4,   true,  CpuFeature::None, KERNEL(scalar::blend_x888_a8)},
    {Routine::NoColorkey, 4,   true,  CpuFeature::None, KERNEL(scalar::blend_x888_a8)},
    {Routine::Blt,        4,   false, CpuFeature::None, KERNEL(scalar::key_x888)},
    {Routine::NoColorkey, 4,   false, CpuFeature::None, KERNEL(scalar::copy_x888)},
    {Routine::Blt,        2,   true,  CpuFeature::None, KERNEL(scalar::blend_565_a8)},
    {Routine::NoColorkey, 2,   true,  CpuFeature::None, KERNEL(scalar::blend_565_a8)},
    {Routine::Blt,        2,   false, CpuFeature::None, KERNEL(scalar::key_565)},
    {Routine::NoColorkey, 2,   false, CpuFeature::None, KERNEL(scalar::copy_565)},
};
// clang-format on

const size_t BlitPathCount = sizeof BlitPaths / sizeof BlitPaths[0];

const BlitPath& FindPath(Routine routine, int bytesPerPixel, bool masked, const CpuFeatures& cpu)
{
    const BlitPath* path = FirstRunnable(BlitPaths, BlitPathCount, cpu, [&](const BlitPath& row) {
        return row.routine == routine && row.bytesPerPixel == bytesPerPixel && row.masked == masked;
    });
    return path ? *path : BlitPaths[BlitPathCount - 1];  // not reached: every path has a reference row
}

const BlitPath* ChosenPaths[8];

const char* DescribeChosenPaths()
{
    static char text[8 * 32 + 32];
    std::strcpy(text, "Pixmix kernels:");
    for (const BlitPath* path : ChosenPaths) {
        const char* name = path ? path->name : "none";
        if (std::strlen(text) + 1 + std::strlen(name) + 1 > sizeof text) break;
        std::strcat(text, " ");
        std::strcat(text, name);
    }
    return text;
}

namespace {

bool ChoosePaths(const CpuFeatures& cpu)
{
    for (Routine routine : {Routine::Blt, Routine::NoColorkey}) {
        for (int bytesPerPixel : {4, 2}) {
            for (bool masked : {true, false}) {
                ChosenPaths[PathIndex(routine, bytesPerPixel, masked)] = &FindPath(routine, bytesPerPixel, masked, cpu);
            }
        }
    }
    return true;
}

const bool pathsChosen = ChoosePaths(DetectCpuFeatures());

}  // namespace
