// "test.map", read strictly in order, little-endian, no padding:
//
//   header (11)        "MAP" | headerValue i32 | width u16 | height u16
//   cell (7 + n)       blocked u8 | value i16 | dataLength i32 = n | data bytes[n]
//     ... height rows of width cells, row 0 first, x = 0 first
//   floor count (4)    F i32; 0 or less: no floor tiles
//   floor tile (47)    x y z i16 | sprite id i32 | animationName char[33] | direction i32
//     ... F floor tiles
//   object count (4)   N i32; 0 or less: no objects
//   object (51)        x0 y0 x1 y1 z i16 | sprite id i32 | animationName char[33] | direction i32
//     ... N objects; whatever follows the last one is ignored
//
// Nothing after the magic is trusted: every count, dimension and length is
// checked against the bytes that are left before anything is allocated for
// it. A file that breaks the layout is treated like a wrong magic: the box is
// shown and the map is left as it was.
#include "base/BoundedReader.h"
#include "map/ErrorBox.h"
#include "map/MapCells.h"
#include "map/MapFile.h"
#include "map/TileMap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// What a load has read so far. It is released when the load fails, and handed
// to the map when it succeeds.
struct MapContents {
    int32_t headerValue = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    MapCell** rows = nullptr;
    CellDataStore cellData;
    int32_t floorTileCount = 0;
    FloorTile* floorTiles = nullptr;

    ~MapContents()
    {
        ReleaseRows(rows, height);
        delete[] floorTiles;
    }
};

bool ReadMagic(BoundedReader& file)
{
    // The buffer starts zeroed and is compared including its terminator, so a
    // file shorter than the magic fails the comparison as a wrong magic does.
    char magic[MapMagicSize + 1] = {};
    file.ReadBytes(magic, MapMagicSize);
    return std::memcmp(magic, MapMagic, sizeof magic) == 0;
}

// Copies an animation name field. The field holds at most 32 characters and a
// NUL; a field without a NUL is cut after 32 characters.
void CopyName(const uint8_t* field, AnimationName& name)
{
    std::memcpy(name, field, AnimationNameSize);
    name[AnimationNameSize - 1] = '\0';
}

// Decodes the fixed part of a cell (blocked u8 | value i16 | dataLength i32);
// its data is read apart.
void DecodeCell(const uint8_t* fixed, MapCell& cell)
{
    cell.blocked = fixed[0];
    cell.value = SignedLittleEndian16(fixed + 1);
    cell.dataLength = SignedLittleEndian32(fixed + 3);
    cell.data = nullptr;
}

bool ReadCellData(BoundedReader& file, CellDataStore& cellData, MapCell& cell)
{
    if (!file.Fits(cell.dataLength, 1)) return false;
    cell.data = cellData.Allocate(static_cast<size_t>(cell.dataLength));
    return cell.data && file.ReadBytes(cell.data, static_cast<size_t>(cell.dataLength));
}

// Reads one row of cells. Returns false when the file ends inside it or a
// cell's data cannot be had.
//
// For speed the cells are decoded in runs straight from the bytes the reader
// holds in memory, with one bounds check per run. A cell with data ends a run.
// If its data lies in memory too, it is copied from there and the next run
// starts after it; if not (or if its length is negative), the data is read
// through the reader, which checks it as every read.
bool ReadRow(BoundedReader& file, CellDataStore& cellData, MapCell* cells, uint16_t width)
{
    size_t x = 0;
    while (x < width) {
        size_t held = 0;
        const uint8_t* bytes = file.Peek(MapCellFixedSize, held);
        if (!bytes) return false;
        size_t used = 0;
        MapCell* dataToRead = nullptr;
        while (x < width && held - used >= MapCellFixedSize) {
            const size_t run = std::min((held - used) / MapCellFixedSize, width - x);
            size_t decoded = 0;
            bool withData = false;
            while (decoded < run && !withData) {
                DecodeCell(bytes + used + decoded * MapCellFixedSize, cells[x + decoded]);
                withData = cells[x + decoded].dataLength != 0;
                ++decoded;
            }
            used += decoded * MapCellFixedSize;
            x += decoded;
            if (!withData) continue;
            MapCell& cell = cells[x - 1];
            if (cell.dataLength < 0 || size_t(cell.dataLength) > held - used) {
                dataToRead = &cell;
                break;
            }
            cell.data = cellData.Allocate(size_t(cell.dataLength));
            if (!cell.data) return false;
            std::memcpy(cell.data, bytes + used, size_t(cell.dataLength));
            used += size_t(cell.dataLength);
        }
        file.Skip(used);
        if (dataToRead && !ReadCellData(file, cellData, *dataToRead)) return false;
    }
    return true;
}

bool ReadCells(BoundedReader& file, MapContents& map)
{
    // Without cells there is no row table at all.
    if (map.width == 0 || map.height == 0) return true;
    if (!file.Fits(int64_t(map.width) * map.height, MapCellFixedSize)) return false;
    map.rows = new (std::nothrow) MapCell*[map.height]();
    if (!map.rows) return false;
    for (uint16_t y = 0; y < map.height; ++y) {
        // Not zeroed first: every field of every cell is read, or the load fails.
        map.rows[y] = new (std::nothrow) MapCell[map.width];
        if (!map.rows[y] || !ReadRow(file, map.cellData, map.rows[y], map.width)) return false;
    }
    return true;
}

// Turns sprite ids into registry indices. Neighbouring records mostly name
// the same sprite, and the registry does not change while the map loads, so
// the last answer is kept and reused.
class SpriteIndices {
public:
    explicit SpriteIndices(const SpriteRegistry& registry) : sprites(registry) {}

    int32_t Of(int32_t id)
    {
        if (!known || id != lastId) {
            lastIndex = sprites.FindSpriteIndex(id);
            lastId = id;
            known = true;
        }
        return lastIndex;
    }

private:
    const SpriteRegistry& sprites;
    bool known = false;
    int32_t lastId = 0;
    int32_t lastIndex = -1;
};

// Reads the count of the records that follow. A count of 0 or less means
// none. Returns false when the count cannot be read or more records are
// counted than the rest of the file could hold.
bool ReadCount(BoundedReader& file, size_t recordBytes, int32_t& count)
{
    if (!file.Read(count)) return false;
    if (count < 0) count = 0;
    return file.Fits(count, recordBytes);
}

// Decodes a floor tile record:
// x y z i16 | sprite id i32 | animationName char[33] | direction i32
void DecodeFloorTile(const uint8_t* record, SpriteIndices& sprites, FloorTile& tile)
{
    tile.x = SignedLittleEndian16(record);
    tile.y = SignedLittleEndian16(record + 2);
    tile.z = SignedLittleEndian16(record + 4);
    tile.spriteIndex = sprites.Of(SignedLittleEndian32(record + 6));
    CopyName(record + 10, tile.animationName);
    tile.direction = SignedLittleEndian32(record + 43);
}

bool ReadFloorTiles(BoundedReader& file, SpriteIndices& sprites, MapContents& map)
{
    if (!ReadCount(file, MapFloorTileSize, map.floorTileCount)) return false;
    if (map.floorTileCount == 0) return true;
    // Not zeroed first: every field is read, or the load fails.
    map.floorTiles = new (std::nothrow) FloorTile[static_cast<size_t>(map.floorTileCount)];
    if (!map.floorTiles) return false;
    FloorTile* tile = map.floorTiles;
    return file.ReadInPieces(static_cast<size_t>(map.floorTileCount), MapFloorTileSize,
                             [&](const uint8_t* records, size_t count) {
                                 for (size_t i = 0; i < count; ++i) {
                                     DecodeFloorTile(records + i * MapFloorTileSize, sprites, *tile++);
                                 }
                             });
}

// Decodes an object record:
// x0 y0 x1 y1 z i16 | sprite id i32 | animationName char[33] | direction i32
SceneObject DecodeObject(const uint8_t* record, SpriteIndices& sprites)
{
    SceneObject object{};
    object.x0 = SignedLittleEndian16(record);
    object.y0 = SignedLittleEndian16(record + 2);
    object.x1 = SignedLittleEndian16(record + 4);
    object.y1 = SignedLittleEndian16(record + 6);
    object.z = SignedLittleEndian16(record + 8);
    object.spriteIndex = sprites.Of(SignedLittleEndian32(record + 10));
    CopyName(record + 14, object.animationName);
    object.direction = SignedLittleEndian32(record + 47);
    object.cursor = nullptr;
    return object;
}

}  // namespace

bool TileMap::LoadMap(const char* fileName)
{
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return false;
    bool loaded = false;
    size_t size = 0;
    // The file is read through the reader's window, so the bytes are decoded
    // while they are still in the cache and a large map is never held whole.
    if (SizeOfRest(file, size)) {
        BoundedReader reader(file, size);
        loaded = ReadMap(reader);
    }
    std::fclose(file);
    return loaded;
}

bool TileMap::ReadMap(BoundedReader& file)
{
    MapContents map;
    SpriteIndices spriteIndices(sprites);
    int32_t objectCount = 0;
    const bool whole = ReadMagic(file) && file.Read(map.headerValue) && file.Read(map.width) && file.Read(map.height) &&
                       ReadCells(file, map) && ReadFloorTiles(file, spriteIndices, map) &&
                       ReadCount(file, MapObjectSize, objectCount);
    if (!whole) {
        // A file that cannot be read at all (a directory, say) is not a wrong
        // map file, so it shows no box.
        if (!file.ReadError()) ShowErrorBox("Wrong map file.", "Error");
        return false;
    }

    // The object count has been checked against what is left, so reading the
    // objects cannot fail half-way. From here on the new map replaces the old
    // one (the program never loads a second map), except that scene objects
    // already in the list stay.
    ReleaseRows(rows, height);
    cellData.Swap(map.cellData);  // the old cells' data is released with `map`
    delete[] floorTiles;
    headerValue = map.headerValue;
    width = map.width;
    height = map.height;
    rows = map.rows;
    floorTileCount = map.floorTileCount;
    floorTiles = map.floorTiles;
    map.rows = nullptr;
    map.floorTiles = nullptr;
    // The file's order is the drawing order. If the file ends early after all
    // (it was shorter than the file system said), the objects read so far stay.
    file.ReadInPieces(static_cast<size_t>(objectCount), MapObjectSize, [&](const uint8_t* records, size_t count) {
        for (size_t i = 0; i < count; ++i) AppendObject(DecodeObject(records + i * MapObjectSize, spriteIndices));
    });
    return true;
}
