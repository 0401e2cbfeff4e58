#include "gfx/SurfaceLayout.h"

#include "blitter/SurfaceRect.h"

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
    const SurfaceBuffer whole =
        WholeSurfaceBuffer(surface.memory, surface.pitch, surface.width, surface.height, bitsPerPixel);
    return SurfacePart(whole, rect.As<int64_t>());
}
