// Where the editor draws things on an isometric map, and where that lands in
// the program's grid: the one place where the two Tiled tools turn cells and
// positions of one into those of the other, each way by a pair of functions.
//
// The editor draws cell (column, row) with the top corner of its diamond at
// ((column - row) x w/2, (column + row) x h/2), w x h being the map's tile
// size, and a tile's picture with its bottom-left corner on the diamond's
// left corner level with its bottom corner, shifted by the tileset's tile
// offset. The program draws cell (x, y) at ((x + y) x 20, (x - y) x 10)
// (map/TileProjection.h), at the point its frame's anchor names. With
// x = column and y = rows - 1 - row, and the anchor on the diamond's centre,
// both pictures are the same once the editor's is scaled to the program's
// tiles, up to a shift of the whole map.
//
// Positions here are the editor's screen pixels (unscaled, without its shift
// of the whole map), y downwards.
#pragma once

#include <cstdint>

// A point on the editor's screen, in its pixels; not whole where the map's
// tiles are scaled.
struct EditorPoint {
    double x = 0;
    double y = 0;
};

struct EditorCell {
    int64_t column = 0;
    int64_t row = 0;
};

struct ProgramCell {
    int64_t x = 0;
    int64_t y = 0;
};

struct IsoGrid {
    double tileWidth = 0;  // the map's tile size, in the editor's pixels
    double tileHeight = 0;
    int64_t rows = 0;

    // The centre of a cell's diamond: the point the program draws a cell at.
    EditorPoint CellToScreen(EditorCell cell) const;
    // The cell whose diamond holds a screen point; a point on an edge belongs
    // to the cell above it, so that a picture standing on a cell's bottom
    // corner stands on that cell.
    EditorCell ScreenToCell(EditorPoint point) const;

    // An object's position (the editor's object pixels: both axes measured
    // in tile heights along the grid) on the screen, and back.
    EditorPoint ObjectToScreen(double x, double y) const;
    EditorPoint ScreenToObject(EditorPoint point) const;

    // The program's cell of the editor's, and back: the rows run the other way.
    ProgramCell EditorToProgram(EditorCell cell) const { return {cell.column, rows - 1 - cell.row}; }
    EditorCell ProgramToEditor(ProgramCell cell) const { return {cell.x, rows - 1 - cell.y}; }

    // The editor's bottom-left corner of a tile picture on a tile layer, as
    // seen from the cell's centre (before the tile offset).
    EditorPoint TileLayerCorner() const { return {-tileWidth / 2, tileHeight / 2}; }
};

// The grid of a map made by tmxexport: the program's own tiles, unscaled.
IsoGrid ProgramGrid(int64_t rows);

// Where the editor draws a cell within a tile layer: cells back to front, as
// both the editor and the program's floor draw them, by rising column + row
// (screen rows from the top), then column. Returns the cell's place in that
// order on a map `columns` wide, and back.
inline int64_t DrawingOrderOf(EditorCell cell, int64_t columns)
{
    return (cell.column + cell.row) * columns + cell.column;
}
inline EditorCell CellAtDrawingOrder(int64_t order, int64_t columns)
{
    const int64_t column = order % columns;
    return {column, order / columns - column};
}

// Calls `visit(cell)` for every cell of a map `columns` x `rows`, in the
// editor's drawing order.
template <typename Visit>
void ForEachCellInDrawingOrder(int64_t columns, int64_t rows, Visit visit)
{
    const int64_t lastDiagonal = columns + rows - 2;
    for (int64_t diagonal = 0; diagonal <= lastDiagonal; ++diagonal) {
        const int64_t first = diagonal - (rows - 1) > 0 ? diagonal - (rows - 1) : 0;
        const int64_t last = columns - 1 < diagonal ? columns - 1 : diagonal;
        for (int64_t column = first; column <= last; ++column) visit(EditorCell{column, diagonal - column});
    }
}

// Where a tile object's position lies on its picture.
enum class ObjectAlignment { TopLeft, Top, TopRight, Left, Center, Right, BottomLeft, Bottom, BottomRight };

// The top-left corner of a tile object's picture of size w x h, as seen from
// the object's screen position.
EditorPoint AlignedTopLeft(ObjectAlignment alignment, double width, double height);
