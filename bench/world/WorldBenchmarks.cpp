// One frame of the demo world as the frame loop makes it, after start-up
// (walkers spawned on (1, 1), one update at tick 0, the camera at its start):
// the surface cleared to black, then DrawMap at (320, 240). Next to it, the
// same frame's blits alone (the clear, then every Blt of the frame with the
// geometry done beforehand: the blitter's share of the frame), and one memcpy
// of a 640 x 480 x 32 frame, the bandwidth anchor. Items are frame pixels.
#include "bench/BenchSupport.h"
#include "map/TileMap.h"
#include "map/TileProjection.h"
#include "map/Walker.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameBlit.h"
#include "sprite/FrameTick.h"
#include "world/FrameLayout.h"
#include "world/MemoryFrame.h"
#include "world/SceneSteps.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr int64_t FramePixels = int64_t(FrameWidth) * FrameHeight;

std::string WorldFolder()
{
    if (const char* folder = std::getenv("CLIENT_DEMO_WORLD")) return folder;
#if defined(DEMO_WORLD_DIR)
    return DEMO_WORLD_DIR;
#else
    return {};
#endif
}

struct DemoWorld {
    DemoWorld()
    {
        const std::string folder = WorldFolder();
        if (folder.empty() || !std::filesystem::exists(std::filesystem::path(folder) / "test.map")) {
            missing = "no demo world in '" + folder + "' (build the demo_world target, or set CLIENT_DEMO_WORLD)";
            return;
        }
        // The registry opens its files relative to the working directory, and
        // the sprites load on first use: everything is loaded inside the folder.
        std::error_code failed;
        const std::filesystem::path home = std::filesystem::current_path(failed);
        std::filesystem::current_path(folder, failed);
        if (failed || !StartUp()) {
            missing = "the demo world in '" + folder + "' does not load";
        } else {
            DrawScene(map, frame.Surface());
        }
        std::filesystem::current_path(home, failed);
    }

    // As the program starts: the list, the map, the walkers, then the frame
    // loop's first update (FrameTick 0).
    bool StartUp()
    {
        DisplayDepth = 32;
        FrameTick = 0;
        if (!StartScene(map)) return false;
        PlaceWalkers(map, walker1, walker2);
        UpdateWalkers(walker1, walker2);
        return true;
    }

    void ClearAndDraw()
    {
        frame.Clear();
        DrawScene(map, frame.Surface());
    }

    // What DrawMap hands the blitter for this frame, in order.
    std::vector<FrameBlit> FrameBlits()
    {
        std::vector<FrameBlit> blits;
        const ScreenPoint origin =
            MapOrigin(map.cameraX, map.cameraY, map.cameraOffsetX, map.cameraOffsetY, FrameCentreX, FrameCentreY);
        auto add = [&](int32_t spriteIndex, const char* name, int32_t direction, int16_t x, int16_t y,
                       AnimationCursor* cursor) {
            const Sprite* sprite = map.sprites.GetSprite(spriteIndex);
            const SpriteFrame* shown = sprite ? sprite->GetCurrentFrame(name, direction, cursor) : nullptr;
            const ScreenPoint at = TileToScreen(origin, x, y);
            FrameBlit blit;
            if (shown && PlaceFrame(*shown, frame.Surface(), at.x, at.y, nullptr, DisplayDepth, blit)) {
                blits.push_back(blit);
            }
        };
        for (int32_t i = 0; i < map.floorTileCount; ++i) {
            const FloorTile& tile = map.floorTiles[i];
            add(tile.spriteIndex, tile.animationName, tile.direction, tile.x, tile.y, nullptr);
        }
        for (SceneEntry* entry = map.objects.First(); entry != map.objects.End(); entry = entry->next) {
            const SceneObject& object = entry->object;
            add(object.spriteIndex, object.animationName, object.direction, object.x0, object.y0, object.cursor);
        }
        return blits;
    }

    std::string missing;
    MemoryFrame frame;
    TileMap map;
    Walker walker1, walker2;
};

DemoWorld& World()
{
    static DemoWorld world;
    return world;
}

void DemoFrame(benchmark::State& state)
{
    DemoWorld& world = World();
    if (!world.missing.empty()) {
        state.SkipWithError(world.missing.c_str());
        return;
    }
    DisplayDepth = 32;
    for (auto _ : state) {
        world.ClearAndDraw();
        benchmark::ClobberMemory();
    }
    state.counters["drawables"] = double(world.map.floorTileCount + world.map.objects.Count());
    bench::SetItemsPerPass(state, FramePixels);
}

void DemoFrameBlits(benchmark::State& state)
{
    DemoWorld& world = World();
    if (!world.missing.empty()) {
        state.SkipWithError(world.missing.c_str());
        return;
    }
    const std::vector<FrameBlit> blits = world.FrameBlits();
    for (auto _ : state) {
        world.frame.Clear();
        for (const FrameBlit& blit : blits) {
            if (blit.noColorkey) {
                Blt_NoColorkey(blit.destination, blit.source);
            } else {
                Blt(blit.destination, blit.source);
            }
        }
        benchmark::ClobberMemory();
    }
    state.counters["blits"] = double(blits.size());
    bench::SetItemsPerPass(state, FramePixels);
}

void FrameMemcpy(benchmark::State& state)
{
    std::vector<uint32_t> from(FramePixels, 0x00203040), to(FramePixels, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, FramePixels);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("world/DrawMap/demo-frame", DemoFrame)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("world/memcpy/demo-frame", FrameMemcpy)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("world/blits/demo-frame", DemoFrameBlits)->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
