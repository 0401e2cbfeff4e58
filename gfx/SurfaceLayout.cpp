#include "gfx/SurfaceLayout.h"

#include <cstddef>

Rect ClampToSurface(const Rect& rect, int32_t width, int32_t height)
{
    return rect.Intersected({0, 0, width, height});
}

Rect WholeSurface(const SurfaceMemory& surface)
{
    return {0, 0, surface.width, surface.height};
}

SurfaceBuffer DescribeRect(const SurfaceMemory& surface, const Rect& rect, uint8_t bitsPerPixel)
{
    const ptrdiff_t bytesPerPixel = bitsPerPixel / 8;
    const ptrdiff_t pitch = surface.pitch;
    SurfaceBuffer buffer;
    buffer.firstPixel = surface.memory + pitch * rect.top + bytesPerPixel * rect.left;
    // The end of the last row, not of the rectangle's bounding memory: the
    // row loops stop at the right edge of the last row.
    buffer.lastRowEnd = surface.memory + bytesPerPixel * rect.right + pitch * (rect.bottom - 1);
    buffer.pitch = surface.pitch;
    buffer.height = rect.bottom - rect.top;
    buffer.width = rect.right - rect.left;
    buffer.bitsPerPixel = bitsPerPixel;
    return buffer;
}
