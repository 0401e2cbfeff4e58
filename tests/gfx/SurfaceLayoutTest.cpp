#include "gfx/SurfaceLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 640 x 480 surface at 32 bits per pixel with the given pitch.
struct FakeSurface {
    explicit FakeSurface(int32_t pitch) : bytes(static_cast<size_t>(pitch) * 480), memory{bytes.data(), pitch, 640, 480}
    {
    }
    std::vector<uint8_t> bytes;
    SurfaceMemory memory;
    uint8_t* at(ptrdiff_t offset) { return bytes.data() + offset; }
};

}  // namespace

TEST(SurfaceLayout, WholeSurface)
{
    FakeSurface surface(2560);
    const SurfaceBuffer buffer = DescribeRect(surface.memory, WholeSurface(surface.memory), 32);
    EXPECT_EQ(buffer.firstPixel, surface.at(0));
    EXPECT_EQ(buffer.lastRowEnd, surface.at(2560 * 480));
    EXPECT_EQ(buffer.pitch, 2560);
    EXPECT_EQ(buffer.height, 480);
    EXPECT_EQ(buffer.width, 640);
    EXPECT_EQ(buffer.bitsPerPixel, 32);
}

TEST(SurfaceLayout, WiderPitchEndsTheLastRowAtItsRightEdge)
{
    FakeSurface surface(2600);
    const SurfaceBuffer buffer = DescribeRect(surface.memory, WholeSurface(surface.memory), 32);
    EXPECT_EQ(buffer.firstPixel, surface.at(0));
    EXPECT_EQ(buffer.lastRowEnd, surface.at(2560 + 2600 * 479));
    EXPECT_EQ(buffer.pitch, 2600);
    EXPECT_EQ(buffer.width, 640);
}

TEST(SurfaceLayout, RectangleInside)
{
    FakeSurface surface(2560);
    const SurfaceBuffer buffer = DescribeRect(surface.memory, {100, 50, 200, 150}, 32);
    EXPECT_EQ(buffer.firstPixel, surface.at(50 * 2560 + 400));
    EXPECT_EQ(buffer.lastRowEnd, surface.at(800 + 149 * 2560));
    EXPECT_EQ(buffer.height, 100);
    EXPECT_EQ(buffer.width, 100);
}

TEST(SurfaceLayout, SixteenBitPixelsAreTwoBytes)
{
    FakeSurface surface(2560);
    const SurfaceBuffer buffer = DescribeRect(surface.memory, {10, 1, 20, 3}, 16);
    EXPECT_EQ(buffer.firstPixel, surface.at(2560 + 20));
    EXPECT_EQ(buffer.lastRowEnd, surface.at(40 + 2 * 2560));
    EXPECT_EQ(buffer.bitsPerPixel, 16);
}

TEST(SurfaceLayout, ClampOnlyPullsEdgesIntoTheSurface)
{
    struct Case {
        Rect in, out;
    };
    const Case cases[] = {
        {{-10, -10, 700, 500}, {0, 0, 640, 480}},
        {{100, 50, 200, 150}, {100, 50, 200, 150}},
        {{0, 0, 640, 480}, {0, 0, 640, 480}},
        {{700, 500, 800, 600}, {700, 500, 640, 480}},  // outside stays empty (inverted), never moved
        {{-50, -50, -10, -10}, {0, 0, -10, -10}},
    };
    for (const Case& c : cases) {
        const Rect rect = ClampToSurface(c.in, 640, 480);
        EXPECT_EQ(rect.left, c.out.left);
        EXPECT_EQ(rect.top, c.out.top);
        EXPECT_EQ(rect.right, c.out.right);
        EXPECT_EQ(rect.bottom, c.out.bottom);
    }
}
