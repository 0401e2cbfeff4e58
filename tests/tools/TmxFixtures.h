// Shared by the importer's tests: a private working directory per test, map
// and tileset files and their pictures written by the test, the converted
// world read back through the program's own loaders, and pictures of it made
// by `maptool render`.
#pragma once

#include "base/ByteWriter.h"
#include "map/TileMap.h"
#include "sprite/DisplayDepth.h"
#include "tools/tmximport/TmxImport.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/PngImage.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace tmxtest {

constexpr uint32_t Transparent = 0xFF000000u;  // a pixel function's "no pixel"

// A picture whose pixel (x, y) is colour(x, y): 0xRRGGBB, or Transparent.
inline RgbaImage Picture(uint32_t width, uint32_t height, const std::function<uint32_t(uint32_t, uint32_t)>& colour)
{
    RgbaImage image;
    image.width = width;
    image.height = height;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            const bool clear = c == Transparent;
            image.rgba.insert(image.rgba.end(),
                              {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(clear ? 0 : 255)});
        }
    }
    return image;
}

inline RgbaImage Solid(uint32_t width, uint32_t height, uint32_t rgb)
{
    return Picture(width, height, [rgb](uint32_t, uint32_t) { return rgb; });
}

// A w x h diamond of one colour, clear outside.
inline RgbaImage Diamond(uint32_t width, uint32_t height, uint32_t rgb)
{
    return Picture(width, height, [=](uint32_t x, uint32_t y) {
        const double dx = std::abs(x + 0.5 - width / 2.0) / (width / 2.0);
        const double dy = std::abs(y + 0.5 - height / 2.0) / (height / 2.0);
        return dx + dy <= 1.0 ? rgb : Transparent;
    });
}

// Little-endian ids, as base64 layer data holds them before encoding.
inline std::vector<uint8_t> IdBytes(const std::vector<uint32_t>& gids)
{
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    for (uint32_t gid : gids) out.Write(gid);
    return bytes;
}

inline std::string Base64(const std::vector<uint8_t>& bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t group = uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                               (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        for (size_t k = 0; k < 4; ++k) text += i + k <= bytes.size() ? alphabet[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

// zlib (gzip false) or gzip stream of `bytes`.
inline std::vector<uint8_t> Deflate(const std::vector<uint8_t>& bytes, bool gzip)
{
    z_stream stream = {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, gzip ? 16 + MAX_WBITS : MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> packed(deflateBound(&stream, uLong(bytes.size())) + 32);
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = uInt(bytes.size());
    stream.next_out = packed.data();
    stream.avail_out = uInt(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(packed.size() - stream.avail_out);
    deflateEnd(&stream);
    return packed;
}

inline std::string Csv(const std::vector<uint32_t>& gids)
{
    std::string text = "\n";
    for (size_t i = 0; i < gids.size(); ++i) text += std::to_string(gids[i]) + (i + 1 < gids.size() ? "," : "\n");
    return text;
}

// The <map> element around `body`: an isometric map of the given size.
inline std::string IsoMap(int width, int height, int tileWidth, int tileHeight, const std::string& body,
                          const std::string& extra = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<map version=\"1.8\" tiledversion=\"1.8.2\" orientation=\"isometric\" renderorder=\"right-down\" "
           "width=\"" +
           std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" tilewidth=\"" +
           std::to_string(tileWidth) + "\" tileheight=\"" + std::to_string(tileHeight) + "\" infinite=\"0\"" + extra +
           ">\n" + body + "</map>\n";
}

inline std::string CsvLayer(const std::string& name, int width, int height, const std::vector<uint32_t>& gids,
                            const std::string& extra = "")
{
    return " <layer name=\"" + name + "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\"" + extra + ">\n  <data encoding=\"csv\">" + Csv(gids) + "</data>\n </layer>\n";
}

// A program's world folder, loaded as the program loads it.
struct LoadedWorld {
    std::unique_ptr<TileMap> map = std::make_unique<TileMap>();
    bool listed = false;
    bool loaded = false;

    // The sprite of the map's first floor tile or object with this id.
    Sprite* SpriteWithId(int32_t id) { return map->sprites.GetSprite(map->sprites.FindSpriteIndex(id)); }
};

class TmxImportFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        home = std::filesystem::current_path();
        scratch = std::filesystem::temp_directory_path() / ScratchName(std::string("client-tmx-" TMX_TEST_BUILD "-") +
                                                                       test->test_suite_name() + "-" + test->name());
        std::filesystem::remove_all(scratch);
        std::filesystem::create_directories(scratch);
        std::filesystem::current_path(scratch);
        savedDepth = DisplayDepth;
        DisplayDepth = 32;
    }

    void TearDown() override
    {
        DisplayDepth = savedDepth;
        std::filesystem::current_path(home);
        if (!HasFailure()) {
            std::error_code ignored;
            std::filesystem::remove_all(scratch, ignored);
        }
    }

    // Parameterised tests' names hold '/': one folder, not two.
    static std::string ScratchName(std::string name)
    {
        for (char& c : name) c = c == '/' ? '_' : c;
        return name;
    }

    static void WriteText(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    static std::string ReadText(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    static void SavePicture(const std::string& path, const RgbaImage& image)
    {
        std::string error;
        ASSERT_TRUE(SavePng(path, image, error)) << error;
    }

    // Converts `map` into `folder`; false with `error` on a refusal.
    static bool Convert(const std::string& map, const std::string& folder, std::string& error,
                        ImportSummary* summary = nullptr)
    {
        ImportOptions options;
        options.mapPath = map;
        options.folder = folder;
        ImportSummary ignored;
        return ImportTmx(options, summary ? *summary : ignored, error);
    }

    // Loads the folder's "SpriteList.txt" and "test.map" from inside it, as
    // the program does from its working directory.
    static LoadedWorld Load(const std::string& folder)
    {
        LoadedWorld world;
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        world.listed = world.map->sprites.LoadSpriteList("SpriteList.txt");
        world.loaded = world.listed && world.map->LoadMap("test.map");
        // Sprites load lazily, relative to the working directory: load them all now.
        for (int i = 0; i < world.map->sprites.EntryCount(); ++i) world.map->sprites.GetSprite(i);
        std::filesystem::current_path(previous);
        return world;
    }

    // The world as `maptool render` draws it, with the camera on tile (x, y).
    static RgbaImage Render(const std::string& folder, int cameraX, int cameraY)
    {
        const std::string picture = folder + "-render.png";
        const std::string command = std::string(MAPTOOL) + " render " + folder + " " + picture + " " +
                                    std::to_string(cameraX) + " " + std::to_string(cameraY);
        RgbaImage image;
        std::string error;
        if (std::system(command.c_str()) != 0 || !LoadPng(picture, image, error)) {
            ADD_FAILURE() << "maptool render failed: " << command << " " << error;
        }
        return image;
    }

    std::filesystem::path home;
    std::filesystem::path scratch;
    uint8_t savedDepth = 32;
};

}  // namespace tmxtest
