#include "tools/tmximport/MapLattice.h"

#include "tools/tmximport/TmxReader.h"

#include <algorithm>

namespace {

// A rectangle of the editor's cells, corners included.
struct CellRange {
    int64_t x0 = 0;
    int64_t y0 = 0;
    int64_t x1 = -1;
    int64_t y1 = -1;

    bool Empty() const { return x1 < x0 || y1 < y0; }
    void Add(int64_t x, int64_t y)
    {
        if (Empty()) {
            *this = {x, y, x, y};
            return;
        }
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
};

// The cells a map's tiles lie on: all of a map of fixed size; the rectangle
// around the tiles its chunks hold on an infinite one (its declared size when
// they hold none).
CellRange UsedCells(const TmxMap& map)
{
    CellRange range;
    if (map.infinite) {
        for (const TmxLayer& layer : map.layers) {
            for (const TmxTileArea& area : layer.areas) {
                for (size_t i = 0; i < area.gids.size(); ++i) {
                    if (area.gids[i] != 0) {
                        range.Add(area.x + int64_t(i % size_t(area.width)), area.y + int64_t(i / size_t(area.width)));
                    }
                }
            }
        }
    }
    if (range.Empty()) range = {0, 0, map.width - 1, map.height - 1};
    return range;
}

void CheckSize(const TmxMap& map, int64_t width, int64_t height)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " cells";
    if (width > MaxMapSide || height > MaxMapSide) {
        throw ImportRefusal(map.place, "the map's tiles span " + size + " of the isometric grid; at most " +
                                           std::to_string(MaxMapSide) + " a side convert");
    }
    if (width * height > MaxMapCells) {
        throw ImportRefusal(map.place, "the map's tiles span " + size + " of the isometric grid, more than " +
                                           std::to_string(MaxMapCells) + " cells");
    }
}

void PlaceIsometric(TmxMap& map, const CellRange& used)
{
    const double w = map.tileWidth, h = map.tileHeight;
    const int64_t columns = used.x1 - used.x0 + 1, rows = used.y1 - used.y0 + 1;
    CheckSize(map, columns, rows);
    LatticePlacement& placement = map.placement;
    // Object positions count tile heights along both axes from cell (0, 0).
    placement.objectsOnScreen = false;
    placement.shiftX = -double(used.x0) * h;
    placement.shiftY = -double(used.y0) * h;
    // The editor's pixel (0, 0) lies the map's declared height of half tiles
    // left of cell (0, 0)'s top corner.
    placement.origin = {double(used.y0 - used.x0) * w / 2 - map.height * w / 2, -double(used.x0 + used.y0) * h / 2};
    placement.areaTopLeft = {-double(rows) * w / 2, 0};
    placement.areaBottomRight = {double(columns) * w / 2, double(columns + rows) * h / 2};
    map.width = int(columns);
    map.height = int(rows);
}

void PlaceStaggered(TmxMap& map, const CellRange& used, StaggeredGrid& grid)
{
    const double w = map.tileWidth, h = map.tileHeight;
    grid.staggerX = map.staggerX;
    grid.staggerEven = map.staggerEven;
    // a + b and b - a grow with x and y alike, so the corners hold their
    // extremes.
    grid.minSum = grid.A(used.x0, used.y0) + grid.B(used.x0, used.y0);
    grid.minDifference = grid.B(used.x1, used.y0) - grid.A(used.x1, used.y0);
    const int64_t maxSum = grid.A(used.x1, used.y1) + grid.B(used.x1, used.y1);
    const int64_t maxDifference = grid.B(used.x0, used.y1) - grid.A(used.x0, used.y1);
    const int64_t columns = (maxSum - grid.minSum) / 2 + 1, rows = (maxDifference - grid.minDifference) / 2 + 1;
    CheckSize(map, columns, rows);
    LatticePlacement& placement = map.placement;
    // A cell's rectangle at (a w/2, b h/2) has its centre half a tile further;
    // the lattice's cell there has its centre at ((column - row) w/2,
    // (column + row + 1) h/2).
    placement.objectsOnScreen = true;
    placement.shiftX = (double(grid.minDifference - grid.minSum) / 2 - 1) * w / 2;
    placement.shiftY = -double(grid.minSum + grid.minDifference) / 2 * h / 2;
    placement.origin = {placement.shiftX, placement.shiftY};
    // The rectangle around the cells' rectangles: a shifted row or column
    // reaches half a tile further than the others.
    const bool bothKinds = (map.staggerX ? used.x1 > used.x0 : used.y1 > used.y0);
    const int64_t first = map.staggerX ? used.x0 : used.y0;
    const bool firstShifted = grid.Shifted(first);
    const int64_t lowShift = bothKinds || !firstShifted ? 0 : 1, highShift = bothKinds || firstShifted ? 1 : 0;
    int64_t a0, a1, b0, b1;
    if (map.staggerX) {
        a0 = used.x0, a1 = used.x1 + 2;
        b0 = 2 * used.y0 + lowShift, b1 = 2 * used.y1 + highShift + 2;
    } else {
        a0 = 2 * used.x0 + lowShift, a1 = 2 * used.x1 + highShift + 2;
        b0 = used.y0, b1 = used.y1 + 2;
    }
    placement.areaTopLeft = {double(a0) * w / 2 + placement.shiftX, double(b0) * h / 2 + placement.shiftY};
    placement.areaBottomRight = {double(a1) * w / 2 + placement.shiftX, double(b1) * h / 2 + placement.shiftY};
    map.width = int(columns);
    map.height = int(rows);
}

}  // namespace

void PlaceOnLattice(TmxMap& map)
{
    const CellRange used = UsedCells(map);
    StaggeredGrid staggered;
    if (map.orientation == MapOrientation::Staggered) {
        PlaceStaggered(map, used, staggered);
    } else {
        PlaceIsometric(map, used);
    }
    const size_t columns = size_t(map.width);
    for (TmxLayer& layer : map.layers) {
        if (layer.kind != TmxLayer::Kind::Tiles) continue;
        layer.gids.assign(columns * size_t(map.height), 0);
        for (const TmxTileArea& area : layer.areas) {
            for (size_t i = 0; i < area.gids.size(); ++i) {
                const int64_t x = area.x + int64_t(i % size_t(area.width)),
                              y = area.y + int64_t(i / size_t(area.width));
                if (x < used.x0 || x > used.x1 || y < used.y0 || y > used.y1) continue;  // empty: outside the tiles
                const EditorCell cell = map.orientation == MapOrientation::Staggered
                                            ? staggered.ToLattice(x, y)
                                            : EditorCell{x - used.x0, y - used.y0};
                layer.gids[size_t(cell.row) * columns + size_t(cell.column)] = area.gids[i];
            }
        }
        layer.areas.clear();
        layer.areas.shrink_to_fit();
    }
}
