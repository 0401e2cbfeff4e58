// Both ways through the format's one description: the writer follows the
// layout drawn at the top of map/MapFileReader.h, and the reader is the
// program's own.
#include "tools/worldfiles/MapFileCodec.h"

#include "base/ByteWriter.h"
#include "map/MapFileReader.h"

#include <cstring>

namespace {

void WriteCell(ByteWriter& out, const CellSource& cell)
{
    out.Write(cell.blocked);
    out.Write(cell.value);
    out.Write(static_cast<int32_t>(cell.data.size()));
    out.WriteBytes(cell.data);
}

// The name in a field of the file, cut after MaxAnimationNameLength
// characters as the program cuts it.
std::string NameOf(const uint8_t* field)
{
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, MaxAnimationNameLength));
}

// What the reader reads, as plain values.
class SourceBuilder {
public:
    explicit SourceBuilder(MapSource& target) : map(target) {}

    void Header(int32_t headerValue, uint16_t width, uint16_t height)
    {
        map.headerValue = headerValue;
        map.width = width;
        map.height = height;
    }
    bool StartCells()
    {
        map.cells.resize(size_t(map.width) * map.height);
        return true;
    }
    CellSource* StartRow(uint16_t y) { return &map.cells[size_t(y) * map.width]; }
    static void Cell(CellSource* row, size_t x, uint8_t blocked, int16_t value, int32_t)
    {
        row[x] = {blocked, value, {}};
    }
    static uint8_t* CellData(CellSource* row, size_t x, size_t length)
    {
        row[x].data.resize(length);
        return row[x].data.data();
    }
    FloorSource* StartFloor(int32_t count)
    {
        map.floorTiles.resize(size_t(count));
        return map.floorTiles.data();
    }
    static void Floor(FloorSource& tile, const MapFloorRecord& record)
    {
        tile = {record.x, record.y, record.z, record.spriteId, NameOf(record.name), record.direction};
    }
    bool StartObjects(int32_t count)
    {
        map.objects.reserve(size_t(count));
        return true;
    }
    void Object(const MapObjectRecord& object)
    {
        map.objects.push_back({object.x0, object.y0, object.x1, object.y1, object.z, object.spriteId,
                               NameOf(object.name), object.direction});
    }

private:
    MapSource& map;
};

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
    SourceBuilder builder(map);
    MapFileFault fault;
    if (ReadMapFile(file, builder, fault)) return true;
    error = DescribeMapFault(fault, map.width, map.height);
    return false;
}
