// The `cells` property, before base64: a record for each cell that holds a
// value, data or a blocked byte above 1, row 0 first, x = 0 first:
//
//   x u16 | y u16 | blocked u8 | value i16 | data length u32 = n | data bytes[n]
//
// Every number little-endian. The cells in between are open or blocked (1),
// as the blocked layer shows them, with value 0 and no data.
#include "tools/tiledworld/CellsProperty.h"

#include "base/BoundedReader.h"
#include "base/ByteWriter.h"

std::vector<uint8_t> EncodeCellsProperty(const MapSource& map)
{
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) {
            const CellSource& cell = map.Cell(x, y);
            if (cell.value == 0 && cell.data.empty() && cell.blocked <= 1) continue;
            out.Write(uint16_t(x));
            out.Write(uint16_t(y));
            out.Write(cell.blocked);
            out.Write(cell.value);
            out.Write(uint32_t(cell.data.size()));
            out.WriteBytes(cell.data);
        }
    }
    return bytes;
}

bool DecodeCellsProperty(const std::vector<uint8_t>& bytes, MapSource& map)
{
    BoundedReader reader(bytes.data(), bytes.size());
    while (reader.Remaining() > 0) {
        uint16_t x = 0, y = 0;
        uint8_t blocked = 0;
        int16_t value = 0;
        uint32_t size = 0;
        if (!(reader.Read(x) && reader.Read(y) && reader.Read(blocked) && reader.Read(value) && reader.Read(size)) ||
            !reader.Fits(int64_t(size), 1) || x >= map.width || y >= map.height) {
            return false;
        }
        CellSource& cell = map.Cell(x, y);
        cell.value = value;
        const uint8_t* data = reader.Take(size_t(size));
        cell.data.assign(data, data + size);
        if (cell.blocked && blocked) cell.blocked = blocked;
    }
    return true;
}
