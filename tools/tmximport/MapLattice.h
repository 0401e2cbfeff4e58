// The one isometric lattice every map is converted on, whatever grid and
// chunks the editor stored it in.
//
// An isometric map of fixed size is its own lattice. An infinite one keeps
// the rectangle of cells its chunks use, moved to start at (0, 0).
//
// A staggered map is the same diamond lattice, numbered in a zigzag: along
// the stagger axis every other row (axis y) or column (axis x) is shifted by
// half a tile, the odd or the even ones (the stagger index). Its cell (x, y)
// has its tile's rectangle at (a x w/2, b x h/2) on the editor's screen, w x h
// being the map's tile size, with
//
//   axis y:  a = 2x + s(y),  b = y          s(i) = 1 when i is shifted, else 0
//   axis x:  a = x,          b = 2y + s(x)
//
// so its neighbours across the diamond's edges differ by 1 in both a and b.
// The isometric cell at the same place is
//
//   column = (a + b - min(a + b)) / 2,  row = (b - a - min(b - a)) / 2
//
// the minima taken over the map's cells (a + b and b - a have one parity over
// a staggered map, so the halves are whole). The staggered rectangle becomes a
// rotated rectangle inside a lattice of (max - min) / 2 + 1 columns and rows
// of those sums, about as many cells again; the cells outside it stay empty.
// An infinite staggered map keeps its shifts by the chunks' own coordinates.
#pragma once

#include "tools/tmximport/TmxMap.h"

// The lattice's cell of a staggered map's cell (x, y), given the minima of
// a + b and b - a over the map (see above).
struct StaggeredGrid {
    bool staggerX = false;
    bool staggerEven = false;
    int64_t minSum = 0;         // of a + b
    int64_t minDifference = 0;  // of b - a

    // Returns whether row or column `index` along the stagger axis is shifted.
    bool Shifted(int64_t index) const { return ((index & 1) != 0) != staggerEven; }
    // Return a and b of cell (x, y), and the lattice's cell of it.
    int64_t A(int64_t x, int64_t y) const { return staggerX ? x : 2 * x + (Shifted(y) ? 1 : 0); }
    int64_t B(int64_t x, int64_t y) const { return staggerX ? 2 * y + (Shifted(x) ? 1 : 0) : y; }
    EditorCell ToLattice(int64_t x, int64_t y) const
    {
        const int64_t a = A(x, y), b = B(x, y);
        return {(a + b - minSum) / 2, (b - a - minDifference) / 2};
    }
};

// Turns the tile layers' areas into `gids` on the lattice, and sets the map's
// width, height and placement to the lattice's. Refuses (ImportRefusal) a
// lattice beyond the map limits, and chunks that hold more cells than a map may.
void PlaceOnLattice(TmxMap& map);
