// Where the editor draws things on an isometric map, and where that lands in
// the program's grid.
//
// The editor draws cell (column, row) with the top corner of its diamond at
// ((column - row) x w/2, (column + row) x h/2), w x h being the map's tile
// size, and a tile's picture with its bottom-left corner on the diamond's
// left corner level with its bottom corner, shifted by the tileset's tile
// offset. The program draws cell (x, y) at ((x + y) x 20, (x - y) x 10), at the
// point its frame's anchor names. With x = column and y = rows - 1 - row, and
// the anchor on the diamond's centre, both pictures are the same once the
// editor's is scaled to 40 x 20 tiles, up to a shift of the whole map.
//
// Positions here are the editor's screen pixels (unscaled, without its shift
// of the whole map), y downwards.
#pragma once

#include <cstdint>

struct ScreenPoint {
    double x = 0;
    double y = 0;
};

struct GridCell {
    int64_t column = 0;
    int64_t row = 0;
};

struct IsoGrid {
    double tileWidth = 0;  // the map's tile size, in the editor's pixels
    double tileHeight = 0;
    int rows = 0;

    // The centre of a cell's diamond: the point the program draws a cell at.
    ScreenPoint CellCentre(GridCell cell) const;
    // An object's position (the editor's object pixels: both axes measured
    // in tile heights along the grid) on the screen.
    ScreenPoint ObjectToScreen(double x, double y) const;
    // The cell whose diamond holds a screen point; a point on an edge belongs
    // to the cell above it, so that a picture standing on a cell's bottom
    // corner stands on that cell.
    GridCell CellUnder(ScreenPoint point) const;

    // The program's cell coordinates of the editor's cell.
    int64_t ProgramX(GridCell cell) const { return cell.column; }
    int64_t ProgramY(GridCell cell) const { return rows - 1 - cell.row; }

    // The editor's bottom-left corner of a tile picture on a tile layer, as
    // seen from the cell's centre (before the tile offset).
    ScreenPoint TileLayerCorner() const { return {-tileWidth / 2, tileHeight / 2}; }
};

// Where a tile object's position lies on its picture.
enum class ObjectAlignment { TopLeft, Top, TopRight, Left, Center, Right, BottomLeft, Bottom, BottomRight };

// The top-left corner of a tile object's picture of size w x h, as seen from
// the object's screen position.
ScreenPoint AlignedTopLeft(ObjectAlignment alignment, double width, double height);
