// Which kernel does a blit. BlitPaths is the table of every kernel for every
// path: (routine, pixel size, mask given, CPU feature) -> kernel. The first
// row that matches a path and that the CPU can run wins; the reference rows
// come last and run anywhere. The choice is made once, when the library is
// loaded.
#pragma once

#include "base/CpuFeatures.h"
#include "blitter/BlitKernels.h"

#include <cstddef>

enum class Routine { Blt, NoColorkey };

struct BlitPath {
    Routine routine;
    int bytesPerPixel;  // 4: x888; 2: 5-6-5
    bool masked;        // with a mask both routines blend
    CpuFeature needs;
    BlitKernel kernel;
    const char* name;
};

extern const BlitPath BlitPaths[];
extern const size_t BlitPathCount;

// The first row for the path that a CPU with `cpu` runs.
const BlitPath& FindPath(Routine routine, int bytesPerPixel, bool masked, const CpuFeatures& cpu);

inline int PathIndex(Routine routine, int bytesPerPixel, bool masked)
{
    return (routine == Routine::Blt ? 0 : 4) + (bytesPerPixel == 4 ? 0 : 2) + (masked ? 1 : 0);
}

// The row of each path (by PathIndex) that this process uses, chosen for its
// CPU when the library was loaded; null until then.
extern const BlitPath* ChosenPaths[8];

// The kernels of ChosenPaths in PathIndex order, as one line of text for the
// library to report when it loads, e.g. "Pixmix kernels: avx2::blend_x888_a8
// ... scalar::copy_565". Returns a buffer of this library's own.
const char* DescribeChosenPaths();

inline const BlitPath& ChosenPath(Routine routine, int bytesPerPixel, bool masked)
{
    const BlitPath* path = ChosenPaths[PathIndex(routine, bytesPerPixel, masked)];
    // A blit from another library's initialiser, before ours ran, takes the reference.
    return path ? *path : FindPath(routine, bytesPerPixel, masked, CpuFeatures{});
}
