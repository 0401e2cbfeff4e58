// The program's map loader: the one reader of the format (MapFileReader.h,
// where the layout is drawn) building the loaded map. A file that breaks the
// layout is treated like a wrong magic: the box is shown and the map is left
// as it was.
#include "map/ErrorBox.h"
#include "map/MapCells.h"
#include "map/MapFileReader.h"
#include "map/TileMap.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

// Copies an animation name field. The field holds at most 32 characters and a
// NUL; a field without a NUL is cut after 32 characters.
void CopyName(const uint8_t* field, AnimationName& name)
{
    std::memcpy(name, field, AnimationNameSize);
    name[AnimationNameSize - 1] = '\0';
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

}  // namespace

// What a load has read so far. It is released when the load fails, and handed
// to the map once the object count has been read: from there on the new map
// replaces the old one (the program never loads a second map), except that
// scene objects already in the list stay.
class MapLoad {
public:
    explicit MapLoad(TileMap& target) : map(target), sprites(target.sprites) {}
    ~MapLoad()
    {
        ReleaseRows(rows, height);
        delete[] floorTiles;
    }
    MapLoad(const MapLoad&) = delete;
    MapLoad& operator=(const MapLoad&) = delete;

    void Header(int32_t value, uint16_t mapWidth, uint16_t mapHeight)
    {
        headerValue = value;
        width = mapWidth;
        height = mapHeight;
    }

    bool StartCells()
    {
        rows = new (std::nothrow) MapCell*[height]();
        return rows != nullptr;
    }

    // Not zeroed first: every field of every cell is read, or the load fails.
    MapCell* StartRow(uint16_t y) { return rows[y] = new (std::nothrow) MapCell[width]; }

    static void Cell(MapCell* row, size_t x, uint8_t blocked, int16_t value, int32_t dataLength)
    {
        MapCell& cell = row[x];
        cell.blocked = blocked;
        cell.value = value;
        cell.dataLength = dataLength;
        cell.data = nullptr;
    }

    uint8_t* CellData(MapCell* row, size_t x, size_t length) { return row[x].data = cellData.Allocate(length); }

    // Not zeroed first: every field is read, or the load fails.
    FloorTile* StartFloor(int32_t count)
    {
        floorTileCount = count;
        return floorTiles = new (std::nothrow) FloorTile[static_cast<size_t>(count)];
    }

    void Floor(FloorTile& tile, const MapFloorRecord& record)
    {
        tile.x = record.x;
        tile.y = record.y;
        tile.z = record.z;
        tile.spriteIndex = sprites.Of(record.spriteId);
        CopyName(record.name, tile.animationName);
        tile.direction = record.direction;
    }

    bool StartObjects(int32_t)
    {
        ReleaseRows(map.rows, map.height);
        map.cellData.Swap(cellData);  // the old cells' data is released with the load
        delete[] map.floorTiles;
        map.headerValue = headerValue;
        map.width = width;
        map.height = height;
        map.rows = rows;
        map.floorTileCount = floorTileCount;
        map.floorTiles = floorTiles;
        rows = nullptr;
        height = 0;
        floorTiles = nullptr;
        return true;
    }

    // The file's order is the drawing order.
    void Object(const MapObjectRecord& record)
    {
        SceneObject object{};
        object.x0 = record.x0;
        object.y0 = record.y0;
        object.x1 = record.x1;
        object.y1 = record.y1;
        object.z = record.z;
        object.spriteIndex = sprites.Of(record.spriteId);
        CopyName(record.name, object.animationName);
        object.direction = record.direction;
        object.cursor = nullptr;
        map.AppendObject(object);
    }

private:
    TileMap& map;
    SpriteIndices sprites;
    int32_t headerValue = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    MapCell** rows = nullptr;
    CellDataStore cellData;
    int32_t floorTileCount = 0;
    FloorTile* floorTiles = nullptr;
};

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
    MapLoad load(*this);
    MapFileFault fault;
    if (ReadMapFile(file, load, fault)) return true;
    // A file that cannot be read at all (a directory, say) is not a wrong map
    // file, so it shows no box.
    if (!file.ReadError()) ShowErrorBox("Wrong map file.", "Error");
    return false;
}
