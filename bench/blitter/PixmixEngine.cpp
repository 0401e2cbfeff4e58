#include "bench/BenchSupport.h"
#include "bench/blitter/BlitEngines.h"

#include <cstring>

void RunPixmix(benchmark::State& state, BlitScene& scene, BlitRoutine routine)
{
    for (auto _ : state) {
        for (int i = 0; i < scene.FrameCount(); ++i) routine(scene.Target(i), scene.Source(i));
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, scene.PixelsPerPass());
}

void RunMemcpy(benchmark::State& state, BlitScene& scene)
{
    const size_t rowBytes = static_cast<size_t>(scene.FramePitch());
    for (auto _ : state) {
        for (int i = 0; i < scene.FrameCount(); ++i) {
            uint8_t* row = scene.ScreenAt(scene.placements[i]);
            const uint8_t* from = scene.Source(i).pixels;
            for (int y = 0; y < scene.frameHeight; ++y, row += scene.ScreenPitch(), from += rowBytes) {
                std::memcpy(row, from, rowBytes);
            }
        }
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, scene.PixelsPerPass());
}
