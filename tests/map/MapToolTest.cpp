// The map tool's description language and its map file codec.
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/MapText.h"

#include <gtest/gtest.h>

namespace {

const char World[] = R"(# a small world
header 42
sprite 10 grass.spr
sprite 11 wall.spr
legend . open 10 floor 0
legend # blocked 11 wall 3 2   # z 2
legend ~ blocked
grid
  .#~
  ..#
end
cell 2 0 value -9 data 00ff10
cell 0 1 blocked=7
floor 5 -5 1 10 extra 6
object 1 1 0 11 tree 4
object 0 0 2 1 -3 10 long 0
)";

MapDescription Parse(const std::string& text)
{
    MapDescription description;
    std::string error;
    EXPECT_TRUE(ParseMapText(text, "world.txt", description, error)) << error;
    return description;
}

TEST(MapTextTest, GridAndLegendGiveCellsAndFloorTiles)
{
    const MapDescription world = Parse(World);
    const MapSource& map = world.map;
    EXPECT_EQ(map.headerValue, 42);
    ASSERT_EQ(map.width, 3);
    ASSERT_EQ(map.height, 2);
    EXPECT_EQ(map.Cell(0, 0).blocked, 0);
    EXPECT_EQ(map.Cell(1, 0).blocked, 1);
    EXPECT_EQ(map.Cell(2, 0).blocked, 1);
    EXPECT_EQ(map.Cell(2, 0).value, -9);
    EXPECT_EQ(map.Cell(2, 0).data, (std::vector<uint8_t>{0x00, 0xFF, 0x10}));
    EXPECT_EQ(map.Cell(0, 1).blocked, 7);

    // Painter's order: screen rows from the top (x - y rising), then from the
    // left; '~' has no floor tile; the explicit floor line comes last.
    struct Tile {
        int x, y, z, id;
        std::string name;
    };
    const std::vector<Tile> expected = {{0, 1, 0, 10, "floor"}, {0, 0, 0, 10, "floor"}, {1, 1, 0, 10, "floor"},
                                        {1, 0, 2, 11, "wall"},  {2, 1, 2, 11, "wall"},  {5, -5, 1, 10, "extra"}};
    ASSERT_EQ(map.floorTiles.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const FloorSource& tile = map.floorTiles[i];
        EXPECT_EQ(tile.x, expected[i].x) << i;
        EXPECT_EQ(tile.y, expected[i].y) << i;
        EXPECT_EQ(tile.z, expected[i].z) << i;
        EXPECT_EQ(tile.spriteId, expected[i].id) << i;
        EXPECT_EQ(tile.animationName, expected[i].name) << i;
    }
    EXPECT_EQ(map.floorTiles[3].direction, 3);
    EXPECT_EQ(map.floorTiles[5].direction, 6);

    ASSERT_EQ(map.objects.size(), 2u);
    const ObjectSource& tree = map.objects[0];
    EXPECT_EQ(tree.x1, 1);  // the short form is one cell
    EXPECT_EQ(tree.y1, 1);
    EXPECT_EQ(tree.spriteId, 11);
    EXPECT_EQ(tree.direction, 4);
    EXPECT_EQ(map.objects[1].x1, 2);
    EXPECT_EQ(map.objects[1].z, -3);

    ASSERT_EQ(world.sprites.size(), 2u);
    EXPECT_EQ(world.sprites[1].id, 11);
    EXPECT_EQ(world.sprites[1].fileName, "wall.spr");
    EXPECT_EQ(FormatSpriteList(world.sprites), "2\n10 grass.spr\n11 wall.spr\n");
}

TEST(MapTextTest, SizeMakesOpenCellsWithoutFloor)
{
    const MapSource map = Parse("size 4 2\ncell 3 1 blocked\n").map;
    EXPECT_EQ(map.width, 4);
    EXPECT_EQ(map.cells.size(), 8u);
    EXPECT_EQ(map.Cell(3, 1).blocked, 1);
    EXPECT_EQ(map.Cell(2, 1).blocked, 0);
    EXPECT_TRUE(map.floorTiles.empty());
}

TEST(MapTextTest, MistakesNameTheirLine)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"legend . open\ngrid\n.x\nend\n", "world.txt:3: the letter 'x' has no legend"},
        {"legend . open\ngrid\n..\n...\nend\n", "world.txt:4: every grid row has 2 letters"},
        {"legend . open\ngrid\n..\n", "world.txt:3: the grid has no end line"},
        {"object 1 1 0 5 abcdefghijabcdefghijabcdefghijabc 0\n", "world.txt:1: the animation name"},
        {"size 2 2\ncell 2 0 blocked\n", "world.txt:2: cell (2, 0) lies outside the map"},
        {"\nfloor 1 2 3 4 five\n", "world.txt:2: floor <x> <y> <z>"},
        {"object 40000 0 0 1 a 0\n", "world.txt:1: '40000' is not a whole number from -32768 to 32767"},
        {"colour 3\n", "world.txt:1: unknown statement 'colour'"},
        {"legend . open\nlegend . blocked\n", "world.txt:2: the letter '.' has a legend already"},
        {"legend ab open\n", "world.txt:1: a terrain letter is one character"},
        {"size 1 1\ncell 0 0 data abc\n", "world.txt:2: data takes two hex digits per byte"},
        {"size 1 1\nsize 2 2\n", "world.txt:2: the map has a size already"},
        {"legend . sometimes\n", "world.txt:1: expected open or blocked"},
    };
    for (const Case& c : cases) {
        MapDescription description;
        std::string error;
        EXPECT_FALSE(ParseMapText(c.text, "world.txt", description, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got: " << error << "\nwanted: " << c.error;
    }
}

TEST(MapTextTest, TheListingReadsBackToTheSameFile)
{
    MapSource map = Parse(World).map;
    map.objects.push_back({-1, -2, 3, 4, 5, -6, "", 9});  // an empty name
    const std::vector<uint8_t> bytes = EncodeMapFile(map);
    const std::string listing = FormatMapText(map);
    EXPECT_EQ(EncodeMapFile(Parse(listing).map), bytes) << listing;

    const MapSource empty = Parse("size 0 7\n").map;
    EXPECT_EQ(EncodeMapFile(Parse(FormatMapText(empty)).map), EncodeMapFile(empty));
}

TEST(MapFileCodecTest, DecodeGivesBackWhatWasEncoded)
{
    const MapSource map = Parse(World).map;
    const std::vector<uint8_t> bytes = EncodeMapFile(map);
    ASSERT_EQ(bytes.size(), 11 + 6 * 7 + 3 + 4 + 6 * 47 + 4 + 2 * 51u);
    MapSource decoded;
    std::string error;
    ASSERT_TRUE(DecodeMapFile(bytes, decoded, error)) << error;
    EXPECT_EQ(EncodeMapFile(decoded), bytes);
    EXPECT_EQ(decoded.objects[1].animationName, "long");
}

TEST(MapFileCodecTest, BrokenFilesAreReportedWithTheirOffset)
{
    const std::vector<uint8_t> bytes = EncodeMapFile(Parse(World).map);
    struct Case {
        size_t length;
        const char* error;
    };
    const Case cases[] = {
        {2, "not a map file"},
        {9, "the file ends inside the header at byte 9"},
        {11 + 6, "3 x 2 cells do not fit at byte 11"},
        {54, "the file ends inside a cell at byte 52"},
        {bytes.size() - 1, "the object count 2 does not fit at byte"},
    };
    for (const Case& c : cases) {
        MapSource decoded;
        std::string error;
        EXPECT_FALSE(DecodeMapFile(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(c.length)), decoded, error))
            << c.length;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

}  // namespace
