// A world of 512 x 512 cells and 100,000 floor tiles (four grass tiles in
// turn, of one 40 x 20 frame each) carried into a Tiled map and back: each
// run exports it, or imports the exported map, into folders of its own under
// the system's temporary folder. The floor comes back to front, as the editor
// draws a layer, or row after row of cells with diamond frames, an order the
// editor does not keep but which shares one layer because neighbouring
// diamonds share no pixel: every tile is then held against its neighbours.
//
// Maps made in the editor go through the importer's builder instead: 512 x 512
// cells of 64 x 32 tiles, four in turn, either full diamonds (each covers its
// own cell, so no tile needs its neighbours) or pixel-art ones that meet
// their neighbours only together, whose holes every cell closes against its
// neighbours; and the pixel-art floor as a staggered map of 256 x 1024 cells,
// which becomes a lattice of twice the cells.
#include "tools/tmxexport/TmxExport.h"
#include "tools/tmximport/TmxImport.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/MapText.h"
#include "tools/worldfiles/PngImage.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

struct LargeWorld {
    fs::path root;
    fs::path world;
    fs::path map;

    explicit LargeWorld(bool rows)
        : root(fs::temp_directory_path() / ("client-tiled-bench-" + std::to_string(getpid()) + (rows ? "-rows" : ""))),
          world(root / "world"), map(root / "export" / "big.tmx")
    {
        fs::create_directories(world);
        fs::create_directories(map.parent_path());
        SpriteSource grass;
        for (int i = 0; i < 4; ++i) {
            FrameSource frame;
            frame.width = 40;
            frame.height = 20;
            frame.anchorX = 20;
            frame.anchorY = 10;
            frame.pixels.assign(800, 0x228B22u + uint32_t(i) * 0x101010u);
            if (rows) {
                // Clear (the key) outside the diamond: |x - 19.5| / 20 + |y - 9.5| / 10 < 1.
                for (int y = 0; y < 20; ++y) {
                    for (int x = 0; x < 40; ++x) {
                        if (std::abs(2 * x - 39) + 2 * std::abs(2 * y - 19) > 40)
                            frame.pixels[size_t(y * 40 + x)] = frame.colorKey;
                    }
                }
            }
            grass.animations.push_back({"g" + std::to_string(i), 0, {frame}});
        }
        WriteFileBytes((world / "grass.spr").string(), EncodeSpriteFile(grass));
        const std::string list = FormatSpriteList({{10, "grass.spr"}});
        WriteFileBytes((world / "SpriteList.txt").string(), std::vector<uint8_t>(list.begin(), list.end()));
        MapSource cells;
        cells.width = cells.height = 512;
        cells.cells.resize(512 * 512);
        for (int y = 0; rows && cells.floorTiles.size() < 100000; ++y) {
            for (int x = 0; x < 512 && cells.floorTiles.size() < 100000; ++x) {
                cells.floorTiles.push_back({int16_t(x), int16_t(y), 0, 10, "g" + std::to_string(x % 4), 0});
            }
        }
        // Back to front, as the editor draws a layer: 100,000 cells from the top.
        for (int diagonal = 0; cells.floorTiles.size() < 100000; ++diagonal) {
            for (int x = std::max(0, diagonal - 511); x <= std::min(511, diagonal) && cells.floorTiles.size() < 100000;
                 ++x) {
                const int y = 511 - (diagonal - x);
                cells.floorTiles.push_back({int16_t(x), int16_t(y), 0, 10, "g" + std::to_string(x % 4), 0});
            }
        }
        WriteFileBytes((world / "test.map").string(), EncodeMapFile(cells));
        ExportSummary summary;
        std::string error;
        ExportWorld(world.string(), map.string(), summary, error);
    }
    ~LargeWorld()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

// A map of the editor's with four 64 x 32 floor tiles in turn on every cell.
struct EditorMap {
    fs::path root;
    fs::path map;

    EditorMap(bool pixelArt, bool staggered)
        : root(fs::temp_directory_path() / ("client-tiled-bench-" + std::to_string(getpid()) + "-editor-" +
                                            (pixelArt ? "art" : "full") + (staggered ? "-staggered" : ""))),
          map(root / "floor.tmx")
    {
        fs::create_directories(root);
        std::string tiles;
        for (uint32_t id = 0; id < 4; ++id) {
            RgbaImage tile;
            tile.width = 64;
            tile.height = 32;
            tile.rgba.assign(64 * 32 * 4, 0);
            for (int y = 0; y < 32; ++y) {
                // Pixel art leaves its top row empty and has tips 4 pixels
                // wide; a full diamond covers every pixel centre of its cell.
                const int half = pixelArt ? (y == 0 ? 0 : 2 * std::min(y, 32 - y)) : 32 - std::abs(2 * y - 31) / 2 - 1;
                for (int x = 32 - half; x < 32 + half; ++x) {
                    uint8_t* p = &tile.rgba[size_t(y * 64 + x) * 4];
                    p[0] = uint8_t(30 + id * 20 + x % 5), p[1] = uint8_t(120 + y % 7), p[2] = 40, p[3] = 255;
                }
            }
            std::string error;
            SavePng((root / ("t" + std::to_string(id) + ".png")).string(), tile, error);
            tiles += "  <tile id=\"" + std::to_string(id) + "\"><image source=\"t" + std::to_string(id) +
                     ".png\"/></tile>\n";
        }
        const int columns = staggered ? 256 : 512, rows = staggered ? 1024 : 512;
        std::string cells;
        cells.reserve(size_t(columns) * rows * 2);
        for (int i = 0; i < columns * rows; ++i) cells += std::to_string(1 + (i * 7 + i / columns * 3) % 4) + ",";
        cells.pop_back();
        const std::string size = "width=\"" + std::to_string(columns) + "\" height=\"" + std::to_string(rows) + "\"";
        const std::string text =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.8\" orientation=\"" +
            std::string(staggered ? "staggered\" staggeraxis=\"y\" staggerindex=\"odd" : "isometric") + "\" " + size +
            " tilewidth=\"64\" tileheight=\"32\" infinite=\"0\">\n <tileset firstgid=\"1\" name=\"floor\" "
            "tilewidth=\"64\" tileheight=\"32\" tilecount=\"4\">\n" +
            tiles + " </tileset>\n <layer name=\"floor\" " + size + "><data encoding=\"csv\">" + cells +
            "</data></layer>\n</map>\n";
        WriteFileBytes(map.string(), std::vector<uint8_t>(text.begin(), text.end()));
    }
    ~EditorMap()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

void ImportEditorMap(benchmark::State& state, bool pixelArt, bool staggered)
{
    static const EditorMap full(false, false), art(true, false), staggeredArt(true, true);
    const EditorMap& map = staggered ? staggeredArt : pixelArt ? art : full;
    ImportSummary summary;
    for (auto _ : state) {
        ImportOptions options{map.map.string(), (map.root / "world").string(), ""};
        std::string error;
        if (!ImportTmx(options, summary, error)) state.SkipWithError(error.c_str());
    }
    state.counters["floor tiles"] = double(summary.floorTiles);
}

const LargeWorld& World(bool rows)
{
    static const LargeWorld backToFront(false);
    static const LargeWorld inRows(true);
    return rows ? inRows : backToFront;
}

void Export(benchmark::State& state, bool rows)
{
    const LargeWorld& world = World(rows);
    ExportSummary summary;
    for (auto _ : state) {
        summary = ExportSummary{};
        std::string error;
        if (!ExportWorld(world.world.string(), (world.root / "again" / "big.tmx").string(), summary, error)) {
            state.SkipWithError(error.c_str());
        }
    }
    state.counters["floor layers"] = double(summary.floorLayers);
}

void Import(benchmark::State& state, bool rows)
{
    const LargeWorld& world = World(rows);
    for (auto _ : state) {
        ImportOptions options{world.map.string(), (world.root / "back").string(), ""};
        ImportSummary summary;
        std::string error;
        if (!ImportTmx(options, summary, error)) state.SkipWithError(error.c_str());
    }
}

const bool registered = [] {
    benchmark::RegisterBenchmark("tiled/tmxexport/512x512-100k-floor", Export, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("tiled/tmximport/512x512-100k-floor", Import, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("tiled/tmxexport/512x512-100k-floor-in-rows", Export, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("tiled/tmximport/512x512-100k-floor-in-rows", Import, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("tiled/tmximport/editor-512x512-full-diamonds", ImportEditorMap, false, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("tiled/tmximport/editor-512x512-pixel-art", ImportEditorMap, true, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("tiled/tmximport/editor-staggered-256x1024-pixel-art", ImportEditorMap, true, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    return true;
}();

}  // namespace
