#include "bench/BenchSupport.h"
#include "bench/blitter/BlitEngines.h"
#include "blitter/BlendTable.h"

#include <cstring>
#include <string>

BlitPass PixmixPass(benchmark::State&, BlitScene& scene, BlitRoutine routine)
{
    return [&scene, routine] {
        for (int i = 0; i < scene.FrameCount(); ++i) routine(scene.Target(i), scene.Source(i));
        return true;
    };
}

BlitPass KernelPass(benchmark::State& state, BlitScene& scene, const BlitPath& path)
{
    if (!DetectCpuFeatures().Has(path.needs)) {
        state.SkipWithError((std::string("this CPU has no ") + NameOf(path.needs)).c_str());
        return {};
    }
    FillBlendTable();  // the kernels linked in here read their own copy of the table
    return [&scene, &path] {
        for (int i = 0; i < scene.FrameCount(); ++i) path.kernel(scene.Target(i), scene.Source(i));
        return true;
    };
}

BlitPass MemcpyPass(benchmark::State&, BlitScene& scene)
{
    return [&scene] {
        const size_t rowBytes = static_cast<size_t>(scene.FramePitch());
        for (int i = 0; i < scene.FrameCount(); ++i) {
            uint8_t* row = scene.ScreenAt(scene.placements[i]);
            const uint8_t* from = scene.Source(i).pixels;
            for (int y = 0; y < scene.frameHeight; ++y, row += scene.ScreenPitch(), from += rowBytes) {
                std::memcpy(row, from, rowBytes);
            }
        }
        return true;
    };
}

void RunPasses(benchmark::State& state, const BlitScene& scene, const BlitPass& pass)
{
    if (!pass) return;
    bool done = true;
    for (auto _ : state) {
        done = pass() && done;
        benchmark::ClobberMemory();
    }
    if (!done) state.SkipWithError("a blit failed");
    bench::SetItemsPerPass(state, scene.PixelsPerPass());
}
