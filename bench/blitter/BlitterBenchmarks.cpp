// Every Pixmix path on a 640 x 480 screen and on 64 x 32 sprites, next to
// the same job done by pixman, SDL2 and memcpy, and by each of Pixmix's
// kernels for the path (avx2, sse2, scalar: what other CPUs get).
// Names: <job>/<engine>/<input>/<coverage>.
#include "bench/blitter/BlitEngines.h"

#include <functional>
#include <string>

namespace {

using Engine = std::function<BlitPass(benchmark::State&, BlitScene&)>;

struct EngineEntry {
    const char* name;
    Engine run;
};

void Register(const std::string& job, BlitInput input, const char* inputName, int bytesPerPixel,
              const std::vector<EngineEntry>& engines)
{
    const struct {
        BlitCoverage coverage;
        const char* name;
    } coverages[] = {{BlitCoverage::Screen, "640x480"}, {BlitCoverage::Sprites, "64x32"}};
    for (const auto& coverage : coverages) {
        const BlitSceneShape shape{bytesPerPixel, input, coverage.coverage};
        for (const EngineEntry& engine : engines) {
            const std::string name = job + "/" + engine.name + "/" + inputName + "/" + coverage.name;
            const Engine run = engine.run;
            benchmark::RegisterBenchmark(name.c_str(), [shape, run](benchmark::State& state) {
                BlitScene& scene = SceneFor(shape);
                RunPasses(state, scene, run(state, scene));
            })->Unit(benchmark::kMicrosecond);
        }
    }
}

Engine Pixmix(BlitRoutine routine)
{
    return [routine](benchmark::State& state, BlitScene& scene) { return PixmixPass(state, scene, routine); };
}
Engine Pixman(PixmanJob job)
{
    return [job](benchmark::State& state, BlitScene& scene) { return PixmanPass(state, scene, job); };
}
Engine Sdl(SdlJob job)
{
    return [job](benchmark::State& state, BlitScene& scene) { return SdlPass(state, scene, job); };
}

// Every kernel of the path that Blt takes, by its instruction set.
std::vector<EngineEntry> Kernels(int bytesPerPixel, bool masked)
{
    std::vector<EngineEntry> kernels;
    for (size_t i = 0; i < BlitPathCount; ++i) {
        const BlitPath& path = BlitPaths[i];
        if (path.routine != Routine::Blt || path.bytesPerPixel != bytesPerPixel || path.masked != masked) continue;
        const char* name = path.needs == CpuFeature::None ? "scalar" : path.needs == CpuFeature::Sse2 ? "sse2" : "avx2";
        kernels.push_back(
            {name, [&path](benchmark::State& state, BlitScene& scene) { return KernelPass(state, scene, path); }});
    }
    return kernels;
}

std::vector<EngineEntry> operator+(std::vector<EngineEntry> engines, const std::vector<EngineEntry>& more)
{
    engines.insert(engines.end(), more.begin(), more.end());
    return engines;
}

void RegisterDepth(int bytesPerPixel)
{
    const std::string depth = bytesPerPixel == 4 ? "32" : "565";
    const EngineEntry memcpyRows{"memcpy", MemcpyPass};
    // With a mask both routines take the blend path; both are measured.
    const std::vector<EngineEntry> blend = std::vector<EngineEntry>{{"Blt", Pixmix(Blt)},
                                                                    {"Blt_NoColorkey", Pixmix(Blt_NoColorkey)},
                                                                    {"pixman", Pixman(PixmanJob::OverWithMask)},
                                                                    {"SDL2", Sdl(SdlJob::PerPixelAlpha)},
                                                                    memcpyRows} +
                                           Kernels(bytesPerPixel, true);
    Register("blend" + depth, BlitInput::Partial, "partial", bytesPerPixel, blend);
    Register("blend" + depth, BlitInput::SpriteShaped, "sprite-shaped", bytesPerPixel, blend);
    Register("key" + depth, BlitInput::HalfKeyed, "half-keyed", bytesPerPixel,
             std::vector<EngineEntry>{{"Blt", Pixmix(Blt)}, {"SDL2", Sdl(SdlJob::ColorKey)}, memcpyRows} +
                 Kernels(bytesPerPixel, false));
    Register("copy" + depth, BlitInput::Opaque, "opaque", bytesPerPixel,
             {{"Blt_NoColorkey", Pixmix(Blt_NoColorkey)},
              {"pixman", Pixman(PixmanJob::Source)},
              {"SDL2", Sdl(SdlJob::Copy)},
              memcpyRows});
}

const bool registered = (RegisterDepth(4), RegisterDepth(2), true);

}  // namespace
