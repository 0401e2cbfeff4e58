#include "gfx/PixelColor.h"

#include <gtest/gtest.h>

TEST(PixelColor, ColorRefBecomesRgbPixel)
{
    struct Case {
        uint32_t colorRef, pixel;
    };
    const Case cases[] = {
        {0x000000FFu, 0x00FF0000u},                                                          // red
        {0x00FF0000u, 0x000000FFu},                                                          // blue
        {0x0000FF00u, 0x0000FF00u},                                                          // green stays
        {0x00000000u, 0x00000000u}, {0x00112233u, 0x00332211u}, {0xFF123456u, 0x00563412u},  // the top byte is dropped
    };
    for (const Case& c : cases) EXPECT_EQ(PixelFromColorRef(c.colorRef), c.pixel) << std::hex << c.colorRef;
}
