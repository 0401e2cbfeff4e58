#include "SpriteFixtures.h"

#include "sprite/AnimationCursor.h"
#include "sprite/FrameTick.h"

namespace {

// Frames are told apart by their duration: animation a, frame f lasts 100 x a + f.
SpriteSource Animations(const std::vector<std::pair<std::string, int32_t>>& namesAndDirections, int32_t framesEach)
{
    SpriteSource source;
    int32_t a = 0;
    for (const auto& [name, direction] : namesAndDirections) {
        AnimationSource animation{name, direction, {}};
        for (int32_t f = 0; f < framesEach; ++f) {
            FrameSource frame = PatternFrame(1, 1);
            frame.duration = 100 * a + f;
            animation.frames.push_back(frame);
        }
        source.animations.push_back(animation);
        ++a;
    }
    return source;
}

class AnimationTest : public ::testing::Test {
protected:
    void TearDown() override { sprite.FreeSprite(); }
    Sprite sprite = {};
};

TEST_F(AnimationTest, FindAnimationMatchesNameAndDirectionExactly)
{
    ASSERT_TRUE(ReadFromMemory(
        sprite, EncodeSpriteFile(Animations({{"walk", 0}, {"walk", 1}, {"walk", 1}, {"run", 0}, {"Walk", 2}}, 1))));
    const struct {
        const char* name;
        int32_t direction;
        int expected;
    } cases[] = {
        {"walk", 0, 0}, {"walk", 1, 1},  // the earlier of two equal animations wins
        {"run", 0, 3},  {"Walk", 2, 4},   {"Walk", 0, -1}, {"walk", 2, -1},
        {"wal", 0, -1}, {"walks", 0, -1}, {"", 0, -1},     {"walk", -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sprite.FindAnimation(c.name, c.direction), c.expected) << c.name << " " << c.direction;
    }
}

TEST_F(AnimationTest, NothingIsFoundInASpriteWithoutAnimations)
{
    ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(SpriteSource{})));
    EXPECT_EQ(sprite.FindAnimation("walk", 0), -1);
    EXPECT_EQ(sprite.GetCurrentFrame("walk", 0, nullptr), nullptr);
}

TEST_F(AnimationTest, GetCurrentFrameWithoutCursorShowsTheFirstFrame)
{
    SpriteSource source = Animations({{"walk", 0}, {"walk", 1}}, 4);
    source.animations.push_back({"empty", 0, {}});
    ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(source)));
    EXPECT_EQ(sprite.GetCurrentFrame("walk", 1, nullptr), &sprite.animations[1].frames[0]);
    EXPECT_EQ(sprite.GetCurrentFrame("empty", 0, nullptr), nullptr);
    EXPECT_EQ(sprite.GetCurrentFrame("jump", 0, nullptr), nullptr);
}

TEST_F(AnimationTest, ACursorIsBoundOnceThenShowsItsFrame)
{
    ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(Animations({{"walk", 0}, {"walk", 1}}, 4))));
    AnimationCursor cursor;
    cursor.frameIndex = 3;  // Bind starts the animation over
    EXPECT_EQ(sprite.GetCurrentFrame("walk", 1, &cursor), &sprite.animations[1].frames[0]);
    EXPECT_FALSE(cursor.rebind);
    EXPECT_EQ(cursor.timing, &sprite.animations[1].timing);

    cursor.frameIndex = 2;
    EXPECT_EQ(sprite.GetCurrentFrame("walk", 1, &cursor), &sprite.animations[1].frames[2]);
    // Without rebind the binding stays, even when another animation is shown.
    EXPECT_EQ(sprite.GetCurrentFrame("walk", 0, &cursor), &sprite.animations[0].frames[2]);
    EXPECT_EQ(cursor.timing, &sprite.animations[1].timing);
    EXPECT_EQ(cursor.frameIndex, 2);
}

TEST_F(AnimationTest, ACursorBeyondTheAnimationShowsItsLastFrame)
{
    SpriteSource source = Animations({{"long", 0}}, 5);
    source.animations.push_back(Animations({{"short", 0}}, 2).animations[0]);
    ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(source)));
    AnimationCursor cursor;
    cursor.rebind = false;
    for (int32_t index : {2, 4, 100, -1}) {
        cursor.frameIndex = index;
        EXPECT_EQ(sprite.GetCurrentFrame("short", 0, &cursor), &sprite.animations[1].frames[1]) << index;
    }
    cursor.frameIndex = 1;
    EXPECT_EQ(sprite.GetCurrentFrame("short", 0, &cursor), &sprite.animations[1].frames[1]);
    cursor.frameIndex = 0;
    EXPECT_EQ(sprite.GetCurrentFrame("short", 0, &cursor), &sprite.animations[1].frames[0]);
}

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override { FrameTick = 0; }
    void TearDown() override { FrameTick = 0; }

    // Plays from FrameTick `start` at `speed` through `timing`.
    void Start(uint32_t start, float speed)
    {
        cursor.Bind(timing);
        cursor.speed = speed;
        FrameTick = start;
        cursor.Play();
    }

    bool AdvanceAt(uint32_t now)
    {
        FrameTick = now;
        return cursor.Advance();
    }

    float durations[3] = {100.0f, 100.0f, 50.0f};
    AnimationTiming timing = {3, durations};
    AnimationCursor cursor;
};

TEST_F(CursorTest, StartsWithTheDocumentedDefaults)
{
    EXPECT_TRUE(cursor.rebind);
    EXPECT_FALSE(cursor.loop);
    EXPECT_EQ(cursor.speed, 1.0f);
    EXPECT_EQ(cursor.GetFrameIndex(), 0);
    EXPECT_FALSE(cursor.playing);
    EXPECT_EQ(cursor.frameStart, 0u);
    EXPECT_EQ(cursor.timing, nullptr);
}

TEST_F(CursorTest, AFrameEndsStrictlyAfterItsDeadline)
{
    Start(1000, 10.0f);  // frame 0 is due to end at 1000 + 100 / 10
    EXPECT_FALSE(AdvanceAt(1010));
    EXPECT_EQ(cursor.frameIndex, 0);
    EXPECT_EQ(cursor.frameStart, 1000u);
    EXPECT_FALSE(AdvanceAt(1011));
    EXPECT_EQ(cursor.frameIndex, 1);
    EXPECT_EQ(cursor.frameStart, 1011u);  // the change is seen at 1011, not at the deadline
}

// The tick count wraps after 2^32 ms. A frame begun before the wrap ends
// after it as it would anywhere else: strictly after its deadline, counted
// across the wrap, and with the change seen at the tick that saw it.
TEST_F(CursorTest, AFrameBegunBeforeTheTickWrapEndsAfterIt)
{
    struct Case {
        uint32_t start;  // frame 0 lasts 10 ms: 100 at speed 10
        uint32_t stays;  // the deadline: frame 0 is still shown
        uint32_t moves;  // one millisecond later: frame 1
    };
    const Case cases[] = {
        {0xFFFFFFFFu, 9, 10},
        {0xFFFFFFF8u, 2, 3},
        {0xFFFFFFF6u, 0, 1},
        {0xFFFFFFF5u, 0xFFFFFFFFu, 0},
        {0xFFFFFFF0u, 0xFFFFFFFAu, 0xFFFFFFFBu},  // away from the wrap, as before
    };
    for (const Case& c : cases) {
        Start(c.start, 10.0f);
        EXPECT_FALSE(AdvanceAt(c.stays));
        EXPECT_EQ(cursor.frameIndex, 0) << "begun at " << c.start;
        EXPECT_FALSE(AdvanceAt(c.moves));
        EXPECT_EQ(cursor.frameIndex, 1) << "begun at " << c.start;
        EXPECT_EQ(cursor.frameStart, c.moves);
        // Frame 1 (10 ms too) ends after the wrap as well.
        EXPECT_FALSE(AdvanceAt(c.moves + 10));
        EXPECT_EQ(cursor.frameIndex, 1) << "begun at " << c.start;
        EXPECT_FALSE(AdvanceAt(c.moves + 11));
        EXPECT_EQ(cursor.frameIndex, 2) << "begun at " << c.start;
    }
}

TEST_F(CursorTest, OneCallPassesOneFrameHoweverLate)
{
    Start(0, 1.0f);
    EXPECT_FALSE(AdvanceAt(100000));
    EXPECT_EQ(cursor.frameIndex, 1);
    EXPECT_EQ(cursor.frameStart, 100000u);
    EXPECT_FALSE(AdvanceAt(100100));  // exactly at frame 1's deadline
    EXPECT_EQ(cursor.frameIndex, 1);
}

TEST_F(CursorTest, WithoutLoopTheLastFrameStaysAndTheEndIsReportedOnce)
{
    Start(0, 1.0f);
    EXPECT_FALSE(AdvanceAt(101));
    EXPECT_FALSE(AdvanceAt(202));
    EXPECT_EQ(cursor.frameIndex, 2);
    EXPECT_FALSE(AdvanceAt(252));
    EXPECT_TRUE(AdvanceAt(253));
    EXPECT_EQ(cursor.frameIndex, 2);
    EXPECT_FALSE(cursor.playing);
    EXPECT_FALSE(AdvanceAt(9999));
    EXPECT_EQ(cursor.frameIndex, 2);
    EXPECT_EQ(cursor.frameStart, 253u);
    cursor.Stop();
    EXPECT_EQ(cursor.frameIndex, 0);
    EXPECT_FALSE(cursor.playing);
}

TEST_F(CursorTest, WithLoopTheAnimationStartsOver)
{
    Start(0, 1.0f);
    cursor.loop = true;
    AdvanceAt(101);
    AdvanceAt(202);
    EXPECT_FALSE(AdvanceAt(253));
    EXPECT_EQ(cursor.frameIndex, 0);
    EXPECT_TRUE(cursor.playing);
    EXPECT_EQ(cursor.frameStart, 253u);
}

TEST_F(CursorTest, PlayRestartsAndBindKeepsPlayback)
{
    Start(0, 2.0f);
    AdvanceAt(51);
    ASSERT_EQ(cursor.frameIndex, 1);
    FrameTick = 70;
    cursor.Play();
    EXPECT_EQ(cursor.frameIndex, 0);
    EXPECT_EQ(cursor.frameStart, 70u);
    EXPECT_TRUE(cursor.playing);

    float other[1] = {10.0f};
    const AnimationTiming otherTiming = {1, other};
    cursor.rebind = true;
    cursor.frameIndex = 1;
    cursor.Bind(otherTiming);
    EXPECT_EQ(cursor.timing, &otherTiming);
    EXPECT_EQ(cursor.frameIndex, 0);
    EXPECT_FALSE(cursor.rebind);
    EXPECT_TRUE(cursor.playing);
    EXPECT_EQ(cursor.frameStart, 70u);
    EXPECT_EQ(cursor.speed, 2.0f);
}

TEST_F(CursorTest, AnUnboundOrStoppedCursorDoesNotMove)
{
    FrameTick = 5000;
    cursor.playing = true;
    EXPECT_FALSE(cursor.Advance());  // no timing
    EXPECT_EQ(cursor.frameIndex, 0);

    cursor.Bind(timing);
    cursor.playing = false;
    EXPECT_FALSE(cursor.Advance());
    EXPECT_EQ(cursor.frameIndex, 0);
    EXPECT_EQ(cursor.frameStart, 0u);
}

}  // namespace
