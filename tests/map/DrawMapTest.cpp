// DrawMap through real sprites into a memory surface. Each marker sprite is a
// single opaque pixel anchored at its top-left, so the pixel it leaves is the
// drawing position it was given.
#include "MapFixtures.h"

#include "sprite/AnimationCursor.h"
#include "sprite/DisplayDepth.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"

namespace {

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;

FrameSource Dot(uint32_t colour)
{
    FrameSource frame;
    frame.width = 1;
    frame.height = 1;
    frame.flags = 1;  // opaque: even a colour equal to the key is drawn
    frame.pixels = {colour};
    return frame;
}

// "idle" in direction 0: `first`, then `second`; "idle" in direction 1: `second`.
SpriteSource Marker(uint32_t first, uint32_t second)
{
    SpriteSource sprite;
    sprite.animations.push_back({"idle", 0, {Dot(first), Dot(second)}});
    sprite.animations.push_back({"idle", 1, {Dot(second)}});
    return sprite;
}

class DrawMapTest : public InScratchDirectory {
protected:
    void SetUp() override
    {
        InScratchDirectory::SetUp();
        DisplayDepth = 32;
        ASSERT_TRUE(WriteFileBytes("red.spr", EncodeSpriteFile(Marker(Red, White))));
        ASSERT_TRUE(WriteFileBytes("green.spr", EncodeSpriteFile(Marker(Green, White))));
        ASSERT_TRUE(WriteFileBytes("blue.spr", EncodeSpriteFile(Marker(Blue, White))));
        // Index 0 red, 1 green, 2 blue, 3 a file that does not exist.
        WriteFile("SpriteList.txt", "4\n1 red.spr\n2 green.spr\n3 blue.spr\n4 missing.spr\n");
        ASSERT_TRUE(map.sprites.LoadSpriteList("SpriteList.txt"));
        surface.assign(640 * 480, 0);
    }

    void Load(const MapSource& source) { ASSERT_TRUE(ReadMapBytes(map, EncodeMapFile(source))); }

    void Draw(int32_t cx = 320, int32_t cy = 240)
    {
        uint8_t* first = reinterpret_cast<uint8_t*>(surface.data());
        map.DrawMap({first, first + 479 * 2560 + 640 * 4, 2560, 480, 640, 32}, cx, cy);
    }

    uint32_t At(int x, int y) const { return surface.at(size_t(y) * 640 + size_t(x)); }

    int Painted() const
    {
        int count = 0;
        for (uint32_t pixel : surface) count += pixel != 0;
        return count;
    }

    TileMap map;
    std::vector<uint32_t> surface;
};

FloorSource Floor(int16_t x, int16_t y, int32_t spriteId, const char* animation = "idle", int32_t direction = 0)
{
    return {x, y, 0, spriteId, animation, direction};
}

ObjectSource Thing(int16_t x, int16_t y, int32_t spriteId, int32_t direction = 0)
{
    return {x, y, x, y, 0, spriteId, "idle", direction};
}

TEST_F(DrawMapTest, TilesLandOnTheIsometricGrid)
{
    struct Case {
        int16_t x, y;
        int screenX, screenY;
    };
    const Case cases[] = {{0, 0, 320, 240},  {1, 0, 340, 250},  {0, 1, 340, 230}, {1, 1, 360, 240},
                          {-1, 0, 300, 230}, {-3, 5, 360, 160}, {7, -2, 420, 330}};
    for (const Case& c : cases) {
        MapSource source;
        source.floorTiles = {Floor(c.x, c.y, 1)};
        source.objects = {Thing(c.x, c.y, 2)};
        map.ClearMap();
        Load(source);
        surface.assign(640 * 480, 0);
        Draw();
        EXPECT_EQ(At(c.screenX, c.screenY), Green) << c.x << "," << c.y;  // the object over the floor tile
        EXPECT_EQ(Painted(), 1) << c.x << "," << c.y;
    }
}

TEST_F(DrawMapTest, TheCameraTileIsDrawnAtTheCentrePlusTheOffset)
{
    MapSource source;
    source.floorTiles = {Floor(2, 3, 1), Floor(0, 0, 3)};
    Load(source);
    map.cameraX = 2;
    map.cameraY = 3;
    map.cameraOffsetX = -5;
    map.cameraOffsetY = 7;
    Draw();
    EXPECT_EQ(At(315, 247), Red);
    EXPECT_EQ(At(215, 257), Blue);  // the origin: tile (0, 0)
    EXPECT_EQ(Painted(), 2);

    surface.assign(640 * 480, 0);
    Draw(100, 50);  // another centre point moves everything with it: tile (0, 0) to (-5, 67)
    EXPECT_EQ(At(95, 57), Red);
    EXPECT_EQ(Painted(), 1);
}

TEST_F(DrawMapTest, FloorTilesComeFirstThenObjectsInListOrder)
{
    MapSource source;
    source.objects = {Thing(1, 1, 2), Thing(1, 1, 3)};     // blue is drawn last
    source.floorTiles = {Floor(1, 1, 1), Floor(0, 0, 1)};  // red, under everything
    Load(source);
    Draw();
    EXPECT_EQ(At(360, 240), Blue);
    EXPECT_EQ(At(320, 240), Red);

    // Put green at the end of the list: now it covers blue.
    SceneEntry* green = map.objects.First();
    const SceneObject moved = green->object;
    map.objects.Remove(green);
    map.AppendObject(moved);
    Draw();
    EXPECT_EQ(At(360, 240), Green);
}

TEST_F(DrawMapTest, WhatCannotBeLoadedIsSkippedAndTriedAgainNextFrame)
{
    MapSource source;
    source.floorTiles = {Floor(0, 0, 4), Floor(1, 0, 1), Floor(2, 0, 77)};  // missing file, red, unlisted id
    source.objects = {Thing(0, 1, 4), Thing(1, 1, 77), Thing(2, 2, 3)};
    Load(source);
    ASSERT_EQ(map.floorTiles[2].spriteIndex, -1);
    Draw();
    EXPECT_EQ(At(340, 250), Red);
    EXPECT_EQ(At(400, 240), Blue);
    EXPECT_EQ(Painted(), 2);
    EXPECT_EQ(map.sprites.Entry(3).useCount, 2);  // a floor tile and an object
    Draw();
    EXPECT_EQ(map.sprites.Entry(3).useCount, 4);
    EXPECT_EQ(map.sprites.Entry(3).sprite, nullptr);
}

TEST_F(DrawMapTest, NamesAndDirectionsPickTheAnimation)
{
    MapSource source;
    source.floorTiles = {Floor(0, 0, 1, "idle", 1), Floor(1, 0, 1, "walk"), Floor(2, 0, 1, "IDLE")};
    source.objects = {Thing(0, 2, 2, 1), Thing(0, 3, 2, 7)};
    Load(source);
    Draw();
    EXPECT_EQ(At(320, 240), White);  // direction 1's frame
    EXPECT_EQ(At(360, 220), White);
    EXPECT_EQ(Painted(), 2);
}

TEST_F(DrawMapTest, FloorTilesShowTheFirstFrameAndObjectsTheirCursorsFrame)
{
    MapSource source;
    source.floorTiles = {Floor(0, 0, 2)};
    source.objects = {Thing(1, 0, 2)};
    Load(source);
    AnimationCursor cursor;
    cursor.rebind = false;
    cursor.frameIndex = 1;
    map.objects.First()->object.cursor = &cursor;
    Draw();
    EXPECT_EQ(At(320, 240), Green);
    EXPECT_EQ(At(340, 250), White);

    // A cursor marked for rebinding is bound by the drawing, at frame 0.
    cursor.rebind = true;
    Draw();
    EXPECT_EQ(At(340, 250), Green);
    EXPECT_FALSE(cursor.rebind);
    EXPECT_NE(cursor.timing, nullptr);
}

TEST_F(DrawMapTest, AnEmptyMapDrawsNothing)
{
    Draw();
    EXPECT_EQ(Painted(), 0);
    Load(OpenMap(4, 4));
    Draw();
    EXPECT_EQ(Painted(), 0);
}

TEST_F(DrawMapTest, DrawablesFarOffTheSurfaceAreRejectedSafely)
{
    MapSource source;
    source.floorTiles = {Floor(32767, 32767, 1), Floor(-32768, 32767, 1), Floor(-32768, -32768, 1)};
    source.objects = {Thing(32767, -32768, 2), Thing(16, 0, 2), Thing(0, 24, 2)};
    Load(source);
    Draw();
    EXPECT_EQ(Painted(), 0);
}

}  // namespace
