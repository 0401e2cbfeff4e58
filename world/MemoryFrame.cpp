#include "world/MemoryFrame.h"

#include "blitter/SurfaceRect.h"
#include "world/FrameLayout.h"

#include <cstddef>
#include <cstring>

MemoryFrame::MemoryFrame() : pixels(size_t(FrameWidth) * FrameHeight, 0)
{
    surface = WholeSurfaceBuffer(reinterpret_cast<uint8_t*>(pixels.data()), FrameWidth * 4, FrameWidth, FrameHeight,
                                 FrameBitsPerPixel);
}

void MemoryFrame::Clear()
{
    std::memset(pixels.data(), 0, pixels.size() * sizeof pixels[0]);
}
