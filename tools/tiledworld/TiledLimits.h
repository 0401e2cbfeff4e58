// What tmximport converts, and so what tmxexport may write for a round trip.
// No real map comes near these; they keep a conversion's memory and time in
// proportion to what it writes, whatever a file claims, here and in the web
// page, where memory is scarcer. docs/tiled-import.md has the table, with the
// memory each allows.
#pragma once

#include <cstddef>
#include <cstdint>

// A map, tileset or template file, read whole and parsed as XML.
constexpr uint64_t MaxTmxFileBytes = uint64_t(64) << 20;

// The map: the program's cells are 16-bit, and a map's cells are all held.
constexpr int MaxMapSide = 32767;
constexpr int64_t MaxMapCells = int64_t(1) << 24;
// A map's or tileset's tile, and a frame at the program's scale.
constexpr int MaxTileSide = 4096;

// The tile ids of all tile layers together (4 bytes each, all held at once):
// the largest map twice over. Zlib lets a few kB claim any number.
constexpr uint64_t MaxLayerCells = uint64_t(1) << 25;
// Floor tiles and objects of the world made: with the largest map's cells,
// a map file of about 330 MB.
constexpr uint64_t MaxPlacedTiles = uint64_t(1) << 22;
// Objects of all object layers, tile objects and shapes alike.
constexpr uint64_t MaxObjects = uint64_t(1) << 20;
// The tiles and animation frames that tilesets describe, counted each time a
// tileset is named, since each naming holds its own.
constexpr uint64_t MaxTilesetTiles = uint64_t(1) << 18;
constexpr uint64_t MaxAnimationFrames = uint64_t(1) << 22;

// Pixels of the pictures read and of the tiles cut from them (RGBA, 4 bytes
// each): an 8192 x 8192 sheet and all its tiles.
constexpr uint64_t MaxPicturePixelsRead = uint64_t(1) << 27;
// The different tiles that tile layers show (a tile id with its flips): each
// is cut and looked at before a frame is made of it.
constexpr uint64_t MaxTilesShown = uint64_t(1) << 18;
// The sprites' frames: how many, and their pixels together.
constexpr uint64_t MaxFrames = uint64_t(1) << 18;
constexpr uint64_t MaxFramePixels = uint64_t(1) << 26;

// What the notes on left-out parts may take, and how much of a name a
// message or note quotes.
constexpr uint64_t MaxNoteBytes = uint64_t(1) << 20;
constexpr size_t MaxQuotedName = 64;
