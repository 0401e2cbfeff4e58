#include "tools/tmximport/LayerCoverage.h"

#include "map/TileProjection.h"
#include "tools/worldfiles/TilePicture.h"

#include <algorithm>
#include <cmath>

namespace {

// Pictures reach this many cells out at most and still count: a floor's
// tiles overlap their neighbours by a little, never by two whole cells.
constexpr int64_t Reach = 2;

}  // namespace

LayerCoverage::LayerCoverage(double width, double height) : tileWidth(width), tileHeight(height)
{
    for (int64_t row = -Reach; row <= Reach; ++row) {
        for (int64_t column = -Reach; column <= Reach; ++column) {
            if (column != 0 || row != 0) offsets.push_back({column, row});
        }
    }
}

// Whether the editor's pixel under the point (x, y), in its pixels from the
// look's cell's centre, is opaque.
bool LayerCoverage::SourceCovers(const CoverageLook& look, double x, double y) const
{
    const double u = (x - look.topLeft.x) * look.source->width / look.size.x;
    const double v = (y - look.topLeft.y) * look.source->height / look.size.y;
    if (u < 0 || v < 0 || u >= look.source->width || v >= look.source->height) return false;
    return look.source->Pixel(uint32_t(u), uint32_t(v))[3] == 255;
}

// Whether the program draws the pixel (x, y), counted from the look's cell's
// centre.
bool LayerCoverage::FrameDraws(const CoverageLook& look, int64_t x, int64_t y)
{
    const int64_t u = x - look.frameLeft, v = y - look.frameTop;
    if (u < 0 || v < 0 || u >= int64_t(look.frame->width) || v >= int64_t(look.frame->height)) return false;
    return look.frame->Pixel(uint32_t(u), uint32_t(v))[3] >= 128;
}

bool LayerCoverage::HasGaps(const CoverageLook& tile)
{
    for (int64_t y = -TileHeight / 2; y < TileHeight / 2; ++y) {
        for (int64_t x = -TileWidth / 2; x < TileWidth / 2; ++x) {
            if (std::fabs(x + 0.5) / (TileWidth / 2.0) + std::fabs(y + 0.5) / (TileHeight / 2.0) >= 1) continue;
            if (!FrameDraws(tile, x, y)) return true;
        }
    }
    return false;
}

std::vector<uint32_t> LayerCoverage::Holes(const CoverageLook& tile,
                                           const std::vector<CoverageNeighbour>& neighbours) const
{
    std::vector<uint32_t> holes;
    const double toEditorX = tileWidth / TileWidth, toEditorY = tileHeight / TileHeight;
    const RgbaImage& frame = *tile.frame;
    // The frame's pixels inside the cell's diamond, which lies within
    // 20 x 10 pixels of the cell's centre.
    const int64_t top = std::max<int64_t>(-TileHeight / 2, tile.frameTop);
    const int64_t bottom = std::min<int64_t>(TileHeight / 2, tile.frameTop + int64_t(frame.height));
    const int64_t left = std::max<int64_t>(-TileWidth / 2, tile.frameLeft);
    const int64_t right = std::min<int64_t>(TileWidth / 2, tile.frameLeft + int64_t(frame.width));
    for (int64_t py = top; py < bottom; ++py) {
        for (int64_t px = left; px < right; ++px) {
            const uint32_t x = uint32_t(px - tile.frameLeft), y = uint32_t(py - tile.frameTop);
            const double cx = px + 0.5, cy = py + 0.5;
            if (std::fabs(cx) / (TileWidth / 2.0) + std::fabs(cy) / (TileHeight / 2.0) >= 1) continue;
            if (frame.Pixel(x, y)[3] >= 128) continue;
            // Drawn by a neighbour's frame: no hole.
            bool drawn = false;
            for (const CoverageNeighbour& neighbour : neighbours) {
                const int64_t dx = (neighbour.column - neighbour.row) * TileWidth / 2;
                const int64_t dy = (neighbour.column + neighbour.row) * TileHeight / 2;
                if (FrameDraws(*neighbour.look, px - dx, py - dy)) {
                    drawn = true;
                    break;
                }
            }
            if (drawn) continue;
            // Covered in the editor by the tile or a neighbour.
            const double ex = cx * toEditorX, ey = cy * toEditorY;
            bool covered = SourceCovers(tile, ex, ey);
            for (size_t i = 0; !covered && i < neighbours.size(); ++i) {
                const CoverageNeighbour& neighbour = neighbours[i];
                covered = SourceCovers(*neighbour.look, ex - (neighbour.column - neighbour.row) * tileWidth / 2,
                                       ey - (neighbour.column + neighbour.row) * tileHeight / 2);
            }
            if (!covered) continue;
            const double u = (ex - tile.topLeft.x) * tile.source->width / tile.size.x;
            const double v = (ey - tile.topLeft.y) * tile.source->height / tile.size.y;
            uint32_t unused = 0;
            if (NearestOpaqueColour(*tile.source, u, v, unused)) holes.push_back(y * frame.width + x);
        }
    }
    return holes;
}

bool LayerCoverage::TilesThePlane(const CoverageLook& tile) const
{
    const int64_t halfWidth = int64_t(std::ceil(tileWidth / 2)), halfHeight = int64_t(std::ceil(tileHeight / 2));
    // Every pixel of the map's tiles up to four per pixel of the program's;
    // of tiles larger than that, as many as that.
    const int64_t stepX = std::max<int64_t>(1, int64_t(tileWidth) / (4 * TileWidth));
    const int64_t stepY = std::max<int64_t>(1, int64_t(tileHeight) / (4 * TileHeight));
    for (int64_t y = -halfHeight; y < halfHeight; y += stepY) {
        for (int64_t x = -halfWidth; x < halfWidth; x += stepX) {
            const double cx = x + 0.5, cy = y + 0.5;
            if (std::fabs(cx) / (tileWidth / 2) + std::fabs(cy) / (tileHeight / 2) >= 1) continue;
            bool covered = SourceCovers(tile, cx, cy);
            for (size_t i = 0; !covered && i < offsets.size(); ++i) {
                covered = SourceCovers(tile, cx - (offsets[i].column - offsets[i].row) * tileWidth / 2,
                                       cy - (offsets[i].column + offsets[i].row) * tileHeight / 2);
            }
            if (!covered) return false;
        }
    }
    return true;
}
