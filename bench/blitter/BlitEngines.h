// One pass of a blit job over a BlitScene, done by each engine the summary
// compares: Pixmix's exported routines, each of its kernels directly (the
// ones another CPU would get), pixman, SDL2, and memcpy of the same rows as
// the bandwidth limit.
#pragma once

#include "bench/blitter/BlitScene.h"
#include "blitter/BlitPaths.h"

#include <benchmark/benchmark.h>

using BlitRoutine = void(PIXMIX_CALL*)(SurfaceBuffer, BlitSource);

void RunPixmix(benchmark::State& state, BlitScene& scene, BlitRoutine routine);
// One row of Pixmix's dispatch table, whatever this CPU would be given.
void RunKernel(benchmark::State& state, BlitScene& scene, const BlitPath& path);
void RunMemcpy(benchmark::State& state, BlitScene& scene);

enum class PixmanJob {
    OverWithMask,  // OVER, the frame through its a8 mask (x8r8g8b8 or r5g6b5 throughout)
    Source,        // SRC: a plain copy
};
void RunPixman(benchmark::State& state, BlitScene& scene, PixmanJob job);

enum class SdlJob {
    ColorKey,       // the frame in the screen's format (RGB888 or RGB565), colour key, no RLE
    PerPixelAlpha,  // the frame as ARGB8888 with the mask as alpha, blended onto RGB888 or RGB565
    Copy,           // the frame in the screen's format, no blending
};
void RunSdl(benchmark::State& state, BlitScene& scene, SdlJob job);
