#include "tools/tiledworld/IsoGrid.h"

#include "map/TileProjection.h"

#include <cmath>

namespace {

// Positions come out of divisions by the tile size: a point meant to lie on
// a diamond's edge may land a hair inside the cell below it.
constexpr double EdgeTolerance = 1e-7;

}  // namespace

EditorPoint IsoGrid::CellToScreen(EditorCell cell) const
{
    return {double(cell.column - cell.row) * tileWidth / 2, double(cell.column + cell.row + 1) * tileHeight / 2};
}

EditorPoint IsoGrid::ObjectToScreen(double x, double y) const
{
    return {(x - y) / tileHeight * tileWidth / 2, (x + y) / 2};
}

EditorPoint IsoGrid::ScreenToObject(EditorPoint point) const
{
    const double alongY = point.x * tileHeight / tileWidth;
    return {point.y + alongY, point.y - alongY};
}

EditorCell IsoGrid::ScreenToCell(EditorPoint point) const
{
    const double column = point.y / tileHeight + point.x / tileWidth;
    const double row = point.y / tileHeight - point.x / tileWidth;
    return {int64_t(std::ceil(column - EdgeTolerance)) - 1, int64_t(std::ceil(row - EdgeTolerance)) - 1};
}

EditorPoint AlignedTopLeft(ObjectAlignment alignment, double width, double height)
{
    switch (alignment) {
    case ObjectAlignment::TopLeft: return {0, 0};
    case ObjectAlignment::Top: return {-width / 2, 0};
    case ObjectAlignment::TopRight: return {-width, 0};
    case ObjectAlignment::Left: return {0, -height / 2};
    case ObjectAlignment::Center: return {-width / 2, -height / 2};
    case ObjectAlignment::Right: return {-width, -height / 2};
    case ObjectAlignment::BottomLeft: return {0, -height};
    case ObjectAlignment::Bottom: return {-width / 2, -height};
    case ObjectAlignment::BottomRight: return {-width, -height};
    }
    return {-width / 2, -height};
}

IsoGrid ProgramGrid(int64_t rows)
{
    return {double(TileWidth), double(TileHeight), rows};
}
