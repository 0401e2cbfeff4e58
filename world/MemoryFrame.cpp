#include "world/MemoryFrame.h"

#include "blitter/SurfaceRect.h"
#include "world/FrameLayout.h"

#include <cstddef>
#include <cstring>

MemoryFrame::MemoryFrame() : MemoryFrame(FrameWidth, FrameHeight) {}

MemoryFrame::MemoryFrame(int32_t width, int32_t height) : pixels(size_t(width) * size_t(height), 0)
{
    surface =
        WholeSurfaceBuffer(reinterpret_cast<uint8_t*>(pixels.data()), width * 4, width, height, FrameBitsPerPixel);
}

void MemoryFrame::Clear()
{
    std::memset(pixels.data(), 0, pixels.size() * sizeof pixels[0]);
}
