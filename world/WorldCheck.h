// What a world refers to that the program cannot find or will not draw: the
// one check that `maptool check`, run-world and the web page run before they
// start a world, and that `maptool build` and `tmximport` run on what they
// already know. It reads the world as the program does (the sprite registry's
// list reader, the map reader, the sprite loader) and never stops a world:
// it only says what would be missing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One thing the check found, said in one line.
struct WorldFinding {
    std::string file;  // the file it is about, relative to the world folder
    int line = 0;      // its line in that file; 0 for a binary file or none
    std::string text;
    bool hides = true;  // something would not show or not walk; false: a note
};

// Returns the finding as a line, its file named as `folder` + file:
// "SpriteList.txt:3: ..." or, for a note, "note: test.map: ...".
std::string FormatFinding(const WorldFinding& finding, const std::string& folder = "");

// Whether any of the findings keeps something from showing.
bool AnyHidden(const std::vector<WorldFinding>& findings);

// Checks the world in `folder` ("SpriteList.txt", "test.map" and the sprite
// files they name), looking at names as Windows does, without regard to case,
// and saying where a name matches only in another case, which the web page
// and Linux do not find. Returns the findings in the order the program meets
// them: the list, the map, the sprites the map draws, the walkers, the cells.
std::vector<WorldFinding> CheckWorldFolder(const std::string& folder);

// What a tool knows of a world before its files exist: the lines of the
// sprite list and the map's cells, floor tiles and objects, each with the
// line of the text it came from (0 for none).
struct DescribedSprite {
    int32_t id = 0;
    std::string fileName;
    int line = 0;
};

struct DescribedThing {
    int16_t x = 0;
    int16_t y = 0;
    int32_t spriteId = 0;
    std::string animation;
    int32_t direction = 0;
    int line = 0;
};

struct DescribedWorld {
    std::string mapFile;   // where the map's findings point
    std::string listFile;  // where the list's findings point; empty: no list is known
    std::vector<DescribedSprite> sprites;
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint8_t> blocked;  // width x height, row 0 first; 0 is open
    std::vector<int> rowLines;     // the line of each row of cells, when they came from text
    std::vector<DescribedThing> floor;
    std::vector<DescribedThing> objects;
};

// Checks what can be checked without the sprite files: ids the list lacks
// (when a list is known), the walkers' sprite, objects outside the map and
// cells the walkers cannot reach.
std::vector<WorldFinding> CheckDescribedWorld(const DescribedWorld& world);
