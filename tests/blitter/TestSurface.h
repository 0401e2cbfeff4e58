// Memory for blits under test: rows `pitch` bytes apart with guard rows above
// and below and spare bytes at the end of every row, all filled with noise,
// so that a whole-buffer compare also proves that nothing outside the
// described rectangle was written.
#pragma once

#include "blitter/Pixmix.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

struct TestSurface {
    static constexpr int guardRows = 2;

    int bytesPerPixel;
    int pitch;
    int rows;
    std::vector<uint8_t> bytes;

    TestSurface(int bytesPerPixelIn, int widthPixels, int rowsIn, int rowPadding = 3)
        : bytesPerPixel(bytesPerPixelIn), pitch(widthPixels * bytesPerPixelIn + rowPadding), rows(rowsIn),
          bytes(static_cast<size_t>(pitch) * (rowsIn + 2 * guardRows))
    {
    }

    uint8_t* At(int x, int y) { return bytes.data() + (guardRows + y) * pitch + x * bytesPerPixel; }
    const uint8_t* At(int x, int y) const { return bytes.data() + (guardRows + y) * pitch + x * bytesPerPixel; }

    uint32_t Get(int x, int y) const
    {
        uint32_t value = 0;
        std::memcpy(&value, At(x, y), bytesPerPixel);
        return value;
    }
    void Set(int x, int y, uint32_t value) { std::memcpy(At(x, y), &value, bytesPerPixel); }

    void FillNoise(std::mt19937& random)
    {
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    }
    void Fill(uint8_t value) { std::memset(bytes.data(), value, bytes.size()); }

    // The destination record of the rectangle at (x, y), width x height pixels:
    // lastRowEnd is one pixel past the right edge of its last row.
    SurfaceBuffer Rect(int x, int y, int width, int height)
    {
        SurfaceBuffer buffer{};
        buffer.firstPixel = At(x, y);
        buffer.lastRowEnd = At(x, y + height - 1) + width * bytesPerPixel;
        buffer.pitch = pitch;
        buffer.height = height;
        buffer.width = width;
        buffer.bitsPerPixel = static_cast<uint8_t>(bytesPerPixel * 8);
        return buffer;
    }
};

// The source record for pixels at (x, y) of `pixels`, with the mask byte at
// (x, y) of `mask` or no mask.
inline BlitSource SourceAt(const TestSurface& pixels, int x, int y, const TestSurface* mask, uint32_t colorKey = 0)
{
    BlitSource source{};
    source.pixels = pixels.At(x, y);
    source.alphaMask = mask ? mask->At(x, y) : nullptr;
    source.pitch = pixels.pitch;
    source.alphaPitch = mask ? mask->pitch : 0;
    source.colorKey = colorKey;
    source.bitsPerPixel = static_cast<uint8_t>(pixels.bytesPerPixel * 8);
    return source;
}

// The same rectangle, moved from one copy of a surface to another.
inline SurfaceBuffer Rebase(SurfaceBuffer buffer, const TestSurface& from, TestSurface& to)
{
    const ptrdiff_t first = buffer.firstPixel - from.bytes.data();
    const ptrdiff_t end = buffer.lastRowEnd - from.bytes.data();
    buffer.firstPixel = to.bytes.data() + first;
    buffer.lastRowEnd = to.bytes.data() + end;
    return buffer;
}

// Index of the first byte where two buffers differ, or -1.
inline long FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) return static_cast<long>(i);
    }
    return a.size() == b.size() ? -1 : static_cast<long>(a.size() < b.size() ? a.size() : b.size());
}
