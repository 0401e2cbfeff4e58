#include "MapFixtures.h"

#include "sprite/AnimationCursor.h"

#include <climits>

namespace {

using Anchor = std::pair<int, int>;

std::vector<int32_t> Tags(const TileMap& map)
{
    std::vector<int32_t> tags;
    for (const SceneEntry* entry = map.objects.First(); entry != map.objects.End(); entry = entry->next) {
        tags.push_back(entry->object.spriteIndex);
    }
    return tags;
}

// Checks that every link agrees with its neighbour's, and the count with the
// links.
void ExpectWellLinked(const TileMap& map)
{
    int32_t walked = 0;
    const SceneEntry* entry = map.objects.End();
    do {
        EXPECT_EQ(entry->next->previous, entry);
        EXPECT_EQ(entry->previous->next, entry);
        entry = entry->next;
        ++walked;
    } while (entry != map.objects.End() && walked <= map.objects.Count() + 1);
    EXPECT_EQ(walked - 1, map.objects.Count());
}

TEST(SceneListTest, AnEmptyListIsItsSentinelAlone)
{
    TileMap map;
    EXPECT_EQ(map.objects.Count(), 0);
    EXPECT_EQ(map.objects.First(), map.objects.End());
    EXPECT_EQ(map.objects.Last(), map.objects.End());
    ExpectWellLinked(map);
}

TEST(SceneListTest, InsertingIntoAnEmptyListGivesTheOneEntry)
{
    TileMap map;
    SceneEntry* entry = map.InsertObject(OneCell(3, 4, 7));
    EXPECT_EQ(map.objects.Count(), 1);
    EXPECT_EQ(map.objects.First(), entry);
    EXPECT_EQ(map.objects.Last(), entry);
    EXPECT_EQ(entry->object.spriteIndex, 7);
    EXPECT_STREQ(entry->object.animationName, "idle");
    ExpectWellLinked(map);
}

TEST(SceneListTest, AppendKeepsTheCallersOrderWhateverTheCoordinates)
{
    TileMap map;
    map.AppendObject(OneCell(5, 5, 1));
    map.AppendObject(OneCell(0, 0, 2));
    map.AppendObject(OneCell(9, -3, 3));
    EXPECT_EQ(Tags(map), (std::vector<int32_t>{1, 2, 3}));
    ExpectWellLinked(map);
}

TEST(SceneListTest, ClearMapEmptiesTheListAndLeavesCursorsAlone)
{
    TileMap map;
    AnimationCursor cursor;  // on the stack: releasing it would be caught
    SceneObject walker = OneCell(1, 1);
    walker.cursor = &cursor;
    map.InsertObject(walker);
    map.AppendObject(OneCell(2, 2));
    map.ClearMap();
    EXPECT_EQ(map.objects.Count(), 0);
    EXPECT_EQ(map.objects.First(), map.objects.End());
    ExpectWellLinked(map);
    EXPECT_TRUE(cursor.rebind);
    map.InsertObject(OneCell(0, 0));  // still usable
    EXPECT_EQ(map.objects.Count(), 1);
}

// ---- The ordering rule ------------------------------------------------------

struct FrontCase {
    SceneObject existing;
    SceneObject added;
    bool inFront;
};

TEST(IsInFrontTest, EitherCornerOfTheNewObjectDecides)
{
    // clang-format off
    const FrontCase cases[] = {
        {OneCell(1, 1), OneCell(1, 1), true},          // same cell
        {OneCell(2, 0), OneCell(1, 1), true},          // further right, no higher
        {OneCell(0, 0), OneCell(0, 5), true},          // x equal, y smaller
        {OneCell(0, 0), OneCell(10, 30), false},       // 0 < 10 in both conditions
        {OneCell(1, 1), OneCell(2, 2), false},
        {OneCell(1, 2), OneCell(1, 1), false},         // y larger
        {OneCell(3, 3), Object(4, 0, 2, 5), true},     // only the opposite corner qualifies
        {OneCell(3, 6), Object(4, 0, 2, 5), false},
        {OneCell(-2, -7), OneCell(-3, -7), true},      // signed comparisons
        {OneCell(-3, -7), OneCell(-2, -7), false},
        {OneCell(32767, -32768), OneCell(-32768, 32767), true},
    };
    // clang-format on
    for (const FrontCase& c : cases) {
        EXPECT_EQ(TileMap::IsInFront(c.existing, c.added), c.inFront)
            << "existing (" << c.existing.x0 << "," << c.existing.y0 << ") added (" << c.added.x0 << "," << c.added.y0
            << ")-(" << c.added.x1 << "," << c.added.y1 << ")";
    }
}

TEST(IsInFrontTest, IsNotSymmetric)
{
    EXPECT_TRUE(TileMap::IsInFront(OneCell(2, 0), OneCell(1, 1)));
    EXPECT_FALSE(TileMap::IsInFront(OneCell(1, 1), OneCell(2, 0)));
}

struct InsertCase {
    const char* what;
    std::vector<Anchor> list;  // appended in this order
    Anchor added;
    std::vector<Anchor> expected;
};

TEST(InsertObjectTest, GoesBeforeTheFirstEntryItIsBehind)
{
    const InsertCase cases[] = {
        {"empty list", {}, {4, 4}, {{4, 4}}},
        {"(0,5) into (0,0), (1,1): at the head", {{0, 0}, {1, 1}}, {0, 5}, {{0, 5}, {0, 0}, {1, 1}}},
        {"(10,30) into (0,0): after it", {{0, 0}}, {10, 30}, {{0, 0}, {10, 30}}},
        {"behind the second", {{0, 0}, {5, 0}}, {3, 0}, {{0, 0}, {3, 0}, {5, 0}}},
        {"no entry qualifies: at the end", {{0, 0}, {1, 0}}, {2, 0}, {{0, 0}, {1, 0}, {2, 0}}},
        // Only the entries as they stand are compared: an unsorted list stays unsorted.
        {"unsorted list", {{5, 5}, {0, 0}}, {0, 0}, {{5, 5}, {0, 0}, {0, 0}}},
    };
    for (const InsertCase& c : cases) {
        TileMap map;
        for (const Anchor& anchor : c.list) map.AppendObject(OneCell(anchor.first, anchor.second));
        const SceneEntry* entry = map.InsertObject(OneCell(c.added.first, c.added.second));
        EXPECT_EQ(Anchors(map), c.expected) << c.what;
        EXPECT_EQ(entry->object.x0, c.added.first) << c.what;
        EXPECT_EQ(map.objects.Count(), static_cast<int32_t>(c.expected.size())) << c.what;
        ExpectWellLinked(map);
    }
}

TEST(InsertObjectTest, TheLaterOfTwoObjectsOnOneCellIsDrawnFirst)
{
    // The two walkers, spawned on (1,1) of a map without objects.
    TileMap map;
    SceneEntry* walker1 = map.InsertObject(OneCell(1, 1, 1));
    SceneEntry* walker2 = map.InsertObject(OneCell(1, 1, 2));
    EXPECT_EQ(Tags(map), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(map.objects.First(), walker2);
    EXPECT_EQ(map.objects.Last(), walker1);
}

// ---- Moves and walkability --------------------------------------------------

class MoveObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 4 x 3, (2,1) blocked.
        ErrorBoxWatch watch;
        ASSERT_TRUE(ReadMapBytes(map, EncodeMapFile(OpenMap(4, 3, {{2, 1}}))));
    }
    TileMap map;
};

TEST_F(MoveObjectTest, OntoABlockedOrOutsideCellNothingChanges)
{
    map.AppendObject(OneCell(0, 0, 1));
    SceneEntry* moving = map.AppendObject(Object(1, 1, 3, 2, 2));
    map.AppendObject(OneCell(3, 2, 3));
    const std::pair<int32_t, int32_t> steps[] = {{1, 0}, {-2, 0}, {0, -2}, {0, 2}, {3, 0}, {INT_MAX, 0}, {0, INT_MIN}};
    for (const auto& [dx, dy] : steps) {
        SceneEntry* reference = moving;
        map.MoveObject(reference, dx, dy, 5);
        EXPECT_EQ(reference, moving) << dx << "," << dy;
        EXPECT_EQ(moving->object.x0, 1);
        EXPECT_EQ(moving->object.z, 0);
        EXPECT_EQ(Tags(map), (std::vector<int32_t>{1, 2, 3}));
    }
}

TEST_F(MoveObjectTest, AMoveReinsertsFromTheFirstEntry)
{
    map.AppendObject(OneCell(3, 0, 1));
    SceneEntry* moving = map.AppendObject(Object(0, 0, 1, 2, 2));
    map.AppendObject(OneCell(0, 2, 3));
    SceneEntry* reference = moving;
    map.MoveObject(reference, 1, 1, -3);
    ASSERT_NE(reference, nullptr);
    const SceneObject& moved = reference->object;
    EXPECT_EQ(moved.x0, 1);
    EXPECT_EQ(moved.y0, 1);
    EXPECT_EQ(moved.x1, 2);
    EXPECT_EQ(moved.y1, 3);
    EXPECT_EQ(moved.z, -3);
    EXPECT_EQ(moved.spriteIndex, 2);
    EXPECT_STREQ(moved.animationName, "idle");
    // (3,0) is in front of (1,1): the moved object now goes first.
    EXPECT_EQ(Tags(map), (std::vector<int32_t>{2, 1, 3}));
    EXPECT_EQ(map.objects.Count(), 3);
    ExpectWellLinked(map);
}

TEST_F(MoveObjectTest, AMoveOfNoCellsStillFindsItsPlaceAgain)
{
    // Appended ahead of (0,0), though the ordering rule puts it behind.
    SceneEntry* moving = map.AppendObject(OneCell(1, 0, 1));
    map.AppendObject(OneCell(0, 0, 2));
    SceneEntry* reference = moving;
    map.MoveObject(reference, 0, 0, 0);
    EXPECT_EQ(Tags(map), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(map.objects.Last(), reference);
}

TEST_F(MoveObjectTest, OnlyTheAnchorsTargetCellIsTested)
{
    // The far corner lands on the blocked (2,1) and beyond the map: allowed.
    SceneEntry* reference = map.AppendObject(Object(0, 0, 1, 0));
    map.MoveObject(reference, 1, 1, 0);
    EXPECT_EQ(reference->object.x0, 1);
    EXPECT_EQ(reference->object.x1, 2);
}

TEST(IsWalkableTest, InsideTheMapOnlyTheBlockedByteDecides)
{
    MapSource source = OpenMap(3, 2, {{1, 0}});
    source.Cell(2, 1).blocked = 200;
    source.Cell(0, 1).value = 9;  // the value is not read
    TileMap map;
    ErrorBoxWatch watch;
    ASSERT_TRUE(ReadMapBytes(map, EncodeMapFile(source)));

    struct Case {
        int32_t x, y, dx, dy;
        bool walkable;
    };
    const Case cases[] = {
        {0, 0, 0, 0, true},        {0, 0, 1, 0, false},        {0, 0, 2, 0, true},
        {0, 0, 0, 1, true},        {1, 1, 1, 0, false},        {0, 0, -1, 0, false},
        {0, 0, 0, -1, false},      {2, 0, 1, 0, false},        {0, 1, 0, 1, false},
        {5, 5, -5, -5, true},      {-1, -1, 1, 1, true},       {0, 0, 3, 0, false},
        {INT_MAX, 0, 1, 0, false}, {INT_MIN, 0, -1, 0, false}, {0, INT_MAX, 0, INT_MAX, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(map.IsWalkable(c.x, c.y, c.dx, c.dy), c.walkable)
            << "(" << c.x << "," << c.y << ") + (" << c.dx << "," << c.dy << ")";
    }
}

TEST(IsWalkableTest, AMapWithoutCellsIsBlockedEverywhere)
{
    for (const auto& [width, height] : {std::pair<int, int>{0, 0}, {0, 5}, {5, 0}}) {
        TileMap map;
        ErrorBoxWatch watch;
        ASSERT_TRUE(ReadMapBytes(map, EncodeMapFile(OpenMap(uint16_t(width), uint16_t(height)))));
        EXPECT_EQ(map.rows, nullptr);
        for (int32_t x = -1; x <= 5; ++x) {
            for (int32_t y = -1; y <= 5; ++y) EXPECT_FALSE(map.IsWalkable(x, y, 0, 0));
        }
    }
    TileMap empty;  // as constructed
    EXPECT_FALSE(empty.IsWalkable(0, 0, 0, 0));
}

}  // namespace
