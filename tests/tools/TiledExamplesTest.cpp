// The example maps that Debian's tiled package ships: the isometric one
// converts and shows what the editor shows; the others are refused by name.
#include "TiledRenderer.h"
#include "TmxFixtures.h"

#include "tools/tmximport/LayerData.h"

#include <cstdio>
#include <regex>

using namespace tmxtest;

namespace {

std::string CacheFolder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) return std::string(cache) + "/client-tiled";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.cache/client-tiled";
    return (std::filesystem::temp_directory_path() / "client-tiled").string();
}

// The examples folder, or empty with the reason in `why`.
std::string FetchExamples(std::string& why)
{
    const std::string reasons = (std::filesystem::temp_directory_path() / "client-tiled-fetch.txt").string();
    const std::string command = std::string(FETCH_TILED) + " '" + CacheFolder() + "' 2>'" + reasons + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string folder;
    if (pipe) {
        char line[4096];
        while (std::fgets(line, sizeof line, pipe)) folder += line;
        pclose(pipe);
    }
    while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r')) folder.pop_back();
    std::ifstream said(reasons);
    std::getline(said, why);
    return folder;
}

class TiledExamplesTest : public TmxImportFixture {
protected:
    static void SetUpTestSuite() { examples = FetchExamples(whyNot); }

    void SetUp() override
    {
        TmxImportFixture::SetUp();
        if (examples.empty()) {
            GTEST_SKIP() << "Debian's tiled package could not be fetched (" << whyNot
                         << "): the example maps are not checked";
        }
    }

    // The map's text, unpacked when Debian compressed it (.tmx.gz).
    static std::string MapText(const std::filesystem::path& path)
    {
        if (path.extension() != ".gz") return ReadText(path.string());
        gzFile file = gzopen(path.string().c_str(), "rb");
        std::string text;
        char buffer[65536];
        for (int n; file && (n = gzread(file, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
        if (file) gzclose(file);
        return text;
    }

    static std::string examples;
    static std::string whyNot;
};

std::string TiledExamplesTest::examples;
std::string TiledExamplesTest::whyNot;

TEST_F(TiledExamplesTest, EveryMapOtherThanTheIsometricOnesIsRefusedByItsOrientation)
{
    size_t refused = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(examples)) {
        const std::string name = entry.path().filename().string();
        if (!std::regex_match(name, std::regex(".*\\.tmx(\\.gz)?"))) continue;
        if (name == "isometric_grass_and_water.tmx" || name == "isometric_staggered_grass_and_water.tmx.gz") continue;
        // Unpacked beside the original, so that its tilesets resolve alike.
        const std::string map =
            entry.path().extension() == ".gz" ? (scratch / name).replace_extension("").string() : entry.path().string();
        if (map != entry.path().string()) WriteText(map, MapText(entry.path()));
        const std::string text = MapText(entry.path());
        const std::string orientation =
            std::regex_search(text, std::regex("orientation=\"hexagonal\"")) ? "hexagonal" : "orthogonal";
        std::string error;
        EXPECT_FALSE(Convert(map, "w", error)) << name;
        EXPECT_EQ(error.rfind(map + ":", 0), 0u) << error;
        EXPECT_TRUE(
            std::regex_search(error, std::regex(":[0-9]+: <map>: " + orientation +
                                                " maps are not supported: only isometric \\(diamond\\) maps convert$")))
            << error;
        ++refused;
    }
    EXPECT_GE(refused, 7u);  // orthogonal and hexagonal ones
    EXPECT_FALSE(std::filesystem::exists("w"));
}

// Made isometric by force, every example either converts or is refused with
// a message; none breaks the importer.
TEST_F(TiledExamplesTest, EveryMapForcedIsometricConvertsOrIsRefusedCleanly)
{
    size_t converted = 0, refused = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(examples)) {
        const std::string name = entry.path().filename().string();
        if (!std::regex_match(name, std::regex(".*\\.tmx(\\.gz)?"))) continue;
        std::string text = std::regex_replace(MapText(entry.path()), std::regex("orientation=\"[a-z]+\""),
                                              "orientation=\"isometric\"", std::regex_constants::format_first_only);
        // Beside the original, so that its tilesets and pictures are found.
        // Named so that no other build's run of this test takes it for an example.
        const std::filesystem::path copy =
            entry.path().parent_path() / ("client-forced-" TMX_TEST_BUILD "-" + entry.path().stem().string() + ".xml");
        WriteText(copy.string(), text);
        std::string error;
        if (Convert(copy.string(), "w", error)) {
            ++converted;
            EXPECT_TRUE(Load("w").loaded) << name;
        } else {
            ++refused;
            EXPECT_EQ(error.rfind(copy.string(), 0), 0u) << error;
        }
        std::filesystem::remove(copy);
    }
    EXPECT_GE(converted, 5u);
    EXPECT_GE(converted + refused, 9u);
}

TEST_F(TiledExamplesTest, TheIsometricMapShowsWhatTheEditorShows)
{
    const std::string map = examples + "/isometric_grass_and_water.tmx";
    std::string error;
    ImportSummary summary;
    ASSERT_TRUE(Convert(map, "grass", error, &summary)) << error;
    EXPECT_EQ(summary.width, 25);
    EXPECT_EQ(summary.height, 25);
    EXPECT_EQ(summary.floorTiles, 625u);
    EXPECT_EQ(summary.objects, 0u);
    EXPECT_TRUE(summary.warnings.empty());

    LoadedWorld world = Load("grass");
    ASSERT_TRUE(world.loaded);
    Sprite* sprite = world.SpriteWithId(100);
    ASSERT_NE(sprite, nullptr);
    ASSERT_GT(sprite->animationCount, 1);
    // 64 x 64 pictures with a tile offset of 16 on 64 x 32 cells: 40 x 40 frames
    // whose centre point (20, 20) sits on the cell.
    for (int i = 0; i < sprite->animationCount; ++i) {
        const SpriteFrame& frame = sprite->animations[i].frames[0];
        EXPECT_EQ(frame.width, 40);
        EXPECT_EQ(frame.height, 40);
        EXPECT_EQ(frame.anchorX, 20);
        EXPECT_EQ(frame.anchorY, 20);
    }

    // The editor's layer, read here from the file itself.
    const std::string text = ReadText(map);
    std::smatch data;
    ASSERT_TRUE(
        std::regex_search(text, data, std::regex("<data encoding=\"base64\" compression=\"zlib\">([^<]*)</data>")));
    const std::vector<uint32_t> gids = DecodeLayerData("base64", "zlib", data[1].str(), 625, {});
    RgbaImage sheet;
    ASSERT_TRUE(LoadPng(examples + "/isometric_grass_and_water.png", sheet, error)) << error;

    // Each cell's colour at its centre, as the editor draws it (the picture's
    // point (32, 32), from 64 x 64 tiles 4 to a row), against the program's.
    const int cameraX = 12, cameraY = 12;
    const RgbaImage shown = Render("grass", cameraX, cameraY);
    // A copy to look at, beside the test program.
    std::filesystem::copy_file("grass-render.png", home / "isometric_grass_and_water.png",
                               std::filesystem::copy_options::overwrite_existing);
    size_t compared = 0, differing = 0;
    for (int row = 0; row < 25; ++row) {
        for (int column = 0; column < 25; ++column) {
            const int x = column, y = 24 - row;
            const int sx = 320 + (x + y - cameraX - cameraY) * 20, sy = 240 + (x - y - cameraX + cameraY) * 10;
            if (sx < 4 || sy < 4 || sx > 635 || sy > 475) continue;
            const uint32_t id = gids[size_t(row * 25 + column)] - 1;
            const uint32_t left = (id % 4) * 64, top = (id / 4) * 64;
            double editor[3] = {0, 0, 0}, program[3] = {0, 0, 0};
            for (int d = -2; d <= 2; ++d) {
                for (int c = 0; c < 3; ++c) {
                    editor[c] += sheet.Pixel(left + 32 + uint32_t(2 * d), top + 32)[c] / 5.0;
                    program[c] += shown.Pixel(uint32_t(sx + d), uint32_t(sy))[c] / 5.0;
                }
            }
            ++compared;
            bool differs = false;
            for (int c = 0; c < 3; ++c) differs = differs || std::abs(editor[c] - program[c]) > 40;
            differing += differs;
        }
    }
    EXPECT_GT(compared, 300u);
    EXPECT_EQ(differing, 0u) << "of " << compared << " cells";

    // The whole picture against the editor's renderer at the program's scale.
    const RgbaImage editor = TiledPicture(map, 40.0 / 64, (scratch / "grass-tiled.png").string());
    const PictureComparison close = ComparePictures(shown, editor, 25, cameraX, cameraY);
    const PictureComparison shifted = ComparePictures(shown, editor, 25, cameraX, cameraY, 1, 0);
    EXPECT_GT(close.compared, 150000u);
    EXPECT_GE(close.psnr, ScaledPsnr);
    EXPECT_LT(shifted.psnr, ScaledPsnr - 3) << "a picture one pixel out of place";
    // The art itself holds black pixels, which both pictures keep here and
    // there: the program's has no hole where the editor's is drawn.
    EXPECT_EQ(close.extraPinholes, 0u);
    std::printf("%s: %.1f dB, %zu pinholes (the editor's %zu, %zu where it draws); one pixel out of place %.1f dB\n",
                "isometric_grass_and_water", close.psnr, close.pinholes, close.editorPinholes, close.extraPinholes,
                shifted.psnr);
}

// The staggered example, an infinite map too (25 x 50 cells in chunks of
// 16 x 16, rows shifted when odd), becomes a lattice of 50 x 49 cells with
// the editor's picture, cell for cell.
TEST_F(TiledExamplesTest, TheStaggeredMapShowsWhatTheEditorShows)
{
    const std::filesystem::path packed = std::filesystem::path(examples) / "isometric_staggered_grass_and_water.tmx.gz";
    // Unpacked beside the original, so that its tileset's picture is found.
    const std::string map = (packed.parent_path() / ("client-staggered-" TMX_TEST_BUILD ".tmx")).string();
    WriteText(map, MapText(packed));
    std::string error;
    ImportSummary summary;
    const bool converted = Convert(map, "staggered", error, &summary);
    RgbaImage editor;
    if (converted) editor = TiledPicture(map, 40.0 / 64, (scratch / "staggered-tiled.png").string());
    std::filesystem::remove(map);
    ASSERT_TRUE(converted) << error;
    EXPECT_EQ(summary.width, 50);
    EXPECT_EQ(summary.height, 49);
    EXPECT_EQ(summary.floorTiles, 25u * 50u);
    EXPECT_TRUE(summary.warnings.empty());

    // The editor puts cell (x, y)'s centre at ((2x + (y odd) + 1) w/2, (y + 1) h/2);
    // cell (0, 0) is the lattice's (0, 24), the program's (0, 24).
    const int cameraX = 25, cameraY = 25;
    const RgbaImage shown = Render("staggered", cameraX, cameraY);
    const PictureShift shift = ShiftOfCell(20, 10, 0, 24, cameraX, cameraY);
    const PictureComparison close = ComparePictures(shown, editor, shift);
    const PictureComparison shifted = ComparePictures(shown, editor, {shift.x + 1, shift.y});
    EXPECT_GT(close.compared, 200000u);
    EXPECT_GE(close.psnr, ScaledPsnr);
    EXPECT_LT(shifted.psnr, ScaledPsnr - 3) << "a picture one pixel out of place";
    EXPECT_EQ(close.extraPinholes, 0u);
    std::printf("%s: %.1f dB, %zu pinholes (the editor's %zu, %zu where it draws); one pixel out of place %.1f dB\n",
                "isometric_staggered_grass_and_water", close.psnr, close.pinholes, close.editorPinholes,
                close.extraPinholes, shifted.psnr);
}

}  // namespace
