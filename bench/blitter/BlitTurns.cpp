// Pixmix and its yardstick on the same scene, taking turns pass by pass in
// one benchmark: on a machine shared with other work, two benchmarks run one
// after the other see different loads, while passes that alternate see the
// same. Each row reports both rates (from each engine's median pass: the
// counters "ours" and "yardstick", the same in every row, as Google
// Benchmark's CSV output needs), their ratio (the median of the ratios of
// passes run side by side) and the goal for that ratio. Names:
// <job>/<ours>~<yardstick>/<input>/<coverage>.
#include "bench/blitter/BlitEngines.h"

#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    return values[middle];
}

double ThreadSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The processor time of one pass, as Google Benchmark counts its own rates:
// on a busy machine the time a pass waits for a processor is not its own.
double SecondsOf(const BlitPass& pass, bool& done)
{
    const double start = ThreadSeconds();
    done = pass() && done;
    benchmark::ClobberMemory();
    return ThreadSeconds() - start;
}

void RunTurns(benchmark::State& state, const BlitScene& scene, const BlitPass& ours, const BlitPass& yardstick,
              double goal)
{
    if (!ours || !yardstick) return;
    std::vector<double> oursSeconds, yardstickSeconds, ratios;
    oursSeconds.reserve(state.max_iterations);
    yardstickSeconds.reserve(state.max_iterations);
    bool done = true;
    for (auto _ : state) {
        // Which goes first alternates, so that neither always meets the
        // caches as the other left them.
        const bool oursFirst = oursSeconds.size() % 2 == 0;
        const double first = SecondsOf(oursFirst ? ours : yardstick, done);
        const double second = SecondsOf(oursFirst ? yardstick : ours, done);
        oursSeconds.push_back(oursFirst ? first : second);
        yardstickSeconds.push_back(oursFirst ? second : first);
    }
    if (!done) {
        state.SkipWithError("a blit failed");
        return;
    }
    for (size_t i = 0; i < oursSeconds.size(); ++i) ratios.push_back(yardstickSeconds[i] / oursSeconds[i]);
    const double pixels = static_cast<double>(scene.PixelsPerPass());
    state.counters["ours"] = pixels / Median(oursSeconds);
    state.counters["yardstick"] = pixels / Median(yardstickSeconds);
    state.counters["ratio"] = Median(ratios);
    state.counters["goal"] = goal;
}

struct TurnRow {
    const char* job;
    int bytesPerPixel;
    BlitInput input;
    const char* inputName;
    BlitRoutine routine;
    const char* routineName;
    const char* yardstickName;
    std::function<BlitPass(benchmark::State&, BlitScene&)> yardstick;
    double goal;  // how many times as fast as the yardstick Pixmix should be
};

void RegisterTurns()
{
    const auto pixman = [](PixmanJob job) {
        return [job](benchmark::State& state, BlitScene& scene) { return PixmanPass(state, scene, job); };
    };
    const auto sdl = [](SdlJob job) {
        return [job](benchmark::State& state, BlitScene& scene) { return SdlPass(state, scene, job); };
    };
    const TurnRow rows[] = {
        {"blend32", 4, BlitInput::Partial, "partial", Blt, "Blt", "pixman", pixman(PixmanJob::OverWithMask), 1.5},
        {"blend32", 4, BlitInput::SpriteShaped, "sprite-shaped", Blt, "Blt", "pixman", pixman(PixmanJob::OverWithMask),
         3},
        {"key32", 4, BlitInput::HalfKeyed, "half-keyed", Blt, "Blt", "SDL2", sdl(SdlJob::ColorKey), 3},
        {"copy32", 4, BlitInput::Opaque, "opaque", Blt_NoColorkey, "Blt_NoColorkey", "memcpy", MemcpyPass, 0.9},
        {"copy565", 2, BlitInput::Opaque, "opaque", Blt_NoColorkey, "Blt_NoColorkey", "memcpy", MemcpyPass, 0.9},
        {"blend565", 2, BlitInput::Partial, "partial", Blt, "Blt", "SDL2", sdl(SdlJob::PerPixelAlpha), 1.5},
    };
    const struct {
        BlitCoverage coverage;
        const char* name;
    } coverages[] = {{BlitCoverage::Screen, "640x480"}, {BlitCoverage::Sprites, "64x32"}};
    for (const TurnRow& row : rows) {
        for (const auto& coverage : coverages) {
            const std::string name = std::string(row.job) + "/" + row.routineName + "~" + row.yardstickName + "/" +
                                     row.inputName + "/" + coverage.name;
            const BlitSceneShape shape{row.bytesPerPixel, row.input, coverage.coverage};
            benchmark::RegisterBenchmark(name.c_str(), [shape, row](benchmark::State& state) {
                BlitScene& scene = SceneFor(shape);
                RunTurns(state, scene, PixmixPass(state, scene, row.routine), row.yardstick(state, scene), row.goal);
            })->Unit(benchmark::kMicrosecond);
        }
    }
}

const bool registered = (RegisterTurns(), true);

}  // namespace
