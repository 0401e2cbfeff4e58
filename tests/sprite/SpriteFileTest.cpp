#include "SpriteFixtures.h"

#include "base/BoundedReader.h"
#include "sprite/SpriteFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

class SpriteFileTest : public InScratchDirectory {
protected:
    void TearDown() override
    {
        sprite.FreeSprite();
        InScratchDirectory::TearDown();
    }

    bool Load(const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(WriteFileBytes("test.spr", bytes));
        return sprite.LoadSprite("test.spr");
    }

    bool Load(const std::vector<uint8_t>& bytes, uint8_t depth)
    {
        EXPECT_TRUE(WriteFileBytes("test.spr", bytes));
        return sprite.LoadSprite("test.spr", depth);
    }

    void ExpectEmpty() const
    {
        EXPECT_EQ(sprite.id, 0);
        EXPECT_EQ(sprite.pixelFormat, 0);
        EXPECT_EQ(sprite.reserved, 0);
        EXPECT_EQ(sprite.animationCount, 0);
        EXPECT_EQ(sprite.animations, nullptr);
    }

    Sprite sprite = {};
};

TEST_F(SpriteFileTest, ReadsEveryFieldInOrder)
{
    FrameSource first = PatternFrame(3, 2);
    first.duration = 100;
    first.colorKey = 0xFF00FF;
    first.flags = 1;
    first.anchorX = -5;
    first.anchorY = 300;
    first.offsetX = -32768;
    first.offsetY = 32767;
    first.reserved1 = -2;
    first.reserved2 = 7;
    first.alphaMask = {0, 64, 128, 192, 255, 1};
    first.extra = {9, 8, 7};
    FrameSource second = PatternFrame(1, 1);
    second.duration = 250;
    second.colorKey = 0x102030;

    SpriteSource source;
    source.id = -77;
    source.pixelFormat = 1;
    source.reserved = 0xAB;
    source.animations = {{"walk", 3, {first, second}}, {"a name of exactly thirty-two ch.", -1, {}}};
    ASSERT_TRUE(Load(EncodeSpriteFile(source)));

    EXPECT_EQ(sprite.id, -77);
    EXPECT_EQ(sprite.pixelFormat, 1);
    EXPECT_EQ(sprite.reserved, 0xAB);
    ASSERT_EQ(sprite.animationCount, 2);
    const Animation& walk = sprite.animations[0];
    EXPECT_STREQ(walk.name, "walk");
    EXPECT_EQ(walk.direction, 3);
    ASSERT_EQ(walk.frameCount, 2);
    ASSERT_EQ(walk.timing.frameCount, 2);
    EXPECT_EQ(walk.timing.durations[0], 100.0f);
    EXPECT_EQ(walk.timing.durations[1], 250.0f);

    const SpriteFrame& frame = walk.frames[0];
    EXPECT_EQ(frame.duration, 100);
    EXPECT_EQ(frame.colorKey, 0x00FF00FF);  // the bytes FF 00 FF 00 as one little-endian value
    EXPECT_EQ(frame.flags, 1);
    EXPECT_EQ(frame.anchorX, -5);
    EXPECT_EQ(frame.anchorY, 300);
    EXPECT_EQ(frame.offsetX, -32768);
    EXPECT_EQ(frame.offsetY, 32767);
    EXPECT_EQ(frame.reserved1, -2);
    EXPECT_EQ(frame.reserved2, 7);
    EXPECT_EQ(frame.width, 3);
    EXPECT_EQ(frame.height, 2);
    EXPECT_EQ(frame.pixelBytes, 3 * 2 * 4);
    ASSERT_EQ(frame.alphaMaskSize, 6);
    EXPECT_EQ(std::vector<uint8_t>(frame.alphaMask, frame.alphaMask + 6), first.alphaMask);
    ASSERT_EQ(frame.extraSize, 3);
    EXPECT_EQ(std::vector<uint8_t>(frame.extra, frame.extra + 3), first.extra);
    EXPECT_EQ(walk.frames[1].colorKey, 0x00302010);

    const Animation& empty = sprite.animations[1];
    EXPECT_STREQ(empty.name, "a name of exactly thirty-two ch.");
    EXPECT_EQ(empty.direction, -1);
    EXPECT_EQ(empty.frameCount, 0);
    EXPECT_EQ(empty.frames, nullptr);
}

struct ConversionCase {
    uint8_t pixelFormat;
    uint8_t depth;
    std::vector<uint8_t> stored;
    std::vector<uint8_t> display;
};

TEST_F(SpriteFileTest, ConvertsStoredPixelsToTheDisplayLayout)
{
    const ConversionCase cases[] = {
        // 5-6-5 high byte first at 32 bits: channels widened with zero low bits.
        {0, 32, {0xFF, 0xFF}, {0xF8, 0xFC, 0xF8, 0x00}},
        {0, 32, {0xF8, 0x00}, {0x00, 0x00, 0xF8, 0x00}},
        {0, 32, {0x07, 0xE0}, {0x00, 0xFC, 0x00, 0x00}},  // green spans both stored bytes
        {0, 32, {0x12, 0x34}, {0xA0, 0x44, 0x10, 0x00}},
        {1, 32, {0x10, 0x20, 0x30}, {0x10, 0x20, 0x30, 0x00}},
        {0, 16, {0x12, 0x34}, {0x34, 0x12}},
        {1, 16, {0xFF, 0xFF, 0xFF}, {0xFF, 0xFF}},
        {1, 16, {0x00, 0x00, 0xFF}, {0x00, 0xF8}},
        {1, 16, {0x00, 0xFC, 0x00}, {0xE0, 0x07}},
        {1, 16, {0x0F, 0x07, 0x00}, {0x21, 0x00}},  // low bits of every channel dropped
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "format " << int(c.pixelFormat) << " depth " << int(c.depth)
                                          << " first stored byte " << int(c.stored[0]));
        FrameSource frame;
        frame.width = 2;
        frame.height = 1;
        frame.storedPixels = c.stored;
        frame.storedPixels.insert(frame.storedPixels.end(), c.stored.begin(), c.stored.end());
        ASSERT_TRUE(Load(EncodeSpriteFile(OneFrameSprite(frame, c.pixelFormat)), c.depth));
        const SpriteFrame& loaded = sprite.animations[0].frames[0];
        std::vector<uint8_t> expected = c.display;
        expected.insert(expected.end(), c.display.begin(), c.display.end());
        ASSERT_EQ(loaded.pixelBytes, int32_t(expected.size()));
        EXPECT_EQ(std::vector<uint8_t>(loaded.pixels, loaded.pixels + loaded.pixelBytes), expected);
        sprite.FreeSprite();
    }
}

TEST_F(SpriteFileTest, KeepsEveryPixelInPlaceInBothFormatsAndDepths)
{
    const FrameSource frame = PatternFrame(37, 23);
    for (uint8_t pixelFormat : {0, 1}) {
        for (uint8_t depth : {16, 32}) {
            SCOPED_TRACE(::testing::Message() << "format " << int(pixelFormat) << " depth " << int(depth));
            ASSERT_TRUE(Load(EncodeSpriteFile(OneFrameSprite(frame, pixelFormat)), depth));
            const SpriteFrame& loaded = sprite.animations[0].frames[0];
            ASSERT_EQ(loaded.pixelBytes, 37 * 23 * depth / 8);
            for (size_t i = 0; i < frame.pixels.size(); ++i) {
                const uint32_t rgb = frame.pixels[i];
                if (depth == 32) {
                    uint32_t value;
                    std::memcpy(&value, loaded.pixels + 4 * i, 4);
                    ASSERT_EQ(value, rgb) << "pixel " << i;
                } else {
                    const uint32_t expected =
                        ((rgb >> 19) & 0x1F) << 11 | ((rgb >> 10) & 0x3F) << 5 | ((rgb >> 3) & 0x1F);
                    ASSERT_EQ(loaded.pixels[2 * i] | loaded.pixels[2 * i + 1] << 8, int(expected)) << "pixel " << i;
                }
            }
            sprite.FreeSprite();
        }
    }
}

TEST_F(SpriteFileTest, AbsentPartsLeaveNoBuffer)
{
    FrameSource noPixels;
    noPixels.width = 40;
    noPixels.height = 30;
    noPixels.pixelsPresent = false;
    noPixels.alphaMask = {1, 2, 3};  // read right after pixelsPresent
    FrameSource emptyRectangle;
    emptyRectangle.width = 0;
    emptyRectangle.height = 5;
    FrameSource plain = PatternFrame(2, 2);
    SpriteSource source;
    source.animations = {{"a", 0, {noPixels, emptyRectangle, plain}}};
    ASSERT_TRUE(Load(EncodeSpriteFile(source)));

    const SpriteFrame* frames = sprite.animations[0].frames;
    EXPECT_EQ(frames[0].pixelBytes, 0);
    EXPECT_EQ(frames[0].pixels, nullptr);
    EXPECT_EQ(frames[0].width, 40);
    ASSERT_EQ(frames[0].alphaMaskSize, 3);
    EXPECT_EQ(frames[0].alphaMask[2], 3);
    EXPECT_EQ(frames[1].pixelBytes, 0);
    EXPECT_EQ(frames[1].pixels, nullptr);
    for (const SpriteFrame* frame : {&frames[1], &frames[2]}) {
        EXPECT_EQ(frame->alphaMaskSize, 0);
        EXPECT_EQ(frame->alphaMask, nullptr);
        EXPECT_EQ(frame->extraSize, 0);
        EXPECT_EQ(frame->extra, nullptr);
    }
    EXPECT_EQ(frames[2].pixelBytes, 16);
}

TEST_F(SpriteFileTest, NoAnimationsAndTrailingBytesAreAccepted)
{
    std::vector<uint8_t> bytes = EncodeSpriteFile(SpriteSource{});
    bytes.push_back(0x55);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(sprite.animationCount, 0);
    EXPECT_EQ(sprite.animations, nullptr);
    EXPECT_EQ(sprite.FindAnimation("idle", 0), -1);
}

TEST_F(SpriteFileTest, AMissingFileIsNoErrorToLog)
{
    EXPECT_FALSE(sprite.LoadSprite("missing.spr"));
    ExpectEmpty();
    EXPECT_FALSE(std::filesystem::exists("ErrLog.txt"));
}

TEST_F(SpriteFileTest, ADirectoryIsNoSpriteFileAndNoWrongMagic)
{
    std::filesystem::create_directory("folder.spr");
    EXPECT_FALSE(sprite.LoadSprite("folder.spr"));
    ExpectEmpty();
    EXPECT_FALSE(std::filesystem::exists("ErrLog.txt"));
}

// Each row breaks one rule of the layout in an otherwise valid file.
struct DamagedFile {
    const char* what;
    size_t offset;
    int32_t value;
};

TEST_F(SpriteFileTest, ADamagedFileLeavesTheRecordEmpty)
{
    FrameSource frame = PatternFrame(4, 3);
    frame.alphaMask.assign(12, 200);
    frame.extra = {1, 2};
    const std::vector<uint8_t> valid = EncodeSpriteFile(OneFrameSprite(frame));
    const size_t pixels = FirstFrame + 32;
    const size_t maskSize = pixels + 4 * 3 * 3;
    const size_t extraSize = maskSize + 4 + 12;

    const DamagedFile cases[] = {
        {"negative animationCount", 12, -1},
        {"animationCount beyond the file", 12, 2},
        {"huge animationCount", 12, 0x7FFFFFFF},
        {"negative frameCount", FirstAnimation + 37, -1},
        {"frameCount beyond the file", FirstAnimation + 37, 2},
        {"huge frameCount", FirstAnimation + 37, 0x40000000},
        {"width x height beyond the file", FirstFrame + 24, -1},  // 65535 x 65535
        {"negative alphaMaskSize", maskSize, -12},
        {"alphaMaskSize beyond the file", maskSize, 1000},
        {"negative extraSize", extraSize, -1},
        {"extraSize beyond the file", extraSize, 3},
    };
    for (const DamagedFile& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = valid;
        PutInt32(bytes, c.offset, c.value);
        EXPECT_FALSE(Load(bytes));
        ExpectEmpty();
    }
    for (uint8_t pixelFormat : {2, 255}) {
        std::vector<uint8_t> bytes = valid;
        bytes[10] = pixelFormat;
        EXPECT_FALSE(Load(bytes)) << "pixelFormat " << int(pixelFormat);
        ExpectEmpty();
    }
    std::vector<uint8_t> unterminated = valid;
    std::memset(&unterminated[FirstAnimation], 'A', 33);
    EXPECT_FALSE(Load(unterminated)) << "a name without its NUL";
    ExpectEmpty();

    ASSERT_TRUE(Load(valid));
}

TEST_F(SpriteFileTest, EveryShortenedFileIsRejected)
{
    SpriteSource source;
    FrameSource masked = PatternFrame(3, 3);
    masked.alphaMask.assign(9, 77);
    masked.extra = {5};
    source.animations = {{"one", 1, {PatternFrame(2, 2), masked}}, {"two", 2, {PatternFrame(1, 4)}}};
    const std::vector<uint8_t> valid = EncodeSpriteFile(source);
    for (size_t size = SpriteMagicSize; size < valid.size(); ++size) {
        EXPECT_FALSE(Load(std::vector<uint8_t>(valid.begin(), valid.begin() + size))) << size << " bytes";
        ExpectEmpty();
    }
    EXPECT_TRUE(Load(valid));
}

TEST_F(SpriteFileTest, PixelsAtAnUnknownDepthAreRejected)
{
    EXPECT_FALSE(Load(EncodeSpriteFile(OneFrameSprite(PatternFrame(2, 2))), 24));
    ExpectEmpty();
}

TEST_F(SpriteFileTest, AFileOfOnlyTheMagicIsDamagedNotWrong)
{
    EXPECT_FALSE(Load({'S', 'P', 'R', 'I', 'T', 'E'}));
    ExpectEmpty();
    EXPECT_FALSE(std::filesystem::exists("ErrLog.txt"));
}

using SpriteFileDeathTest = SpriteFileTest;

TEST_F(SpriteFileDeathTest, AWrongMagicIsLoggedAndEndsTheProcess)
{
    // The files are made inside the dying statement: on Windows it runs in a
    // new process, whose set-up starts from an empty directory again.
    const auto loadWrongFile = [this](const std::vector<uint8_t>& bytes) {
        WriteText("ErrLog.txt", std::string("an earlier line") + LogLineEnd);
        WriteFileBytes("wrong.spr", bytes);
        sprite.LoadSprite("wrong.spr");
    };
    const std::string wrongStarts[] = {"", "SPRIT", "sprite", "SPRITF", "XSPRITE", std::string("SPRIT\0E", 7)};
    for (const std::string& start : wrongStarts) {
        SCOPED_TRACE("file starting with \"" + start + "\"");
        std::vector<uint8_t> bytes(start.begin(), start.end());
        if (!start.empty()) bytes.resize(bytes.size() + 40, 0);
        EXPECT_EXIT(loadWrongFile(bytes), ::testing::ExitedWithCode(0), "");
        EXPECT_EQ(ReadText("ErrLog.txt"),
                  std::string("an earlier line") + LogLineEnd + "LoadSprite(SPRITE_ID wrong) failed." + LogLineEnd);
    }
}

TEST_F(SpriteFileTest, AWrongMagicReturnsFalseWhenTheLogCannotBeOpened)
{
    std::filesystem::create_directory("ErrLog.txt");
    ASSERT_TRUE(WriteFileBytes("wrong.spr", {'N', 'O', 'T', 'A', 'S', 'P', 'R', 'I', 'T', 'E'}));
    EXPECT_FALSE(sprite.LoadSprite("wrong.spr"));
    ExpectEmpty();
}

TEST(BoundedReaderTest, ReadsLittleEndianAndNeverPastTheEnd)
{
    const uint8_t bytes[] = {0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0x80};
    BoundedReader reader(bytes, sizeof bytes);
    int32_t minusTwo = 0;
    uint16_t value = 0;
    int32_t tooLong = 42;
    ASSERT_TRUE(reader.Read(minusTwo));
    EXPECT_EQ(minusTwo, -2);
    ASSERT_TRUE(reader.Read(value));
    EXPECT_EQ(value, 0x1234);
    EXPECT_FALSE(reader.Read(tooLong));
    EXPECT_EQ(tooLong, 42);
    EXPECT_EQ(reader.Offset(), 6u);  // the failed read consumed nothing
    int8_t last = 0;
    ASSERT_TRUE(reader.Read(last));
    EXPECT_EQ(last, -128);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.Take(1), nullptr);
}

TEST(BoundedReaderTest, FitsRejectsNegativeAndOversizedCounts)
{
    const uint8_t bytes[40] = {};
    const BoundedReader reader(bytes, sizeof bytes);
    EXPECT_TRUE(reader.Fits(4, 10));
    EXPECT_FALSE(reader.Fits(5, 10));
    EXPECT_FALSE(reader.Fits(-1, 1));
    EXPECT_TRUE(reader.Fits(0, 1000));
    EXPECT_FALSE(reader.Fits(INT64_MAX, 2));
}

}  // namespace

namespace {

// A file larger than the reader's window, every byte telling its offset.
class WindowedReaderTest : public InScratchDirectory {
protected:
    void SetUp() override
    {
        InScratchDirectory::SetUp();
        bytes.resize(BoundedReader::WindowSize * 2 + 1000);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
        ASSERT_TRUE(WriteFileBytes("bytes.bin", bytes));
        file = std::fopen("bytes.bin", "rb");
        ASSERT_NE(file, nullptr);
    }

    void TearDown() override
    {
        if (file) std::fclose(file);
        InScratchDirectory::TearDown();
    }

    std::vector<uint8_t> bytes;
    std::FILE* file = nullptr;
};

TEST_F(WindowedReaderTest, PeekSkipAndReadAgreeWithTheFileAcrossTheWindow)
{
    BoundedReader reader(file, bytes.size());
    const size_t edge = BoundedReader::WindowSize;
    ASSERT_TRUE(reader.Skip(edge - 5));
    size_t held = 0;
    const uint8_t* at = reader.Peek(16, held);  // reaches past the first window
    ASSERT_NE(at, nullptr);
    ASSERT_GE(held, 16u);
    EXPECT_TRUE(std::equal(at, at + 16, bytes.begin() + long(edge - 5)));
    EXPECT_EQ(reader.Offset(), edge - 5);  // peeking consumes nothing

    std::vector<uint8_t> read(edge + 100);  // more than a window, in pieces
    ASSERT_TRUE(reader.ReadBytes(read.data(), read.size()));
    EXPECT_TRUE(std::equal(read.begin(), read.end(), bytes.begin() + long(edge - 5)));
    EXPECT_EQ(reader.Offset(), 2 * edge + 95);
    EXPECT_EQ(reader.Peek(bytes.size(), held), nullptr);
    EXPECT_EQ(reader.Remaining(), bytes.size() - (2 * edge + 95));
}

TEST_F(WindowedReaderTest, AFileShorterThanItSaidFailsWhereItEnds)
{
    BoundedReader reader(file, bytes.size() + 10);
    ASSERT_TRUE(reader.Skip(bytes.size() - 4));
    EXPECT_EQ(reader.Take(8), nullptr);
    EXPECT_FALSE(reader.ReadError());
    EXPECT_EQ(reader.Offset(), bytes.size() - 4);  // the failed read consumed nothing
    EXPECT_TRUE(reader.AtEnd());                   // and nothing more is trusted
    size_t held = 0;
    EXPECT_EQ(reader.Peek(1, held), nullptr);
}

}  // namespace
