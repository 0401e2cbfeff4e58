#include "app/WindowGeometry.h"

#include <gtest/gtest.h>

TEST(WindowGeometry, FullScreenCoversTheScreenWithAPopup)
{
    const WindowGeometry geometry = MainWindowGeometry(true, 1024, 768);
    EXPECT_EQ(geometry.style, 0x80000000u);
    EXPECT_EQ(geometry.x, 0);
    EXPECT_EQ(geometry.y, 0);
    EXPECT_EQ(geometry.width, 1024);
    EXPECT_EQ(geometry.height, 768);
}

TEST(WindowGeometry, WindowedIsCentred640By480WithATitleBar)
{
    struct Case {
        int32_t screenWidth, screenHeight, x, y;
    };
    const Case cases[] = {
        {1024, 768, 192, 144},
        {640, 480, 0, 0},
        {1023, 767, 191, 143},  // the screen is halved first, in integers
        {320, 200, -160, -140},
    };
    for (const Case& c : cases) {
        const WindowGeometry geometry = MainWindowGeometry(false, c.screenWidth, c.screenHeight);
        EXPECT_EQ(geometry.style, 0x80C00000u);
        EXPECT_EQ(geometry.x, c.x) << c.screenWidth;
        EXPECT_EQ(geometry.y, c.y) << c.screenHeight;
        EXPECT_EQ(geometry.width, 640);
        EXPECT_EQ(geometry.height, 480);
    }
}
