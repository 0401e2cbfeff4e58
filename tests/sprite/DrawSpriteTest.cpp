#include "SpriteFixtures.h"

#include "sprite/AnimationCursor.h"
#include "sprite/FrameBlit.h"

#include <cstring>

namespace {

// ---- Geometry: the addresses handed to the blitter -------------------------

// A 640 x 480 surface at 32 bits with pitch 2560 (M is its first pixel), and a
// 64 x 32 frame anchored at its middle.
class FramePlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame.width = 64;
        frame.height = 32;
        frame.anchorX = 32;
        frame.anchorY = 16;
        frame.pixelBytes = sizeof pixels;
        frame.pixels = pixels;
        frame.alphaMaskSize = sizeof mask;
        frame.alphaMask = mask;
        target = {M, M + sizeof surface, 2560, 480, 640, 32};
    }

    bool Place(int32_t x, int32_t y, const Rect* clip = nullptr)
    {
        return PlaceFrame(frame, target, x, y, clip, 32, blit);
    }

    uint8_t surface[2560 * 480] = {};
    uint8_t* const M = surface;
    uint8_t pixels[64 * 32 * 4] = {};
    uint8_t mask[64 * 32] = {};
    SpriteFrame frame = {};
    SurfaceBuffer target = {};
    FrameBlit blit = {};
};

TEST_F(FramePlacementTest, AWholeFrameLandsByItsAnchor)
{
    ASSERT_TRUE(Place(100, 100));  // covers (68, 84, 132, 116)
    EXPECT_EQ(blit.destination.firstPixel, M + 84 * 2560 + 68 * 4);
    EXPECT_EQ(blit.destination.lastRowEnd, M + 115 * 2560 + 132 * 4);
    EXPECT_EQ(blit.destination.width, 64);
    EXPECT_EQ(blit.destination.height, 32);
    EXPECT_EQ(blit.destination.pitch, 2560);
    EXPECT_EQ(blit.destination.bitsPerPixel, 32);
    EXPECT_EQ(blit.source.pixels, pixels);
    EXPECT_EQ(blit.source.alphaMask, mask);
    EXPECT_EQ(blit.source.pitch, 256);
    EXPECT_EQ(blit.source.alphaPitch, 64);
    EXPECT_EQ(blit.source.width, 64);
    EXPECT_EQ(blit.source.height, 32);
    EXPECT_EQ(blit.source.bitsPerPixel, 32);
    EXPECT_FALSE(blit.noColorkey);
}

TEST_F(FramePlacementTest, TheTopLeftCornerIsClipped)
{
    ASSERT_TRUE(Place(10, 5));  // lands at (-22, -11), visible (0, 0, 42, 21)
    EXPECT_EQ(blit.source.pixels, pixels + 11 * 256 + 22 * 4);
    EXPECT_EQ(blit.source.alphaMask, mask + 11 * 64 + 22);
    EXPECT_EQ(blit.destination.firstPixel, M);
    EXPECT_EQ(blit.destination.lastRowEnd, M + 20 * 2560 + 42 * 4);
    EXPECT_EQ(blit.destination.width, 42);
    EXPECT_EQ(blit.destination.height, 21);
    EXPECT_EQ(blit.source.pitch, 256);
}

TEST_F(FramePlacementTest, TheBottomRightCornerIsClipped)
{
    ASSERT_TRUE(Place(620, 470));  // lands at (588, 454), cut at x 640 and y 480
    EXPECT_EQ(blit.destination.firstPixel, M + 454 * 2560 + 588 * 4);
    EXPECT_EQ(blit.destination.lastRowEnd, M + 479 * 2560 + 640 * 4);
    EXPECT_EQ(blit.destination.width, 52);
    EXPECT_EQ(blit.destination.height, 26);
    EXPECT_EQ(blit.source.pixels, pixels);
}

TEST_F(FramePlacementTest, OnlyFramesWithSomethingVisibleReachTheBlitter)
{
    const struct {
        int32_t x, y;
        bool drawn;
    } cases[] = {
        {-32, 100, false},                     // right edge exactly 0: clipped to nothing
        {-33, 100, false},                     // right edge -1: rejected
        {-31, 100, true},  {672, 100, false},  // left edge 640
        {673, 100, false},                     // left edge 641: rejected
        {671, 100, true},  {100, -16, false}, {100, 496, false}, {100, -15, true}, {100, 495, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Place(c.x, c.y), c.drawn) << "at (" << c.x << ", " << c.y << ")";
    }
}

TEST_F(FramePlacementTest, OffsetAndAnchorCancel)
{
    frame.anchorX = 5;
    frame.offsetX = 5;
    frame.anchorY = -3;
    frame.offsetY = -3;
    ASSERT_TRUE(Place(200, 100));
    EXPECT_EQ(blit.destination.firstPixel, M + 100 * 2560 + 200 * 4);
}

TEST_F(FramePlacementTest, AClipRectangleIsClampedToTheFrame)
{
    const Rect inside = {10, 4, 20, 8};
    ASSERT_TRUE(Place(100, 100, &inside));  // frame at (68, 84)
    EXPECT_EQ(blit.destination.firstPixel, M + 88 * 2560 + 78 * 4);
    EXPECT_EQ(blit.destination.width, 10);
    EXPECT_EQ(blit.destination.height, 4);
    EXPECT_EQ(blit.source.pixels, pixels + 4 * 256 + 10 * 4);
    EXPECT_EQ(blit.source.alphaMask, mask + 4 * 64 + 10);

    const Rect beyond = {-10, -10, 1000, 1000};
    ASSERT_TRUE(Place(100, 100, &beyond));
    EXPECT_EQ(blit.source.pixels, pixels);
    EXPECT_EQ(blit.destination.width, 64);
    EXPECT_EQ(blit.destination.height, 32);

    for (const Rect& nothing :
         {Rect{5, 5, 5, 9}, Rect{20, 4, 10, 8}, Rect{0, 9, 64, 3}, Rect{64, 0, 80, 32}, Rect{-9, -9, -1, -1}}) {
        EXPECT_FALSE(Place(100, 100, &nothing))
            << nothing.left << " " << nothing.top << " " << nothing.right << " " << nothing.bottom;
    }
}

TEST_F(FramePlacementTest, TheMaskIsUsedOnlyWhenItCoversTheFrame)
{
    frame.alphaMaskSize = 0;
    ASSERT_TRUE(Place(100, 100));
    EXPECT_EQ(blit.source.alphaMask, nullptr);
    frame.alphaMaskSize = 64 * 32 - 1;
    ASSERT_TRUE(Place(100, 100));
    EXPECT_EQ(blit.source.alphaMask, nullptr);
}

TEST_F(FramePlacementTest, AFrameWithoutItsPixelsIsSkipped)
{
    frame.pixelBytes = 64 * 32 * 4 - 1;
    EXPECT_FALSE(Place(100, 100));
    frame.pixelBytes = 0;
    frame.pixels = nullptr;
    EXPECT_FALSE(Place(100, 100));
}

TEST(ColorKeyTest, TheKeyTakesTheDisplayLayout)
{
    EXPECT_EQ(DisplayColorKey(0x00302010, 32), 0x00102030u);
    EXPECT_EQ(DisplayColorKey(0x00302010, 16), 0x00001106u);
    EXPECT_EQ(DisplayColorKey(0x00FF00FF, 32), 0x00FF00FFu);
    EXPECT_EQ(DisplayColorKey(0x00FF00FF, 16), 0xFFFFF81Fu);
    EXPECT_EQ(DisplayColorKey(static_cast<int32_t>(0xAB000000), 32), 0u);  // the unused byte stays out
}

// ---- Pixels: DrawSprite through the blitter, with guard bytes around -------

constexpr size_t Guard = 64;
constexpr uint8_t GuardByte = 0xA5;

// A 640 x 480 surface inside guard bytes, and a model of what drawing must do.
struct Canvas {
    explicit Canvas(int depth) : bytesPerPixel(depth / 8), pitch(640 * depth / 8)
    {
        memory.assign(Guard + size_t(pitch) * 480 + Guard, GuardByte);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) Set(x, y, 0x00123456u + uint32_t(x * 7 + y * 13));
        }
    }

    SurfaceBuffer Target()
    {
        uint8_t* first = memory.data() + Guard;
        return {first, first + size_t(pitch) * 480, pitch, 480, 640, uint8_t(bytesPerPixel * 8)};
    }

    uint32_t Get(int x, int y) const
    {
        uint32_t value = 0;
        std::memcpy(&value, &memory[Guard + size_t(y) * pitch + size_t(x) * bytesPerPixel], bytesPerPixel);
        return value;
    }

    void Set(int x, int y, uint32_t value)
    {
        std::memcpy(&memory[Guard + size_t(y) * pitch + size_t(x) * bytesPerPixel], &value, bytesPerPixel);
    }

    int bytesPerPixel;
    int pitch;
    std::vector<uint8_t> memory;
};

// Mask bytes only 0 or 255 here: the blend itself is the blitter's to test.
void DrawModel(Canvas& canvas, const SpriteFrame& frame, int32_t x, int32_t y, const Rect* clip)
{
    const int left = x + frame.offsetX - frame.anchorX;
    const int top = y + frame.offsetY - frame.anchorY;
    const Rect all = {0, 0, frame.width, frame.height};
    const Rect part = clip ? *clip : all;
    const bool masked = frame.alphaMaskSize >= frame.width * frame.height && frame.alphaMask;
    const uint32_t key = DisplayColorKey(frame.colorKey, uint8_t(canvas.bytesPerPixel * 8));
    for (int fy = std::max(part.top, 0); fy < std::min<int>(part.bottom, frame.height); ++fy) {
        for (int fx = std::max(part.left, 0); fx < std::min<int>(part.right, frame.width); ++fx) {
            const int sx = left + fx, sy = top + fy;
            if (sx < 0 || sy < 0 || sx >= 640 || sy >= 480) continue;
            uint32_t source = 0;
            std::memcpy(&source, frame.pixels + (fy * frame.width + fx) * canvas.bytesPerPixel, canvas.bytesPerPixel);
            bool copy;
            if (masked) {
                copy = frame.alphaMask[fy * frame.width + fx] == 255;
            } else if (frame.flags & 1) {
                copy = true;
            } else {
                const uint32_t compared =
                    canvas.bytesPerPixel == 4 ? source : uint32_t(int32_t(int16_t(uint16_t(source))));
                copy = compared != key;
            }
            if (copy) canvas.Set(sx, sy, source);
        }
    }
}

class DrawSpriteTest : public ::testing::TestWithParam<int> {
protected:
    // A 64 x 32 frame anchored at its middle; every fifth pixel has the key
    // colour, whose red of 200 makes the 5-6-5 key negative.
    static constexpr uint32_t Key = 0xC81040;

    void SetUp() override
    {
        savedDepth = DisplayDepth;
        DisplayDepth = uint8_t(GetParam());
        FrameSource frame = PatternFrame(64, 32);
        frame.anchorX = 32;
        frame.anchorY = 16;
        frame.colorKey = Key;
        for (size_t i = 0; i < frame.pixels.size(); i += 5) frame.pixels[i] = Key;
        FrameSource opaque = frame;
        opaque.flags = 1;
        FrameSource masked = frame;
        for (size_t i = 0; i < frame.pixels.size(); ++i) masked.alphaMask.push_back(i % 3 ? 255 : 0);
        SpriteSource source;
        source.animations = {{"keyed", 0, {frame}},
                             {"opaque", 0, {opaque}},
                             {"masked", 0, {masked}},
                             {"two", 0, {opaque, frame}}};
        ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(source)));
    }

    void TearDown() override
    {
        sprite.FreeSprite();
        DisplayDepth = savedDepth;
    }

    SpriteFrame& Frame(int animation) { return sprite.animations[animation].frames[0]; }

    // Draws through DrawSprite and through the model, and compares every byte.
    void ExpectDrawn(const char* animation, int32_t x, int32_t y, const Rect* clip = nullptr)
    {
        Canvas drawn(GetParam()), expected(GetParam());
        const int index = sprite.FindAnimation(animation, 0);
        DrawModel(expected, sprite.animations[index].frames[0], x, y, clip);
        EXPECT_TRUE(sprite.DrawSprite(drawn.Target(), animation, 0, x, y, clip, nullptr));
        EXPECT_TRUE(drawn.memory == expected.memory) << animation << " at (" << x << ", " << y << ")";
    }

    Sprite sprite = {};
    uint8_t savedDepth = 32;
};

TEST_P(DrawSpriteTest, ColourKeyedFramesLeaveKeyPixelsOut)
{
    for (auto [x, y] : {std::pair{100, 100}, {10, 5}, {620, 470}, {-31, 300}}) ExpectDrawn("keyed", x, y);
    Canvas probe(GetParam());
    sprite.DrawSprite(probe.Target(), "keyed", 0, 100, 100, nullptr, nullptr);
    EXPECT_EQ(probe.Get(68, 84), Canvas(GetParam()).Get(68, 84));  // pixel 0 has the key colour
}

TEST_P(DrawSpriteTest, OpaqueFramesDrawKeyPixelsToo)
{
    for (auto [x, y] : {std::pair{100, 100}, {10, 5}, {620, 470}}) ExpectDrawn("opaque", x, y);
}

TEST_P(DrawSpriteTest, MaskedFramesBlend)
{
    for (auto [x, y] : {std::pair{100, 100}, {10, 5}, {620, 470}}) ExpectDrawn("masked", x, y);
}

TEST_P(DrawSpriteTest, AMaskThatIsTooShortOrHasNoSizeIsNotUsed)
{
    SpriteFrame& masked = Frame(2);
    const int32_t fullSize = masked.alphaMaskSize;
    masked.alphaMaskSize = fullSize - 1;
    Canvas shortMask(GetParam()), keyed(GetParam());
    sprite.DrawSprite(shortMask.Target(), "masked", 0, 100, 100, nullptr, nullptr);
    sprite.DrawSprite(keyed.Target(), "keyed", 0, 100, 100, nullptr, nullptr);
    EXPECT_TRUE(shortMask.memory == keyed.memory);
    masked.alphaMaskSize = 0;
    Canvas noSize(GetParam());
    sprite.DrawSprite(noSize.Target(), "masked", 0, 100, 100, nullptr, nullptr);
    EXPECT_TRUE(noSize.memory == keyed.memory);
    masked.alphaMaskSize = fullSize;
}

TEST_P(DrawSpriteTest, ClipRectanglesLimitWhatIsDrawn)
{
    const Rect inside = {3, 2, 40, 30};
    const Rect beyond = {-20, -20, 500, 500};
    ExpectDrawn("opaque", 100, 100, &inside);
    ExpectDrawn("keyed", 10, 5, &inside);
    ExpectDrawn("masked", 620, 470, &beyond);
    for (const Rect& nothing : {Rect{10, 10, 10, 20}, Rect{30, 2, 20, 30}, Rect{70, 0, 90, 32}}) {
        Canvas drawn(GetParam());
        EXPECT_TRUE(sprite.DrawSprite(drawn.Target(), "opaque", 0, 100, 100, &nothing, nullptr));
        EXPECT_TRUE(drawn.memory == Canvas(GetParam()).memory);
    }
}

TEST_P(DrawSpriteTest, NothingIsDrawnOffTheSurfaceOrWithoutAFrame)
{
    const Canvas untouched(GetParam());
    for (auto [x, y] : {std::pair{-32, 100}, {-33, 100}, {672, 100}, {673, 100}, {100, 496}, {-5000, -5000}}) {
        Canvas drawn(GetParam());
        EXPECT_TRUE(sprite.DrawSprite(drawn.Target(), "opaque", 0, x, y, nullptr, nullptr));
        EXPECT_TRUE(drawn.memory == untouched.memory) << "at (" << x << ", " << y << ")";
    }
    Canvas drawn(GetParam());
    EXPECT_FALSE(sprite.DrawSprite(drawn.Target(), "missing", 0, 100, 100, nullptr, nullptr));
    EXPECT_FALSE(sprite.DrawSprite(drawn.Target(), "opaque", 1, 100, 100, nullptr, nullptr));
    EXPECT_TRUE(drawn.memory == untouched.memory);
}

TEST_P(DrawSpriteTest, AFrameWithoutPixelsIsSkipped)
{
    SpriteFrame& frame = Frame(1);
    uint8_t* pixels = frame.pixels;
    const int32_t pixelBytes = frame.pixelBytes;
    frame.pixels = nullptr;
    frame.pixelBytes = 0;
    Canvas drawn(GetParam());
    EXPECT_TRUE(sprite.DrawSprite(drawn.Target(), "opaque", 0, 100, 100, nullptr, nullptr));
    EXPECT_TRUE(drawn.memory == Canvas(GetParam()).memory);
    frame.pixels = pixels;
    frame.pixelBytes = pixelBytes;
}

TEST_P(DrawSpriteTest, TheCursorChoosesTheFrame)
{
    AnimationCursor cursor;
    Canvas drawn(GetParam()), expected(GetParam());
    ASSERT_TRUE(sprite.DrawSprite(drawn.Target(), "two", 0, 100, 100, nullptr, &cursor));
    EXPECT_FALSE(cursor.rebind);
    cursor.frameIndex = 1;
    ASSERT_TRUE(sprite.DrawSprite(drawn.Target(), "two", 0, 300, 200, nullptr, &cursor));
    DrawModel(expected, sprite.animations[3].frames[0], 100, 100, nullptr);
    DrawModel(expected, sprite.animations[3].frames[1], 300, 200, nullptr);
    EXPECT_TRUE(drawn.memory == expected.memory);
}

TEST_P(DrawSpriteTest, APartialMaskBlendsThroughTheBlitter)
{
    SpriteFrame& masked = Frame(2);
    std::vector<uint8_t> saved(masked.alphaMask, masked.alphaMask + masked.alphaMaskSize);
    std::memset(masked.alphaMask, 128, masked.alphaMaskSize);
    std::memset(masked.pixels, 0, masked.pixelBytes);  // black over white
    Canvas drawn(GetParam());
    for (int x = 60; x < 80; ++x) drawn.Set(x, 90, GetParam() == 32 ? 0x00FFFFFF : 0xFFFF);
    sprite.DrawSprite(drawn.Target(), "masked", 0, 100, 100, nullptr, nullptr);
    EXPECT_EQ(drawn.Get(70, 90), GetParam() == 32 ? 0x007F7F7Fu : 0x7BEFu);
    std::memcpy(masked.alphaMask, saved.data(), saved.size());
}

INSTANTIATE_TEST_SUITE_P(Depths, DrawSpriteTest, ::testing::Values(32, 16),
                         [](const ::testing::TestParamInfo<int>& depth) {
                             return std::to_string(depth.param) + "Bits";
                         });

}  // namespace
