// The walkers, pass by pass as the frame loop runs them: key requests, then
// FrameTick, then Walker1 and Walker2, then the map drawn (which binds the
// cursors of walkers the camera does not follow).
#include "MapFixtures.h"

#include "map/Walker.h"
#include "sprite/FrameTick.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

constexpr int32_t WalkerId = 2;
constexpr int WalkFrames = 3;
constexpr int32_t WalkFrameDuration = 100;  // 10 ms at the walkers' speed of 10

// Offsets that tell every frame of every direction apart.
int16_t FrameOffsetX(int direction, int frame)
{
    return static_cast<int16_t>(10 * frame + direction);
}
int16_t FrameOffsetY(int direction, int frame)
{
    return static_cast<int16_t>(-5 * frame - 100 * direction);
}

// A walker sprite with a "walk" animation in the given directions.
SpriteSource WalkerSprite(const std::vector<int>& directions)
{
    SpriteSource sprite;
    sprite.id = WalkerId;
    for (int direction : directions) {
        AnimationSource walk;
        walk.name = "walk";
        walk.direction = direction;
        for (int i = 0; i < WalkFrames; ++i) {
            FrameSource frame;
            frame.duration = WalkFrameDuration;
            frame.width = 2;
            frame.height = 2;
            frame.pixels.assign(4, 0x00FF00);
            frame.offsetX = FrameOffsetX(direction, i);
            frame.offsetY = FrameOffsetY(direction, i);
            walk.frames.push_back(frame);
        }
        sprite.animations.push_back(walk);
    }
    return sprite;
}

const std::vector<int> AllDirections = {0, 1, 2, 3, 4, 5, 6, 7};

class WalkerTest : public InScratchDirectory {
protected:
    // A width x height open map (but the blocked cells) with the walker sprite
    // listed under `listedId`, and both walkers spawned on (1, 1) as start-up does.
    void MakeWorld(uint16_t width, uint16_t height, std::vector<std::pair<int, int>> blocked = {},
                   const std::vector<int>& walkDirections = AllDirections, int32_t listedId = WalkerId)
    {
        ASSERT_TRUE(WriteFileBytes("walker.spr", EncodeSpriteFile(WalkerSprite(walkDirections))));
        WriteFile("SpriteList.txt", "1\n" + std::to_string(listedId) + " walker.spr\n");
        ASSERT_TRUE(map.sprites.LoadSpriteList("SpriteList.txt"));
        ASSERT_TRUE(ReadMapBytes(map, EncodeMapFile(OpenMap(width, height, std::move(blocked)))));
        FrameTick = 0;
        walker1.followsCamera = true;
        walker1.Spawn(map, WalkerId, 1, 1, 0);
        walker2.Spawn(map, WalkerId, 1, 1, 0);
    }

    // One pass of the frame loop: the requests of the held keys, then the clock.
    void Pass(uint32_t tick, const std::vector<std::pair<Walker*, int32_t>>& requests = {})
    {
        for (const auto& [walker, direction] : requests) walker->RequestStep(direction);
        FrameTick = tick;
        walker1.Update();
        walker2.Update();
        map.DrawMap(surface.Buffer(), 320, 240);
    }

    std::pair<int, int> Cell(const Walker& walker) const { return {walker.entry->object.x0, walker.entry->object.y0}; }
    std::pair<int, int> Camera() const { return {map.cameraX, map.cameraY}; }
    std::pair<int, int> CameraOffset() const { return {map.cameraOffsetX, map.cameraOffsetY}; }
    static std::pair<int, int> MinusOffsets(int direction, int frame)
    {
        return {-FrameOffsetX(direction, frame), -FrameOffsetY(direction, frame)};
    }

    struct Surface {
        std::vector<uint8_t> pixels = std::vector<uint8_t>(640 * 480 * 4);
        SurfaceBuffer Buffer()
        {
            return SurfaceBuffer{pixels.data(), pixels.data() + pixels.size(), 640 * 4, 480, 640, 32};
        }
    } surface;

    TileMap map;
    Walker walker1;
    Walker walker2;
};

TEST(WalkerDirections, EachCodeStepsToItsNeighbour)
{
    const int expected[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    for (int d = 0; d < 8; ++d) {
        EXPECT_EQ(DirectionDX[d], expected[d][0]) << "direction " << d;
        EXPECT_EQ(DirectionDY[d], expected[d][1]) << "direction " << d;
    }
}

TEST(WalkerConstruction, PlaysAtTenTimesSpeedAndIsIdle)
{
    Walker walker;
    EXPECT_EQ(walker.cursor.speed, 10.0f);
    EXPECT_TRUE(walker.cursor.rebind);
    EXPECT_FALSE(walker.cursor.loop);
    EXPECT_FALSE(walker.stepping);
    EXPECT_FALSE(walker.followsCamera);
    EXPECT_EQ(walker.direction, 0);
    EXPECT_EQ(walker.entry, nullptr);
}

TEST_F(WalkerTest, BothSpawnOnOneCellWithTheSecondDrawnFirst)
{
    MakeWorld(4, 4);
    ASSERT_EQ(map.objects.Count(), 2);
    EXPECT_EQ(map.objects.First(), walker2.entry);
    EXPECT_EQ(map.objects.Last(), walker1.entry);
    for (const Walker* walker : {&walker1, &walker2}) {
        const SceneObject& object = walker->entry->object;
        EXPECT_EQ(Cell(*walker), std::make_pair(1, 1));
        EXPECT_EQ(object.x1, 1);
        EXPECT_EQ(object.y1, 1);
        EXPECT_EQ(object.spriteIndex, 0);
        EXPECT_STREQ(object.animationName, "walk");
        EXPECT_EQ(object.direction, 0);
        EXPECT_EQ(object.cursor, &walker->cursor);
    }
}

TEST_F(WalkerTest, AStepPlaysItsFramesThenMovesTheWalkerAndTheCamera)
{
    MakeWorld(4, 4);
    Pass(1000);
    // Before any key: the first frame of direction 0, the view shifted against it.
    EXPECT_EQ(CameraOffset(), MinusOffsets(0, 0));
    EXPECT_EQ(walker1.cursor.timing, &map.sprites.GetSprite(0)->animations[0].timing);

    Pass(1005, {{&walker1, 1}});  // Right: Play starts at the previous pass's tick, 1000
    EXPECT_TRUE(walker1.stepping);
    EXPECT_EQ(walker1.entry->object.direction, 1);
    EXPECT_EQ(walker1.cursor.frameStart, 1000u);
    EXPECT_EQ(walker1.cursor.GetFrameIndex(), 0);
    EXPECT_EQ(CameraOffset(), MinusOffsets(1, 0));

    Pass(1010);  // the deadline 1000 + 100 / 10 is not passed yet
    EXPECT_EQ(walker1.cursor.GetFrameIndex(), 0);
    Pass(1011);
    EXPECT_EQ(walker1.cursor.GetFrameIndex(), 1);
    EXPECT_EQ(CameraOffset(), MinusOffsets(1, 1));
    Pass(1022);
    EXPECT_EQ(walker1.cursor.GetFrameIndex(), 2);
    EXPECT_EQ(CameraOffset(), MinusOffsets(1, 2));
    EXPECT_EQ(Cell(walker1), std::make_pair(1, 1));
    EXPECT_EQ(Camera(), std::make_pair(0, 0));

    Pass(1033);  // the last frame ends: one cell on, and the camera with it
    EXPECT_FALSE(walker1.stepping);
    EXPECT_EQ(Cell(walker1), std::make_pair(2, 2));
    EXPECT_EQ(walker1.entry->object.x1, 2);
    EXPECT_EQ(walker1.entry->object.y1, 2);
    EXPECT_EQ(Camera(), std::make_pair(1, 1));
    EXPECT_FALSE(walker1.cursor.playing);
    EXPECT_EQ(walker1.cursor.GetFrameIndex(), 0);
    // The same call refreshes the offset from the first frame again.
    EXPECT_EQ(CameraOffset(), MinusOffsets(1, 0));
    // The move found the entry's place afresh: (1,1) is not in front of (2,2),
    // so Walker1 goes after it.
    EXPECT_EQ(map.objects.Count(), 2);
    EXPECT_EQ(map.objects.First(), walker2.entry);
    EXPECT_EQ(map.objects.Last(), walker1.entry);
    EXPECT_EQ(Cell(walker2), std::make_pair(1, 1));
}

TEST_F(WalkerTest, AFinishedStepFindsTheObjectsPlaceAfresh)
{
    MakeWorld(4, 4);
    Pass(1000);
    Pass(1001, {{&walker1, 2}});
    for (uint32_t tick = 1002; walker1.stepping && tick < 1200; ++tick) Pass(tick);
    ASSERT_EQ(Cell(walker1), std::make_pair(1, 2));
    // Walker2 on (1,1) is in front of (1,2), so Walker1 now comes first.
    EXPECT_EQ(map.objects.First(), walker1.entry);
    EXPECT_EQ(map.objects.Last(), walker2.entry);
    EXPECT_EQ(map.objects.Count(), 2);
}

TEST_F(WalkerTest, RequestsWhileSteppingAreIgnored)
{
    MakeWorld(4, 4);
    Pass(1000);
    Pass(1001, {{&walker2, 0}});
    ASSERT_TRUE(walker2.stepping);
    Pass(1002, {{&walker2, 2}, {&walker2, 6}});
    EXPECT_EQ(walker2.direction, 0);
    EXPECT_EQ(walker2.entry->object.direction, 0);
    for (uint32_t tick = 1003; walker2.stepping && tick < 1200; ++tick) Pass(tick);
    EXPECT_EQ(Cell(walker2), std::make_pair(2, 1));
    // The camera follows only Walker1.
    EXPECT_EQ(Camera(), std::make_pair(0, 0));
    // Idle again, the next request is taken.
    Pass(1300, {{&walker2, 2}});
    EXPECT_TRUE(walker2.stepping);
    EXPECT_EQ(walker2.direction, 2);
}

TEST_F(WalkerTest, RequestsTowardsBlockedOrOutsideCellsOnlyTurn)
{
    // On a 2 x 2 map (1,1) is a corner: five neighbours lie outside, (0,0) is blocked.
    MakeWorld(2, 2, {{0, 0}});
    Pass(1000);
    for (int32_t direction : {0, 1, 2, 3, 7, 5}) {
        SCOPED_TRACE(direction);
        walker1.RequestStep(direction);
        EXPECT_FALSE(walker1.stepping);
        EXPECT_EQ(walker1.direction, direction);
        EXPECT_EQ(walker1.entry->object.direction, direction);
        EXPECT_FALSE(walker1.cursor.playing);
    }
    // The open neighbours can be entered.
    walker1.RequestStep(4);
    EXPECT_TRUE(walker1.stepping);
}

TEST_F(WalkerTest, OfTwoKeysInOnePassABlockedOneTurnsAndTheNextSteps)
{
    // Up (3) leads to (0,2), blocked; Right (1) to (2,2), open.
    MakeWorld(4, 4, {{0, 2}});
    Pass(1000);
    Pass(1001, {{&walker1, 3}, {&walker1, 1}});
    EXPECT_TRUE(walker1.stepping);
    EXPECT_EQ(walker1.direction, 1);
    EXPECT_EQ(walker1.entry->object.direction, 1);
    // Both walkable: the first request starts the step, the second is ignored.
    Pass(1002, {{&walker2, 2}, {&walker2, 6}});
    EXPECT_EQ(walker2.direction, 2);
}

TEST_F(WalkerTest, WalkersMayShareACellAndOthersNeverBlock)
{
    MakeWorld(4, 4);
    Pass(1000);
    Pass(1001, {{&walker1, 0}, {&walker2, 0}});
    for (uint32_t tick = 1002; (walker1.stepping || walker2.stepping) && tick < 1200; ++tick) Pass(tick);
    EXPECT_EQ(Cell(walker1), std::make_pair(2, 1));
    EXPECT_EQ(Cell(walker2), std::make_pair(2, 1));
}

// Without frames for a direction the step could never end: such a request
// only turns the walker, and the other directions still walk.
TEST_F(WalkerTest, ADirectionWithoutWalkFramesOnlyTurns)
{
    MakeWorld(4, 4, {}, {0, 2, 4, 6});
    Pass(1000);
    Pass(1001, {{&walker1, 1}});
    EXPECT_FALSE(walker1.stepping);
    EXPECT_EQ(walker1.entry->object.direction, 1);
    Pass(1002, {{&walker1, 0}});
    EXPECT_TRUE(walker1.stepping);
    for (uint32_t tick = 1003; walker1.stepping && tick < 1200; ++tick) Pass(tick);
    EXPECT_FALSE(walker1.stepping);
    EXPECT_EQ(Cell(walker1), std::make_pair(2, 1));
}

TEST_F(WalkerTest, AnUnlistedSpriteDrawsNothingButStillTurns)
{
    MakeWorld(4, 4, {}, AllDirections, /*listedId=*/7);
    EXPECT_EQ(walker1.entry->object.spriteIndex, -1);
    Pass(1000);
    EXPECT_EQ(CameraOffset(), std::make_pair(0, 0));
    Pass(1001, {{&walker1, 1}});
    EXPECT_FALSE(walker1.stepping);
    EXPECT_EQ(walker1.entry->object.direction, 1);
    for (uint8_t byte : surface.pixels) ASSERT_EQ(byte, 0);
}

// A step is only started once the sprite is loaded: asking does not load it,
// nor count as a use of it.
TEST_F(WalkerTest, ARequestNeitherLoadsNorCountsTheSprite)
{
    MakeWorld(4, 4);
    walker2.RequestStep(0);
    EXPECT_FALSE(walker2.stepping);
    EXPECT_EQ(map.sprites.Entry(0).sprite, nullptr);
    EXPECT_EQ(map.sprites.Entry(0).useCount, 0);
}

}  // namespace
