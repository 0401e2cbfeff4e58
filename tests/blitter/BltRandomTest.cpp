// The exported routines against the model on many random blits: every path,
// random rectangles, pitches with padding (or running backwards), masks that
// mix 0, 255 and partial weights, keys that match about a third of the pixels.
#include "BlitModel.h"
#include "TestSurface.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int Between(std::mt19937& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

void FillMask(TestSurface& mask, std::mt19937& random)
{
    for (uint8_t& b : mask.bytes) {
        const int kind = Between(random, 0, 3);
        b = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(random());
    }
}

// The key in the form the caller passes it (5-6-5 widened as a signed value),
// planted in about a third of the source's pixels.
uint32_t PlantKey(TestSurface& source, int width, int rows, std::mt19937& random)
{
    const uint32_t pixel = source.bytesPerPixel == 4 ? static_cast<uint32_t>(random()) : random() & 0xFFFF;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x) {
            if (Between(random, 0, 2) == 0) source.Set(x, y, pixel);
        }
    }
    return source.bytesPerPixel == 4 ? pixel : static_cast<uint32_t>(static_cast<int16_t>(pixel));
}

void RunRandomBlit(const ExportedPath& path, std::mt19937& random, int trial)
{
    const int width = Between(random, 1, 37);
    const int rows = Between(random, 1, 9);
    const int x = Between(random, 0, 5);
    const int y = Between(random, 0, 3);
    TestSurface destination(path.bytesPerPixel, x + width + Between(random, 0, 5), y + rows + Between(random, 0, 3),
                            Between(random, 0, 9));
    const int frameX = Between(random, 0, 4);
    TestSurface frame(path.bytesPerPixel, frameX + width + Between(random, 0, 4), rows, Between(random, 0, 6));
    TestSurface mask(1, frameX + width + Between(random, 0, 9), rows, Between(random, 0, 6));
    destination.FillNoise(random);
    frame.FillNoise(random);
    FillMask(mask, random);
    const uint32_t key = PlantKey(frame, frame.pitch / path.bytesPerPixel, rows, random);

    BlitSource source = SourceAt(frame, frameX, 0, path.masked ? &mask : nullptr, key);
    if (Between(random, 0, 3) == 0) {  // a frame stored bottom-up
        source.pixels = frame.At(frameX, rows - 1);
        source.pitch = -frame.pitch;
        if (path.masked) {
            source.alphaMask = mask.At(frameX, rows - 1);
            source.alphaPitch = -mask.pitch;
        }
    }
    const SurfaceBuffer rect = destination.Rect(x, y, width, rows);
    const std::vector<uint8_t> expected = Expected(path.routine, destination, rect, source, rows);

    RoutineOf(path.routine)(rect, source);

    ASSERT_EQ(FirstDifference(destination.bytes, expected), -1)
        << NameOf(path.routine) << ' ' << path.bytesPerPixel * 8 << "-bit" << (path.masked ? " with mask" : "")
        << ", trial " << trial << ": " << width << " x " << rows << " at (" << x << ", " << y << ")";
}

TEST(BltRandom, EveryPathMatchesTheModelByteForByte)
{
    std::mt19937 random(20240611);
    for (const ExportedPath& path : AllPaths) {
        for (int trial = 0; trial < 300; ++trial) {
            RunRandomBlit(path, random, trial);
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace
