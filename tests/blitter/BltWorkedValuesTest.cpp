// Known results of the exported routines' blends, and the blend table that the
// library's entry point filled, read back through them.
#include "BlitModel.h"
#include "TestSurface.h"

#include <gtest/gtest.h>

namespace {

struct WorkedValue {
    int bytesPerPixel;
    uint32_t destination;
    uint32_t source;
    uint8_t alpha;
    uint32_t result;
};

const WorkedValue WorkedValues[] = {
    {4, 0x00FFFFFF, 0x00000000, 128, 0x007F7F7F},
    {4, 0x00000000, 0x00FFFFFF, 128, 0x00808080},
    {4, 0x00646464, 0x00646464, 128, 0x00636363},  // a channel blended with itself can drop by one
    {4, 0x00FFFFFF, 0x00FFFFFF, 128, 0x00FFFFFF},
    {4, 0xFF123456, 0x00ABCDEF, 1, 0x00113355},    // a blend clears the top byte
    {4, 0x11000000, 0x22000000, 255, 0x22000000},  // a copy keeps the source's
    {4, 0x11000000, 0x22000000, 0, 0x11000000},    // and mask 0 leaves the destination whole
    {2, 0xFFFF, 0x0000, 128, 0x7BEF},
    {2, 0x0000, 0xFFFF, 128, 0x7BEF},
    {2, 0xFFFF, 0xFFFF, 128, 0xF7DE},  // white over white darkens in 5-6-5
    {2, 0xF800, 0x001F, 128, 0x780F},
    {2, 0x1234, 0xABCD, 0, 0x1234},
    {2, 0x1234, 0xABCD, 255, 0xABCD},
};

TEST(BltWorkedValues, BothRoutinesBlendOnePixelToTheKnownResult)
{
    for (Routine routine : {Routine::Blt, Routine::NoColorkey}) {
        for (const WorkedValue& v : WorkedValues) {
            TestSurface destination(v.bytesPerPixel, 3, 3);
            TestSurface source(v.bytesPerPixel, 1, 1);
            TestSurface mask(1, 1, 1);
            destination.Fill(0x5A);
            destination.Set(1, 1, v.destination);
            source.Set(0, 0, v.source);
            mask.Set(0, 0, v.alpha);
            TestSurface expectedSurface = destination;
            expectedSurface.Set(1, 1, v.result);

            RoutineOf(routine)(destination.Rect(1, 1, 1, 1), SourceAt(source, 0, 0, &mask, v.source));

            EXPECT_EQ(destination.Get(1, 1), v.result) << NameOf(routine) << std::hex << " d=" << v.destination
                                                       << " s=" << v.source << " a=" << std::dec << int(v.alpha);
            EXPECT_EQ(FirstDifference(destination.bytes, expectedSurface.bytes), -1) << "wrote outside the pixel";
        }
    }
}

// With d = 0, a 32-bit channel value r in the source and a mask byte c, each
// channel of the blend is T[0][255 - c] + T[r][c] = T[r][c]; mask 0 leaves
// the 0 (T[r][0]) and mask 255 copies r (T[r][255]). So one 256 x 256 blit
// shows every entry of the table as the entry point left it.
TEST(BltWorkedValues, TheLoadedBlendTableHoldsTheTruncatedProducts)
{
    TestSurface destination(4, 256, 256);
    TestSurface source(4, 256, 256);
    TestSurface mask(1, 256, 256);
    for (int r = 0; r < 256; ++r) {
        for (int c = 0; c < 256; ++c) {
            destination.Set(c, r, 0);
            source.Set(c, r, static_cast<uint32_t>(r * 0x010101));
            mask.Set(c, r, static_cast<uint32_t>(c));
        }
    }

    Blt(destination.Rect(0, 0, 256, 256), SourceAt(source, 0, 0, &mask));

    int wrong = 0;
    for (int r = 0; r < 256; ++r) {
        for (int c = 0; c < 256; ++c) {
            const uint32_t entry = static_cast<uint32_t>(r * c / 255);
            if (destination.Get(c, r) != entry * 0x010101 && ++wrong <= 5) {
                ADD_FAILURE() << "T[" << r << "][" << c << "]: pixel " << std::hex << destination.Get(c, r);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
