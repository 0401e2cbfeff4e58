// The `cells` property's codec, both ways: what the editor's layers cannot
// show of the cells comes back, the blocked byte only where the cell is still
// blocked, and damaged bytes are refused.
#include "tools/tiledworld/CellsProperty.h"

#include <gtest/gtest.h>

namespace {

MapSource MapOfCells()
{
    MapSource map;
    map.width = 3;
    map.height = 2;
    map.cells.assign(6, CellSource{});
    map.Cell(0, 0).value = -5;
    map.Cell(1, 0).blocked = 1;  // the blocked layer shows it: no record
    map.Cell(2, 1) = {7, 300, {1, 2, 3}};
    return map;
}

// The map as the editor's layers give it back: blocked cells as 1, nothing else.
MapSource AsLayersShowIt(const MapSource& map)
{
    MapSource shown = map;
    for (CellSource& cell : shown.cells) cell = {uint8_t(cell.blocked ? 1 : 0), 0, {}};
    return shown;
}

TEST(CellsPropertyTest, KeepsWhatTheLayersCannotShow)
{
    const MapSource map = MapOfCells();
    const std::vector<uint8_t> bytes = EncodeCellsProperty(map);
    const std::vector<uint8_t> expected = {0, 0, 0, 0, 0, 0xFB, 0xFF, 0, 0, 0, 0,            // (0, 0): value -5
                                           2, 0, 1, 0, 7, 0x2C, 0x01, 3, 0, 0, 0, 1, 2, 3};  // (2, 1)
    EXPECT_EQ(bytes, expected);

    MapSource back = AsLayersShowIt(map);
    ASSERT_TRUE(DecodeCellsProperty(bytes, back));
    for (size_t i = 0; i < map.cells.size(); ++i) {
        EXPECT_EQ(back.cells[i].blocked, map.cells[i].blocked) << i;
        EXPECT_EQ(back.cells[i].value, map.cells[i].value) << i;
        EXPECT_EQ(back.cells[i].data, map.cells[i].data) << i;
    }

    // A cell opened in the editor stays open; its value and data come back.
    MapSource opened = AsLayersShowIt(map);
    opened.Cell(2, 1).blocked = 0;
    ASSERT_TRUE(DecodeCellsProperty(bytes, opened));
    EXPECT_EQ(opened.Cell(2, 1).blocked, 0);
    EXPECT_EQ(opened.Cell(2, 1).value, 300);

    EXPECT_TRUE(EncodeCellsProperty(AsLayersShowIt(map)).empty());
}

TEST(CellsPropertyTest, RefusesDamagedRecords)
{
    const MapSource map = MapOfCells();
    const std::vector<uint8_t> bytes = EncodeCellsProperty(map);
    for (size_t length = 1; length < bytes.size(); ++length) {
        if (length == 11) continue;  // the end of the first record
        MapSource back = AsLayersShowIt(map);
        EXPECT_FALSE(DecodeCellsProperty(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(length)), back))
            << length;
    }
    MapSource narrower = AsLayersShowIt(map);
    narrower.width = 2;
    narrower.cells.resize(4);
    EXPECT_FALSE(DecodeCellsProperty(bytes, narrower));  // (2, 1) lies outside
}

}  // namespace
