// The layout is drawn at the top of map/MapFile.cpp.
#include "tools/worldfiles/MapFileCodec.h"

#include "base/BoundedReader.h"
#include "base/ByteWriter.h"
#include "map/MapFile.h"

#include <cstring>

namespace {

void WriteCell(ByteWriter& out, const CellSource& cell)
{
    out.Write(cell.blocked);
    out.Write(cell.value);
    out.Write(static_cast<int32_t>(cell.data.size()));
    out.WriteBytes(cell.data);
}

std::string At(const BoundedReader& file, const std::string& what)
{
    return what + " at byte " + std::to_string(file.Offset());
}

bool ReadName(BoundedReader& file, std::string& name)
{
    char field[AnimationNameSize];
    if (!file.ReadBytes(field, AnimationNameSize)) return false;
    name.assign(field, strnlen(field, AnimationNameSize - 1));
    return true;
}

bool ReadCell(BoundedReader& file, CellSource& cell, std::string& error)
{
    int32_t length = 0;
    if (!(file.Read(cell.blocked) && file.Read(cell.value) && file.Read(length))) {
        error = At(file, "the file ends inside a cell");
        return false;
    }
    if (!file.Fits(length, 1)) {
        error = At(file, "a cell's data length " + std::to_string(length) + " does not fit");
        return false;
    }
    const uint8_t* data = file.Take(static_cast<size_t>(length));
    cell.data.assign(data, data + length);
    return true;
}

bool ReadFloorTile(BoundedReader& file, FloorSource& tile)
{
    return file.Read(tile.x) && file.Read(tile.y) && file.Read(tile.z) && file.Read(tile.spriteId) &&
           ReadName(file, tile.animationName) && file.Read(tile.direction);
}

bool ReadObject(BoundedReader& file, ObjectSource& object)
{
    return file.Read(object.x0) && file.Read(object.y0) && file.Read(object.x1) && file.Read(object.y1) &&
           file.Read(object.z) && file.Read(object.spriteId) && ReadName(file, object.animationName) &&
           file.Read(object.direction);
}

bool ReadCount(BoundedReader& file, size_t recordBytes, const char* what, int32_t& count, std::string& error)
{
    if (!file.Read(count)) {
        error = At(file, std::string("the file ends before the ") + what + " count");
        return false;
    }
    if (count < 0) count = 0;
    if (!file.Fits(count, recordBytes)) {
        error = At(file, std::string("the ") + what + " count " + std::to_string(count) + " does not fit");
        return false;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeMapFile(const MapSource& map)
{
    std::vector<uint8_t> bytes(MapMagic, MapMagic + MapMagicSize);
    ByteWriter out(bytes);
    out.Write(map.headerValue);
    out.Write(map.width);
    out.Write(map.height);
    const size_t cellCount = size_t(map.width) * map.height;
    for (size_t i = 0; i < cellCount; ++i) WriteCell(out, i < map.cells.size() ? map.cells[i] : CellSource{});

    out.Write(static_cast<int32_t>(map.floorTiles.size()));
    for (const FloorSource& tile : map.floorTiles) {
        for (int16_t coordinate : {tile.x, tile.y, tile.z}) out.Write(coordinate);
        out.Write(tile.spriteId);
        out.WriteText(tile.animationName, AnimationNameSize);
        out.Write(tile.direction);
    }
    out.Write(static_cast<int32_t>(map.objects.size()));
    for (const ObjectSource& object : map.objects) {
        for (int16_t coordinate : {object.x0, object.y0, object.x1, object.y1, object.z}) out.Write(coordinate);
        out.Write(object.spriteId);
        out.WriteText(object.animationName, AnimationNameSize);
        out.Write(object.direction);
    }
    return bytes;
}

bool DecodeMapFile(const std::vector<uint8_t>& bytes, MapSource& map, std::string& error)
{
    map = MapSource{};
    BoundedReader file(bytes.data(), bytes.size());
    char magic[MapMagicSize] = {};
    if (!file.ReadBytes(magic, MapMagicSize) || std::memcmp(magic, MapMagic, MapMagicSize) != 0) {
        error = "not a map file: it does not start with \"MAP\"";
        return false;
    }
    if (!(file.Read(map.headerValue) && file.Read(map.width) && file.Read(map.height))) {
        error = At(file, "the file ends inside the header");
        return false;
    }
    const int64_t cellCount = int64_t(map.width) * map.height;
    if (!file.Fits(cellCount, MapCellFixedSize)) {
        error = At(file, std::to_string(map.width) + " x " + std::to_string(map.height) + " cells do not fit");
        return false;
    }
    map.cells.resize(static_cast<size_t>(cellCount));
    for (CellSource& cell : map.cells) {
        if (!ReadCell(file, cell, error)) return false;
    }

    int32_t count = 0;
    if (!ReadCount(file, MapFloorTileSize, "floor tile", count, error)) return false;
    // The records were counted against what is left: their reads cannot fail.
    map.floorTiles.resize(static_cast<size_t>(count));
    for (FloorSource& tile : map.floorTiles) ReadFloorTile(file, tile);
    if (!ReadCount(file, MapObjectSize, "object", count, error)) return false;
    map.objects.resize(static_cast<size_t>(count));
    for (ObjectSource& object : map.objects) ReadObject(file, object);
    return true;
}
