#include "bench/BenchSupport.h"
#include "bench/blitter/BlitEngines.h"
#include "blitter/BlendTable.h"

#include <cstring>
#include <string>

void RunPixmix(benchmark::State& state, BlitScene& scene, BlitRoutine routine)
{
    for (auto _ : state) {
        for (int i = 0; i < scene.FrameCount(); ++i) routine(scene.Target(i), scene.Source(i));
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, scene.PixelsPerPass());
}

void RunKernel(benchmark::State& state, BlitScene& scene, const BlitPath& path)
{
    if (!DetectCpuFeatures().Has(path.needs)) {
        state.SkipWithError((std::string("this CPU has no ") + NameOf(path.needs)).c_str());
        return;
    }
    FillBlendTable();  // the kernels linked in here read their own copy of the table
    for (auto _ : state) {
        for (int i = 0; i < scene.FrameCount(); ++i) path.kernel(scene.Target(i), scene.Source(i));
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
