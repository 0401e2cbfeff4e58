// Maps written here, converted, and read back through the program's loaders
// and `maptool render`.
#include "TmxFixtures.h"

#include "tools/worldfiles/TilePicture.h"
#include "tools/tmximport/TmxReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

using namespace tmxtest;

namespace {

// "Town": 4 columns x 3 rows of 40 x 20 tiles, so that nothing is scaled and
// the program's picture can be compared with the editor's pixel for pixel.
constexpr int TownColumns = 4;
constexpr int TownRows = 3;
const uint32_t GroundColours[6] = {0x2E8B57, 0x3CB371, 0x556B2F, 0x6B8E23, 0x8FBC8F, 0x228B22};
constexpr uint32_t SheetFiller = 0xFF0000;  // margin and spacing: never drawn

// Tile ids of the town's tilesets: the ground sheet (firstgid 1) and the
// props collection (firstgid 7): 0 tree, 1 rock, 2 animated (rock, tree, itself).
constexpr uint32_t Tree = 7, Rock = 8, Animated = 9;

const std::vector<uint32_t> TownGround = {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6};
const std::vector<uint32_t> TownWalls = {0, Tree, 0, 0, 0, 0, 0, Tree | FlippedHorizontally, 0, 0, Rock, 0};
const std::vector<uint32_t> TownDeco = {0, 0, 0, 0, 0, 0, 0, 0, Animated, 0, 0, 0};
const std::vector<uint32_t> TownCollision = {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};

struct TownObject {
    uint32_t gid;
    double x, y;  // the editor's object position
    double width, height;
    std::string properties;
};
// In file order; the editor stacks them by x + y.
const std::vector<TownObject> TownObjects = {
    {Rock, 50, 30, 30, 36, ""},
    {Rock, 20, 20, 30, 36, "<property name=\"blocked\" type=\"bool\" value=\"false\"/>"},
    {Tree | FlippedVertically, 70, 44, 40, 50, "<property name=\"blocked\" type=\"bool\" value=\"true\"/>"},
    {Rock, 10, 50, 60, 72, ""},  // drawn at twice its size
};

RgbaImage TreePicture()
{
    return Picture(40, 50, [](uint32_t x, uint32_t y) {
        return x + y < 12 ? Transparent : (x * 6) << 16 | (y * 5) << 8 | 0x30;
    });
}

RgbaImage RockPicture()
{
    return Picture(30, 36, [](uint32_t x, uint32_t y) {
        return x > 20 && y < 10 ? Transparent : 0x707070 + (x << 16) + (y << 8);
    });
}

RgbaImage GroundSheet()
{
    // 3 columns x 2 rows of 40 x 20, margin 1, spacing 2.
    RgbaImage sheet = Solid(126, 44, SheetFiller);
    for (uint32_t id = 0; id < 6; ++id) {
        const RgbaImage tile = Diamond(40, 20, GroundColours[id]);
        const uint32_t left = 1 + (id % 3) * 42, top = 1 + (id / 3) * 22;
        for (uint32_t y = 0; y < 20; ++y) {
            for (uint32_t x = 0; x < 40; ++x) {
                std::copy_n(tile.Pixel(x, y), 4, &sheet.rgba[((top + y) * sheet.width + left + x) * 4]);
            }
        }
    }
    return sheet;
}

std::string TownObjectLayer()
{
    std::string text = " <objectgroup id=\"9\" name=\"things\">\n";
    int id = 1;
    for (const TownObject& object : TownObjects) {
        text += "  <object id=\"" + std::to_string(id++) + "\" gid=\"" + std::to_string(object.gid) + "\" x=\"" +
                std::to_string(object.x) + "\" y=\"" + std::to_string(object.y) + "\" width=\"" +
                std::to_string(object.width) + "\" height=\"" + std::to_string(object.height) + "\">";
        if (!object.properties.empty()) text += "<properties>" + object.properties + "</properties>";
        text += "</object>\n";
    }
    text += "  <object id=\"99\" name=\"area\" x=\"0\" y=\"0\" width=\"40\" height=\"40\"/>\n";
    return text + " </objectgroup>\n";
}

class TownTest : public TmxImportFixture {
protected:
    void WriteTown()
    {
        std::filesystem::create_directories("tilesets/art");
        SavePicture("ground.png", GroundSheet());
        SavePicture("tilesets/art/tree.png", TreePicture());
        SavePicture("tilesets/art/rock.png", RockPicture());
        SavePicture("tilesets/art/yellow.png", Solid(20, 20, 0xFFFF00));
        WriteText("tilesets/props.tsx",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<tileset version=\"1.8\" name=\"props\" tilewidth=\"40\" tileheight=\"50\" tilecount=\"3\" "
                  "columns=\"0\">\n"
                  " <tileoffset x=\"3\" y=\"-4\"/>\n"
                  " <grid orientation=\"orthogonal\" width=\"1\" height=\"1\"/>\n"
                  " <tile id=\"0\"><image width=\"40\" height=\"50\" source=\"art/tree.png\"/></tile>\n"
                  " <tile id=\"1\">\n"
                  "  <properties><property name=\"blocked\" type=\"bool\" value=\"true\"/></properties>\n"
                  "  <image width=\"30\" height=\"36\" source=\"art/rock.png\"/>\n"
                  " </tile>\n"
                  " <tile id=\"2\">\n"
                  "  <image width=\"20\" height=\"20\" source=\"art/yellow.png\"/>\n"
                  "  <animation><frame tileid=\"1\" duration=\"250\"/><frame tileid=\"0\" duration=\"50\"/>"
                  "<frame tileid=\"2\" duration=\"75\"/></animation>\n"
                  " </tile>\n"
                  "</tileset>\n");
        const std::string body =
            " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"40\" tileheight=\"20\" spacing=\"2\" margin=\"1\" "
            "tilecount=\"6\" columns=\"3\">\n  <image source=\"ground.png\" width=\"126\" height=\"44\"/>\n "
            "</tileset>\n"
            " <tileset firstgid=\"7\" source=\"tilesets/props.tsx\"/>\n" +
            CsvLayer("ground", TownColumns, TownRows, TownGround) +
            " <layer name=\"walls\" width=\"4\" height=\"3\">\n  <data encoding=\"base64\">" +
            Base64(IdBytes(TownWalls)) + "</data>\n </layer>\n" +
            " <layer name=\"deco\" width=\"4\" height=\"3\" offsetx=\"5\" offsety=\"-3\">\n"
            "  <data encoding=\"base64\" compression=\"zlib\">" +
            Base64(Deflate(IdBytes(TownDeco), false)) + "</data>\n </layer>\n" +
            CsvLayer("collision", TownColumns, TownRows, TownCollision,
                     " visible=\"0\"><properties><property name=\"blocked\" type=\"bool\" value=\"true\"/>"
                     "</properties") +
            TownObjectLayer();
        WriteText("town.tmx", IsoMap(TownColumns, TownRows, 40, 20, body));
    }
};

// The editor's picture of the town, drawn by its rules (not the importer's)
// into the program's 640 x 480 frame with the camera on tile (cameraX, cameraY).
class EditorPicture {
public:
    EditorPicture(int cameraX, int cameraY) : image(Solid(640, 480, 0))
    {
        // The program draws cell (x, y) = (column, rows - 1 - row) at its
        // diamond's centre; the editor's cell (0, 0) has its centre at (0, 10).
        shiftX = 320 + (TownRows - 1 - cameraX - cameraY) * 20;
        shiftY = 240 + (-(TownRows - 1) - cameraX + cameraY) * 10 - 10;
    }

    // A tile layer's tile: bottom-left on the diamond's left corner, level
    // with its bottom corner, shifted by the tile and layer offsets.
    void Tile(const RgbaImage& picture, int column, int row, int offsetX, int offsetY)
    {
        const int left = (column - row) * 20 - 20 + offsetX, bottom = (column + row) * 10 + 20 + offsetY;
        Draw(picture, left, bottom - int(picture.height));
    }

    // A tile object: its position is the bottom centre of the picture.
    void Object(const RgbaImage& picture, double x, double y, int offsetX, int offsetY)
    {
        const double screenX = (x - y) / 20 * 20, screenY = (x + y) / 2;
        Draw(picture, int(screenX - picture.width / 2.0) + offsetX, int(screenY - picture.height) + offsetY);
    }

    RgbaImage image;

private:
    void Draw(const RgbaImage& picture, int left, int top)
    {
        for (uint32_t y = 0; y < picture.height; ++y) {
            for (uint32_t x = 0; x < picture.width; ++x) {
                const int px = left + shiftX + int(x), py = top + shiftY + int(y);
                if (picture.Pixel(x, y)[3] < 128 || px < 0 || py < 0 || px >= 640 || py >= 480) continue;
                std::copy_n(picture.Pixel(x, y), 3, &image.rgba[(size_t(py) * 640 + size_t(px)) * 4]);
            }
        }
    }

    int shiftX = 0;
    int shiftY = 0;
};

RgbaImage Flipped(const RgbaImage& picture, bool horizontally, bool vertically)
{
    return Picture(picture.width, picture.height, [&](uint32_t x, uint32_t y) {
        const uint8_t* p =
            picture.Pixel(horizontally ? picture.width - 1 - x : x, vertically ? picture.height - 1 - y : y);
        return p[3] < 128 ? Transparent : RgbOf(p);
    });
}

RgbaImage Doubled(const RgbaImage& picture)
{
    return Picture(picture.width * 2, picture.height * 2, [&](uint32_t x, uint32_t y) {
        const uint8_t* p = picture.Pixel(x / 2, y / 2);
        return p[3] < 128 ? Transparent : RgbOf(p);
    });
}

RgbaImage TownAsTheEditorDrawsIt(int cameraX, int cameraY)
{
    EditorPicture editor(cameraX, cameraY);
    const RgbaImage tree = TreePicture(), rock = RockPicture();
    // Layers in order, each layer's cells by rising column + row, then column.
    const auto eachCell = [](const std::function<void(int, int)>& draw) {
        for (int diagonal = 0; diagonal <= TownColumns + TownRows - 2; ++diagonal) {
            for (int column = 0; column < TownColumns; ++column) {
                const int row = diagonal - column;
                if (row >= 0 && row < TownRows) draw(column, row);
            }
        }
    };
    eachCell([&](int column, int row) {
        editor.Tile(Diamond(40, 20, GroundColours[TownGround[size_t(row * TownColumns + column)] - 1]), column, row, 0,
                    0);
    });
    eachCell([&](int column, int row) {
        const uint32_t gid = TownWalls[size_t(row * TownColumns + column)];
        if (gid == 0) return;
        const RgbaImage& picture = (gid & TileIdBits) == Tree ? tree : rock;
        editor.Tile(Flipped(picture, (gid & FlippedHorizontally) != 0, false), column, row, 3, -4);
    });
    // The animated tile shows its first frame, the rock stretched to the
    // tile's 20 x 20 (by the importer's mean of covered pixels, which the
    // editor's smooth filter only approaches), and the tile offset (3, -4)
    // scaled by 20/30 and 20/36, which moves it by (-1, 1.8).
    editor.Tile(ResamplePicture(rock, 20, 20), 0, 2, 3 + 5 - 1, -4 - 3 + 2);
    std::vector<TownObject> objects = TownObjects;
    std::stable_sort(objects.begin(), objects.end(),
                     [](const TownObject& a, const TownObject& b) { return a.x + a.y < b.x + b.y; });
    for (const TownObject& object : objects) {
        RgbaImage picture = (object.gid & TileIdBits) == Tree ? tree : rock;
        picture = Flipped(picture, false, (object.gid & FlippedVertically) != 0);
        // The editor scales the tile offset with the object.
        const int scale = object.width != picture.width ? 2 : 1;
        if (scale == 2) picture = Doubled(picture);
        editor.Object(picture, object.x, object.y, 3 * scale, -4 * scale);
    }
    return editor.image;
}

TEST_F(TownTest, TheProgramShowsWhatTheEditorShows)
{
    WriteTown();
    std::string error;
    ASSERT_TRUE(Convert("town.tmx", "world", error)) << error;
    for (const auto& [cameraX, cameraY] : {std::pair{2, 1}, std::pair{0, 0}}) {
        const RgbaImage shown = Render("world", cameraX, cameraY);
        const RgbaImage expected = TownAsTheEditorDrawsIt(cameraX, cameraY);
        ASSERT_EQ(shown.width, 640u);
        size_t differing = 0, drawn = 0;
        for (uint32_t y = 0; y < 480; ++y) {
            for (uint32_t x = 0; x < 640; ++x) {
                differing += shown.Rgb(x, y) != expected.Rgb(x, y);
                drawn += expected.Rgb(x, y) != 0;
            }
        }
        EXPECT_EQ(differing, 0u) << "camera " << cameraX << "," << cameraY;
        EXPECT_GT(drawn, 12u * 300u);  // the whole map is in the picture
        const uint32_t filler = SheetFiller;
        for (uint32_t y = 0; y < 480; ++y) {
            for (uint32_t x = 0; x < 640; ++x) ASSERT_NE(shown.Rgb(x, y), filler) << "the sheet's spacing shows";
        }
    }
}

TEST_F(TownTest, LoadersSeeFloorObjectsBlockedCellsAndAnimations)
{
    WriteTown();
    std::string error;
    ImportSummary summary;
    ASSERT_TRUE(Convert("town.tmx", "world", error, &summary)) << error;
    LoadedWorld world = Load("world");
    ASSERT_TRUE(world.loaded);
    TileMap& map = *world.map;
    ASSERT_EQ(map.sprites.EntryCount(), 2);
    EXPECT_EQ(map.sprites.Entry(0).id, 100);
    EXPECT_STREQ(map.sprites.Entry(0).fileName, "ground.spr");
    EXPECT_EQ(map.sprites.Entry(1).id, 101);
    EXPECT_STREQ(map.sprites.Entry(1).fileName, "props.spr");

    // Floor: the ground layer, back to front; cell (column, row) at (column, 2 - row).
    ASSERT_EQ(map.width, 4);
    ASSERT_EQ(map.height, 3);
    ASSERT_EQ(map.floorTileCount, 12);
    const std::vector<std::pair<int, int>> floorCells = {{0, 0}, {0, 1}, {1, 0}, {0, 2}, {1, 1}, {2, 0},
                                                         {1, 2}, {2, 1}, {3, 0}, {2, 2}, {3, 1}, {3, 2}};
    for (size_t i = 0; i < floorCells.size(); ++i) {
        const auto [column, row] = floorCells[i];
        const FloorTile& tile = map.floorTiles[i];
        EXPECT_EQ(tile.x, column);
        EXPECT_EQ(tile.y, 2 - row);
        EXPECT_EQ(tile.spriteIndex, 0);
        EXPECT_EQ(tile.animationName, "t" + std::to_string(TownGround[size_t(row * 4 + column)] - 1));
    }

    // Objects: walls, deco, then the object layer by x + y; the shape is left out.
    std::vector<std::string> names;
    std::vector<std::pair<int, int>> cells;
    for (SceneEntry* entry = map.objects.First(); entry != map.objects.End(); entry = entry->next) {
        names.push_back(entry->object.animationName);
        cells.push_back({entry->object.x0, entry->object.y0});
        EXPECT_EQ(entry->object.spriteIndex, 1);
    }
    // Walls by rising column + row: (1, 0), (2, 2), (3, 1); deco (0, 2); the
    // objects (20, 20), (10, 50), (50, 30), (70, 44). Variants are numbered
    // as they are met.
    const std::vector<std::string> expectedNames = {"t0", "t1", "t0~1", "t2~1", "t1~1", "t1~2", "t1~3", "t0~2"};
    EXPECT_EQ(names, expectedNames);
    // Objects stand on the cell whose bottom corner or inside holds the bottom
    // centre of their picture, tile offset (3, -4) included, doubled for the
    // rock drawn at twice its size: (20, 20) on cell (0, 0), (50, 30) on
    // (2, 1), (10, 50) on (0, 1), (70, 44) on (3, 1).
    const std::vector<std::pair<int, int>> expectedCells = {{1, 2}, {2, 0}, {3, 1}, {0, 0},
                                                            {0, 2}, {0, 1}, {2, 1}, {3, 1}};
    EXPECT_EQ(cells, expectedCells);
    EXPECT_EQ(summary.objects, 8u);
    ASSERT_EQ(summary.warnings.size(), 1u);
    EXPECT_NE(summary.warnings[0].find("1 objects without a tile"), std::string::npos) << summary.warnings[0];

    // Blocked: the rock's tile property (layer cell (2, 2) and the objects on
    // (2, 1) and (0, 1)); not the rock object that says false; the tree object
    // that says true (3, 1); the hidden collision layer's cell (3, 0).
    std::vector<std::pair<int, int>> blocked;
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) {
            if (map.rows[y][x].blocked) blocked.push_back({x, 2 - y});
        }
    }
    const std::vector<std::pair<int, int>> expectedBlocked = {{2, 1}, {0, 1}, {2, 2}, {3, 1}, {3, 0}};
    auto sorted = [](std::vector<std::pair<int, int>> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(blocked), sorted(expectedBlocked));

    // The animated tile keeps its frames and durations; every frame is drawn
    // at the animated tile's 20 x 20, as the editor draws it, and anchored for
    // the deco layer's offset (5, -3) and the tile offset (3, -4), which the
    // editor scales by 20 over the size of the frame's picture (30 x 36,
    // 40 x 50, 20 x 20).
    Sprite* props = map.sprites.GetSprite(1);
    ASSERT_NE(props, nullptr);
    const int index = props->FindAnimation("t2~1", 0);
    ASSERT_GE(index, 0);
    const Animation& animation = props->animations[index];
    ASSERT_EQ(animation.frameCount, 3);
    const int expectedDurations[3] = {250, 50, 75};
    const int expectedAnchors[3][2] = {{13, 15}, {14, 15}, {12, 17}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(animation.frames[i].duration, expectedDurations[i]);
        EXPECT_EQ(animation.timing.durations[i], float(expectedDurations[i]));
        EXPECT_EQ(animation.frames[i].height, 20);
        EXPECT_EQ(animation.frames[i].width, 20);
        // bottom-left at the centre + (-20, 10) + (5, -3) + (3, -4) scaled:
        // (-13, 4.8), (-13.5, 5.4), (-12, 3), rounded away from 0.
        EXPECT_EQ(animation.frames[i].anchorX, expectedAnchors[i][0]);
        EXPECT_EQ(animation.frames[i].anchorY, expectedAnchors[i][1]);
    }
}

TEST_F(TownTest, TheCommandWritesTheWorldOrNothing)
{
    WriteTown();
    const std::string command = std::string(TMXIMPORT) + " town.tmx out > said.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadText("said.txt");
    EXPECT_NE(ReadText("said.txt").find("out: 4 x 3 cells, 12 floor tiles, 8 objects, 5 blocked cells, 2 sprite files"),
              std::string::npos)
        << ReadText("said.txt");
    EXPECT_TRUE(std::filesystem::exists("out/test.map"));

    WriteText("flat.tmx", ReadText("town.tmx").replace(ReadText("town.tmx").find("isometric"), 9, "orthogonal"));
    EXPECT_NE(std::system((std::string(TMXIMPORT) + " flat.tmx refused > said.txt 2>&1").c_str()), 0);
    EXPECT_NE(ReadText("said.txt").find("tmximport: flat.tmx:2: <map>: orthogonal maps are not supported"),
              std::string::npos)
        << ReadText("said.txt");
    EXPECT_FALSE(std::filesystem::exists("refused"));
    EXPECT_NE(std::system((std::string(TMXIMPORT) + " only-one-name > said.txt 2>&1").c_str()), 0);
    EXPECT_NE(ReadText("said.txt").find("usage:"), std::string::npos);
}

TEST_F(TownTest, AWalkerSpriteIsListedWithTheWalkersId)
{
    WriteTown();
    SpriteSource walker;
    walker.animations.push_back({"walk", 0, {}});
    std::filesystem::create_directory("art");
    ASSERT_TRUE(WriteFileBytes("art/hero.spr", EncodeSpriteFile(walker)));
    WriteText("art/fake.spr", "not a sprite");

    ImportOptions options{"town.tmx", "world", "art/hero.spr"};
    ImportSummary summary;
    std::string error;
    ASSERT_TRUE(ImportTmx(options, summary, error)) << error;
    LoadedWorld world = Load("world");
    ASSERT_TRUE(world.loaded);
    const int index = world.map->sprites.FindSpriteIndex(WalkerSpriteId);
    ASSERT_GE(index, 0);
    EXPECT_STREQ(world.map->sprites.Entry(index).fileName, "hero.spr");
    ASSERT_NE(world.map->sprites.GetSprite(index), nullptr);
    EXPECT_EQ(world.map->sprites.GetSprite(index)->FindAnimation("walk", 0), 0);

    options = {"town.tmx", "world2", "art/fake.spr"};
    EXPECT_FALSE(ImportTmx(options, summary, error));
    EXPECT_NE(error.find("\"art/fake.spr\" is not a sprite file"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists("world2"));
}

// The same layer in every encoding the editor writes gives the same map.
class EncodingTest : public TmxImportFixture {};

TEST_F(EncodingTest, EveryEncodingGivesTheSameMap)
{
    SavePicture("tile.png", Diamond(64, 32, 0x3366AA));
    const std::vector<uint32_t> gids = {1, 0, 1, 1 | FlippedHorizontally, 0, 1};
    const std::string tileset =
        " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"64\" tileheight=\"32\" tilecount=\"1\" "
        "columns=\"1\">\n  <image source=\"tile.png\"/>\n </tileset>\n";
    std::string tiles;
    for (uint32_t gid : gids) tiles += "<tile gid=\"" + std::to_string(gid) + "\"/>";
    const std::vector<std::pair<std::string, std::string>> encodings = {
        {"csv", "<data encoding=\"csv\">" + Csv(gids) + "</data>"},
        {"base64", "<data encoding=\"base64\">\n   " + Base64(IdBytes(gids)) + "\n  </data>"},
        {"zlib", "<data encoding=\"base64\" compression=\"zlib\">" + Base64(Deflate(IdBytes(gids), false)) + "</data>"},
        {"gzip", "<data encoding=\"base64\" compression=\"gzip\">" + Base64(Deflate(IdBytes(gids), true)) + "</data>"},
        {"xml", "<data>" + tiles + "</data>"},
    };
    std::string first;
    for (const auto& [name, data] : encodings) {
        WriteText(name + ".tmx",
                  IsoMap(3, 2, 64, 32, tileset + " <layer name=\"l\" width=\"3\" height=\"2\">" + data + "</layer>\n"));
        std::string error;
        ASSERT_TRUE(Convert(name + ".tmx", name, error)) << name << ": " << error;
        const std::string map = ReadText(name + "/test.map");
        if (first.empty()) first = map;
        EXPECT_EQ(map, first) << name;
        LoadedWorld world = Load(name);
        ASSERT_TRUE(world.loaded) << name;
        EXPECT_EQ(world.map->floorTileCount, 4) << name;
    }
}

// Frames scaled to the 40 x 20 grid and anchored so that they land where the
// editor draws them.
struct ScaleCase {
    const char* what;
    int mapTileWidth, mapTileHeight;
    uint32_t pictureWidth, pictureHeight;
    int offsetX, offsetY;
    uint16_t frameWidth, frameHeight;
    int16_t anchorX, anchorY;
};

class ScaleTest : public TmxImportFixture, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaleTest, FramesAreScaledAndAnchored)
{
    const ScaleCase& c = GetParam();
    SavePicture("tile.png", Diamond(c.pictureWidth, c.pictureHeight, 0x44AA44));
    WriteText("m.tmx",
              IsoMap(2, 2, c.mapTileWidth, c.mapTileHeight,
                     " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"" + std::to_string(c.pictureWidth) +
                         "\" tileheight=\"" + std::to_string(c.pictureHeight) + "\">\n  <tileoffset x=\"" +
                         std::to_string(c.offsetX) + "\" y=\"" + std::to_string(c.offsetY) +
                         "\"/>\n  <image source=\"tile.png\"/>\n </tileset>\n" + CsvLayer("l", 2, 2, {1, 1, 1, 1})));
    std::string error;
    ASSERT_TRUE(Convert("m.tmx", "w", error)) << error;
    LoadedWorld world = Load("w");
    ASSERT_TRUE(world.loaded);
    Sprite* sprite = world.SpriteWithId(100);
    ASSERT_NE(sprite, nullptr);
    const SpriteFrame* frame = sprite->GetCurrentFrame("t0", 0, nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, c.frameWidth);
    EXPECT_EQ(frame->height, c.frameHeight);
    EXPECT_EQ(frame->anchorX, c.anchorX);
    EXPECT_EQ(frame->anchorY, c.anchorY);
    // Hard-edged pictures stay hard-edged: keyed, not blended.
    EXPECT_EQ(frame->alphaMaskSize, 0);
}

// anchor = (w/2 - offset x, picture height - h/2 - offset y), scaled.
INSTANTIATE_TEST_SUITE_P(Tiles, ScaleTest,
                         ::testing::Values(ScaleCase{"flat 64x32", 64, 32, 64, 32, 0, 0, 40, 20, 20, 10},
                                           ScaleCase{"tall 64x64, offset 16", 64, 32, 64, 64, 0, 16, 40, 40, 20, 20},
                                           ScaleCase{"upscaled 20x10", 20, 10, 20, 10, 2, -1, 40, 20, 16, 12},
                                           ScaleCase{"wide 128x64 on 64x32", 64, 32, 128, 64, -8, 0, 80, 40, 25, 30},
                                           ScaleCase{"not 2:1, 48x32", 48, 32, 48, 48, 0, 0, 40, 30, 20, 20}),
                         [](const ::testing::TestParamInfo<ScaleCase>& param) {
                             std::string name = param.param.what;
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST_F(EncodingTest, LayerOpacityBecomesAnAlphaMaskAndTheCollectionKeepsItsPictures)
{
    SavePicture("a.png", Solid(40, 20, 0x102030));
    WriteText("m.tmx",
              IsoMap(1, 1, 40, 20,
                     " <tileset firstgid=\"1\" name=\"c\" tilewidth=\"40\" tileheight=\"20\" tilecount=\"1\">\n"
                     "  <tile id=\"0\"><image source=\"a.png\"/></tile>\n </tileset>\n" +
                         CsvLayer("floor", 1, 1, {1}) + CsvLayer("glass", 1, 1, {1}, " opacity=\"0.5\"")));
    std::string error;
    ASSERT_TRUE(Convert("m.tmx", "w", error)) << error;
    LoadedWorld world = Load("w");
    ASSERT_TRUE(world.loaded);
    Sprite* sprite = world.SpriteWithId(100);
    ASSERT_NE(sprite, nullptr);
    const SpriteFrame* plain = sprite->GetCurrentFrame("t0", 0, nullptr);
    const SpriteFrame* faded = sprite->GetCurrentFrame("t0~1", 0, nullptr);
    ASSERT_TRUE(plain && faded);
    EXPECT_EQ(plain->flags, 1);  // opaque: copied whole
    ASSERT_EQ(faded->alphaMaskSize, 40 * 20);
    EXPECT_EQ(faded->alphaMask[0], 128);
    EXPECT_EQ(world.map->floorTileCount, 1);
    EXPECT_EQ(world.map->objects.Count(), 1);
}

// Where the editor puts what the importer must put in the same place.
class PlacementTest : public TmxImportFixture {};

TEST_F(PlacementTest, ScaledFloorTilesCoverTheirWholeDiamond)
{
    // Exactly the 256 pixels that tile a 32 x 16 floor, no overlap: scaled up
    // by the mean of covered pixels, some edge pixels fall a little short of
    // half on both sides of a seam (397 pixels, lopsided, 60 pinholes here).
    SavePicture("tile.png", Diamond(32, 16, 0x3366AA));
    const std::string tileset = " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"32\" tileheight=\"16\">\n"
                                "  <image source=\"tile.png\"/>\n </tileset>\n";
    WriteText("m.tmx", IsoMap(6, 6, 32, 16, tileset + CsvLayer("l", 6, 6, std::vector<uint32_t>(36, 1))));
    std::string error;
    ASSERT_TRUE(Convert("m.tmx", "w", error)) << error;
    LoadedWorld world = Load("w");
    ASSERT_TRUE(world.loaded);
    const SpriteFrame* frame = world.SpriteWithId(100)->GetCurrentFrame("t0", 0, nullptr);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->alphaMaskSize, 0);
    // Every pixel whose centre lies inside the 40 x 20 diamond around the
    // anchor is drawn: the 400 pixels that tile the floor exactly.
    size_t inside = 0, drawn = 0;
    for (int y = 0; y < frame->height; ++y) {
        for (int x = 0; x < frame->width; ++x) {
            const double dx = std::fabs(x + 0.5 - frame->anchorX) / 20, dy = std::fabs(y + 0.5 - frame->anchorY) / 10;
            if (dx + dy >= 1) continue;
            ++inside;
            uint32_t pixel;
            std::memcpy(&pixel, frame->pixels + 4 * (size_t(y) * frame->width + size_t(x)), 4);
            const uint32_t key = uint32_t(frame->colorKey);
            drawn += (pixel & 0xFFFFFF) != ((key & 0xFF) << 16 | (key & 0xFF00) | ((key >> 16) & 0xFF));
        }
    }
    EXPECT_EQ(inside, 400u);
    EXPECT_EQ(drawn, 400u);

    // And so the floor has no pinhole. The map is a diamond 240 x 120 around
    // (300, 240) with the camera on tile (3, 3): all of it is tile but the rim.
    const RgbaImage shown = Render("w", 3, 3);
    size_t holes = 0, seen = 0;
    for (uint32_t y = 180; y < 300; ++y) {
        for (uint32_t x = 180; x < 420; ++x) {
            if (std::fabs(x + 0.5 - 300) / 120 + std::fabs(y + 0.5 - 240) / 60 > 0.9) continue;
            ++seen;
            holes += shown.Rgb(x, y) != 0x3366AA;
        }
    }
    EXPECT_GT(seen, 10000u);
    EXPECT_EQ(holes, 0u);
}

// A tile object drawn at twice its size has its tile offset doubled, as the
// editor draws it, and stands on the cell under its picture's bottom centre,
// the layer's offset included.
TEST_F(PlacementTest, ResizedObjectsScaleTheTileOffsetAndStandUnderTheirPicture)
{
    SavePicture("box.png", Solid(20, 20, 0xAA3333));
    const std::string tileset =
        " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"20\" tileheight=\"20\" tilecount=\"1\">\n"
        "  <tileoffset x=\"5\" y=\"-5\"/>\n"
        "  <tile id=\"0\"><image source=\"box.png\"/></tile>\n </tileset>\n";
    // Screen position (0, 40); the picture's bottom-left at (-20 + 10 + 20, 40 - 10)
    // = (10, 30) and its bottom centre (30, 30), inside column 2, row 0,
    // whose centre is (40, 30). The object's own point (0, 40) lies on cell (1, 1).
    const std::string objects = " <objectgroup name=\"o\" offsetx=\"20\">\n"
                                "  <object id=\"1\" gid=\"1\" x=\"40\" y=\"40\" width=\"40\" height=\"40\"/>\n"
                                " </objectgroup>\n";
    WriteText("m.tmx", IsoMap(4, 4, 40, 20, tileset + objects));
    std::string error;
    ASSERT_TRUE(Convert("m.tmx", "w", error)) << error;
    LoadedWorld world = Load("w");
    ASSERT_TRUE(world.loaded);
    ASSERT_EQ(world.map->objects.Count(), 1);
    const SceneObject& object = world.map->objects.First()->object;
    EXPECT_EQ(object.x0, 2);
    EXPECT_EQ(object.y0, 3);
    const SpriteFrame* frame = world.SpriteWithId(100)->GetCurrentFrame(object.animationName, 0, nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 40);
    EXPECT_EQ(frame->anchorX, 30);  // the centre (40, 30) less the bottom-left (10, 30)
    EXPECT_EQ(frame->anchorY, 40);
}

// Tiles given collision shapes in the editor's tile collision editor block
// their cells, as a `blocked` property does, unless the tile itself or the
// layer says false; an object's own property wins over both.
TEST_F(PlacementTest, CollisionShapesBlockTheirCells)
{
    SavePicture("tile.png", Diamond(40, 20, 0x3366AA));
    const std::string shapes = "<objectgroup draworder=\"index\"><object id=\"1\" x=\"4\" y=\"2\" width=\"30\" "
                               "height=\"14\"/></objectgroup>";
    const std::string tileset =
        " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"40\" tileheight=\"20\" tilecount=\"3\">\n"
        "  <tile id=\"0\"><image source=\"tile.png\"/></tile>\n"
        "  <tile id=\"1\"><image source=\"tile.png\"/>" +
        shapes +
        "</tile>\n"
        "  <tile id=\"2\"><properties><property name=\"blocked\" type=\"bool\" value=\"false\"/></properties>"
        "<image source=\"tile.png\"/>" +
        shapes + "</tile>\n </tileset>\n";
    const std::string unblocked = " <properties><property name=\"blocked\" type=\"bool\" value=\"false\"/></properties";
    // Row 0: plain, shaped, shaped but not blocked; row 1: shaped on a layer
    // that says not; row 2: objects.
    const std::string map =
        IsoMap(3, 3, 40, 20,
               tileset + CsvLayer("ground", 3, 3, {1, 2, 3, 0, 0, 0, 0, 0, 0}) +
                   CsvLayer("walls", 3, 3, {0, 0, 0, 2, 2, 0, 0, 0, 0}, ">\n" + unblocked) +
                   " <objectgroup name=\"o\">\n"
                   "  <object id=\"1\" gid=\"2\" x=\"50\" y=\"50\"/>\n"
                   "  <object id=\"2\" gid=\"2\" x=\"30\" y=\"50\"><properties><property name=\"blocked\" "
                   "type=\"bool\" value=\"false\"/></properties></object>\n </objectgroup>\n");
    WriteText("m.tmx", map);
    std::string error;
    ImportSummary summary;
    ASSERT_TRUE(Convert("m.tmx", "w", error, &summary)) << error;
    LoadedWorld world = Load("w");
    ASSERT_TRUE(world.loaded);
    std::vector<std::pair<int, int>> blocked;  // the editor's column and row
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            if (world.map->rows[y][x].blocked) blocked.push_back({x, 2 - y});
        }
    }
    // The shaped tile of the ground (1, 0), and the object at (50, 50),
    // whose picture's bottom centre is on cell (2, 2).
    const std::vector<std::pair<int, int>> expected = {{2, 2}, {1, 0}};
    EXPECT_EQ(blocked, expected);
    EXPECT_EQ(summary.blockedCells, 2u);
}

}  // namespace
