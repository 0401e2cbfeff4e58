#include "gfx/BltFastClip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

struct Case {
    const char* name;
    int32_t x, y;
    bool hasRect;
    Rect rect;
    bool empty;
    int32_t landX, landY;
    Rect source;
};

}  // namespace

// A 100 x 100 source onto a 640 x 480 destination.
TEST(BltFastClip, ClipsToTheDestinationOnly)
{
    const int32_t big = std::numeric_limits<int32_t>::max();
    const Case cases[] = {
        {"left edge", -20, 10, false, {}, false, 0, 10, {20, 0, 100, 100}},
        {"bottom right", 600, 450, false, {}, false, 600, 450, {0, 0, 40, 30}},
        {"inside", 10, 20, false, {}, false, 10, 20, {0, 0, 100, 100}},
        {"rectangle lands at its own place", 5, 5, true, {10, 20, 30, 40}, false, 15, 25, {10, 20, 30, 40}},
        {"rectangle clipped", -20, 0, true, {10, 10, 50, 50}, false, 0, 10, {20, 10, 50, 50}},
        {"rectangle past the source is passed on", 0, 0, true, {0, 0, 200, 50}, false, 0, 0, {0, 0, 200, 50}},
        {"right of the destination", 640, 0, false, {}, true, 0, 0, {}},
        {"just touching the left edge", -100, 0, false, {}, true, 0, 0, {}},
        {"below the destination", 0, 480, false, {}, true, 0, 0, {}},
        {"inverted rectangle", 0, 0, true, {50, 50, 10, 10}, true, 0, 0, {}},
        {"far away", big, big, false, {}, true, 0, 0, {}},
        {"far away the other way", -big, 0, true, {big, 0, big, 10}, true, 0, 0, {}},
    };
    for (const Case& c : cases) {
        const BltFastClip clip = ClipBltFast(c.x, c.y, c.hasRect ? &c.rect : nullptr, 100, 100, 640, 480);
        EXPECT_EQ(clip.empty, c.empty) << c.name;
        if (c.empty || clip.empty) continue;
        EXPECT_EQ(clip.x, c.landX) << c.name;
        EXPECT_EQ(clip.y, c.landY) << c.name;
        EXPECT_EQ(clip.source.left, c.source.left) << c.name;
        EXPECT_EQ(clip.source.top, c.source.top) << c.name;
        EXPECT_EQ(clip.source.right, c.source.right) << c.name;
        EXPECT_EQ(clip.source.bottom, c.source.bottom) << c.name;
    }
}
