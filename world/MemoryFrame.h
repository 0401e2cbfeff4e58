// A frame in plain memory, for the shells that compose without a display: the
// web page, maptool render and the benchmarks. Its pixels are 0x00RRGGBB
// words, rows top first, with nothing between the rows.
#pragma once

#include "blitter/Pixmix.h"

#include <cstdint>
#include <vector>

class MemoryFrame {
public:
    // The program's frame (world/FrameLayout.h).
    MemoryFrame();
    // A frame of another size, for pictures larger than the screen; both
    // sides from 1.
    MemoryFrame(int32_t width, int32_t height);
    // Not copied: the surface points into the frame's own pixels.
    MemoryFrame(const MemoryFrame&) = delete;
    MemoryFrame& operator=(const MemoryFrame&) = delete;

    // Clears every pixel to black.
    void Clear();

    // The whole frame, as DrawMap draws into it.
    const SurfaceBuffer& Surface() const { return surface; }
    const std::vector<uint32_t>& Pixels() const { return pixels; }

private:
    std::vector<uint32_t> pixels;
    SurfaceBuffer surface;
};
