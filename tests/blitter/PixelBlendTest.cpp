// The one-pixel blends that every kernel shares.
#include "blitter/BlendTable.h"
#include "blitter/ReferenceRows.h"

#include <gtest/gtest.h>

namespace {

class PixelBlendTest : public ::testing::Test {
protected:
    void SetUp() override { FillBlendTable(); }
};

// Mask 0 goes through the 5-6-5 blend rather than around it, so the blend
// must give back the destination exactly, and 255 the source, for every value.
TEST_F(PixelBlendTest, FiveSixFiveAtTheEndWeightsReturnAnInputExactly)
{
    for (uint32_t d = 0; d < 65536; ++d) {
        const uint16_t s = static_cast<uint16_t>(d * 40503u);  // every value, in another order
        ASSERT_EQ(Blend565(static_cast<uint16_t>(d), s, 0), d) << std::hex << d;
        ASSERT_EQ(Blend565(static_cast<uint16_t>(d), s, 255), s) << std::hex << d;
    }
}

TEST_F(PixelBlendTest, ThirtyTwoBitBlendClearsTheTopByteAndKeepsChannelsApart)
{
    struct Case {
        uint32_t d, s, a, result;
    };
    const Case cases[] = {
        {0xFF000000, 0xFF000000, 128, 0x00000000},
        {0x00FF0000, 0x00000000, 128, 0x007F0000},  // red alone: nothing carries into the top byte
        {0x0000FF00, 0x000000FF, 128, 0x00007F80},
        {0x00FFFFFF, 0x00FFFFFF, 254, 0x00FFFFFF},  // the sum of the two products reaches 255 but no further
        {0x00010203, 0x00FDFEFF, 1, 0x00000103},    // truncation loses up to one per product
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Blend32(c.d, c.s, c.a), c.result) << std::hex << c.d << " " << c.s << " a=" << std::dec << c.a;
    }
}

}  // namespace
