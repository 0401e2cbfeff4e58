#include "world/MemoryFrame.h"

#include "world/FrameLayout.h"

#include <cstddef>
#include <cstring>

MemoryFrame::MemoryFrame() : pixels(size_t(FrameWidth) * FrameHeight, 0)
{
    uint8_t* first = reinterpret_cast<uint8_t*>(pixels.data());
    const int32_t pitch = FrameWidth * 4;
    surface = {first, first + (FrameHeight - 1) * pitch + pitch, pitch, FrameHeight, FrameWidth, FrameBitsPerPixel};
}

void MemoryFrame::Clear()
{
    std::memset(pixels.data(), 0, pixels.size() * sizeof pixels[0]);
}
