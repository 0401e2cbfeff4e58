// Every conversion kernel this processor can run against the plain kernel of
// its pair, bit for bit, at every length around the vector loops' edges and
// from every alignment; the stored bytes lie at the very end of their buffer
// and the display bytes are fenced, so that no kernel reads or writes past
// its pixels unseen (the sanitizer build reports such a read).
#include "sprite/PixelConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

const PixelConversionPath& PlainPath(const PixelConversionPath& path)
{
    size_t count = 0;
    const PixelConversionPath* paths = PixelConversionPaths(count);
    for (size_t i = 0; i < count; ++i) {
        if (paths[i].storedFormat == path.storedFormat && paths[i].depth == path.depth &&
            paths[i].needs == CpuFeature::None) {
            return paths[i];
        }
    }
    ADD_FAILURE() << "no plain kernel for format " << int(path.storedFormat) << " at depth " << int(path.depth);
    return path;
}

TEST(PixelConversionTest, EveryKernelAgreesWithThePlainOne)
{
    size_t count = 0;
    const PixelConversionPath* paths = PixelConversionPaths(count);
    std::mt19937 random(42);
    int tried = 0;
    for (size_t p = 0; p < count; ++p) {
        const PixelConversionPath& path = paths[p];
        if (path.needs == CpuFeature::None || !ThisProcessor().Has(path.needs)) continue;
        ++tried;
        const PixelConversionPath& plain = PlainPath(path);
        std::vector<size_t> lengths = {1000, 16384};
        for (size_t pixels = 0; pixels < 80; ++pixels) lengths.push_back(pixels);
        for (size_t pixels : lengths) {
            for (size_t shift = 0; shift < 4; ++shift) {
                std::vector<uint8_t> stored(pixels * path.storedBytes + shift);
                for (uint8_t& byte : stored) byte = static_cast<uint8_t>(random());
                const uint8_t* from = stored.data() + shift;  // ends exactly at the buffer's end
                const size_t displayBytes = pixels * path.displayBytes;
                std::vector<uint8_t> expected(displayBytes + 64, 0xEE), got(displayBytes + 64 + shift, 0xEE);
                plain.convert(expected.data(), from, pixels);
                path.convert(got.data() + shift, from, pixels);
                ASSERT_TRUE(std::equal(expected.begin(), expected.end(), got.begin() + long(shift)))
                    << "kernel " << p << ", " << pixels << " pixels, shifted " << shift;
                for (size_t i = 0; i < shift; ++i)
                    ASSERT_EQ(got[i], 0xEE) << "kernel " << p << " wrote before its pixels";
            }
        }
    }
    RecordProperty("vector kernels tried", tried);
#if defined(__x86_64__)
    EXPECT_GT(tried, 0) << "every x86-64 processor has SSE2";
#endif
}

TEST(PixelConversionTest, EachPairFindsAKernelThisProcessorRuns)
{
    for (const auto& [format, depth] : {std::pair<uint8_t, uint8_t>{0, 32}, {1, 32}, {0, 16}, {1, 16}}) {
        const PixelConversionPath* path = FindPixelConversion(format, depth);
        ASSERT_NE(path, nullptr);
        EXPECT_TRUE(ThisProcessor().Has(path->needs));
        EXPECT_EQ(path->storedBytes, format == 0 ? 2 : 3);
        EXPECT_EQ(path->displayBytes, depth / 8);
    }
    EXPECT_EQ(FindPixelConversion(2, 32), nullptr);
    EXPECT_EQ(FindPixelConversion(1, 24), nullptr);
    EXPECT_TRUE(ThisProcessor().Has(CpuFeature::None));
}

}  // namespace
