// One pass of a blit job over a BlitScene, done by each engine the summary
// compares: Pixmix's exported routines, each of its kernels directly (the
// ones another CPU would get), pixman, SDL2, and memcpy of the same rows as
// the bandwidth limit.
#pragma once

#include "bench/blitter/BlitScene.h"
#include "blitter/BlitPaths.h"

#include <benchmark/benchmark.h>

#include <functional>

using BlitRoutine = void(PIXMIX_CALL*)(SurfaceBuffer, BlitSource);

// One pass: every blit of the scene once. It owns whatever its engine set up
// for the scene, and returns false if a blit failed.
using BlitPass = std::function<bool()>;

// Each engine's pass over `scene`; an empty one, with the reason given to
// `state` through SkipWithError, when the engine cannot run here.
BlitPass PixmixPass(benchmark::State& state, BlitScene& scene, BlitRoutine routine);
// One row of Pixmix's dispatch table, whatever this CPU would be given.
BlitPass KernelPass(benchmark::State& state, BlitScene& scene, const BlitPath& path);
BlitPass MemcpyPass(benchmark::State& state, BlitScene& scene);

enum class PixmanJob {
    OverWithMask,  // OVER, the frame through its a8 mask (x8r8g8b8 or r5g6b5 throughout)
    Source,        // SRC: a plain copy
};
BlitPass PixmanPass(benchmark::State& state, BlitScene& scene, PixmanJob job);

enum class SdlJob {
    ColorKey,       // the frame in the screen's format (RGB888 or RGB565), colour key, no RLE
    PerPixelAlpha,  // the frame as ARGB8888 with the mask as alpha, blended onto RGB888 or RGB565
    Copy,           // the frame in the screen's format, no blending
};
BlitPass SdlPass(benchmark::State& state, BlitScene& scene, SdlJob job);

// Runs `pass` for as many iterations as `state` asks and counts the scene's
// pixels; does nothing for an empty pass.
void RunPasses(benchmark::State& state, const BlitScene& scene, const BlitPass& pass);
