// The reference kernels: table look-ups only, one pixel at a time.
#include "blitter/BlitKernels.h"
#include "blitter/ReferenceRows.h"

#include <cstring>

namespace scalar {

void blend_x888_a8(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        BlendRow_x888_a8(row.Destination(), row.Source(), row.Mask(), row.width);
    }
}

void key_x888(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        KeyRow_x888(row.Destination(), row.Source(), row.width, source.colorKey);
    }
}

void copy_x888(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        std::memcpy(row.Destination(), row.Source(), static_cast<size_t>(row.width) * 4);
    }
}

void blend_565_a8(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        BlendRow_565_a8(row.Destination(), row.Source(), row.Mask(), row.width);
    }
}

void key_565(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        KeyRow_565(row.Destination(), row.Source(), row.width, source.colorKey);
    }
}

void copy_565(const SurfaceBuffer& destination, const BlitSource& source)
{
    for (RowCursor row(destination, source); row.More(); row.Next()) {
        std::memcpy(row.Destination(), row.Source(), static_cast<size_t>(row.width) * 2);
    }
}

}  // namespace scalar
