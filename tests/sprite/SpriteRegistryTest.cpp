#include "SpriteFixtures.h"

#include "sprite/SpriteRegistry.h"

namespace {

class SpriteRegistryTest : public InScratchDirectory {
protected:
    bool LoadList(const std::string& text)
    {
        WriteText("SpriteList.txt", text);
        return registry.LoadSpriteList("SpriteList.txt");
    }

    static void WriteSprite(const std::string& path, int32_t id)
    {
        SpriteSource source = OneFrameSprite(PatternFrame(2, 2));
        source.id = id;
        ASSERT_TRUE(WriteFileBytes(path, EncodeSpriteFile(source)));
    }

    SpriteRegistry registry;
};

TEST_F(SpriteRegistryTest, EntriesKeepTheirListOrder)
{
    ASSERT_TRUE(LoadList("4\n10 tree.spr\r\n  -3\tfloor.spr 10 other.spr\n\n7\n\twalker.spr\n"));
    ASSERT_EQ(registry.EntryCount(), 4);
    const struct {
        int32_t id;
        const char* fileName;
    } expected[] = {{10, "tree.spr"}, {-3, "floor.spr"}, {10, "other.spr"}, {7, "walker.spr"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(registry.Entry(i).id, expected[i].id);
        EXPECT_STREQ(registry.Entry(i).fileName, expected[i].fileName);
        EXPECT_EQ(registry.Entry(i).sprite, nullptr);
        EXPECT_EQ(registry.Entry(i).useCount, 0);
    }
    EXPECT_EQ(registry.FindSpriteIndex(10), 0);  // the first of two equal ids
    EXPECT_EQ(registry.FindSpriteIndex(-3), 1);
    EXPECT_EQ(registry.FindSpriteIndex(7), 3);
    EXPECT_EQ(registry.FindSpriteIndex(8), -1);
}

TEST_F(SpriteRegistryTest, AnEmptyOrUnreadableCountGivesNoEntries)
{
    for (const char* list : {"0\n5 a.spr\n", "", "many\n5 a.spr\n", "-4\n1 a.spr\n"}) {
        SpriteRegistry fresh;
        WriteText("SpriteList.txt", list);
        EXPECT_TRUE(fresh.LoadSpriteList("SpriteList.txt")) << list;
        EXPECT_EQ(fresh.EntryCount(), 0) << list;
        EXPECT_EQ(fresh.FindSpriteIndex(0), -1) << list;
        EXPECT_EQ(fresh.FindSpriteIndex(5), -1) << list;
    }
}

TEST_F(SpriteRegistryTest, AMissingListChangesNothing)
{
    ASSERT_TRUE(LoadList("1 5 a.spr"));
    EXPECT_FALSE(registry.LoadSpriteList("missing.txt"));
    EXPECT_EQ(registry.EntryCount(), 1);
}

TEST_F(SpriteRegistryTest, AListThatEndsEarlyGetsOneEmptyEntry)
{
    ASSERT_TRUE(LoadList("3\n5 a.spr\n6 b.spr\n"));
    ASSERT_EQ(registry.EntryCount(), 3);
    EXPECT_EQ(registry.Entry(2).id, 0);
    EXPECT_STREQ(registry.Entry(2).fileName, "");
    EXPECT_EQ(registry.FindSpriteIndex(0), 2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(registry.GetSprite(2), nullptr);
    EXPECT_EQ(registry.Entry(2).useCount, 3);

    // However many entries a damaged count claims, the missing ones become a
    // single entry.
    SpriteRegistry claimsMore;
    WriteText("SpriteList.txt", "2000000000\n5 a.spr\n6");
    ASSERT_TRUE(claimsMore.LoadSpriteList("SpriteList.txt"));
    ASSERT_EQ(claimsMore.EntryCount(), 2);
    EXPECT_EQ(claimsMore.Entry(1).id, 6);
    EXPECT_STREQ(claimsMore.Entry(1).fileName, "");
}

TEST_F(SpriteRegistryTest, AnUnreadableIdLeavesZeroAndTheWordBecomesTheName)
{
    ASSERT_TRUE(LoadList("2\nx a.spr\n"));
    ASSERT_EQ(registry.EntryCount(), 2);
    EXPECT_EQ(registry.Entry(0).id, 0);
    EXPECT_STREQ(registry.Entry(0).fileName, "x");
    EXPECT_EQ(registry.Entry(1).id, 0);
    EXPECT_STREQ(registry.Entry(1).fileName, "a.spr");
}

TEST_F(SpriteRegistryTest, LongNamesAreReadWhole)
{
    for (size_t length : {1023u, 1024u, 1500u, 5000u}) {
        SpriteRegistry fresh;
        const std::string name(length, 'n');
        WriteText("SpriteList.txt", "2\n1 " + name + "\n2 short.spr\n");
        ASSERT_TRUE(fresh.LoadSpriteList("SpriteList.txt"));
        ASSERT_EQ(fresh.EntryCount(), 2) << length;
        EXPECT_EQ(std::string(fresh.Entry(0).fileName), name);
        EXPECT_EQ(fresh.Entry(1).id, 2);
        EXPECT_STREQ(fresh.Entry(1).fileName, "short.spr");
    }
}

TEST_F(SpriteRegistryTest, TheArrayDoublesAsItGrows)
{
    const struct {
        int entries;
        int capacity;
    } cases[] = {{1, 1}, {2, 2}, {3, 4}, {4, 4}, {5, 8}, {9, 16}, {17, 32}};
    for (const auto& c : cases) {
        std::string list = std::to_string(c.entries);
        for (int i = 0; i < c.entries; ++i) list += " " + std::to_string(100 + i) + " s" + std::to_string(i);
        SpriteRegistry fresh;
        WriteText("SpriteList.txt", list);
        ASSERT_TRUE(fresh.LoadSpriteList("SpriteList.txt"));
        EXPECT_EQ(fresh.EntryCount(), c.entries);
        EXPECT_EQ(fresh.Capacity(), c.capacity) << c.entries << " entries";
        EXPECT_EQ(fresh.FindSpriteIndex(100 + c.entries - 1), c.entries - 1);
        EXPECT_STREQ(fresh.Entry(c.entries - 1).fileName, ("s" + std::to_string(c.entries - 1)).c_str());
    }
}

TEST_F(SpriteRegistryTest, ASpriteLoadsOnceOnFirstUse)
{
    WriteSprite("tree.spr", 77);
    ASSERT_TRUE(LoadList("1 10 tree.spr"));
    Sprite* first = registry.GetSprite(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->id, 77);  // the file's own id, kept but never compared
    std::filesystem::remove("tree.spr");
    EXPECT_EQ(registry.GetSprite(0), first);
    EXPECT_EQ(registry.Entry(0).useCount, 2);
}

TEST_F(SpriteRegistryTest, AFailedLoadIsTriedAgainOnEveryRequest)
{
    ASSERT_TRUE(LoadList("1 10 later.spr"));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(registry.GetSprite(0), nullptr);
    EXPECT_EQ(registry.Entry(0).useCount, 5);
    WriteSprite("later.spr", 1);
    EXPECT_NE(registry.GetSprite(0), nullptr);
    EXPECT_EQ(registry.Entry(0).useCount, 6);

    WriteText("damaged.spr", "SPRITE and then nothing sensible");
    SpriteRegistry damaged;
    WriteText("SpriteList.txt", "1 3 damaged.spr");
    ASSERT_TRUE(damaged.LoadSpriteList("SpriteList.txt"));
    EXPECT_EQ(damaged.GetSprite(0), nullptr);
    EXPECT_EQ(damaged.Entry(0).sprite, nullptr);
}

TEST_F(SpriteRegistryTest, AnIndexOutsideTheRegistryHasNoSprite)
{
    WriteSprite("a.spr", 1);
    ASSERT_TRUE(LoadList("2 1 a.spr 2 a.spr"));
    for (int index : {-1, 2, 3, -2147483647 - 1, 2147483647}) EXPECT_EQ(registry.GetSprite(index), nullptr) << index;
    EXPECT_EQ(registry.Entry(0).useCount, 0);
    EXPECT_EQ(registry.Entry(1).useCount, 0);
    SpriteRegistry empty;
    EXPECT_EQ(empty.GetSprite(0), nullptr);
    EXPECT_EQ(empty.FindSpriteIndex(0), -1);
}

}  // namespace
