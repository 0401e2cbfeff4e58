// "SpriteList.txt": the text file that maps the map's sprite ids to sprite
// files, shared by its reader (SpriteRegistry::LoadSpriteList) and the tools
// that write it. It is read with formatted input, so its words may be
// separated by any white space; the tools write one entry a line:
//
//   <count>                   decimal
//   <id> <file name>          ... count entries; the id decimal, the name one
//                             word without white space, relative to the list
//
// An entry's position in the file is its registry index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* SpriteListFileName = "SpriteList.txt";

// One entry of the list, as the tools hold it.
struct SpriteListing {
    int32_t id = 0;
    std::string fileName;
};

// The text of the list for `sprites`, in their order.
std::string FormatSpriteList(const std::vector<SpriteListing>& sprites);
