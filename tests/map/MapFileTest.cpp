#include "MapFixtures.h"

#include "base/ByteOrder.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Write `value` over the bytes at `offset`; throw when they are not all there.
void PutInt32(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    bytes.at(offset + 3);
    StoreLittleEndian32(bytes.data() + offset, BitsOf(value));
}

void PutUInt16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    bytes.at(offset + 1);
    StoreLittleEndian16(bytes.data() + offset, value);
}

// 3 x 2 cells, one with data; two floor tiles; two objects stored (5,5) then (0,0).
MapSource SmallMap()
{
    MapSource map = OpenMap(3, 2, {{1, 0}});
    map.headerValue = -123456;
    map.Cell(2, 1).value = -7;
    map.Cell(2, 1).data = {1, 2, 3};
    map.Cell(0, 1).blocked = 9;
    map.floorTiles = {{0, 0, 4, 10, "grass", 0}, {-1, 3, 0, 99, "water", 5}};
    map.objects = {{5, 5, 6, 7, 2, 20, "tree", 3}, {0, 0, 0, 0, -1, 10, "rock", 7}};
    return map;
}

// Offsets in SmallMap's file.
constexpr size_t CellsStart = 11;
constexpr size_t CellsBytes = 6 * 7 + 3;
constexpr size_t FloorCountAt = CellsStart + CellsBytes;
constexpr size_t ObjectCountAt = FloorCountAt + 4 + 2 * 47;
constexpr size_t SmallMapBytes = ObjectCountAt + 4 + 2 * 51;

class MapFileTest : public InScratchDirectory {
protected:
    void SetUp() override
    {
        InScratchDirectory::SetUp();
        WriteFile("SpriteList.txt", "3\n10 grass.spr\n20 tree.spr\n10 again.spr\n");
        ASSERT_TRUE(map.sprites.LoadSpriteList("SpriteList.txt"));
    }

    bool Load(const std::vector<uint8_t>& bytes)
    {
        WriteFile("test.map", bytes);
        return map.LoadMap("test.map");
    }

    void ExpectRejected(const std::vector<uint8_t>& bytes, const std::string& what)
    {
        TileMap fresh;
        const int before = ErrorBoxWatch::shown;
        EXPECT_FALSE(ReadMapBytes(fresh, bytes)) << what;
        EXPECT_EQ(ErrorBoxWatch::shown, before + 1) << what;
        EXPECT_EQ(ErrorBoxWatch::text, "Wrong map file.");
        EXPECT_EQ(ErrorBoxWatch::caption, "Error");
        ExpectEmpty(fresh, what);
        EXPECT_EQ(fresh.headerValue, 0) << what;
    }

    static void ExpectEmpty(const TileMap& fresh, const std::string& what)
    {
        EXPECT_EQ(fresh.width, 0) << what;
        EXPECT_EQ(fresh.height, 0) << what;
        EXPECT_EQ(fresh.rows, nullptr) << what;
        EXPECT_EQ(fresh.floorTileCount, 0) << what;
        EXPECT_EQ(fresh.floorTiles, nullptr) << what;
        EXPECT_EQ(fresh.objects.Count(), 0) << what;
    }

    TileMap map;
};

TEST_F(MapFileTest, EncodedLayoutHasTheDocumentedSize)
{
    EXPECT_EQ(EncodeMapFile(SmallMap()).size(), SmallMapBytes);
}

TEST_F(MapFileTest, LoadsEveryFieldAndTurnsSpriteIdsIntoIndices)
{
    ASSERT_TRUE(Load(EncodeMapFile(SmallMap())));
    EXPECT_EQ(ErrorBoxWatch::shown, 0);
    EXPECT_EQ(map.headerValue, -123456);
    ASSERT_EQ(map.width, 3);
    ASSERT_EQ(map.height, 2);
    EXPECT_EQ(map.rows[0][1].blocked, 1);
    EXPECT_EQ(map.rows[1][0].blocked, 9);
    EXPECT_EQ(map.rows[0][0].blocked, 0);
    const MapCell& withData = map.rows[1][2];
    EXPECT_EQ(withData.value, -7);
    ASSERT_EQ(withData.dataLength, 3);
    EXPECT_EQ(std::vector<uint8_t>(withData.data, withData.data + 3), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(map.rows[0][0].dataLength, 0);
    EXPECT_EQ(map.rows[0][0].data, nullptr);

    ASSERT_EQ(map.floorTileCount, 2);
    const FloorTile& grass = map.floorTiles[0];
    EXPECT_EQ(grass.x, 0);
    EXPECT_EQ(grass.z, 4);
    EXPECT_EQ(grass.spriteIndex, 0);  // id 10: the first entry listed with it
    EXPECT_STREQ(grass.animationName, "grass");
    const FloorTile& water = map.floorTiles[1];
    EXPECT_EQ(water.x, -1);
    EXPECT_EQ(water.y, 3);
    EXPECT_EQ(water.spriteIndex, -1);  // id 99 is not listed
    EXPECT_EQ(water.direction, 5);

    ASSERT_EQ(map.objects.Count(), 2);
    EXPECT_EQ(Anchors(map), (std::vector<std::pair<int, int>>{{5, 5}, {0, 0}}));  // file order
    const SceneObject& tree = map.objects.First()->object;
    EXPECT_EQ(tree.x1, 6);
    EXPECT_EQ(tree.y1, 7);
    EXPECT_EQ(tree.z, 2);
    EXPECT_EQ(tree.spriteIndex, 1);
    EXPECT_STREQ(tree.animationName, "tree");
    EXPECT_EQ(tree.direction, 3);
    EXPECT_EQ(tree.cursor, nullptr);
    EXPECT_EQ(map.objects.Last()->object.z, -1);
}

TEST_F(MapFileTest, AnEmptyRegistryGivesNoIndices)
{
    TileMap unlisted;
    ASSERT_TRUE(ReadMapBytes(unlisted, EncodeMapFile(SmallMap())));
    EXPECT_EQ(unlisted.floorTiles[0].spriteIndex, -1);
    EXPECT_EQ(unlisted.objects.First()->object.spriteIndex, -1);
}

TEST_F(MapFileTest, AMissingFileIsFalseWithoutABox)
{
    EXPECT_FALSE(map.LoadMap("test.map"));
    EXPECT_EQ(ErrorBoxWatch::shown, 0);
    ExpectEmpty(map, "missing");
}

TEST_F(MapFileTest, OnlyTheFirstThreeBytesAreTheMagic)
{
    std::vector<uint8_t> bytes = EncodeMapFile(SmallMap());
    bytes[3] = 0;  // the first byte of headerValue, not a terminator
    PutInt32(bytes, 3, 0x0050414D);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(map.headerValue, 0x0050414D);

    for (const char* wrong : {"MAp", "PAM", "\0AP", "MA\0"}) {
        std::vector<uint8_t> bad = EncodeMapFile(SmallMap());
        std::copy(wrong, wrong + 3, bad.begin());
        ExpectRejected(bad, std::string("magic ") + wrong);
    }
}

TEST_F(MapFileTest, AWrongMagicThroughTheFileShowsTheBox)
{
    EXPECT_FALSE(Load({'S', 'P', 'R', 'I', 'T', 'E'}));
    EXPECT_EQ(ErrorBoxWatch::shown, 1);
    EXPECT_EQ(ErrorBoxWatch::text, "Wrong map file.");
    EXPECT_EQ(ErrorBoxWatch::caption, "Error");
    ExpectEmpty(map, "wrong magic");
}

TEST_F(MapFileTest, EveryTruncationIsRejected)
{
    const std::vector<uint8_t> whole = EncodeMapFile(SmallMap());
    for (size_t length = 0; length < whole.size(); ++length) {
        ExpectRejected(std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)),
                       "cut at " + std::to_string(length));
    }
}

TEST_F(MapFileTest, BytesAfterTheLastObjectAreIgnored)
{
    std::vector<uint8_t> bytes = EncodeMapFile(SmallMap());
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(map.objects.Count(), 2);
}

TEST_F(MapFileTest, CountsOfZeroOrLessMeanNoRecords)
{
    MapSource source = SmallMap();
    source.floorTiles.clear();
    source.objects.clear();
    for (int32_t count : {0, -1, INT_MIN}) {
        std::vector<uint8_t> bytes = EncodeMapFile(source);
        PutInt32(bytes, FloorCountAt, count);
        PutInt32(bytes, FloorCountAt + 4, count);
        TileMap loaded;
        ASSERT_TRUE(ReadMapBytes(loaded, bytes)) << count;
        EXPECT_EQ(loaded.floorTileCount, 0);
        EXPECT_EQ(loaded.floorTiles, nullptr);
        EXPECT_EQ(loaded.objects.Count(), 0);
    }
    // A negative floor count is followed directly by the objects.
    source.objects = SmallMap().objects;
    std::vector<uint8_t> bytes = EncodeMapFile(source);
    PutInt32(bytes, FloorCountAt, -5);
    TileMap loaded;
    ASSERT_TRUE(ReadMapBytes(loaded, bytes));
    EXPECT_EQ(loaded.objects.Count(), 2);
    EXPECT_EQ(ErrorBoxWatch::shown, 0);
}

TEST_F(MapFileTest, AnUnterminatedNameIsCutAt32Characters)
{
    std::vector<uint8_t> bytes = EncodeMapFile(SmallMap());
    const size_t nameAt = FloorCountAt + 4 + 10;
    std::fill(bytes.begin() + long(nameAt), bytes.begin() + long(nameAt) + 33, 'x');
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(std::string(map.floorTiles[0].animationName), std::string(32, 'x'));
}

TEST_F(MapFileTest, NegativeDataLengthIsRejected)
{
    for (int32_t length : {-1, INT_MIN}) {
        std::vector<uint8_t> bytes = EncodeMapFile(SmallMap());
        PutInt32(bytes, CellsStart + 3, length);
        ExpectRejected(bytes, "dataLength " + std::to_string(length));
    }
}

TEST_F(MapFileTest, CountsAndSizesBeyondTheFileAreRejected)
{
    struct Patch {
        const char* what;
        size_t offset;
        int32_t value;
    };
    const Patch patches[] = {
        {"data length", CellsStart + 3, INT_MAX},
        // The last cell: its data, the floor and the objects leave 207 bytes.
        {"data length one past the end", CellsStart + 5 * 7 + 3, 208},
        {"floor count", FloorCountAt, INT_MAX},
        // 200 bytes follow the floor count: room for 4 records of 47, not 5.
        {"floor count past the end", FloorCountAt, 5},
        {"object count", ObjectCountAt, INT_MAX},
        {"object count one too many", ObjectCountAt, 3},
    };
    for (const Patch& patch : patches) {
        std::vector<uint8_t> bytes = EncodeMapFile(SmallMap());
        PutInt32(bytes, patch.offset, patch.value);
        ExpectRejected(bytes, patch.what);
    }
    for (const auto& [width, height] : {std::pair<uint16_t, uint16_t>{65535, 65535}, {3, 65535}, {65535, 2}}) {
        std::vector<uint8_t> bytes = EncodeMapFile(SmallMap());
        PutUInt16(bytes, 7, width);
        PutUInt16(bytes, 9, height);
        ExpectRejected(bytes, "dimensions " + std::to_string(width) + " x " + std::to_string(height));
    }
}

TEST_F(MapFileTest, CellsWithoutDataFollowEachOtherDirectly)
{
    MapSource source = OpenMap(2, 1);
    source.Cell(0, 0).value = 0x1234;
    source.Cell(1, 0).value = -2;
    source.Cell(1, 0).blocked = 1;
    const std::vector<uint8_t> bytes = EncodeMapFile(source);
    EXPECT_EQ(bytes.size(), 11 + 2 * 7 + 4 + 4u);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(map.rows[0][0].value, 0x1234);
    EXPECT_EQ(map.rows[0][1].value, -2);
    EXPECT_EQ(map.rows[0][1].blocked, 1);
}

TEST_F(MapFileTest, AFailedLoadLeavesTheMapAsItWas)
{
    map.InsertObject(OneCell(1, 1));
    std::vector<uint8_t> bytes = EncodeMapFile(SmallMap());
    bytes.pop_back();
    EXPECT_FALSE(Load(bytes));
    EXPECT_EQ(map.width, 0);
    EXPECT_EQ(map.rows, nullptr);
    EXPECT_EQ(map.floorTiles, nullptr);
    EXPECT_EQ(map.objects.Count(), 1);
}

TEST_F(MapFileTest, ClearMapReleasesEverythingAndLeavesNoCells)
{
    ASSERT_TRUE(Load(EncodeMapFile(SmallMap())));
    map.ClearMap();
    ExpectEmpty(map, "cleared");
    EXPECT_FALSE(map.IsWalkable(0, 0, 0, 0));
    EXPECT_EQ(map.sprites.EntryCount(), 3);  // the registry is not the map's contents
    map.ClearMap();                          // twice is harmless
}

}  // namespace

namespace {

// A map larger than the loader's read window: cells with data of every size
// (none, a few bytes, one block larger than the window), so that records and
// data lie across the window's edges.
MapSource LargeMap()
{
    MapSource map = OpenMap(300, 120);
    uint32_t noise = 12345;
    auto next = [&noise] {
        noise = noise * 1103515245u + 12345u;
        return noise >> 8;
    };
    for (size_t i = 0; i < map.cells.size(); ++i) {
        CellSource& cell = map.cells[i];
        cell.blocked = static_cast<uint8_t>(next() % 3);
        cell.value = static_cast<int16_t>(next());
        if (next() % 5 == 0) cell.data.assign(next() % 40 + 1, static_cast<uint8_t>(i));
    }
    map.Cell(7, 60).data.assign(BoundedReader::WindowSize + 333, 0xAB);
    for (int i = 0; i < 9000; ++i) {
        const int32_t id = i % 4 == 0 ? 20 : i % 7 == 0 ? 55 : 10;
        map.floorTiles.push_back(
            {int16_t(i % 300), int16_t(i / 300), int16_t(i % 11), id, i % 3 ? "grass" : "water", i % 9});
    }
    for (int i = 0; i < 700; ++i) {
        map.objects.push_back({int16_t(i % 50), int16_t(i / 50), int16_t(i % 50 + 1), int16_t(i / 50 + 2), int16_t(-i),
                               i % 2 ? 20 : 10, "tree", i % 8});
    }
    return map;
}

TEST_F(MapFileTest, ALargeFileLoadsFieldForFieldAsItIsWritten)
{
    const MapSource source = LargeMap();
    const std::vector<uint8_t> bytes = EncodeMapFile(source);
    ASSERT_GT(bytes.size(), BoundedReader::WindowSize + BoundedReader::WindowSize / 2);
    ASSERT_TRUE(Load(bytes));
    ASSERT_EQ(map.width, source.width);
    ASSERT_EQ(map.height, source.height);
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) {
            const MapCell& cell = map.rows[y][x];
            const CellSource& expected = source.Cell(x, y);
            ASSERT_EQ(cell.blocked, expected.blocked) << x << "," << y;
            ASSERT_EQ(cell.value, expected.value) << x << "," << y;
            ASSERT_EQ(cell.dataLength, int32_t(expected.data.size())) << x << "," << y;
            ASSERT_EQ(cell.data == nullptr, expected.data.empty()) << x << "," << y;
            if (cell.data) {
                ASSERT_TRUE(std::equal(expected.data.begin(), expected.data.end(), cell.data)) << x << "," << y;
            }
        }
    }
    ASSERT_EQ(map.floorTileCount, int32_t(source.floorTiles.size()));
    for (int32_t i = 0; i < map.floorTileCount; ++i) {
        const FloorTile& tile = map.floorTiles[i];
        const FloorSource& expected = source.floorTiles[size_t(i)];
        ASSERT_EQ(tile.x, expected.x);
        ASSERT_EQ(tile.y, expected.y);
        ASSERT_EQ(tile.z, expected.z);
        ASSERT_EQ(tile.spriteIndex, map.sprites.FindSpriteIndex(expected.spriteId)) << i;
        ASSERT_EQ(tile.animationName, expected.animationName);
        ASSERT_EQ(tile.direction, expected.direction);
    }
    ASSERT_EQ(map.objects.Count(), int32_t(source.objects.size()));
    const SceneEntry* entry = map.objects.First();
    for (const ObjectSource& expected : source.objects) {
        const SceneObject& object = entry->object;
        ASSERT_EQ(object.x0, expected.x0);
        ASSERT_EQ(object.y1, expected.y1);
        ASSERT_EQ(object.z, expected.z);
        ASSERT_EQ(object.spriteIndex, map.sprites.FindSpriteIndex(expected.spriteId));
        ASSERT_EQ(object.direction, expected.direction);
        ASSERT_EQ(object.cursor, nullptr);
        entry = entry->next;
    }
    EXPECT_EQ(ErrorBoxWatch::shown, 0);
}

TEST_F(MapFileTest, ALargeFileCutAnywhereIsRejected)
{
    const std::vector<uint8_t> whole = EncodeMapFile(LargeMap());
    const size_t window = BoundedReader::WindowSize;
    ASSERT_GT(whole.size(), window + 1);
    for (size_t length :
         {size_t(2), window - 1, window, window + 1, whole.size() / 2, whole.size() - 52, whole.size() - 1}) {
        TileMap fresh;
        ASSERT_TRUE(fresh.sprites.LoadSpriteList("SpriteList.txt"));
        WriteFile("test.map", std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)));
        const int before = ErrorBoxWatch::shown;
        EXPECT_FALSE(fresh.LoadMap("test.map")) << "cut at " << length;
        EXPECT_EQ(ErrorBoxWatch::shown, before + 1) << "cut at " << length;
        ExpectEmpty(fresh, "cut at " + std::to_string(length));
    }
}

TEST_F(MapFileTest, AFolderIsNoMapFileAndShowsNoBox)
{
    std::filesystem::create_directory("folder.map");
    EXPECT_FALSE(map.LoadMap("folder.map"));
    EXPECT_EQ(ErrorBoxWatch::shown, 0);
    ExpectEmpty(map, "a folder");
}

TEST(CellDataStoreTest, BlocksAreApartAndGoAllAtOnce)
{
    CellDataStore store;
    std::vector<std::pair<uint8_t*, size_t>> blocks;
    for (size_t i = 0; i < 3000; ++i) {
        const size_t size = i == 1000 ? 200 * 1024 : i % 97 + 1;  // one larger than a chunk
        uint8_t* block = store.Allocate(size);
        ASSERT_NE(block, nullptr);
        std::memset(block, int(i & 0xFF), size);
        blocks.emplace_back(block, size);
    }
    for (size_t i = 0; i < blocks.size(); ++i) {  // nothing written later overlapped it
        const auto [block, size] = blocks[i];
        for (size_t b = 0; b < size; ++b) ASSERT_EQ(block[b], uint8_t(i & 0xFF)) << i;
    }
    CellDataStore other;
    other.Swap(store);
    store.Release();  // nothing: its blocks went to `other`
    EXPECT_EQ(blocks[5].first[0], 5);
    other.Release();
    EXPECT_NE(other.Allocate(10), nullptr);  // usable again
}

}  // namespace
