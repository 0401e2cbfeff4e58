// The dispatch table: every path ends in its reference row, the first row a
// CPU can run wins, and the library chose by this CPU when it was loaded.
#include "blitter/BlitPaths.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct Path {
    Routine routine;
    int bytesPerPixel;
    bool masked;
};

const Path AllPaths[] = {
    {Routine::Blt, 4, true}, {Routine::NoColorkey, 4, true}, {Routine::Blt, 4, false}, {Routine::NoColorkey, 4, false},
    {Routine::Blt, 2, true}, {Routine::NoColorkey, 2, true}, {Routine::Blt, 2, false}, {Routine::NoColorkey, 2, false},
};

bool IsRowOf(const BlitPath& row, const Path& path)
{
    return row.routine == path.routine && row.bytesPerPixel == path.bytesPerPixel && row.masked == path.masked;
}

CpuFeatures Everything()
{
    CpuFeatures cpu;
    cpu.sse2 = cpu.avx2 = true;
    return cpu;
}

TEST(BlitPaths, EveryPathEndsInAReferenceRowThatRunsAnywhere)
{
    for (const Path& path : AllPaths) {
        const BlitPath* last = nullptr;
        for (size_t i = 0; i < BlitPathCount; ++i) {
            if (IsRowOf(BlitPaths[i], path)) last = &BlitPaths[i];
        }
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->needs, CpuFeature::None) << last->name << " follows the reference row";
        EXPECT_EQ(&FindPath(path.routine, path.bytesPerPixel, path.masked, CpuFeatures{}), last);
    }
}

TEST(BlitPaths, TheFirstRowTheCpuRunsWins)
{
    CpuFeatures sse2Only;
    sse2Only.sse2 = true;
    for (const Path& path : AllPaths) {
        const BlitPath* first = nullptr;
        for (size_t i = 0; i < BlitPathCount && !first; ++i) {
            if (IsRowOf(BlitPaths[i], path)) first = &BlitPaths[i];
        }
        EXPECT_EQ(&FindPath(path.routine, path.bytesPerPixel, path.masked, Everything()), first);
        const BlitPath& withSse2 = FindPath(path.routine, path.bytesPerPixel, path.masked, sse2Only);
        EXPECT_NE(withSse2.needs, CpuFeature::Avx2) << withSse2.name;
        EXPECT_TRUE(IsRowOf(withSse2, path)) << withSse2.name;
    }
}

TEST(BlitPaths, TheLibraryChoseForThisCpu)
{
    const CpuFeatures cpu = DetectCpuFeatures();
    std::printf("[ CPU      ] SSE2 %s, AVX2 %s\n", cpu.sse2 ? "yes" : "no", cpu.avx2 ? "yes" : "no");
    for (const Path& path : AllPaths) {
        const BlitPath& chosen = ChosenPath(path.routine, path.bytesPerPixel, path.masked);
        std::printf("[ CHOSEN   ] %-14s %d-byte %-9s -> %s\n", path.routine == Routine::Blt ? "Blt" : "Blt_NoColorkey",
                    path.bytesPerPixel, path.masked ? "mask" : "no mask", chosen.name);
        EXPECT_EQ(&chosen, &FindPath(path.routine, path.bytesPerPixel, path.masked, cpu));
        EXPECT_TRUE(cpu.Has(chosen.needs));
    }
}

#if defined(PIXMIX_REFERENCE_ONLY)
TEST(BlitPaths, AReferenceOnlyBuildHasNothingElse)
{
    for (size_t i = 0; i < BlitPathCount; ++i) EXPECT_EQ(BlitPaths[i].needs, CpuFeature::None) << BlitPaths[i].name;
}
#endif

}  // namespace
