// The map's `cells` property: what the editor's layers cannot show of the
// map's cells, their values, their data and blocked bytes other than 0 and 1,
// as bytes for base64 (the layout is drawn at the top of CellsProperty.cpp).
#pragma once

#include "tools/worldfiles/MapSource.h"

#include <cstdint>
#include <vector>

// Returns the records of the cells of `map` that hold a value, data or a
// blocked byte above 1, row 0 first; empty when no cell does.
std::vector<uint8_t> EncodeCellsProperty(const MapSource& map);

// Gives the cells of `map` the values and data the records of `bytes` keep,
// and their blocked bytes where the cell is blocked still (the blocked layer
// may have been changed in the editor). Returns false when a record is cut
// short or names a cell outside the map.
bool DecodeCellsProperty(const std::vector<uint8_t>& bytes, MapSource& map);
