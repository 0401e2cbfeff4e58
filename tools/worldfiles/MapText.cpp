#include "tools/worldfiles/MapText.h"

#include "sprite/AnimationName.h"
#include "tools/worldfiles/TextValues.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>
#include <utility>

namespace {

// What a terrain letter of the grid stands for.
struct Terrain {
    uint8_t blocked = 0;
    bool hasFloor = false;
    FloorSource floor;  // x and y come from the grid
    int line = 0;       // the legend's line
};

struct Parser {
    MapDescription& out;
    const std::string& fileName;  // in the messages
    std::string& error;
    int lineNumber = 0;
    std::map<char, Terrain> legend;
    std::vector<std::string> grid;
    int gridLine = 0;
    bool sized = false;
    std::vector<std::vector<std::string>> cellLines;  // applied once the cells exist
    std::vector<int> cellLineNumbers;
    std::vector<FloorSource> explicitFloor;
    std::vector<int> explicitFloorLines;

    bool Fail(const std::string& message)
    {
        error = fileName + ":" + std::to_string(lineNumber) + ": " + message;
        return false;
    }

    template <typename T>
    bool Number(const std::string& token, T& value)
    {
        const int64_t low = std::numeric_limits<T>::min(), high = std::numeric_limits<T>::max();
        int64_t parsed = 0;
        if (!ParseWholeNumber(token, low, high, parsed)) {
            return Fail("'" + token + "' is not a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high));
        }
        value = static_cast<T>(parsed);
        return true;
    }

    // An empty name is written "".
    bool Name(const std::string& token, std::string& name)
    {
        if (token == "\"\"") {
            name.clear();
            return true;
        }
        if (token.size() > MaxAnimationNameLength) {
            return Fail("the animation name '" + token + "' is longer than " + std::to_string(MaxAnimationNameLength) +
                        " characters");
        }
        name = token;
        return true;
    }

    bool Blocked(const std::string& token, uint8_t& blocked)
    {
        if (token == "open") blocked = 0;
        else if (token == "blocked") blocked = 1;
        else if (token.rfind("blocked=", 0) == 0) return Number(token.substr(8), blocked);
        else return Fail("expected open or blocked, not '" + token + "'");
        return true;
    }

    bool Legend(const std::vector<std::string>& t)
    {
        if (t.size() != 3 && t.size() != 6 && t.size() != 7) {
            return Fail("legend <letter> <open|blocked> [<sprite id> <animation> <direction> [<z>]]");
        }
        if (t[1].size() != 1) return Fail("a terrain letter is one character, not '" + t[1] + "'");
        Terrain terrain;
        terrain.line = lineNumber;
        if (!Blocked(t[2], terrain.blocked)) return false;
        if (t.size() > 3) {
            terrain.hasFloor = true;
            if (!(Number(t[3], terrain.floor.spriteId) && Name(t[4], terrain.floor.animationName) &&
                  Number(t[5], terrain.floor.direction))) {
                return false;
            }
            if (t.size() == 7 && !Number(t[6], terrain.floor.z)) return false;
        }
        if (!legend.emplace(t[1][0], terrain).second) return Fail("the letter '" + t[1] + "' has a legend already");
        return true;
    }

    bool Size(const std::vector<std::string>& t)
    {
        if (t.size() != 3) return Fail("size <width> <height>");
        if (sized || !grid.empty()) return Fail("the map has a size already");
        sized = true;
        return Number(t[1], out.map.width) && Number(t[2], out.map.height);
    }

    bool Floor(const std::vector<std::string>& t)
    {
        if (t.size() != 7) return Fail("floor <x> <y> <z> <sprite id> <animation> <direction>");
        FloorSource tile;
        if (!(Number(t[1], tile.x) && Number(t[2], tile.y) && Number(t[3], tile.z) && Number(t[4], tile.spriteId) &&
              Name(t[5], tile.animationName) && Number(t[6], tile.direction))) {
            return false;
        }
        explicitFloor.push_back(tile);
        explicitFloorLines.push_back(lineNumber);
        return true;
    }

    bool Object(const std::vector<std::string>& t)
    {
        ObjectSource object;
        size_t next = 0;
        if (t.size() == 9) {
            if (!(Number(t[1], object.x0) && Number(t[2], object.y0) && Number(t[3], object.x1) &&
                  Number(t[4], object.y1))) {
                return false;
            }
            next = 5;
        } else if (t.size() == 7) {
            if (!(Number(t[1], object.x0) && Number(t[2], object.y0))) return false;
            object.x1 = object.x0;
            object.y1 = object.y0;
            next = 3;
        } else {
            return Fail("object <x0> <y0> [<x1> <y1>] <z> <sprite id> <animation> <direction>");
        }
        if (!(Number(t[next], object.z) && Number(t[next + 1], object.spriteId) &&
              Name(t[next + 2], object.animationName) && Number(t[next + 3], object.direction))) {
            return false;
        }
        out.map.objects.push_back(object);
        out.objectLines.push_back(lineNumber);
        return true;
    }

    bool Sprite(const std::vector<std::string>& t)
    {
        if (t.size() != 3) return Fail("sprite <id> <file name>");
        SpriteListing listing;
        if (!Number(t[1], listing.id)) return false;
        listing.fileName = t[2];
        out.sprites.push_back(listing);
        out.spriteLines.push_back(lineNumber);
        return true;
    }

    bool Statement(const std::vector<std::string>& t)
    {
        const std::string& word = t[0];
        if (word == "header") return t.size() == 2 ? Number(t[1], out.map.headerValue) : Fail("header <value>");
        if (word == "sprite") return Sprite(t);
        if (word == "legend") return Legend(t);
        if (word == "size") return Size(t);
        if (word == "floor") return Floor(t);
        if (word == "object") return Object(t);
        if (word == "cell") {
            if (t.size() < 3) return Fail("cell <x> <y> [open|blocked|blocked=<n>] [value <n>] [data <hex>]");
            cellLines.push_back(t);
            cellLineNumbers.push_back(lineNumber);
            return true;
        }
        return Fail("unknown statement '" + word + "'");
    }

    bool GridRow(const std::string& row)
    {
        if (!grid.empty() && row.size() != grid.front().size()) {
            return Fail("every grid row has " + std::to_string(grid.front().size()) + " letters");
        }
        grid.push_back(row);
        return true;
    }

    // Floor tiles of the grid, in painter's order: screen rows from the top
    // (x - y rising), each from the left, so taller art overlaps correctly.
    bool CellsFromGrid()
    {
        if (grid.empty()) return true;
        lineNumber = gridLine;
        if (grid.size() > 65535 || grid.front().size() > 65535) return Fail("the grid is larger than 65535 cells");
        if (grid.front().empty()) return Fail("the grid rows are empty");
        out.map.width = static_cast<uint16_t>(grid.front().size());
        out.map.height = static_cast<uint16_t>(grid.size());
        out.map.cells.assign(size_t(out.map.width) * out.map.height, CellSource{});
        std::vector<std::pair<FloorSource, int>> tiles;  // with the line of its legend
        for (int y = 0; y < out.map.height; ++y) {
            out.rowLines.push_back(gridLine + 1 + y);
            for (int x = 0; x < out.map.width; ++x) {
                const auto terrain = legend.find(grid[y][x]);
                if (terrain == legend.end()) {
                    lineNumber = gridLine + 1 + y;
                    return Fail(std::string("the letter '") + grid[y][x] + "' has no legend");
                }
                out.map.Cell(x, y).blocked = terrain->second.blocked;
                if (!terrain->second.hasFloor) continue;
                FloorSource tile = terrain->second.floor;
                tile.x = static_cast<int16_t>(x);
                tile.y = static_cast<int16_t>(y);
                tiles.emplace_back(tile, terrain->second.line);
            }
        }
        std::stable_sort(tiles.begin(), tiles.end(), [](const auto& first, const auto& second) {
            const FloorSource& a = first.first;
            const FloorSource& b = second.first;
            return a.x - a.y != b.x - b.y ? a.x - a.y < b.x - b.y : a.x < b.x;
        });
        for (const auto& [tile, line] : tiles) {
            out.map.floorTiles.push_back(tile);
            out.floorLines.push_back(line);
        }
        return true;
    }

    bool HexData(const std::string& hex, std::vector<uint8_t>& data)
    {
        if (hex.size() % 2 != 0) return Fail("data takes two hex digits per byte");
        data.clear();
        for (size_t i = 0; i < hex.size(); i += 2) {
            char* end = nullptr;
            const std::string pair = hex.substr(i, 2);
            const long byte = std::strtol(pair.c_str(), &end, 16);
            if (*end != '\0' || pair[0] == '-' || pair[0] == '+') return Fail("'" + hex + "' is not hex data");
            data.push_back(static_cast<uint8_t>(byte));
        }
        return true;
    }

    bool Cell(const std::vector<std::string>& t)
    {
        int32_t x = 0, y = 0;
        if (!(Number(t[1], x) && Number(t[2], y))) return false;
        if (x < 0 || y < 0 || x >= out.map.width || y >= out.map.height) {
            return Fail("cell (" + t[1] + ", " + t[2] + ") lies outside the map");
        }
        CellSource& cell = out.map.Cell(x, y);
        for (size_t i = 3; i < t.size(); ++i) {
            if (t[i] == "value" || t[i] == "data") {
                if (i + 1 == t.size()) return Fail(t[i] + " needs a value");
                const bool ok = t[i] == "value" ? Number(t[i + 1], cell.value) : HexData(t[i + 1], cell.data);
                if (!ok) return false;
                ++i;
            } else if (!Blocked(t[i], cell.blocked)) {
                return false;
            }
        }
        return true;
    }

    bool Finish()
    {
        if (!CellsFromGrid()) return false;
        if (grid.empty()) out.map.cells.assign(size_t(out.map.width) * out.map.height, CellSource{});
        for (size_t i = 0; i < cellLines.size(); ++i) {
            lineNumber = cellLineNumbers[i];
            if (!Cell(cellLines[i])) return false;
        }
        out.map.floorTiles.insert(out.map.floorTiles.end(), explicitFloor.begin(), explicitFloor.end());
        out.floorLines.insert(out.floorLines.end(), explicitFloorLines.begin(), explicitFloorLines.end());
        return true;
    }
};

// Returns the words of a line. A word starting with '#' ends the line, except
// right after "legend", where '#' is a terrain letter like any other.
std::vector<std::string> Words(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        const bool isLetter = words.size() == 1 && words[0] == "legend";
        if (word[0] == '#' && !isLetter) break;
        words.push_back(word);
    }
    return words;
}

std::string WithoutLineEnd(std::string line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line;
}

}  // namespace

bool ParseMapText(const std::string& text, const std::string& name, MapDescription& description, std::string& error)
{
    description = MapDescription{};
    Parser parser{description, name, error};
    std::istringstream lines(text);
    bool inGrid = false;
    for (std::string line; std::getline(lines, line);) {
        ++parser.lineNumber;
        line = WithoutLineEnd(line);
        if (inGrid) {
            const size_t first = line.find_first_not_of(" \t");
            if (first != std::string::npos && line.substr(first) == "end") {
                inGrid = false;
            } else if (!parser.GridRow(first == std::string::npos ? std::string() : line.substr(first))) {
                return false;
            }
            continue;
        }
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        if (words[0] == "grid") {
            if (parser.sized || !parser.grid.empty()) return parser.Fail("the map has a size already");
            inGrid = true;
            parser.gridLine = parser.lineNumber;
            continue;
        }
        if (!parser.Statement(words)) return false;
    }
    if (inGrid) return parser.Fail("the grid has no end line");
    return parser.Finish();
}

namespace {

std::string Hex(const std::vector<uint8_t>& data)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : data) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

void FormatCells(std::ostringstream& text, const MapSource& map)
{
    if (map.width == 0 || map.height == 0) {
        text << "size " << map.width << ' ' << map.height << "\n";
        return;
    }
    text << "legend . open\nlegend # blocked\ngrid\n";
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) text << (map.Cell(x, y).blocked ? '#' : '.');
        text << '\n';
    }
    text << "end\n";
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) {
            const CellSource& cell = map.Cell(x, y);
            if (cell.blocked <= 1 && cell.value == 0 && cell.data.empty()) continue;
            text << "cell " << x << ' ' << y;
            if (cell.blocked > 1) text << " blocked=" << int(cell.blocked);
            if (cell.value != 0) text << " value " << cell.value;
            if (!cell.data.empty()) text << " data " << Hex(cell.data);
            text << '\n';
        }
    }
}

}  // namespace

namespace {

std::string NameWord(const std::string& name)
{
    return name.empty() ? "\"\"" : name;
}

}  // namespace

std::string FormatMapText(const MapSource& map)
{
    std::ostringstream text;
    text << "# " << map.width << " x " << map.height << " cells, " << map.floorTiles.size() << " floor tiles, "
         << map.objects.size() << " objects\n";
    text << "header " << map.headerValue << "\n";
    FormatCells(text, map);
    if (!map.floorTiles.empty()) text << "# floor <x> <y> <z> <sprite id> <animation> <direction>\n";
    for (const FloorSource& tile : map.floorTiles) {
        text << "floor " << tile.x << ' ' << tile.y << ' ' << tile.z << ' ' << tile.spriteId << ' '
             << NameWord(tile.animationName) << ' ' << tile.direction << '\n';
    }
    if (!map.objects.empty()) text << "# object <x0> <y0> <x1> <y1> <z> <sprite id> <animation> <direction>\n";
    for (const ObjectSource& object : map.objects) {
        text << "object " << object.x0 << ' ' << object.y0 << ' ' << object.x1 << ' ' << object.y1 << ' ' << object.z
             << ' ' << object.spriteId << ' ' << NameWord(object.animationName) << ' ' << object.direction << '\n';
    }
    return text.str();
}
