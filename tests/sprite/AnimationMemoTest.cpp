// The remembered animation search against the plain one: the same animation,
// the same frame, the same cursor, step after step, whatever the drawable's
// name, direction, cursor and sprite do in between.
#include "SpriteFixtures.h"

#include "sprite/AnimationCursor.h"
#include "sprite/AnimationMemo.h"
#include "sprite/FrameTick.h"

#include <cstring>
#include <random>

namespace {

// Returns a name field as a drawable holds it: the text, its NUL, then `after`.
struct NameField {
    NameField(const char* text, const char* after = "")
    {
        std::strncpy(bytes, text, sizeof bytes - 1);
        std::strncpy(bytes + std::strlen(bytes) + 1, after, sizeof bytes - std::strlen(bytes) - 2);
    }
    AnimationName bytes = {};
};

// Every frame of every animation tells itself apart by its duration.
SpriteSource SpriteOf(const std::vector<std::pair<std::string, int32_t>>& keys, int32_t framesEach)
{
    SpriteSource source;
    for (size_t a = 0; a < keys.size(); ++a) {
        AnimationSource animation{keys[a].first, keys[a].second, {}};
        for (int32_t f = 0; f < framesEach; ++f) {
            FrameSource frame = PatternFrame(1, 1);
            frame.duration = int32_t(100 * a) + f;
            animation.frames.push_back(frame);
        }
        source.animations.push_back(animation);
    }
    return source;
}

void ExpectSameCursor(const AnimationCursor& plain, const AnimationCursor& remembered, int step)
{
    EXPECT_EQ(plain.rebind, remembered.rebind) << "step " << step;
    EXPECT_EQ(plain.frameIndex, remembered.frameIndex) << "step " << step;
    EXPECT_EQ(plain.playing, remembered.playing) << "step " << step;
    EXPECT_EQ(plain.frameStart, remembered.frameStart) << "step " << step;
    EXPECT_EQ(plain.timing, remembered.timing) << "step " << step;
}

class AnimationMemoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Many directions of one name, as the water floor has; an animation
        // twice (the first wins); names that differ only in case or length.
        std::vector<std::pair<std::string, int32_t>> keys;
        for (int32_t d = 0; d < 24; ++d) keys.push_back({"floor", d});
        keys.insert(
            keys.end(),
            {{"walk", 0}, {"walk", 1}, {"walk", 1}, {"Walk", 2}, {"run", 0}, {"walks", 0}, {"empty", 0}, {"floor", 3}});
        SpriteSource source = SpriteOf(keys, 4);
        for (AnimationSource& animation : source.animations) {
            if (animation.name == "empty") animation.frames.clear();
        }
        ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(source)));
        ASSERT_TRUE(ReadFromMemory(other, EncodeSpriteFile(SpriteOf({{"walk", 1}, {"floor", 3}, {"walk", 0}}, 2))));
    }

    void TearDown() override
    {
        sprite.FreeSprite();
        other.FreeSprite();
        FrameTick = 0;
    }

    Sprite sprite = {};
    Sprite other = {};
};

TEST_F(AnimationMemoTest, FindsWhatTheSearchFinds)
{
    struct Step {
        const Sprite* in;
        NameField name;
        int32_t direction;
    };
    const Sprite* s = &sprite;
    const Sprite* o = &other;
    const Step steps[] = {
        {s, {"walk"}, 0},  {s, {"walk"}, 0},      {s, {"walk"}, 1},      {s, {"walk"}, 1},    // the first of two
        {s, {"floor"}, 3}, {s, {"floor"}, 3},     {s, {"floor"}, 23},    {s, {"floor"}, 24},  // past the last
        {s, {"Walk"}, 0},  {s, {"Walk"}, 2},      {s, {"walk"}, 2},      {s, {"wal"}, 0},     // case, length
        {s, {"walks"}, 0}, {s, {"walk", "s"}, 0}, {s, {"walk", "s"}, 0},                      // bytes after the NUL
        {s, {"run"}, 0},   {o, {"run"}, 0},       {o, {"walk"}, 0},      {s, {"walk"}, 0},    // another sprite
        {o, {"floor"}, 3}, {s, {"floor"}, 3},     {s, {""}, 0},          {s, {"walk"}, -1},
        {s, {"empty"}, 0}, {s, {"empty"}, 0},     {s, {"floor"}, 0},     {o, {"floor"}, 0},
    };
    AnimationMemo memo;
    int step = 0;
    for (const Step& at : steps) {
        EXPECT_EQ(memo.Find(*at.in, at.name.bytes, at.direction), at.in->FindAnimation(at.name.bytes, at.direction))
            << "step " << step << ": " << at.name.bytes << " " << at.direction;
        ++step;
    }
}

TEST_F(AnimationMemoTest, AnAnimationNamePaddedOtherwiseIsStillFound)
{
    // The file keeps whatever follows the NUL; the search ignores it.
    std::memcpy(sprite.animations[25].name, "walk\0xyz", 8);
    AnimationMemo memo;
    const NameField walk("walk");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(memo.Find(sprite, walk.bytes, 1), 25);
    EXPECT_EQ(memo.Find(sprite, walk.bytes, 0), 24);
}

// Random drawables against random cursor traffic: the memo's frames and the
// cursor it leaves are the plain lookup's, at every step.
TEST_F(AnimationMemoTest, FramesAndCursorsMatchThePlainLookup)
{
    const NameField names[] = {{"walk"}, {"Walk"}, {"floor"}, {"run"}, {"empty"}, {"walk", "x"}, {"jump"}};
    const Sprite* sprites[] = {&sprite, &other};
    std::mt19937 random(20240611);
    AnimationCursor plainCursor, memoCursor;
    plainCursor.speed = memoCursor.speed = 10.0f;
    AnimationMemo memo;
    size_t name = 0, in = 0;
    int32_t direction = 0;

    for (int step = 0; step < 4000; ++step) {
        switch (random() % 8) {
        case 0: name = random() % std::size(names); break;
        case 1: direction = int32_t(random() % 6) - 1; break;
        case 2: in = random() % 2; break;
        case 3:  // a step starts: bind anew, play from now
            plainCursor.rebind = memoCursor.rebind = true;
            plainCursor.Play();
            memoCursor.Play();
            break;
        case 4: {  // any index, in range or not
            const int32_t index = int32_t(random() % 8) - 2;
            plainCursor.frameIndex = memoCursor.frameIndex = index;
            break;
        }
        case 5:
            FrameTick += random() % 40;
            EXPECT_EQ(plainCursor.Advance(), memoCursor.Advance()) << "step " << step;
            break;
        default: break;  // the same drawable again
        }
        const Sprite& drawn = *sprites[in];
        const SpriteFrame* plain = drawn.GetCurrentFrame(names[name].bytes, direction, &plainCursor);
        const SpriteFrame* remembered = memo.CurrentFrame(drawn, names[name].bytes, direction, &memoCursor);
        ASSERT_EQ(plain, remembered) << "step " << step << ": " << names[name].bytes << " " << direction;
        ExpectSameCursor(plainCursor, memoCursor, step);
        // Without a cursor: the first frame.
        ASSERT_EQ(drawn.GetCurrentFrame(names[name].bytes, direction, nullptr),
                  memo.CurrentFrame(drawn, names[name].bytes, direction, nullptr))
            << "step " << step;
    }
}

TEST_F(AnimationMemoTest, ACursorRebindsToAnotherDirectionWhenTheLookupWould)
{
    AnimationCursor plainCursor, memoCursor;
    AnimationMemo memo;
    const NameField walk("walk");
    for (int32_t direction : {0, 1, 0}) {
        plainCursor.rebind = memoCursor.rebind = true;
        plainCursor.frameIndex = memoCursor.frameIndex = 3;  // binding starts over at 0
        for (int frame = 0; frame < 2; ++frame) {
            EXPECT_EQ(sprite.GetCurrentFrame(walk.bytes, direction, &plainCursor),
                      memo.CurrentFrame(sprite, walk.bytes, direction, &memoCursor));
            ExpectSameCursor(plainCursor, memoCursor, direction);
            plainCursor.frameIndex = memoCursor.frameIndex = 2;
        }
        EXPECT_EQ(memoCursor.timing, &sprite.animations[direction == 0 ? 24 : 25].timing);
    }
    // A name that finds nothing leaves the cursor bound where it was.
    memoCursor.rebind = true;
    EXPECT_EQ(memo.CurrentFrame(sprite, walk.bytes, 5, &memoCursor), nullptr);
    EXPECT_TRUE(memoCursor.rebind);
    EXPECT_EQ(memoCursor.timing, &sprite.animations[24].timing);
}

TEST(AnimationMemoTableTest, CoversEveryDrawableAndKeepsItsMemosWhileTheyFit)
{
    AnimationMemoTable table;
    AnimationMemo* first = table.Cover(3);
    ASSERT_NE(first, nullptr);
    first[2].index = 7;
    EXPECT_EQ(table.Cover(2), first);
    EXPECT_EQ(table.Cover(3)[2].index, 7);
    AnimationMemo* grown = table.Cover(1000);
    ASSERT_NE(grown, nullptr);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(grown[i].sprite, nullptr);
}

}  // namespace
