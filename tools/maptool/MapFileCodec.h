// The map file's bytes from a MapSource, and back.
#pragma once

#include "tools/maptool/MapSource.h"

#include <cstdint>
#include <string>
#include <vector>

// The whole file. Cells missing from `cells` are written open and empty;
// names longer than 32 characters are cut.
std::vector<uint8_t> EncodeMapFile(const MapSource& map);

// Reads a whole file. False on a wrong magic or a file that breaks the layout,
// with `error` telling what and at which byte offset. Counts of 0 or less read
// as no records.
bool DecodeMapFile(const std::vector<uint8_t>& bytes, MapSource& map, std::string& error);
