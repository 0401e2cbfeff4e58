// The map file's bytes from a MapSource, and back.
#pragma once

#include "tools/worldfiles/MapSource.h"

#include <cstdint>
#include <string>
#include <vector>

// Returns the bytes of the whole map file for `map`. Cells missing from
// `cells` are written open and empty; names longer than MaxAnimationNameLength
// characters are cut.
std::vector<uint8_t> EncodeMapFile(const MapSource& map);

// Decodes the bytes of a whole map file into `map` through the program's
// reader; counts of 0 or less read as no records. Returns false on a wrong
// magic or a file that breaks the layout, with `error` telling what is wrong
// and at which byte offset.
bool DecodeMapFile(const std::vector<uint8_t>& bytes, MapSource& map, std::string& error);
