// The demo world as the build lays it out in DEMO_WORLD_DIR: loaded the way
// the program loads it (from inside its folder), checked for what the walkers
// and the renderer need, and drawn by the map tool.
#include "map/TileMap.h"
#include "sprite/DisplayDepth.h"
#include "tools/maptool/WorldRender.h"
#include "tools/spritetool/Manifest.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/PngImage.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int32_t WalkerSprite = 2;
constexpr int16_t SpawnX = 1, SpawnY = 1;
// Cell step and screen step of each direction code.
constexpr int32_t StepDX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int32_t StepDY[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t ScreenX[8] = {20, 40, 20, 0, -20, -40, -20, 0};
constexpr int32_t ScreenY[8] = {10, 0, -10, -20, -10, 0, 10, 20};
constexpr float WalkerSpeed = 10.0f;

class DemoWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        DisplayDepth = 32;
        home = std::filesystem::current_path();
        std::filesystem::current_path(DEMO_WORLD_DIR);
        ASSERT_TRUE(map.sprites.LoadSpriteList("SpriteList.txt"));
        ASSERT_TRUE(map.LoadMap("test.map"));
    }

    void TearDown() override { std::filesystem::current_path(home); }

    bool Open(int32_t x, int32_t y) const { return map.IsWalkable(x, y, 0, 0); }

    const Animation* WalkerAnimation(int32_t direction)
    {
        Sprite* walker = map.sprites.GetSprite(map.sprites.FindSpriteIndex(WalkerSprite));
        if (!walker) return nullptr;
        const int found = walker->FindAnimation("walk", direction);
        return found < 0 ? nullptr : &walker->animations[found];
    }

    TileMap map;
    std::filesystem::path home;
};

TEST_F(DemoWorld, IsBigEnoughAndFurnished)
{
    EXPECT_GE(map.width, 32);
    EXPECT_GE(map.height, 32);
    EXPECT_GE(map.objects.Count(), 30);
    int multiCell = 0;
    for (const SceneEntry* e = map.objects.First(); e != map.objects.End(); e = e->next) {
        multiCell += e->object.x1 != e->object.x0 || e->object.y1 != e->object.y0;
    }
    EXPECT_GE(multiCell, 2) << "houses span several cells";
}

TEST_F(DemoWorld, EveryListedSpriteLoads)
{
    ASSERT_GT(map.sprites.EntryCount(), 0);
    for (int i = 0; i < map.sprites.EntryCount(); ++i) {
        const Sprite* sprite = map.sprites.GetSprite(i);
        ASSERT_NE(sprite, nullptr) << map.sprites.Entry(i).fileName;
        EXPECT_GT(sprite->animationCount, 0) << map.sprites.Entry(i).fileName;
    }
}

// A typo in a sprite id, an animation name or a direction would leave a hole
// in the picture without any message.
TEST_F(DemoWorld, EveryFloorTileAndObjectHasAFrame)
{
    for (int32_t i = 0; i < map.floorTileCount; ++i) {
        const FloorTile& tile = map.floorTiles[i];
        const Sprite* sprite = map.sprites.GetSprite(tile.spriteIndex);
        ASSERT_NE(sprite, nullptr) << "floor tile " << i;
        EXPECT_NE(sprite->GetCurrentFrame(tile.animationName, tile.direction, nullptr), nullptr)
            << "floor tile " << i << " at (" << tile.x << ", " << tile.y << "): " << tile.animationName << " "
            << tile.direction;
    }
    for (const SceneEntry* e = map.objects.First(); e != map.objects.End(); e = e->next) {
        const SceneObject& object = e->object;
        const Sprite* sprite = map.sprites.GetSprite(object.spriteIndex);
        ASSERT_NE(sprite, nullptr) << "object at (" << object.x0 << ", " << object.y0 << ")";
        EXPECT_NE(sprite->GetCurrentFrame(object.animationName, object.direction, nullptr), nullptr)
            << "object at (" << object.x0 << ", " << object.y0 << "): " << object.animationName << " "
            << object.direction;
    }
}

TEST_F(DemoWorld, UsesBothStoredFormatsAndEveryWayOfDrawing)
{
    std::set<int> formats;
    int opaque = 0, blended = 0, keyed = 0;
    for (int i = 0; i < map.sprites.EntryCount(); ++i) {
        const Sprite* sprite = map.sprites.GetSprite(i);
        ASSERT_NE(sprite, nullptr);
        formats.insert(sprite->pixelFormat);
        for (int a = 0; a < sprite->animationCount; ++a) {
            for (int f = 0; f < sprite->animations[a].frameCount; ++f) {
                const SpriteFrame& frame = sprite->animations[a].frames[f];
                opaque += (frame.flags & 1) != 0;
                blended += frame.alphaMaskSize > 0;
                keyed += (frame.flags & 1) == 0 && frame.alphaMaskSize == 0;
            }
        }
    }
    EXPECT_EQ(formats, (std::set<int>{0, 1}));
    EXPECT_GT(opaque, 0);
    EXPECT_GT(blended, 0);
    EXPECT_GT(keyed, 0);
}

TEST_F(DemoWorld, WalkerWalksInEveryDirection)
{
    ASSERT_GE(map.sprites.FindSpriteIndex(WalkerSprite), 0) << "sprite id 2 is not listed";
    for (int32_t d = 0; d < 8; ++d) {
        const Animation* walk = WalkerAnimation(d);
        ASSERT_NE(walk, nullptr) << "no walk in direction " << d;
        EXPECT_GE(walk->frameCount, 6) << "direction " << d;
        EXPECT_LE(walk->frameCount, 8) << "direction " << d;
        float stepMs = 0;
        for (int32_t f = 0; f < walk->frameCount; ++f) {
            stepMs += walk->timing.durations[f] / WalkerSpeed;
            EXPECT_GT(walk->frames[f].alphaMaskSize, 0) << "the figure's shadow is blended";
        }
        EXPECT_GE(stepMs, 300.0f) << "direction " << d;
        EXPECT_LE(stepMs, 500.0f) << "direction " << d;
    }
}

// The camera follows the first walker by the negated offsets of its frame,
// so the offsets must carry the figure smoothly over one cell: from 0 at
// frame 0, monotonically, i/N of the way at frame i, never reaching the next
// cell (where the finished step puts it with offset 0 again). A frame whose
// anchor differed from the others would make the figure jump.
TEST_F(DemoWorld, WalkerOffsetsStepTowardsTheNextCell)
{
    for (int32_t d = 0; d < 8; ++d) {
        const Animation* walk = WalkerAnimation(d);
        ASSERT_NE(walk, nullptr) << "direction " << d;
        const int32_t n = walk->frameCount;
        ASSERT_GT(n, 1);
        EXPECT_EQ(walk->frames[0].offsetX, 0) << "direction " << d;
        EXPECT_EQ(walk->frames[0].offsetY, 0) << "direction " << d;
        for (int32_t f = 0; f < n; ++f) {
            const SpriteFrame& frame = walk->frames[f];
            SCOPED_TRACE("direction " + std::to_string(d) + " frame " + std::to_string(f));
            EXPECT_NEAR(frame.offsetX, double(ScreenX[d]) * f / n, 1.0);
            EXPECT_NEAR(frame.offsetY, double(ScreenY[d]) * f / n, 1.0);
            EXPECT_EQ(frame.anchorX, walk->frames[0].anchorX);
            EXPECT_EQ(frame.anchorY, walk->frames[0].anchorY);
            if (f == 0) continue;
            const SpriteFrame& before = walk->frames[f - 1];
            EXPECT_GE((frame.offsetX - before.offsetX) * ScreenX[d], 0);
            EXPECT_GE((frame.offsetY - before.offsetY) * ScreenY[d], 0);
            EXPECT_GT(std::abs(frame.offsetX - before.offsetX) + std::abs(frame.offsetY - before.offsetY), 0)
                << "every frame moves on";
        }
        const SpriteFrame& last = walk->frames[n - 1];
        EXPECT_LT(std::abs(last.offsetX) + std::abs(last.offsetY), std::abs(ScreenX[d]) + std::abs(ScreenY[d]));
    }
}

TEST_F(DemoWorld, FloorTilesCoverEveryWalkableCell)
{
    std::set<std::pair<int, int>> floored;
    for (int32_t i = 0; i < map.floorTileCount; ++i) floored.insert({map.floorTiles[i].x, map.floorTiles[i].y});
    for (int32_t y = 0; y < map.height; ++y) {
        for (int32_t x = 0; x < map.width; ++x) {
            if (Open(x, y)) {
                EXPECT_TRUE(floored.count({x, y})) << "open cell (" << x << ", " << y << ") has no floor";
            }
        }
    }
}

// Walkers step in eight directions and stop only at blocked cells and the
// map's edge: every open cell must be reachable from where they spawn.
TEST_F(DemoWorld, OpenCellsAreOneRegionAroundTheSpawn)
{
    ASSERT_TRUE(Open(SpawnX, SpawnY));
    int openAround = 0;
    for (int32_t d = 0; d < 8; ++d) openAround += Open(SpawnX + StepDX[d], SpawnY + StepDY[d]);
    EXPECT_EQ(openAround, 8) << "the walkers start in the open";

    std::vector<bool> seen(size_t(map.width) * map.height, false);
    std::vector<std::pair<int32_t, int32_t>> todo = {{SpawnX, SpawnY}};
    seen[size_t(SpawnY) * map.width + SpawnX] = true;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        for (int32_t d = 0; d < 8; ++d) {
            if (!map.IsWalkable(x, y, StepDX[d], StepDY[d])) continue;
            const size_t at = size_t(y + StepDY[d]) * map.width + size_t(x + StepDX[d]);
            if (!seen[at]) {
                seen[at] = true;
                todo.push_back({x + StepDX[d], y + StepDY[d]});
            }
        }
    }
    int open = 0, reached = 0;
    for (int32_t y = 0; y < map.height; ++y) {
        for (int32_t x = 0; x < map.width; ++x) {
            open += Open(x, y);
            reached += seen[size_t(y) * map.width + x];
        }
    }
    EXPECT_EQ(reached, open);
    EXPECT_GT(open, map.width * map.height / 3) << "there is room to walk";
}

struct View {
    const char* name;
    int cameraX;
    int cameraY;
};

class DemoWorldRender : public ::testing::TestWithParam<View> {};

// The map tool draws the world as the program does; around the screen's
// centre (where the first walker stands) the picture must be full of world.
TEST_P(DemoWorldRender, CentreIsNotBlack)
{
    const View view = GetParam();
    const std::string picture =
        (std::filesystem::current_path() / (std::string("demo-") + view.name + ".png")).string();
    std::filesystem::remove(picture);
    const std::string command = std::string("\"") + MAPTOOL_PROGRAM + "\" render \"" + DEMO_WORLD_DIR + "\" \"" +
                                picture + "\" " + std::to_string(view.cameraX) + " " + std::to_string(view.cameraY);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    RgbaImage image;
    std::string error;
    ASSERT_TRUE(LoadPng(picture, image, error)) << error;
    ASSERT_EQ(image.width, 640u);
    ASSERT_EQ(image.height, 480u);
    int black = 0, total = 0;
    std::set<uint32_t> colours;
    for (uint32_t y = 240 - 90; y < 240 + 90; ++y) {
        for (uint32_t x = 320 - 120; x < 320 + 120; ++x) {
            const uint32_t rgb = image.Rgb(x, y);
            black += rgb == 0;
            colours.insert(rgb);
            ++total;
        }
    }
    EXPECT_EQ(black, 0) << "of " << total << " pixels around the centre";
    EXPECT_GT(colours.size(), 200u) << "a picture, not a fill";
}

INSTANTIATE_TEST_SUITE_P(Views, DemoWorldRender,
                         ::testing::Values(View{"start", 0, 0}, View{"square", 14, 12}, View{"wood", 8, 30},
                                           View{"far_corner", 38, 38}),
                         [](const ::testing::TestParamInfo<View>& param) { return std::string(param.param.name); });

// The whole map drawn at once is each 640 x 480 frame where the two overlap:
// the same pictures, in the same order, at the same pixels.
TEST(DemoWorldWhole, IsTheFramesWhereTheyOverlap)
{
    RenderView whole;
    whole.whole = true;
    RenderedWorld all;
    std::string error, unread;
    ASSERT_TRUE(RenderWorld(DEMO_WORLD_DIR, whole, all, error, unread)) << error;
    ASSERT_EQ(all.pixels.size(), size_t(all.width) * size_t(all.height));
    EXPECT_GE(all.width, (all.mapWidth + all.mapHeight) * 20) << "every cell's diamond";
    EXPECT_GE(all.height, (all.mapWidth + all.mapHeight) * 10);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{14, 12}, std::pair{38, 38}, std::pair{39, 0}}) {
        RenderView view;
        view.cameraX = x;
        view.cameraY = y;
        view.cameraOffsetX = 3;
        RenderedWorld frame;
        ASSERT_TRUE(RenderWorld(DEMO_WORLD_DIR, view, frame, error, unread)) << error;
        size_t compared = 0, differ = 0;
        for (int32_t py = 0; py < frame.height; ++py) {
            const int32_t wy = py - frame.originY + all.originY;
            for (int32_t px = 0; px < frame.width; ++px) {
                const int32_t wx = px - frame.originX + all.originX;
                if (wx < 0 || wy < 0 || wx >= all.width || wy >= all.height) continue;
                ++compared;
                differ += frame.pixels[size_t(py) * size_t(frame.width) + size_t(px)] !=
                          all.pixels[size_t(wy) * size_t(all.width) + size_t(wx)];
            }
        }
        EXPECT_GT(compared, 640u * 480u / 4) << "camera on (" << x << ", " << y << ")";
        EXPECT_EQ(differ, 0u) << "of " << compared << " pixels, camera on (" << x << ", " << y << ")";
    }
}

// The demo walker's manifest says "step 400" where it once gave each of its
// 64 frames an offset and a duration: both build the same file.
TEST(DemoWalker, TheStepLineBuildsTheWrittenOutFrames)
{
    const ManifestResult written = ReadManifest(DEMO_TEST_DIR "/walker-explicit.txt");
    ASSERT_TRUE(written.errors.empty()) << written.errors.front();
    std::vector<uint8_t> built;
    ASSERT_TRUE(ReadFileBytes(DEMO_WORLD_DIR "/walker.spr", built));
    EXPECT_TRUE(EncodeSpriteFile(written.sprite) == built);
}

}  // namespace
