// tmxexport, checked through tmximport and Tiled's renderer: worlds come back
// byte for byte, edits made in the editor come back alone, and the editor
// draws the exported map as the program draws the world.
#include "TiledRenderer.h"
#include "TmxFixtures.h"

#include "tools/worldfiles/MapFileCodec.h"
#include "tools/tmxexport/FloorLayers.h"
#include "tools/tmxexport/TmxExport.h"

#include <regex>

using namespace tmxtest;

namespace {

class TmxExportTest : public TmxImportFixture {
protected:
    static void Export(const std::string& world, const std::string& map)
    {
        ExportSummary summary;
        std::string error;
        ASSERT_TRUE(ExportWorld(world, map, summary, error)) << error;
    }

    // Every file of `a` is in `b` with the same bytes, and no other.
    static void ExpectSameFiles(const std::string& a, const std::string& b)
    {
        size_t files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(a)) {
            if (!entry.is_regular_file()) continue;
            const auto relative = std::filesystem::relative(entry.path(), a);
            EXPECT_EQ(ReadText(entry.path().string()), ReadText((std::filesystem::path(b) / relative).string()))
                << relative;
            ++files;
        }
        size_t others = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(b)) others += entry.is_regular_file();
        EXPECT_EQ(files, others);
        EXPECT_GT(files, 2u);
    }

    static void RoundTrip(const std::string& world)
    {
        std::filesystem::remove_all("exported");
        std::filesystem::remove_all("back");
        Export(world, "exported/map.tmx");
        std::string error;
        ASSERT_TRUE(Convert("exported/map.tmx", "back", error)) << error;
        ExpectSameFiles(world, "back");
    }
};

// A world that uses every field of every file: both pixel formats, keys,
// flags, anchors, offsets, reserved fields, masks of the picture's size and of
// others, extra blocks, frames without pixels, animations without frames or
// never shown, names with odd bytes, cells' values and data and blocked bytes,
// floor tiles outside the map and out of the editor's order, z, spans,
// unlisted ids and missing files, bytes after a name's end and after the map.
void WriteEveryField(const std::string& folder)
{
    std::filesystem::create_directories(folder + "/art");
    auto frame = [](uint16_t w, uint16_t h, uint32_t seed) {
        FrameSource f;
        f.width = w;
        f.height = h;
        f.anchorX = int16_t(w / 2);
        f.anchorY = int16_t(h - 5);
        for (uint32_t i = 0; i < uint32_t(w) * h; ++i) f.pixels.push_back((i * 2654435761u + seed) & 0xFFFFFF);
        return f;
    };
    SpriteSource wide;
    wide.id = 7;  // not its listed id
    wide.reserved = 9;
    AnimationSource plain{"plain", 0, {frame(40, 20, 1)}};
    plain.frames[0].anchorY = 10;
    plain.frames[0].colorKey = plain.frames[0].pixels[3];  // keyed
    AnimationSource fancy{"f\xC3\xA4ncy 100%", 3, {frame(12, 30, 2), frame(9, 9, 3), frame(5, 4, 4)}};
    fancy.frames[0].flags = 1;
    fancy.frames[0].offsetX = -3;
    fancy.frames[0].offsetY = 4;
    fancy.frames[0].reserved1 = 11;
    fancy.frames[0].reserved2 = -12;
    fancy.frames[0].extra = {1, 2, 3};
    fancy.frames[0].duration = -5;
    fancy.frames[1].alphaMask.assign(81, 0);
    for (size_t i = 0; i < 81; ++i) fancy.frames[1].alphaMask[i] = uint8_t(i * 3);
    fancy.frames[2].alphaMask = {9, 9, 9};  // shorter than the picture: not drawn by it
    FrameSource empty;
    empty.width = 3;
    empty.height = 2;
    empty.pixelsPresent = false;
    fancy.frames.push_back(empty);
    wide.animations = {plain, fancy, {"none", 1, {}}, plain};
    std::vector<uint8_t> wideBytes = EncodeSpriteFile(wide);
    wideBytes[16 + 10] = 'X';   // after the terminator of "plain"
    wideBytes.push_back(0x55);  // after the last animation
    ASSERT_TRUE(WriteFileBytes(folder + "/art/wide.spr", wideBytes));
    SpriteSource small;
    small.pixelFormat = 0;
    small.animations = {{"dot", 0, {frame(6, 6, 5)}}};
    small.animations[0].frames[0].alphaMask.assign(36, 200);
    ASSERT_TRUE(WriteFileBytes(folder + "/small.spr", EncodeSpriteFile(small)));
    const std::string list = "4\n10 art/wide.spr\r\n11 small.spr\n12 art/wide.spr\n13   gone.spr\n";
    ASSERT_TRUE(WriteFileBytes(folder + "/SpriteList.txt", std::vector<uint8_t>(list.begin(), list.end())));

    MapSource map;
    map.headerValue = -77;
    map.width = 5;
    map.height = 4;
    map.cells.resize(20);
    map.Cell(1, 2).blocked = 1;
    map.Cell(3, 0).blocked = 200;
    map.Cell(2, 2).value = -300;
    map.Cell(4, 3).data = {0, 1, 2, 250};
    for (int y = 3; y >= 0; --y) {
        for (int x = 0; x < 5; ++x) map.floorTiles.push_back({int16_t(x), int16_t(y), 0, 10, "plain", 0});
    }
    map.floorTiles.push_back({-2, 7, 0, 10, "plain", 0});             // outside the map
    map.floorTiles.push_back({1, 1, 5, 11, "dot", 0});                // z, another file
    map.floorTiles.push_back({0, 0, 0, 10, "f\xC3\xA4ncy 100%", 3});  // back in the editor's order
    map.objects.push_back({2, 1, 3, 1, -4, 10, "f\xC3\xA4ncy 100%", 3});
    map.objects.push_back({2, 1, 2, 1, 0, 12, "plain", 0});   // the same file by another id
    map.objects.push_back({4, 0, 4, 2, 0, 99, "nobody", 1});  // an unlisted id
    map.objects.push_back({0, 3, 0, 3, 0, 13, "gone", 0});    // a missing file
    map.objects.push_back({1, 0, 1, 0, 0, 10, "absent", 0});  // an animation the sprite lacks
    map.objects.push_back({3, 3, 3, 3, 0, 10, "none", 1});    // an animation without frames
    std::vector<uint8_t> mapBytes = EncodeMapFile(map);
    mapBytes[mapBytes.size() - 4 - 33 + 6] = '!';  // after the last name's terminator
    mapBytes.insert(mapBytes.end(), {'e', 'n', 'd'});
    ASSERT_TRUE(WriteFileBytes(folder + "/test.map", mapBytes));
}

TEST_F(TmxExportTest, WorldsComeBackByteForByte)
{
    RoundTrip(DEMO_WORLD);
    WriteEveryField("every");
    RoundTrip("every");

    // A world imported from the editor, exported and imported again.
    SavePicture("tile.png", Diamond(64, 32, 0x3366AA));
    SavePicture("tall.png", Solid(30, 50, 0x884422));
    WriteText("m.tmx",
              IsoMap(3, 3, 64, 32,
                     " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"64\" tileheight=\"32\">\n"
                     "  <image source=\"tile.png\"/>\n </tileset>\n"
                     " <tileset firstgid=\"2\" name=\"c\" tilewidth=\"30\" tileheight=\"50\" tilecount=\"1\">\n"
                     "  <tile id=\"0\"><image source=\"tall.png\"/></tile>\n </tileset>\n" +
                         CsvLayer("l", 3, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1}) +
                         CsvLayer("o", 3, 3, {0, 2, 0, 0, 0, 0, 2 | FlippedHorizontally, 0, 0})));
    std::string error;
    ASSERT_TRUE(Convert("m.tmx", "imported", error)) << error;
    RoundTrip("imported");
}

// The editor's picture of the export is the program's of the world: to the
// pixel where frames are keyed or opaque, within the blends' rounding where
// they are blended.
TEST_F(TmxExportTest, TheEditorDrawsTheExportAsTheProgramDrawsTheWorld)
{
    WriteEveryField("every");
    Export("every", "e.tmx");
    const RgbaImage editor = TiledPicture("e.tmx", 1, "e-tiled.png");
    const RgbaImage program = Render("every", 2, 2);
    const PictureComparison same = ComparePictures(program, editor, 4, 2, 2);
    EXPECT_GT(same.compared, 20u * 300);
    EXPECT_LE(same.largest, 4) << same.differing << " pixels differ";

    const RgbaImage demoEditor = TiledPicture((Export(DEMO_WORLD, "demo.tmx"), "demo.tmx"), 1, "demo-tiled.png");
    const RgbaImage demo = Render(DEMO_WORLD, 20, 20);
    const PictureComparison close = ComparePictures(demo, demoEditor, 40, 20, 20);
    EXPECT_EQ(close.compared, 640u * 480);
    EXPECT_LE(close.largest, 4);  // the demo's shadows and walkers are blended
    EXPECT_LT(close.differing, close.compared / 10);
}

// Moving an object and painting a floor cell in the editor changes those two
// records and nothing else.
TEST_F(TmxExportTest, AnEditComesBackAloneAndBadInputIsNamed)
{
    WriteEveryField("every");
    Export("every", "e.tmx");
    std::string map = ReadText("e.tmx");
    // The first object moves one cell along x: 20 pixels right and 10 down on screen.
    std::smatch object;
    ASSERT_TRUE(
        std::regex_search(map, object,
                          std::regex("<object id=\"([0-9]+)\" gid=\"([0-9]+)\" x=\"([-0-9.e]+)\" y=\"([-0-9.e]+)\"")));
    const size_t objectsLayer = map.find("name=\"objects\"");
    ASSERT_NE(objectsLayer, std::string::npos);
    std::smatch moved;
    std::string tail = map.substr(objectsLayer);
    ASSERT_TRUE(std::regex_search(tail, moved, std::regex("x=\"([-0-9.e]+)\" y=\"([-0-9.e]+)\"")));
    const double x = std::stod(moved[1]) + 20, y = std::stod(moved[2]);
    tail.replace(size_t(moved.position(0)), size_t(moved.length(0)),
                 "x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"");
    map = map.substr(0, objectsLayer) + tail;
    // The first floor layer's first cell (column 0, row 0: the program's (0, 3))
    // painted with the tile of its neighbour (column 1).
    const size_t data = map.find("<data encoding=\"csv\">");
    ASSERT_NE(data, std::string::npos);
    const size_t first = map.find_first_of("0123456789", data + 21);
    const size_t comma = map.find(',', first);
    const size_t second = map.find(',', comma + 1);
    const std::string neighbour = map.substr(comma + 1, second - comma - 1);
    map.replace(first, comma - first, neighbour);
    WriteText("e.tmx", map);

    std::string error;
    ASSERT_TRUE(Convert("e.tmx", "back", error)) << error;
    MapSource before, after;
    const std::string beforeText = ReadText("every/test.map");
    ASSERT_TRUE(DecodeMapFile(std::vector<uint8_t>(beforeText.begin(), beforeText.end()), before, error));
    const std::string afterText = ReadText("back/test.map");
    ASSERT_TRUE(DecodeMapFile(std::vector<uint8_t>(afterText.begin(), afterText.end()), after, error));
    MapSource expected = before;
    expected.objects[0].x0 += 1;
    expected.objects[0].x1 += 1;
    EXPECT_EQ(EncodeMapFile(after), EncodeMapFile(expected));
    EXPECT_EQ(ReadText("back/art/wide.spr"), ReadText("every/art/wide.spr"));

    // A tile painted in an empty cell beside the one of the z 5 layer comes
    // right after it in the floor's order.
    const size_t raised = map.find("<property name=\"z\" type=\"int\" value=\"5\" />");
    ASSERT_NE(raised, std::string::npos);
    const size_t painted = map.find_first_of("123456789", map.find("<data", raised));
    const size_t end = map.find(',', painted);
    const std::string gid = map.substr(painted, end - painted);
    ASSERT_EQ(map.compare(end, 3, ",0,"), 0);
    map.replace(end + 1, 1, gid);
    WriteText("e.tmx", map);
    ASSERT_TRUE(Convert("e.tmx", "back", error)) << error;
    const std::string addedText = ReadText("back/test.map");
    ASSERT_TRUE(DecodeMapFile(std::vector<uint8_t>(addedText.begin(), addedText.end()), after, error));
    const auto beside = std::find_if(expected.floorTiles.begin(), expected.floorTiles.end(),
                                     [](const FloorSource& tile) { return tile.z == 5; });
    ASSERT_NE(beside, expected.floorTiles.end());
    FloorSource added = *beside;
    ++added.x;
    expected.floorTiles.insert(beside + 1, added);
    EXPECT_EQ(EncodeMapFile(after), EncodeMapFile(expected));

    // Bad input: named, and nothing written.
    WriteText("every/small.spr", "SPRITE broken");
    ExportSummary summary;
    EXPECT_FALSE(ExportWorld("every", "bad.tmx", summary, error));
    EXPECT_NE(error.find("every/small.spr: damaged"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists("bad.tmx"));
    EXPECT_FALSE(std::filesystem::exists("bad.tilesets"));
    std::filesystem::remove("every/test.map");
    EXPECT_FALSE(ExportWorld("every", "bad.tmx", summary, error));
    EXPECT_NE(error.find("every/test.map: cannot be read"), std::string::npos) << error;
    WriteText("every/SpriteList.txt", "1\n5 ../outside.spr\n");
    EXPECT_FALSE(ExportWorld("every", "bad.tmx", summary, error));
    EXPECT_NE(error.find("leaves the world folder"), std::string::npos) << error;
}

// The export keeps the program's order of the objects ("Manual" in the
// editor), so a tree duplicated one cell behind another is drawn over it, in
// the editor and once imported. The map maker's fix, the layer's drawing
// order set to "Top Down", wins over the stored order too: both draw it
// behind, as tmxrasterizer does.
TEST_F(TmxExportTest, ATopDownOrderSetInTheEditorWinsOverTheStoredOne)
{
    SavePicture("tile.png", Diamond(40, 20, 0x3366AA));
    SavePicture("tree.png", Picture(30, 50, [](uint32_t x, uint32_t y) { return 0x206020 + (x << 17) + (y << 2); }));
    WriteText("m.tmx",
              IsoMap(4, 4, 40, 20,
                     " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"40\" tileheight=\"20\">\n"
                     "  <image source=\"tile.png\"/>\n </tileset>\n"
                     " <tileset firstgid=\"2\" name=\"c\" tilewidth=\"30\" tileheight=\"50\" tilecount=\"1\">\n"
                     "  <tile id=\"0\"><image source=\"tree.png\"/></tile>\n </tileset>\n" +
                         CsvLayer("ground", 4, 4, std::vector<uint32_t>(16, 1)) +
                         CsvLayer("trees", 4, 4, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0})));
    std::string error;
    ASSERT_TRUE(Convert("m.tmx", "world", error)) << error;
    Export("world", "e.tmx");
    // The tree's object, copied one cell behind (20 pixels less along both
    // axes) at the end of the layer.
    std::string map = ReadText("e.tmx");
    std::smatch tree;
    ASSERT_TRUE(std::regex_search(map, tree,
                                  std::regex("<object id=\"[0-9]+\" gid=\"([0-9]+)\" x=\"([-0-9.e]+)\" "
                                             "y=\"([-0-9.e]+)\"[^>]*>")));
    const std::string treeGid = tree[1].str();
    const std::string copy = "<object id=\"99\" gid=\"" + treeGid + "\" x=\"" +
                             std::to_string(std::stod(tree[2]) - 20) + "\" y=\"" +
                             std::to_string(std::stod(tree[3]) - 20) + "\"/>\n";
    map.insert(map.find("</objectgroup>"), copy);
    for (const bool topDown : {false, true}) {
        if (topDown) map = std::regex_replace(map, std::regex("draworder=\"index\""), "draworder=\"topdown\"");
        WriteText("e.tmx", map);
        ASSERT_TRUE(Convert("e.tmx", "back", error)) << error;
        LoadedWorld world = Load("back");
        ASSERT_TRUE(world.loaded);
        ASSERT_EQ(world.map->objects.Count(), 2);
        // The copy stands on cell (1, 2), the tree on (2, 2).
        const SceneObject& first = world.map->objects.First()->object;
        EXPECT_EQ(first.x0, topDown ? 1 : 2) << (topDown ? "Top Down" : "Manual");
        const RgbaImage editor = TiledPicture("e.tmx", 1, "e-tiled.png");
        const RgbaImage program = Render("back", 2, 2);
        const PictureComparison same = ComparePictures(program, editor, 4, 2, 2);
        EXPECT_GT(same.compared, 16u * 400);
        EXPECT_EQ(same.differing, 0u) << (topDown ? "Top Down" : "Manual");
    }
    // Hidden in the editor, the copy is left out, as the editor leaves it
    // out of its picture; a flip the world's sprites cannot show is noted.
    const std::string copied = "<object id=\"99\"";
    map.replace(map.find(copied), copied.size(), copied + " visible=\"0\"");
    map = std::regex_replace(map, std::regex(" gid=\"" + treeGid + "\""),
                             " gid=\"" + std::to_string(std::stoul(treeGid) | FlippedHorizontally) + "\"",
                             std::regex_constants::format_first_only);
    WriteText("e.tmx", map);
    ImportSummary summary;
    ASSERT_TRUE(Convert("e.tmx", "back", error, &summary)) << error;
    EXPECT_EQ(summary.objects, 1u);
    const std::string notes = summary.warnings.empty() ? "" : summary.warnings[0] + summary.warnings.back();
    EXPECT_NE(notes.find("the object's flip is left out"), std::string::npos) << notes;
    EXPECT_NE(notes.find("<object id=\"99\">: the object is hidden in the editor and left out"), std::string::npos)
        << notes;
}

// A damaged export is refused by the importer, naming the file and what is
// wrong, and a damaged world by the exporter; neither writes anything.
TEST_F(TmxExportTest, DamagedExportsAndWorldsAreRefusedByName)
{
    WriteEveryField("every");
    Export("every", "e.tmx");
    std::string wide;
    for (const auto& entry : std::filesystem::directory_iterator("e.tilesets")) {
        if (entry.path().extension() == ".tsx" &&
            ReadText(entry.path().string()).find("art/wide.spr") != std::string::npos) {
            wide = entry.path().string();
        }
    }
    ASSERT_FALSE(wide.empty());
    const struct {
        std::string file;
        const char* pattern;
        const char* with;
        const char* said;
    } damages[] = {
        {"e.tmx", "name=\"floor order\" value=\"[^\"]*\"", "name=\"floor order\" value=\"0,0,1\"",
         "e.tmx:20: <layer name=\"floor 1\">: the property \"floor order\" must be runs"},
        {"e.tmx", "name=\"floor index\" type=\"int\" value=\"[0-9]+\"", "name=\"floor index\" value=\"x\"",
         "the property \"floor index\" must be a whole number"},
        {"e.tmx", "name=\"cells\" value=\"[^\"]*\"", "name=\"cells\" value=\"AAAA\"",
         "e.tmx: <map>: the property \"cells\" is damaged"},
        {wide, "name=\"key\" value=\"#[0-9A-F]+\"", "name=\"key\" value=\"#12345G\"",
         "the property \"key\" must be a colour"},
        {wide, "name=\"sprite file\" value=\"[^\"]*\"", "name=\"sprite file\" value=\"../x.spr\"",
         "e.tmx: the sprite file name \"../x.spr\" leaves the world folder"},
        {wide, "a0-0\\.png", "../../e.tmx", "cannot read the PNG picture"},
    };
    for (const auto& damage : damages) {
        const std::string before = ReadText(damage.file);
        const std::string after = std::regex_replace(before, std::regex(damage.pattern), damage.with,
                                                     std::regex_constants::format_first_only);
        ASSERT_NE(after, before) << damage.pattern;
        WriteText(damage.file, after);
        std::string error;
        EXPECT_FALSE(Convert("e.tmx", "back", error)) << damage.pattern;
        EXPECT_NE(error.find(damage.said), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists("back")) << damage.pattern;
        WriteText(damage.file, before);
    }

    // A listed name that is a folder, and a map cut short.
    ExportSummary summary;
    std::string error;
    std::filesystem::create_directories("every/folder.spr");
    WriteText("every/SpriteList.txt", "1\n10 folder.spr\n");
    EXPECT_FALSE(ExportWorld("every", "bad.tmx", summary, error));
    EXPECT_NE(error.find("every/folder.spr: is not a file"), std::string::npos) << error;
    WriteText("every/SpriteList.txt", "0\n");
    WriteText("every/test.map", ReadText("every/test.map").substr(0, 40));
    EXPECT_FALSE(ExportWorld("every", "bad.tmx", summary, error));
    EXPECT_NE(error.find("every/test.map: "), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists("bad.tmx"));
}

// The floor's layers: pictures that share no pixel share a layer whatever
// their order; a tile that the editor would draw before one it covers, drawn
// first by the program, starts a layer; tiles outside the map or of another
// z keep to layers of their own kind, the lowest that keeps the picture.
TEST(FloorLayersTest, ALayerSplitsOnlyWhereTheEditorWouldChangeThePicture)
{
    const auto diamond = CoverOf(tmxtest::Diamond(40, 20, 0x336699));
    const auto square = CoverOf(tmxtest::Solid(10, 10, 0x336699));
    ASSERT_TRUE(diamond && square);
    EXPECT_EQ(CoverOf(tmxtest::Picture(4, 4, [](uint32_t, uint32_t) { return tmxtest::Transparent; })), nullptr);
    auto tile = [](const PictureCover* cover, int64_t left, int64_t top, size_t cell, int16_t z = 0) {
        return FloorPiece{left, top, cover, true, cell, int64_t(cell), z};
    };
    auto object = [](const PictureCover* cover, int64_t left, int64_t top) {
        return FloorPiece{left, top, cover, false, 0, 0, 0};
    };
    auto layers = [](const std::vector<FloorPiece>& pieces) {
        const FloorLayout layout = LayOutFloor(pieces, 16);
        std::string kinds;
        for (const uint32_t layer : layout.layerOf)
            kinds += (layout.layers[layer].tiles ? "t" : "o") + std::to_string(layer);
        return kinds;
    };
    const PictureCover* d = diamond.get();
    const PictureCover* s = square.get();
    // Neighbouring diamonds meet without sharing a pixel, in any order; their
    // boxes overlap.
    EXPECT_EQ(layers({tile(d, 20, 10, 5), tile(d, 0, 0, 1), tile(d, 40, 0, 2)}), "t0t0t0");
    // Squares that cover each other keep the program's order.
    EXPECT_EQ(layers({tile(s, 0, 0, 1), tile(s, 5, 5, 2)}), "t0t0");
    EXPECT_EQ(layers({tile(s, 5, 5, 2), tile(s, 0, 0, 1), tile(s, 100, 0, 3)}), "t0t1t0");
    // The same cell twice, and another z.
    EXPECT_EQ(layers({tile(s, 0, 0, 1), tile(s, 100, 0, 1), tile(s, 200, 0, 2, 3)}), "t0t1t2");
    // Outside the map: one object layer unless a tile in between covers one of it.
    EXPECT_EQ(layers({object(s, 0, 0), tile(s, 100, 0, 1), object(s, 200, 0)}), "o0t1o0");
    EXPECT_EQ(layers({object(s, 0, 0), tile(s, 5, 5, 1), object(s, 8, 8), object(s, 300, 0), tile(s, 0, 300, 2)}),
              "o0t1o2o0t1");
}

}  // namespace
