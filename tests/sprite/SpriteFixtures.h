// Shared by the sprite tests: a private working directory per test, and
// sprite files built with the sprite tool's writer.
#pragma once

#include "base/ByteOrder.h"
#include "sprite/DisplayDepth.h"
#include "sprite/Sprite.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Runs each test in an empty directory of its own. The name depends only on
// the build and the test, not on the working directory, so that a death
// test's child (on Windows the program started anew, in the parent's working
// directory) works in the same directory as its parent.
class InScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        home = std::filesystem::current_path();
        scratch = std::filesystem::temp_directory_path() /
                  ("client-sprite-" SPRITE_TEST_BUILD "-" + std::string(test->test_suite_name()) + "-" + test->name());
        // Emptied rather than removed: on Windows a directory cannot go while
        // the parent of a death test works in it.
        std::filesystem::create_directories(scratch);
        for (const auto& entry : std::filesystem::directory_iterator(scratch))
            std::filesystem::remove_all(entry.path());
        std::filesystem::current_path(scratch);
    }

    void TearDown() override
    {
        std::filesystem::current_path(home);
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }

    static void WriteText(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    static std::string ReadText(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path home;
    std::filesystem::path scratch;
};

// A frame of `width` x `height` whose pixels all differ: (row, column) gives
// red = 8 x row, green = 4 x column, blue = 8 x (row + column), all with zero
// low bits so that both stored formats keep them exactly.
inline FrameSource PatternFrame(uint16_t width, uint16_t height)
{
    FrameSource frame;
    frame.width = width;
    frame.height = height;
    for (uint32_t row = 0; row < height; ++row) {
        for (uint32_t column = 0; column < width; ++column) {
            const uint32_t r = (8 * row) & 0xF8, g = (4 * column) & 0xFC, b = (8 * (row + column)) & 0xF8;
            frame.pixels.push_back(r << 16 | g << 8 | b);
        }
    }
    return frame;
}

inline SpriteSource OneFrameSprite(const FrameSource& frame, uint8_t pixelFormat = 1)
{
    SpriteSource sprite;
    sprite.pixelFormat = pixelFormat;
    sprite.animations.push_back({"idle", 0, {frame}});
    return sprite;
}

// Writes `value` over the four bytes at `offset`; throws when they are not all there.
inline void PutInt32(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    bytes.at(offset + 3);
    StoreLittleEndian32(bytes.data() + offset, BitsOf(value));
}

// "ErrLog.txt" is written in text mode: on Windows a line ends in "\r\n".
#if defined(_WIN32)
constexpr const char* LogLineEnd = "\r\n";
#else
constexpr const char* LogLineEnd = "\n";
#endif

// File offsets of the first animation and its first frame.
constexpr size_t FirstAnimation = 16;
constexpr size_t FirstFrame = FirstAnimation + 41;

#include "base/BoundedReader.h"
#include "sprite/SpriteFile.h"

// Reads a sprite file held in memory into an empty record, as LoadSprite would.
inline bool ReadFromMemory(Sprite& sprite, const std::vector<uint8_t>& bytes)
{
    BoundedReader reader(bytes.data(), bytes.size());
    return ReadSpriteMagic(reader) && sprite.ReadSprite(reader);
}

// The same, with the pixels converted to `depth`.
inline bool ReadFromMemory(Sprite& sprite, const std::vector<uint8_t>& bytes, uint8_t depth)
{
    BoundedReader reader(bytes.data(), bytes.size());
    return ReadSpriteMagic(reader) && sprite.ReadSprite(reader, depth);
}
