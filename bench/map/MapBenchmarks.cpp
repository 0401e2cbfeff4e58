// DrawMap on synthetic maps, one frame per pass into a 640 x 480 x 32 surface
// (items are drawables submitted, so the summary reads drawables per second
// and the time is per frame), and LoadMap on a large map file next to fread of
// the same bytes (items are file bytes: MB/s).
#include "base/BoundedReader.h"
#include "bench/sprite/LoaderBenchSupport.h"
#include "map/TileMap.h"
#include "sprite/DisplayDepth.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t FloorId = 1, ObjectId = 3;

// A 40 x 20 diamond, keyed outside; and a 32 x 48 blended figure anchored at its feet.
void WriteSprites(const std::string& listPath)
{
    bench::Noise noise(5);
    FrameSource tile;
    tile.width = 40;
    tile.height = 20;
    tile.anchorX = 20;
    tile.anchorY = 10;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inside = std::abs(x - 20) * 10 + std::abs(y - 10) * 20 <= 200;
            tile.pixels.push_back(inside ? noise.Next() & 0xFFFFFF : 0xFF00FF);
        }
    }
    FrameSource figure;
    figure.width = 32;
    figure.height = 48;
    figure.anchorX = 16;
    figure.anchorY = 44;
    for (int i = 0; i < 32 * 48; ++i) {
        figure.pixels.push_back(noise.Next() & 0xFFFFFF);
        figure.alphaMask.push_back(static_cast<uint8_t>(noise.Next()));
    }
    SpriteSource floor, object;
    floor.animations.push_back({"floor", 0, {tile}});
    object.animations.push_back({"idle", 0, {figure}});
    const std::string floorPath = bench::BenchFile("map-floor.spr"), objectPath = bench::BenchFile("map-object.spr");
    WriteFileBytes(floorPath, EncodeSpriteFile(floor));
    WriteFileBytes(objectPath, EncodeSpriteFile(object));
    const std::string list =
        "3\n1 " + floorPath + "\n2 " + bench::BenchFile("map-unused.spr") + "\n3 " + objectPath + "\n";
    std::vector<uint8_t> bytes(list.begin(), list.end());
    WriteFileBytes(listPath, bytes);
}

// `floorTiles` in a square around the camera tile (0, 0), so that beyond a
// thousand or so most lie off the surface, or around tile (`away`, 0);
// `objects` scattered over 100 x 100 cells.
MapSource SyntheticMap(int32_t floorTiles, int32_t objects, int32_t away = 0)
{
    MapSource map;
    const int32_t side = static_cast<int32_t>(std::ceil(std::sqrt(double(floorTiles))));
    for (int32_t i = 0; i < floorTiles; ++i) {
        const int16_t x = static_cast<int16_t>(away + i % side - side / 2);
        const int16_t y = static_cast<int16_t>(i / side - side / 2);
        map.floorTiles.push_back({x, y, 0, FloorId, "floor", 0});
    }
    bench::Noise noise(9);
    for (int32_t i = 0; i < objects; ++i) {
        const int16_t x = static_cast<int16_t>(int(noise.Below(100)) - 50);
        const int16_t y = static_cast<int16_t>(int(noise.Below(100)) - 50);
        map.objects.push_back({x, y, x, y, 0, ObjectId, "idle", 0});
    }
    return map;
}

std::unique_ptr<TileMap> LoadedMap(const MapSource& source)
{
    static const std::string list = [] {
        const std::string path = bench::BenchFile("map-SpriteList.txt");
        WriteSprites(path);
        return path;
    }();
    auto map = std::make_unique<TileMap>();
    map->sprites.LoadSpriteList(list.c_str());
    const std::vector<uint8_t> bytes = EncodeMapFile(source);
    BoundedReader file(bytes.data(), bytes.size());
    map->ReadMap(file);
    return map;
}

void DrawMapFrame(benchmark::State& state, int32_t floorTiles, int32_t objects, int32_t away)
{
    DisplayDepth = 32;
    const std::unique_ptr<TileMap> map = LoadedMap(SyntheticMap(floorTiles, objects, away));
    std::vector<uint32_t> pixels(640 * 480, 0);
    uint8_t* first = reinterpret_cast<uint8_t*>(pixels.data());
    const SurfaceBuffer surface = {first, first + 480 * 2560, 2560, 480, 640, 32};
    map->DrawMap(surface, 320, 240);  // the sprites load outside the measurement
    for (auto _ : state) {
        map->DrawMap(surface, 320, 240);
        benchmark::ClobberMemory();
    }
    bench::SetItemsPerPass(state, int64_t(map->floorTileCount) + map->objects.Count());
}

// 512 x 512 cells, every eighth with 16 bytes of data; 100,000 floor tiles;
// 10,000 objects: 7.2 MB.
struct LargeMapFile {
    LargeMapFile()
    {
        MapSource map = SyntheticMap(100000, 10000);
        map.width = map.height = 512;
        map.cells.resize(512 * 512);
        for (size_t i = 0; i < map.cells.size(); i += 8) map.cells[i].data.assign(16, uint8_t(i));
        const std::vector<uint8_t> bytes = EncodeMapFile(map);
        path = bench::BenchFile("large.map");
        WriteFileBytes(path, bytes);
        size = bytes.size();
    }
    std::string path;
    size_t size = 0;
};

const LargeMapFile& LargeFile()
{
    static const LargeMapFile file;
    return file;
}

void LoadMapFile(benchmark::State& state)
{
    const LargeMapFile& file = LargeFile();
    bench::KeepTheHeap();
    for (auto _ : state) {
        TileMap map;  // an empty registry: every sprite id is looked up and not found
        if (!map.LoadMap(file.path.c_str())) state.SkipWithError("LoadMap failed");
        benchmark::DoNotOptimize(map.rows);
    }
    bench::SetItemsPerPass(state, static_cast<int64_t>(file.size));
}

void FreadFile(benchmark::State& state)
{
    const LargeMapFile& file = LargeFile();
    bench::FreadFile(state, file.path, file.size);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("drawmap/DrawMap/1k-floor", DrawMapFrame, 1000, 0, 0)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("drawmap/DrawMap/100k-floor", DrawMapFrame, 100000, 0, 0)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("drawmap/DrawMap/1M-floor", DrawMapFrame, 1000000, 0, 0)
        ->Unit(benchmark::kMicrosecond);
    // Every tile wholly off the surface: the time per drawable of the rejection path.
    benchmark::RegisterBenchmark("drawmap/DrawMap/100k-off-surface", DrawMapFrame, 100000, 0, 1000)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("drawmap/DrawMap/10k-objects", DrawMapFrame, 0, 10000, 0)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("loadmap/LoadMap/large", LoadMapFile)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("loadmap/fread/large", FreadFile)->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
