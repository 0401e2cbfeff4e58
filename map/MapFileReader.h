// "test.map", read strictly in order, little-endian, no padding (the sizes
// and offsets are named in MapFile.h):
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
// it. The one reader of the format: the program's loader builds its map from
// what it reads, the tools build plain values, and both learn from the same
// MapFileFault why a file is not a map file.
#pragma once

#include "base/BoundedReader.h"
#include "map/MapFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

enum class MapFault : uint8_t {
    None,
    WrongMagic,
    EndsInHeader,
    CellsDoNotFit,  // width x height cells
    EndsInCell,
    CellDataDoesNotFit,  // `value`: the data length
    EndsBeforeFloorCount,
    FloorCountDoesNotFit,  // `value`: the count
    EndsInFloorTiles,      // the file delivered fewer bytes than it said it had
    EndsBeforeObjectCount,
    ObjectCountDoesNotFit,  // `value`: the count
    OutOfMemory,
};

// Why a file is not a map file, and where the reader stood when it found out.
struct MapFileFault {
    MapFault what = MapFault::None;
    size_t offset = 0;
    int64_t value = 0;
};

// Returns what is wrong for a person to read, with the byte it was found at,
// e.g. "the floor tile count 9 does not fit at byte 60"; `width` and `height`
// are those of the header, when it was read.
std::string DescribeMapFault(const MapFileFault& fault, uint16_t width, uint16_t height);

// A floor tile or object as the file holds it; `name` points at the 33 bytes
// of its animationName field.
struct MapFloorRecord {
    int16_t x, y, z;
    int32_t spriteId;
    const uint8_t* name;
    int32_t direction;
};

struct MapObjectRecord {
    int16_t x0, y0, x1, y1, z;
    int32_t spriteId;
    const uint8_t* name;
    int32_t direction;
};

// Reads a whole map file from just before its magic and hands what it reads
// to `builder`, in the file's order:
//
//   Header(headerValue, width, height)
//   StartCells() -> bool                 once the cells are known to fit
//   StartRow(y) -> row                   before each row: the builder's cells
//   Cell(row, x, blocked, value, dataLength)
//   CellData(row, x, dataLength) -> uint8_t*  where the data of cell x goes
//   StartFloor(count) -> tiles           the builder's floor tiles
//   Floor(tile, MapFloorRecord)          for each in turn, from the first
//   StartObjects(count) -> bool
//   Object(MapObjectRecord)
//
// The reader keeps the rows and tiles it is given in registers, so they are
// pointers of the builder's choosing; a null one, a null data pointer or
// false means memory ran out.
// Returns true once the object count has been read and checked; the objects
// are read after that, and a file that ends among them (shorter than the
// file system said) keeps those read so far. Returns false, with `fault`
// set, for anything else that breaks the layout.
template <typename Builder>
bool ReadMapFile(BoundedReader& file, Builder& builder, MapFileFault& fault);

// The reader's parts.
namespace mapfile {

inline bool Fail(BoundedReader& file, MapFault what, MapFileFault& fault, int64_t value = 0)
{
    fault = {what, file.Offset(), value};
    return false;
}

// Reads the count of the records that follow; a count of 0 or less means
// none. Fails when the count cannot be read or more records are counted than
// the rest of the file could hold.
inline bool ReadCount(BoundedReader& file, size_t recordBytes, MapFault ends, MapFault doesNotFit, int32_t& count,
                      MapFileFault& fault)
{
    if (!file.Read(count)) return Fail(file, ends, fault);
    if (count < 0) count = 0;
    if (!file.Fits(count, recordBytes)) return Fail(file, doesNotFit, fault, count);
    return true;
}

inline MapFloorRecord DecodeFloorTile(const uint8_t* record)
{
    return {SignedLittleEndian16(record),
            SignedLittleEndian16(record + MapCoordinateSize),
            SignedLittleEndian16(record + 2 * MapCoordinateSize),
            SignedLittleEndian32(record + MapFloorSpriteId),
            record + MapFloorName,
            SignedLittleEndian32(record + MapFloorDirection)};
}

inline MapObjectRecord DecodeObject(const uint8_t* record)
{
    return {SignedLittleEndian16(record),
            SignedLittleEndian16(record + MapCoordinateSize),
            SignedLittleEndian16(record + 2 * MapCoordinateSize),
            SignedLittleEndian16(record + 3 * MapCoordinateSize),
            SignedLittleEndian16(record + 4 * MapCoordinateSize),
            SignedLittleEndian32(record + MapObjectSpriteId),
            record + MapObjectName,
            SignedLittleEndian32(record + MapObjectDirection)};
}

// The file ends inside a cell: its fields are read one by one, so that the
// fault stands where the first one that is cut begins.
inline bool CutCell(BoundedReader& file, MapFileFault& fault)
{
    uint8_t blocked = 0;
    int16_t value = 0;
    int32_t length = 0;
    (void)(file.Read(blocked) && file.Read(value) && file.Read(length));
    return Fail(file, MapFault::EndsInCell, fault);
}

// Reads data that does not lie in memory (or whose length is negative)
// through the reader, which checks it as every read.
template <typename Builder, typename Row>
bool ReadCellData(BoundedReader& file, Builder& builder, Row row, size_t x, int32_t length, MapFileFault& fault)
{
    if (!file.Fits(length, 1)) return Fail(file, MapFault::CellDataDoesNotFit, fault, length);
    uint8_t* data = builder.CellData(row, x, size_t(length));
    if (!data) return Fail(file, MapFault::OutOfMemory, fault);
    return file.ReadBytes(data, size_t(length)) || Fail(file, MapFault::EndsInCell, fault);
}

// Reads one row of cells.
//
// For speed the cells are decoded in runs straight from the bytes the reader
// holds in memory, with one bounds check per run. A cell with data ends a run.
// If its data lies in memory too, it is copied from there and the next run
// starts after it; if not (or if its length is negative), the data is read
// through the reader.
template <typename Builder, typename Row>
bool ReadRow(BoundedReader& file, Builder& builder, Row row, uint16_t width, MapFileFault& fault)
{
    size_t x = 0;
    while (x < width) {
        size_t held = 0;
        const uint8_t* bytes = file.Peek(MapCellFixedSize, held);
        if (!bytes) return CutCell(file, fault);
        size_t used = 0;
        bool dataToRead = false;
        int32_t length = 0;
        while (x < width && held - used >= MapCellFixedSize) {
            const size_t run = std::min((held - used) / MapCellFixedSize, width - x);
            size_t decoded = 0;
            length = 0;
            while (decoded < run) {
                const uint8_t* cell = bytes + used + decoded * MapCellFixedSize;
                length = SignedLittleEndian32(cell + MapCellDataLength);
                builder.Cell(row, x + decoded, cell[MapCellBlocked], SignedLittleEndian16(cell + MapCellValue), length);
                ++decoded;
                if (length != 0) break;
            }
            used += decoded * MapCellFixedSize;
            x += decoded;
            if (length == 0) continue;
            if (length < 0 || size_t(length) > held - used) {
                dataToRead = true;
                break;
            }
            uint8_t* data = builder.CellData(row, x - 1, size_t(length));
            if (!data) return Fail(file, MapFault::OutOfMemory, fault);
            std::memcpy(data, bytes + used, size_t(length));
            used += size_t(length);
        }
        file.Skip(used);
        if (dataToRead && !ReadCellData(file, builder, row, x - 1, length, fault)) return false;
    }
    return true;
}

template <typename Builder>
bool ReadCells(BoundedReader& file, Builder& builder, uint16_t width, uint16_t height, MapFileFault& fault)
{
    // Without cells there is nothing to allocate.
    if (width == 0 || height == 0) return true;
    if (!file.Fits(int64_t(width) * height, MapCellFixedSize)) return Fail(file, MapFault::CellsDoNotFit, fault);
    if (!builder.StartCells()) return Fail(file, MapFault::OutOfMemory, fault);
    for (uint16_t y = 0; y < height; ++y) {
        const auto row = builder.StartRow(y);
        if (!row) return Fail(file, MapFault::OutOfMemory, fault);
        if (!ReadRow(file, builder, row, width, fault)) return false;
    }
    return true;
}

template <typename Builder>
bool ReadFloorTiles(BoundedReader& file, Builder& builder, MapFileFault& fault)
{
    int32_t count = 0;
    if (!ReadCount(file, MapFloorTileSize, MapFault::EndsBeforeFloorCount, MapFault::FloorCountDoesNotFit, count,
                   fault)) {
        return false;
    }
    if (count == 0) return true;
    auto tile = builder.StartFloor(count);
    if (!tile) return Fail(file, MapFault::OutOfMemory, fault);
    const bool read = file.ReadInPieces(size_t(count), MapFloorTileSize, [&](const uint8_t* records, size_t pieces) {
        auto next = tile;  // in a register while the piece is decoded
        for (size_t i = 0; i < pieces; ++i) builder.Floor(*next++, DecodeFloorTile(records + i * MapFloorTileSize));
        tile = next;
    });
    return read || Fail(file, MapFault::EndsInFloorTiles, fault);
}

}  // namespace mapfile

template <typename Builder>
bool ReadMapFile(BoundedReader& file, Builder& builder, MapFileFault& fault)
{
    // The buffer starts zeroed and is compared including its terminator, so a
    // file shorter than the magic fails the comparison as a wrong magic does.
    char magic[MapMagicSize + 1] = {};
    file.ReadBytes(magic, MapMagicSize);
    if (std::memcmp(magic, MapMagic, sizeof magic) != 0) return mapfile::Fail(file, MapFault::WrongMagic, fault);
    int32_t headerValue = 0;
    uint16_t width = 0, height = 0;
    if (!(file.Read(headerValue) && file.Read(width) && file.Read(height))) {
        return mapfile::Fail(file, MapFault::EndsInHeader, fault);
    }
    builder.Header(headerValue, width, height);
    int32_t objectCount = 0;
    if (!(mapfile::ReadCells(file, builder, width, height, fault) && mapfile::ReadFloorTiles(file, builder, fault) &&
          mapfile::ReadCount(file, MapObjectSize, MapFault::EndsBeforeObjectCount, MapFault::ObjectCountDoesNotFit,
                             objectCount, fault))) {
        return false;
    }
    if (!builder.StartObjects(objectCount)) return mapfile::Fail(file, MapFault::OutOfMemory, fault);
    file.ReadInPieces(size_t(objectCount), MapObjectSize, [&](const uint8_t* records, size_t count) {
        for (size_t i = 0; i < count; ++i) builder.Object(mapfile::DecodeObject(records + i * MapObjectSize));
    });
    return true;
}
