// Shared by the map tests: maps made from MapSource descriptions, the error
// box made observable, and scene objects written briefly.
#pragma once

#include "base/BoundedReader.h"
#include "map/ErrorBox.h"
#include "map/TileMap.h"
#include "sprite/DisplayDepth.h"
#include "tools/worldfiles/MapFileCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Counts the boxes shown while a test runs, instead of showing them.
class ErrorBoxWatch {
public:
    ErrorBoxWatch() { previous = SetErrorBoxHandler(Record); }
    ~ErrorBoxWatch() { SetErrorBoxHandler(previous); }
    ErrorBoxWatch(const ErrorBoxWatch&) = delete;
    ErrorBoxWatch& operator=(const ErrorBoxWatch&) = delete;

    static int shown;
    static std::string text;
    static std::string caption;

private:
    static void Record(const char* boxText, const char* boxCaption)
    {
        ++shown;
        text = boxText;
        caption = boxCaption;
    }
    ErrorBoxHandler previous;
};

inline int ErrorBoxWatch::shown = 0;
inline std::string ErrorBoxWatch::text;
inline std::string ErrorBoxWatch::caption;

// Runs each test in an empty directory of its own, with the error box watched.
class InScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        home = std::filesystem::current_path();
        scratch = home / ("scratch-" + std::string(test->test_suite_name()) + "-" + test->name());
        std::filesystem::remove_all(scratch);
        std::filesystem::create_directories(scratch);
        std::filesystem::current_path(scratch);
        ErrorBoxWatch::shown = 0;
    }

    void TearDown() override
    {
        std::filesystem::current_path(home);
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }

    static void WriteFile(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    static void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path home;
    std::filesystem::path scratch;
    ErrorBoxWatch watch;
};

inline bool ReadMapBytes(TileMap& map, const std::vector<uint8_t>& bytes)
{
    BoundedReader file(bytes.data(), bytes.size());
    return map.ReadMap(file);
}

// A width x height map whose cells are open except those listed.
inline MapSource OpenMap(uint16_t width, uint16_t height, std::vector<std::pair<int, int>> blocked = {})
{
    MapSource map;
    map.width = width;
    map.height = height;
    map.cells.assign(size_t(width) * height, CellSource{});
    for (const auto& [x, y] : blocked) map.Cell(x, y).blocked = 1;
    return map;
}

inline SceneObject Object(int16_t x0, int16_t y0, int16_t x1, int16_t y1, int32_t spriteIndex = 0)
{
    SceneObject object = {};
    object.x0 = x0;
    object.y0 = y0;
    object.x1 = x1;
    object.y1 = y1;
    object.spriteIndex = spriteIndex;
    std::strcpy(object.animationName, "idle");
    return object;
}

inline SceneObject OneCell(int16_t x, int16_t y, int32_t spriteIndex = 0)
{
    return Object(x, y, x, y, spriteIndex);
}

// The anchors of the list's objects, first to last.
inline std::vector<std::pair<int, int>> Anchors(const TileMap& map)
{
    std::vector<std::pair<int, int>> anchors;
    for (const SceneEntry* entry = map.objects.First(); entry != map.objects.End(); entry = entry->next) {
        anchors.emplace_back(entry->object.x0, entry->object.y0);
    }
    return anchors;
}
