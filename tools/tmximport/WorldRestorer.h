// A map that tmxexport made (the map property `world`) turned back into the
// world it came from: the sprite files from their tilesets' frames and
// properties, the map's records from its layers, the list and every byte the
// records do not carry from the map's properties. Edits made in the editor
// (objects moved, floor cells painted, blocked cells changed) come back as
// the program's records; docs/tiled-export.md has the rules.
#pragma once

#include "tools/tmximport/WorldBuilder.h"

// Returns whether tmxexport made the map: it carries the map property `world`.
bool IsExportedWorld(const TmxMap& map);

// Returns the world the map was exported from. Refuses (ImportRefusal) a tileset that tmxexport did not write, a
// frame's picture that cannot be read or does not fit its properties, and properties that are not what tmxexport
// writes.
ConvertedWorld RestoreWorld(const TmxMap& map);
