// The exported routines at the edges: the row bound, empty rectangles, the
// colour-key compares, mask 0, and pitches that differ or run backwards.
#include "BlitModel.h"
#include "TestSurface.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Describe(const ExportedPath& path)
{
    return std::string(NameOf(path.routine)) + (path.bytesPerPixel == 4 ? " 32-bit" : " 5-6-5") +
           (path.masked ? " with mask" : " without mask");
}

// A 4 x 3 rectangle at (2, 1) of an 8 x 5 surface, noise everywhere; the
// source's first pixel is its own key, so the keyed path copies some and skips some.
struct RectScene {
    static constexpr int x = 2, y = 1, width = 4, height = 3;
    TestSurface destination;
    TestSurface source;
    TestSurface mask;

    explicit RectScene(int bytesPerPixel, unsigned seed = 1)
        : destination(bytesPerPixel, 8, 5), source(bytesPerPixel, 6, 5, 7), mask(1, 6, 5, 5)
    {
        std::mt19937 random(seed);
        destination.FillNoise(random);
        source.FillNoise(random);
        mask.FillNoise(random);
        source.Set(3, 2, source.Get(1, 1));
    }
    BlitSource Source(bool masked) const
    {
        const uint32_t first = source.Get(1, 1);
        const uint32_t key = source.bytesPerPixel == 4 ? first : static_cast<uint32_t>(static_cast<int16_t>(first));
        return SourceAt(source, 1, 1, masked ? &mask : nullptr, key);
    }
};

struct RowBound {
    const char* what;
    int boundRow;  // lastRowEnd = firstPixel + boundRow x pitch + boundPixels x pixel size + boundBytes
    int boundPixels;
    int boundBytes;
    int rowsWritten;
};

TEST(BltEdgeCases, TheRowBoundIsAnAddressCompareMadeBeforeEveryRow)
{
    const RowBound bounds[] = {
        {"at firstPixel", 0, 0, 0, 0},
        {"one byte below firstPixel", 0, 0, -1, 0},
        {"a row below firstPixel", -1, 0, 0, 0},
        {"one byte into the first row", 0, 0, 1, 1},
        {"at the start of the last row", 2, 0, 0, 2},
        {"one byte into the last row", 2, 0, 1, 3},
        {"one pixel past the last row's right edge", 2, RectScene::width, 0, 3},
        {"just before the row after the last", 3, 0, -1, 3},
        {"at the start of the row after the last", 3, 0, 0, 3},
        {"one byte into the row after the last", 3, 0, 1, 4},
    };
    for (const ExportedPath& path : AllPaths) {
        for (const RowBound& bound : bounds) {
            RectScene scene(path.bytesPerPixel);
            SurfaceBuffer destination =
                scene.destination.Rect(RectScene::x, RectScene::y, RectScene::width, RectScene::height);
            destination.lastRowEnd = destination.firstPixel + bound.boundRow * destination.pitch +
                                     bound.boundPixels * path.bytesPerPixel + bound.boundBytes;
            const BlitSource source = scene.Source(path.masked);
            const std::vector<uint8_t> expected =
                Expected(path.routine, scene.destination, destination, source, bound.rowsWritten);

            RoutineOf(path.routine)(destination, source);

            EXPECT_EQ(FirstDifference(scene.destination.bytes, expected), -1)
                << Describe(path) << ", lastRowEnd " << bound.what << ": expected " << bound.rowsWritten << " rows";
        }
    }
}

TEST(BltEdgeCases, AWidthOfZeroWritesNothing)
{
    for (const ExportedPath& path : AllPaths) {
        RectScene scene(path.bytesPerPixel);
        const std::vector<uint8_t> before = scene.destination.bytes;
        SurfaceBuffer destination =
            scene.destination.Rect(RectScene::x, RectScene::y, RectScene::width, RectScene::height);
        destination.width = 0;

        RoutineOf(path.routine)(destination, scene.Source(path.masked));

        EXPECT_EQ(FirstDifference(scene.destination.bytes, before), -1) << Describe(path);
    }
}

// One row of source pixels against a key; `copied` says which pixels must land.
struct KeyCase {
    const char* what;
    int bytesPerPixel;
    uint32_t colorKey;
    uint32_t pixels[3];
    bool copied[3];
};

TEST(BltEdgeCases, TheColourKeyComparesEveryBitOfTheWidenedPixel)
{
    const KeyCase cases[] = {
        {"32-bit: the top byte takes part", 4, 0x0000FF00, {0xFF00FF00, 0x0000FF00, 0x00123456}, {true, false, true}},
        {"32-bit: a key with a top byte", 4, 0x80FFFFFF, {0x00FFFFFF, 0x80FFFFFF, 0x00000000}, {true, false, true}},
        {"5-6-5: bit 15 set, key widened as signed", 2, 0xFFFFF81F, {0xF81F, 0x1234, 0x781F}, {false, true, true}},
        {"5-6-5: bit 15 set, key zero-extended", 2, 0x0000F81F, {0xF81F, 0x1234, 0x781F}, {true, true, true}},
        {"5-6-5: bit 15 clear", 2, 0x0000781F, {0xF81F, 0x1234, 0x781F}, {true, true, false}},
        {"5-6-5: the high half of a key is compared", 2, 0x0001781F, {0xF81F, 0x1234, 0x781F}, {true, true, true}},
    };
    for (const KeyCase& c : cases) {
        TestSurface destination(c.bytesPerPixel, 3, 1);
        TestSurface source(c.bytesPerPixel, 3, 1);
        destination.Fill(0xC3);
        const uint32_t untouched = destination.Get(0, 0);
        for (int i = 0; i < 3; ++i) source.Set(i, 0, c.pixels[i]);

        Blt(destination.Rect(0, 0, 3, 1), SourceAt(source, 0, 0, nullptr, c.colorKey));

        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(destination.Get(i, 0), c.copied[i] ? c.pixels[i] : untouched) << c.what << ", pixel " << i;
        }
    }
}

TEST(BltEdgeCases, BltNoColorkeyCopiesWhateverTheKey)
{
    for (int bytesPerPixel : {4, 2}) {
        RectScene reference(bytesPerPixel);
        const BlitSource source = reference.Source(false);
        const uint32_t keys[] = {0, 0xFFFFFFFF, source.colorKey, reference.source.Get(2, 1), 0xFFFFF81F};
        for (uint32_t key : keys) {
            RectScene scene(bytesPerPixel);
            BlitSource keyed = scene.Source(false);
            keyed.colorKey = key;

            Blt_NoColorkey(scene.destination.Rect(RectScene::x, RectScene::y, RectScene::width, RectScene::height),
                           keyed);

            for (int y = 0; y < RectScene::height; ++y) {
                for (int x = 0; x < RectScene::width; ++x) {
                    EXPECT_EQ(scene.destination.Get(RectScene::x + x, RectScene::y + y), scene.source.Get(1 + x, 1 + y))
                        << bytesPerPixel * 8 << "-bit, key " << std::hex << key;
                }
            }
        }
    }
}

// Under mask 0 the 5-6-5 path still writes, so its blend must give back
// every destination value exactly; the 32-bit path must not write at all.
TEST(BltEdgeCases, MaskZeroKeepsEveryDestinationPixelExactly)
{
    for (int bytesPerPixel : {2, 4}) {
        std::mt19937 random(7);
        TestSurface destination(bytesPerPixel, 256, 256);
        TestSurface source(bytesPerPixel, 256, 256);
        TestSurface mask(1, 256, 256);
        destination.FillNoise(random);
        source.FillNoise(random);
        mask.Fill(0);
        for (int v = 0; v < 65536; ++v) {
            // Every 5-6-5 value once; 32-bit pixels with a top byte of their own.
            destination.Set(v % 256, v / 256, bytesPerPixel == 2 ? v : 0xFF000000u | (v * 2654435761u >> 8));
        }
        const std::vector<uint8_t> before = destination.bytes;

        for (Routine routine : {Routine::Blt, Routine::NoColorkey}) {
            RoutineOf(routine)(destination.Rect(0, 0, 256, 256), SourceAt(source, 0, 0, &mask));
            EXPECT_EQ(FirstDifference(destination.bytes, before), -1) << NameOf(routine) << ", " << bytesPerPixel * 8;
        }
    }
}

// A frame 8 pixels wide: its pixels 4 x 8 bytes apart, its mask 8 bytes, the
// destination 4 x 20. A checkerboard mask of 0 and 255 lands as a checkerboard
// only if each of the three advances by its own pitch.
TEST(BltEdgeCases, SourceMaskAndDestinationRowsAdvanceByTheirOwnPitches)
{
    constexpr int frameWidth = 8, rows = 5;
    TestSurface frame(4, frameWidth, rows, 0);
    TestSurface mask(1, frameWidth, rows, 0);
    TestSurface destination(4, 20, rows + 2, 0);
    destination.Fill(0x77);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            frame.Set(x, y, static_cast<uint32_t>(0x00100000 * y + x));
            mask.Set(x, y, (x + y) % 2 ? 255 : 0);
        }
    }
    ASSERT_EQ(frame.pitch, 4 * frameWidth);
    ASSERT_EQ(mask.pitch, frameWidth);

    // The right-hand 5 columns of the frame onto (3, 1).
    Blt(destination.Rect(3, 1, 5, rows), SourceAt(frame, 3, 0, &mask));

    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool opaque = (x + 3 + y) % 2 != 0;
            EXPECT_EQ(destination.Get(3 + x, 1 + y), opaque ? frame.Get(3 + x, y) : 0x77777777u)
                << "row " << y << ", column " << x;
        }
    }
}

// Source and mask pitches are signed: a frame stored bottom-up is read upwards.
TEST(BltEdgeCases, NegativeSourceAndMaskPitchesReadRowsUpwards)
{
    for (const ExportedPath& path : AllPaths) {
        RectScene scene(path.bytesPerPixel, 3);
        BlitSource source = scene.Source(path.masked);
        source.pixels = scene.source.At(1, 4);
        source.pitch = -scene.source.pitch;
        if (path.masked) {
            source.alphaMask = scene.mask.At(1, 4);
            source.alphaPitch = -scene.mask.pitch;
        }
        const SurfaceBuffer destination =
            scene.destination.Rect(RectScene::x, RectScene::y, RectScene::width, RectScene::height);
        const std::vector<uint8_t> expected =
            Expected(path.routine, scene.destination, destination, source, RectScene::height);

        RoutineOf(path.routine)(destination, source);

        EXPECT_EQ(FirstDifference(scene.destination.bytes, expected), -1) << Describe(path);
    }
}

// Only 32 selects 4-byte pixels; a null mask selects the mask-less paths
// whatever alphaPitch says.
TEST(BltEdgeCases, EveryDepthButThirtyTwoTakesTheFiveSixFivePaths)
{
    for (uint8_t bitsPerPixel : {16, 8, 15, 24, 0, 255}) {
        for (const ExportedPath& path : AllPaths) {
            if (path.bytesPerPixel != 2) continue;
            RectScene scene(2, bitsPerPixel);
            SurfaceBuffer destination =
                scene.destination.Rect(RectScene::x, RectScene::y, RectScene::width, RectScene::height);
            destination.bitsPerPixel = bitsPerPixel;
            BlitSource source = scene.Source(path.masked);
            if (!path.masked) source.alphaPitch = 12345;
            const std::vector<uint8_t> expected =
                Expected(path.routine, scene.destination, destination, source, RectScene::height);

            RoutineOf(path.routine)(destination, source);

            EXPECT_EQ(FirstDifference(scene.destination.bytes, expected), -1)
                << Describe(path) << ", bitsPerPixel " << int(bitsPerPixel);
        }
    }
}

}  // namespace
