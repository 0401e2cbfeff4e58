// The blend table as FillBlendTable computes it (c times the float nearest
// 1/255, times r, truncated) against the integer formula floor(r x c / 255).
#include "blitter/BlendTable.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint8_t Entry(int r, int c)
{
    return BlendTable[r * 256 + c];
}

class BlendTableTest : public ::testing::Test {
protected:
    // Junk first, so that an entry the fill skips cannot pass by chance.
    void SetUp() override
    {
        std::memset(BlendTable, 0xA5, sizeof BlendTable);
        FillBlendTable();
    }
};

TEST_F(BlendTableTest, IsSixtyFiveThousandFiveHundredThirtySixBytes)
{
    EXPECT_EQ(sizeof BlendTable, 65536u);
}

TEST_F(BlendTableTest, TheFloatConstantGivesTheIntegerFormulaInEveryEntry)
{
    int wrong = 0;
    for (int r = 0; r < 256; ++r) {
        for (int c = 0; c < 256; ++c) {
            if (Entry(r, c) != r * c / 255 && ++wrong <= 5) {
                ADD_FAILURE() << "[" << r << "][" << c << "] = " << int(Entry(r, c)) << ", not " << r * c / 255;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(BlendTableTest, KnownEntriesComeFromTruncation)
{
    struct Known {
        int r, c, value;
    };
    const Known known[] = {
        {255, 255, 255}, {128, 255, 128}, {255, 128, 128}, {128, 128, 64}, {254, 254, 253},
        {1, 255, 1},     {1, 128, 0},     {200, 100, 78},  {100, 128, 50}, {100, 127, 49},
    };
    for (const Known& k : known) {
        EXPECT_EQ(Entry(k.r, k.c), k.value) << "[" << k.r << "][" << k.c << "]";
    }
}

TEST_F(BlendTableTest, IsSymmetricWithIdentityAndZeroColumns)
{
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(Entry(x, 255), x);
        EXPECT_EQ(Entry(x, 0), 0);
        for (int y = 0; y < 256; ++y) {
            ASSERT_EQ(Entry(x, y), Entry(y, x)) << x << ", " << y;
        }
    }
}

// A blended channel T[x][255 - a] + T[y][a] must fit in 8 bits for every input.
TEST_F(BlendTableTest, ABlendedChannelNeverExceeds255)
{
    for (int a = 0; a < 256; ++a) {
        int largestX = 0, largestY = 0;
        for (int v = 0; v < 256; ++v) {  // the entries grow with the channel value
            largestX = Entry(v, 255 - a) > largestX ? Entry(v, 255 - a) : largestX;
            largestY = Entry(v, a) > largestY ? Entry(v, a) : largestY;
        }
        EXPECT_LE(largestX + largestY, 255) << "a = " << a;
    }
}

TEST_F(BlendTableTest, RefillingWritesTheSameBytes)
{
    uint8_t first[sizeof BlendTable];
    std::memcpy(first, BlendTable, sizeof first);
    FillBlendTable();
    EXPECT_EQ(std::memcmp(first, BlendTable, sizeof first), 0);
}

}  // namespace
