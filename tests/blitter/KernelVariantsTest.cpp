// Every vector kernel against the reference kernel of its path, byte for
// byte, called directly whatever the dispatcher would pick: the blends over
// every (destination, source, mask) channel triple, and every kernel over
// random rectangles with odd widths, unaligned starts, pitches of their own
// and noise around the destination. A kernel this CPU cannot run is skipped,
// and says so.
#include "TestSurface.h"
#include "blitter/BlendTable.h"
#include "blitter/BlitPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// The vector rows of the table; with `distinct`, each kernel once (the two
// routines share their blends).
std::vector<const BlitPath*> VectorPaths(int bytesPerPixel = 0, bool masked = false, bool distinct = false)
{
    std::vector<const BlitPath*> paths;
    for (size_t i = 0; i < BlitPathCount; ++i) {
        const BlitPath& row = BlitPaths[i];
        if (row.needs == CpuFeature::None) continue;
        if (bytesPerPixel != 0 && (row.bytesPerPixel != bytesPerPixel || row.masked != masked)) continue;
        bool seen = false;
        for (const BlitPath* p : paths) seen = seen || (distinct && p->kernel == row.kernel);
        if (!seen) paths.push_back(&row);
    }
    return paths;
}

std::string TestName(const ::testing::TestParamInfo<const BlitPath*>& info)
{
    std::string name = std::string(info.param->routine == Routine::Blt ? "Blt_" : "NoColorkey_") + info.param->name;
    for (char& c : name) {
        if (c == ':') c = '_';
    }
    return name;
}

int Between(std::mt19937& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

class VariantTest : public ::testing::TestWithParam<const BlitPath*> {
protected:
    void SetUp() override
    {
        FillBlendTable();
        path = GetParam();
        reference = &FindPath(path->routine, path->bytesPerPixel, path->masked, CpuFeatures{});
        if (!DetectCpuFeatures().Has(path->needs)) {
            GTEST_SKIP() << path->name << " not run: this CPU has no " << NameOf(path->needs);
        }
        std::printf("[ EXERCISED] %s (%s), against %s\n", path->name, NameOf(path->needs), reference->name);
    }

    // Runs the kernel under test and the reference on two copies of
    // `destination` and compares the whole surfaces, guard rows included.
    void ExpectSameBytes(TestSurface& destination, const SurfaceBuffer& rect, const BlitSource& source,
                         const std::string& what)
    {
        TestSurface expected = destination;
        reference->kernel(Rebase(rect, destination, expected), source);
        path->kernel(rect, source);
        const long at = FirstDifference(destination.bytes, expected.bytes);
        ASSERT_EQ(at, -1) << path->name << " differs from " << reference->name << ", " << what << ": byte " << at;
    }

    const BlitPath* path = nullptr;
    const BlitPath* reference = nullptr;
};

// 256 passes over a row of 65,536 pixels: in every channel the destination
// and source values run through all 256 x 256 pairs (in each channel in
// another order), and every pixel meets every mask byte, its neighbours
// others, so that no group of pixels is all transparent or all opaque. The
// top bytes carry noise: the rules for a = 0, a = 255 and a blend's cleared
// top byte are all checked.
using Blend32Variant = VariantTest;
using Blend565Variant = VariantTest;
using AnyVariant = VariantTest;

TEST_P(Blend32Variant, BlendsEveryChannelTripleAsTheReferenceDoes)
{
    const int width = 65536;
    TestSurface destination(4, width, 1, 0);
    TestSurface source(4, width, 1, 0);
    TestSurface mask(1, width, 1, 0);
    for (int a = 0; a < 256; ++a) {
        for (uint32_t i = 0; i < static_cast<uint32_t>(width); ++i) {
            const uint32_t high = i >> 8, low = i & 0xFF;
            destination.Set(i, 0, ((i * 2654435761u) & 0xFF000000) | (high ^ 0x5A) << 16 | low << 8 | high);
            source.Set(i, 0, (i * 40503u) << 24 | (low ^ 0xA5) << 16 | high << 8 | low);
            mask.At(i, 0)[0] = static_cast<uint8_t>(a + i);
        }
        ExpectSameBytes(destination, destination.Rect(0, 0, width, 1), SourceAt(source, 0, 0, &mask),
                        "pass " + std::to_string(a));
        if (HasFatalFailure()) return;
    }
}

// The same for 5-6-5: 4,096 pixels a row cover every pair of red, green
// and blue values; row a gives pixel i the mask byte a + i.
TEST_P(Blend565Variant, BlendsEveryChannelTripleAsTheReferenceDoes)
{
    const int width = 4096;
    TestSurface destination(2, width, 256, 0);
    TestSurface source(2, width, 256, 0);
    TestSurface mask(1, width, 256, 0);
    for (int a = 0; a < 256; ++a) {
        for (uint32_t i = 0; i < static_cast<uint32_t>(width); ++i) {
            const uint32_t high = i >> 6, low = i & 0x3F;
            destination.Set(i, a, (high & 0x1F) << 11 | high << 5 | (low & 0x1F));
            source.Set(i, a, (low & 0x1F) << 11 | low << 5 | (high & 0x1F));
            mask.At(i, a)[0] = static_cast<uint8_t>(a + i);
        }
    }
    ExpectSameBytes(destination, destination.Rect(0, 0, width, 256), SourceAt(source, 0, 0, &mask), "all triples");
}

// A mask of runs: long enough to make whole groups transparent or opaque,
// short enough to mix them with partial weights inside a group.
void FillMaskInRuns(TestSurface& mask, std::mt19937& random)
{
    size_t i = 0;
    while (i < mask.bytes.size()) {
        const int kind = Between(random, 0, 3);
        const size_t run = static_cast<size_t>(Between(random, 1, 40));
        for (size_t end = std::min(i + run, mask.bytes.size()); i < end; ++i) {
            const uint8_t partial = static_cast<uint8_t>(Between(random, 1, 254));
            const uint8_t mixed = static_cast<uint8_t>(Between(random, 0, 2) == 0 ? 0 : Between(random, 0, 255));
            mask.bytes[i] = kind == 0 ? 0 : kind == 1 ? 255 : kind == 2 ? partial : mixed;
        }
    }
}

// The key planted in runs of source pixels; for 5-6-5 sometimes in the form
// that matches nothing (a pixel with bit 15 set, not widened as signed).
uint32_t PlantKeyInRuns(TestSurface& source, std::mt19937& random)
{
    const uint32_t pixel = source.bytesPerPixel == 4 ? static_cast<uint32_t>(random()) : random() & 0xFFFF;
    const size_t pixels = source.bytes.size() / source.bytesPerPixel;
    for (size_t i = 0; i < pixels;) {
        const bool keyed = Between(random, 0, 1) == 0;
        for (size_t end = std::min(i + static_cast<size_t>(Between(random, 1, 30)), pixels); i < end; ++i) {
            if (keyed) std::memcpy(source.bytes.data() + i * source.bytesPerPixel, &pixel, source.bytesPerPixel);
        }
    }
    if (source.bytesPerPixel == 4) return pixel;
    return Between(random, 0, 3) == 0 ? pixel : static_cast<uint32_t>(static_cast<int16_t>(pixel));
}

TEST_P(AnyVariant, MatchesTheReferenceOnRandomRectangles)
{
    const int size = path->bytesPerPixel;
    std::mt19937 random(0x5EED + static_cast<unsigned>(path - BlitPaths));
    for (int trial = 0; trial < 400; ++trial) {
        const int width = Between(random, 0, 3) == 0 ? Between(random, 1, 20) : Between(random, 1, 300);
        const int rows = Between(random, 1, 5);
        const int x = Between(random, 0, 9);
        // Row padding of any byte count: rows start at every alignment, also
        // ones that are not a whole number of pixels from a boundary.
        TestSurface destination(size, x + width + Between(random, 0, 3), rows + 1, Between(random, 0, 17));
        const int frameX = Between(random, 0, 9);
        TestSurface frame(size, frameX + width, rows, Between(random, 0, 17));
        TestSurface mask(1, frameX + width + Between(random, 0, 5), rows, Between(random, 0, 17));
        destination.FillNoise(random);
        frame.FillNoise(random);
        FillMaskInRuns(mask, random);
        const uint32_t key = PlantKeyInRuns(frame, random);

        BlitSource source = SourceAt(frame, frameX, 0, path->masked ? &mask : nullptr, key);
        if (Between(random, 0, 3) == 0) {  // a frame stored bottom-up
            source.pixels = frame.At(frameX, rows - 1);
            source.pitch = -frame.pitch;
            if (path->masked) {
                source.alphaMask = mask.At(frameX, rows - 1);
                source.alphaPitch = -mask.pitch;
            }
        }
        const std::string what = "trial " + std::to_string(trial) + ", " + std::to_string(width) + " x " +
                                 std::to_string(rows) + " at (" + std::to_string(x) + ", 1), destination pitch " +
                                 std::to_string(destination.pitch);
        ExpectSameBytes(destination, destination.Rect(x, 1, width, rows), source, what);
        if (HasFatalFailure()) return;
    }
}

// Every row length up to a few of the widest steps, and a few rows of 2 KB
// and more, starting at every byte of a 16-byte block: with a pitch of whole
// blocks, which keeps every row at the first row's alignment, and with a
// pitch that moves each row by a pixel.
TEST_P(AnyVariant, MatchesTheReferenceAtEveryRowLengthAndAlignment)
{
    const int size = path->bytesPerPixel;
    std::mt19937 random(0xA11C + static_cast<unsigned>(path - BlitPaths));
    std::vector<int> widths;
    for (int width = 0; width <= 80; ++width) widths.push_back(width);
    for (int width : {2048 / size - 1, 2048 / size, 2048 / size + 1}) widths.push_back(width);
    const int rows = 3;
    for (int width : widths) {
        for (int alignment = 0; alignment < 16; ++alignment) {
            for (bool rowsAlike : {true, false}) {
                const int rowBytes = (width + 16) * size;
                const int padding = (16 - rowBytes % 16) % 16 + (rowsAlike ? 0 : size);
                TestSurface destination(size, width + 16, rows + 1, padding);
                TestSurface frame(size, width + 1, rows, Between(random, 0, 17));
                TestSurface mask(1, width + 1, rows, Between(random, 0, 17));
                destination.FillNoise(random);
                frame.FillNoise(random);
                FillMaskInRuns(mask, random);
                const uint32_t key = PlantKeyInRuns(frame, random);

                uint8_t* const row = destination.At(0, 1);
                SurfaceBuffer rect = destination.Rect(0, 1, width, rows);
                rect.firstPixel = row + (alignment - reinterpret_cast<uintptr_t>(row) % 16 + 16) % 16;
                rect.lastRowEnd = rect.firstPixel + (rows - 1) * destination.pitch + width * size;
                const BlitSource source = SourceAt(frame, 1, 0, path->masked ? &mask : nullptr, key);
                ExpectSameBytes(destination, rect, source,
                                std::to_string(width) + " pixels at " + std::to_string(alignment) +
                                    " bytes past a 16-byte boundary, pitch " + std::to_string(destination.pitch));
                if (HasFatalFailure()) return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, Blend32Variant, ::testing::ValuesIn(VectorPaths(4, true, true)), TestName);
INSTANTIATE_TEST_SUITE_P(Kernels, Blend565Variant, ::testing::ValuesIn(VectorPaths(2, true, true)), TestName);
INSTANTIATE_TEST_SUITE_P(Kernels, AnyVariant, ::testing::ValuesIn(VectorPaths()), TestName);
// A build with the reference kernels only has no variants to run.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Blend32Variant);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Blend565Variant);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(AnyVariant);

}  // namespace
