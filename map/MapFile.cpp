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
#include "map/ErrorBox.h"
#include "map/MapCells.h"
#include "map/TileMap.h"
#include "sprite/BoundedReader.h"
#include "sprite/FileBytes.h"

#include <cstring>
#include <new>

namespace {

constexpr size_t CellFixedBytes = 7;
constexpr size_t FloorTileBytes = 47;
constexpr size_t ObjectBytes = 51;
constexpr size_t NameBytes = 33;

// What a load has read so far; released unless it is handed to the map.
struct MapContents {
    int32_t headerValue = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    MapCell** rows = nullptr;
    int32_t floorTileCount = 0;
    FloorTile* floorTiles = nullptr;

    ~MapContents()
    {
        ReleaseCells(rows, height, width);
        delete[] floorTiles;
    }
};

bool ReadMagic(BoundedReader& file)
{
    // Read into a zeroed buffer and compared with the terminator: a file
    // shorter than the magic is wrong as well.
    char magic[4] = {};
    file.ReadBytes(magic, file.Remaining() < 3 ? file.Remaining() : 3);
    return std::memcmp(magic, "MAP", 4) == 0;
}

// The name field holds at most 32 characters; a field without a NUL is cut there.
bool ReadName(BoundedReader& file, char (&name)[NameBytes])
{
    if (!file.ReadBytes(name, NameBytes)) return false;
    name[NameBytes - 1] = '\0';
    return true;
}

bool ReadCell(BoundedReader& file, MapCell& cell)
{
    if (!(file.Read(cell.blocked) && file.Read(cell.value) && file.Read(cell.dataLength))) return false;
    if (!file.Fits(cell.dataLength, 1)) return false;
    if (cell.dataLength == 0) return true;
    cell.data = new (std::nothrow) uint8_t[static_cast<size_t>(cell.dataLength)];
    return cell.data && file.ReadBytes(cell.data, static_cast<size_t>(cell.dataLength));
}

bool ReadCells(BoundedReader& file, MapContents& map)
{
    // Without cells there is no row table at all.
    if (map.width == 0 || map.height == 0) return true;
    if (!file.Fits(int64_t(map.width) * map.height, CellFixedBytes)) return false;
    map.rows = new (std::nothrow) MapCell*[map.height]();
    if (!map.rows) return false;
    for (uint16_t y = 0; y < map.height; ++y) {
        map.rows[y] = new (std::nothrow) MapCell[map.width]();
        if (!map.rows[y]) return false;
        for (uint16_t x = 0; x < map.width; ++x) {
            if (!ReadCell(file, map.rows[y][x])) return false;
        }
    }
    return true;
}

// A count of 0 or less means none; a larger one must fit in what is left.
bool ReadCount(BoundedReader& file, size_t recordBytes, int32_t& count)
{
    if (!file.Read(count)) return false;
    if (count < 0) count = 0;
    return file.Fits(count, recordBytes);
}

bool ReadFloorTiles(BoundedReader& file, const SpriteRegistry& sprites, MapContents& map)
{
    if (!ReadCount(file, FloorTileBytes, map.floorTileCount)) return false;
    if (map.floorTileCount == 0) return true;
    map.floorTiles = new (std::nothrow) FloorTile[static_cast<size_t>(map.floorTileCount)]();
    if (!map.floorTiles) return false;
    for (int32_t i = 0; i < map.floorTileCount; ++i) {
        FloorTile& tile = map.floorTiles[i];
        int32_t spriteId = 0;
        if (!(file.Read(tile.x) && file.Read(tile.y) && file.Read(tile.z) && file.Read(spriteId) &&
              ReadName(file, tile.animationName) && file.Read(tile.direction))) {
            return false;
        }
        tile.spriteIndex = sprites.FindSpriteIndex(spriteId);
    }
    return true;
}

bool ReadObject(BoundedReader& file, const SpriteRegistry& sprites, SceneObject& object)
{
    int32_t spriteId = 0;
    object = {};
    if (!(file.Read(object.x0) && file.Read(object.y0) && file.Read(object.x1) && file.Read(object.y1) &&
          file.Read(object.z) && file.Read(spriteId) && ReadName(file, object.animationName) &&
          file.Read(object.direction))) {
        return false;
    }
    object.spriteIndex = sprites.FindSpriteIndex(spriteId);
    object.cursor = nullptr;
    return true;
}

}  // namespace

bool TileMap::LoadMap(const char* fileName)
{
    FileBytes bytes;
    if (!bytes.ReadFile(fileName)) return false;
    BoundedReader file(bytes.Data(), bytes.Size());
    return ReadMap(file);
}

bool TileMap::ReadMap(BoundedReader& file)
{
    MapContents map;
    int32_t objectCount = 0;
    const bool whole = ReadMagic(file) && file.Read(map.headerValue) && file.Read(map.width) &&
                       file.Read(map.height) && ReadCells(file, map) && ReadFloorTiles(file, sprites, map) &&
                       ReadCount(file, ObjectBytes, objectCount);
    if (!whole) {
        ShowErrorBox("Wrong map file.", "Error");
        return false;
    }

    // Everything left fits now: the objects cannot fail half-way. A map loaded
    // before (never, in the program) gives way, except its scene objects.
    ReleaseCells(rows, height, width);
    delete[] floorTiles;
    headerValue = map.headerValue;
    width = map.width;
    height = map.height;
    rows = map.rows;
    floorTileCount = map.floorTileCount;
    floorTiles = map.floorTiles;
    map.rows = nullptr;
    map.floorTiles = nullptr;
    for (int32_t i = 0; i < objectCount; ++i) {
        SceneObject object;
        if (!ReadObject(file, sprites, object)) break;
        // The file's order is the drawing order.
        AppendObject(object);
    }
    return true;
}
