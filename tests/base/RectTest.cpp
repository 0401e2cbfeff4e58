#include "base/Rect.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

void ExpectRect(const WideRect& rect, int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

// The clips of the device and of the frame drawer rely on these three: an
// intersection that shares nothing stays as the corners make it (never
// normalised to zeros), emptiness includes edges that meet and inverted
// rectangles, and a 64-bit translation of 32-bit corners never wraps.
TEST(RectTest, IntersectionKeepsTheCornersItMakes)
{
    const Rect surface{0, 0, 640, 480};
    ExpectRect(Rect{-5, 10, 700, 20}.Intersected(surface).As<int64_t>(), 0, 10, 640, 20);
    const Rect apart = Rect{700, 500, 800, 600}.Intersected(surface);
    ExpectRect(apart.As<int64_t>(), 700, 500, 640, 480);
    EXPECT_TRUE(apart.IsEmpty());
    EXPECT_TRUE((Rect{5, 5, 5, 9}.IsEmpty()));
    EXPECT_TRUE((Rect{0, 9, 64, 3}.IsEmpty()));
    EXPECT_FALSE((Rect{0, 0, 1, 1}.IsEmpty()));
}

TEST(RectTest, WideTranslationDoesNotWrap)
{
    const Rect far{INT32_MAX - 1, INT32_MIN, INT32_MAX, INT32_MIN + 1};
    const WideRect moved = far.As<int64_t>().Translated(INT32_MAX, INT32_MIN);
    ExpectRect(moved, int64_t{INT32_MAX} * 2 - 1, int64_t{INT32_MIN} * 2, int64_t{INT32_MAX} * 2,
               int64_t{INT32_MIN} * 2 + 1);
    EXPECT_TRUE(moved.Intersected({0, 0, 640, 480}).IsEmpty());
    ExpectRect(moved.Translated(-int64_t{INT32_MAX}, -int64_t{INT32_MIN}), far.left, far.top, far.right, far.bottom);
}

}  // namespace
