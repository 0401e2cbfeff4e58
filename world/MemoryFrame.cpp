#include "world/MemoryFrame.h"

#include "world/FrameLayout.h"

#include <cstddef>
#include <cstring>

MemoryFrame::MemoryFrame() : MemoryFrame(FrameWidth, FrameHeight) {}

MemoryFrame::MemoryFrame(int32_t width, int32_t height) : pixels(size_t(width) * size_t(height), 0)
{
    uint8_t* first = reinterpret_cast<uint8_t*>(pixels.data());
    const int32_t pitch = width * 4;
    surface = {first, first + size_t(height - 1) * size_t(pitch) + size_t(pitch),
               pitch, height,
               width, FrameBitsPerPixel};
}

void MemoryFrame::Clear()
{
    std::memset(pixels.data(), 0, pixels.size() * sizeof pixels[0]);
}
