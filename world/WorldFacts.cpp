#include "world/WorldFacts.h"

#include "base/BoundedReader.h"
#include "map/MapFile.h"
#include "map/MapFileReader.h"
#include "sprite/Sprite.h"
#include "sprite/SpriteFile.h"
#include "sprite/SpriteListFile.h"
#include "sprite/SpriteRegistry.h"
#include "world/SceneSteps.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace {

namespace fs = std::filesystem;

const char OnlyInAnotherCase[] = ": Windows finds it, the web page does not";

// Where a name of the world lies in its folder. The program opens it
// relative to the folder on Windows, which finds a name in any case; the web
// page and Linux find only the exact one.
struct Located {
    enum class How { Exact, OtherCase, Missing, Outside } how = How::Missing;
    std::string path;     // the file found
    std::string spelled;  // its name relative to the folder, as the folder spells it
};

// Opens the file at `path` for reading when it is a regular file (through
// links). A FIFO, a device or a folder named like a world's file would block
// the read or never end it. Returns null when it is not, or cannot be opened.
std::FILE* OpenRegularFile(const std::string& path)
{
    std::error_code failed;
    if (!fs::is_regular_file(path, failed)) return nullptr;
    return std::fopen(path.c_str(), "rb");
}

// Reads the whole text file at `path`. Returns false when it cannot be read.
bool ReadText(const std::string& path, std::string& text)
{
    std::FILE* file = OpenRegularFile(path);
    if (!file) return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}

// Walks the list's text as the registry's formatted input reads it (a
// number, then for each entry a number and a word), noting each one's line.
class ListScan {
public:
    explicit ListScan(const std::string& listText) : text(listText) {}

    bool Number(int64_t& value, int& at)
    {
        SkipSpace();
        at = line;
        size_t end = next;
        if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
        const size_t digits = end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == digits) return false;
        value = std::strtoll(text.substr(next, end - next).c_str(), nullptr, 10);
        next = end;
        return true;
    }

    bool Word(std::string& word, int& at)
    {
        SkipSpace();
        at = line;
        const size_t start = next;
        while (next < text.size() && !std::isspace(static_cast<unsigned char>(text[next]))) ++next;
        word = text.substr(start, next - start);
        return !word.empty();
    }

private:
    void SkipSpace()
    {
        while (next < text.size() && std::isspace(static_cast<unsigned char>(text[next]))) {
            if (text[next] == '\n') ++line;
            ++next;
        }
    }

    const std::string& text;
    size_t next = 0;
    int line = 1;
};

std::string NameOf(const uint8_t* field)
{
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, MaxAnimationNameLength));
}

// The map's cells and records as the check wants them.
class FactsBuilder {
public:
    explicit FactsBuilder(DescribedWorld& target) : world(target) {}

    void Header(int32_t, uint16_t width, uint16_t height)
    {
        world.width = width;
        world.height = height;
    }
    bool StartCells()
    {
        world.blocked.assign(size_t(world.width) * world.height, 0);
        return true;
    }
    uint8_t* StartRow(uint16_t y) { return world.blocked.data() + size_t(y) * world.width; }
    static void Cell(uint8_t* row, size_t x, uint8_t blocked, int16_t, int32_t) { row[x] = blocked; }
    uint8_t* CellData(uint8_t*, size_t, size_t length)
    {
        data.resize(length);
        return data.data();
    }
    DescribedThing* StartFloor(int32_t count)
    {
        world.floor.resize(size_t(count));
        return world.floor.data();
    }
    static void Floor(DescribedThing& tile, const MapFloorRecord& record)
    {
        tile = {record.x, record.y, record.spriteId, NameOf(record.name), record.direction, 0};
    }
    bool StartObjects(int32_t count)
    {
        world.objects.reserve(size_t(count));
        return true;
    }
    void Object(const MapObjectRecord& record)
    {
        world.objects.push_back({record.x0, record.y0, record.spriteId, NameOf(record.name), record.direction, 0});
    }

private:
    DescribedWorld& world;
    std::vector<uint8_t> data;  // the cells' data, which the check does not keep
};

class FolderReader {
public:
    FolderReader(const std::string& worldFolder, WorldFacts& into) : folder(worldFolder), facts(into) {}

    void Read()
    {
        std::vector<WorldFinding> list, map;
        ReadList(list);
        ReadMap(map);
        Append(list);
        if (!facts.world.listFile.empty()) ReadSpriteFiles();
        Append(map);
    }

private:
    // Returns the entry of `inFolder` named `part` in another case, the first
    // by name of several; empty when there is none.
    std::string OtherCaseIn(const fs::path& inFolder, const std::string& part)
    {
        // Each folder is listed once, sorted: a list may name many files.
        std::vector<std::string>& names = listings[inFolder.string()];
        if (names.empty()) {
            std::error_code failed;
            for (fs::directory_iterator entry(inFolder, failed), end; !failed && entry != end;
                 entry.increment(failed)) {
                names.push_back(entry->path().filename().string());
            }
            std::sort(names.begin(), names.end());
        }
        for (const std::string& name : names) {
            if (SameIgnoringCase(name, part)) return name;
        }
        return "";
    }

    Located Locate(const std::string& name)
    {
        Located found;
        if (name.empty()) return found;
        if (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':')) {
            found.how = Located::How::Outside;
            return found;
        }
        fs::path at(folder);
        bool exact = true;
        size_t start = 0;
        while (start <= name.size()) {
            size_t end = name.find('/', start);
            if (end == std::string::npos) end = name.size();
            const std::string part = name.substr(start, end - start);
            start = end + 1;
            if (part.empty() || part == ".") continue;
            if (part == "..") {
                found.how = Located::How::Outside;
                return found;
            }
            std::error_code failed;
            std::string spelled = part;
            if (!fs::exists(at / part, failed)) {
                spelled = OtherCaseIn(at, part);
                if (spelled.empty()) return found;
                exact = false;
            }
            at /= spelled;
            found.spelled += (found.spelled.empty() ? "" : "/") + spelled;
        }
        found.how = exact ? Located::How::Exact : Located::How::OtherCase;
        found.path = at.string();
        return found;
    }

    void Append(const std::vector<WorldFinding>& findings)
    {
        facts.findings.insert(facts.findings.end(), findings.begin(), findings.end());
    }

    void Say(std::vector<WorldFinding>& into, const std::string& file, int line, const std::string& text,
             bool hides = true)
    {
        into.push_back({file, line, text, hides});
    }

    // Finds one of the world's own files; says when it is missing or found
    // only in another case. Returns its path, or empty.
    std::string WorldFile(const char* name, const char* without, std::vector<WorldFinding>& into, std::string& spelled)
    {
        const Located found = Locate(name);
        if (found.how == Located::How::Missing || found.how == Located::How::Outside) {
            Say(into, name, 0, std::string("is not in the folder: ") + without);
            return "";
        }
        if (found.how == Located::How::OtherCase) {
            Say(into, name, 0, "is not in the folder, only " + found.spelled + OnlyInAnotherCase);
        }
        spelled = found.spelled;
        return found.path;
    }

    void ReadList(std::vector<WorldFinding>& into)
    {
        std::string name;
        const std::string path = WorldFile(SpriteListFileName, "the program does not start", into, name);
        std::string text;
        SpriteRegistry registry;
        if (path.empty()) return;
        if (!ReadText(path, text) || !registry.LoadSpriteList(path.c_str())) {
            Say(into, name, 0, "cannot be read: the program does not start");
            return;
        }
        facts.world.listFile = name;

        // The line of each entry, as far as the text reads as the registry reads it.
        ListScan scan(text);
        std::vector<DescribedSprite> scanned;
        int64_t count = 0;
        int countLine = 1;
        std::string word;
        int wordLine = 0;
        bool inStep = true;
        if (!scan.Number(count, countLine)) {
            if (scan.Word(word, wordLine)) {
                Say(into, name, wordLine,
                    "the first word is the number of sprites, not '" + word + "': the program reads no sprite");
            }
            return;
        }
        int64_t written = 0, beyond = 0;
        for (;;) {
            int64_t id = 0;
            int line = 0, nameLine = 0;
            if (!scan.Number(id, line)) {
                if (scan.Word(word, wordLine)) {
                    Say(into, name, wordLine,
                        "'" + word + "' is not a sprite id: from here on the program reads the list out of step");
                    inStep = false;
                }
                break;
            }
            if (!scan.Word(word, nameLine)) break;
            if (written < count) {
                scanned.push_back({int32_t(id), word, line});
                ++written;
            } else {
                ++beyond;
            }
        }
        if (inStep && beyond > 0) {
            Say(into, name, countLine,
                "the count line says " + std::to_string(count) + ", but " + std::to_string(written + beyond) +
                    " sprites follow: the program reads only the first " + std::to_string(std::max<int64_t>(count, 0)));
        } else if (inStep && written < count) {
            Say(into, name, countLine,
                "the count line says " + std::to_string(count) + ", but " + std::to_string(written) + " sprites follow",
                false);
        }

        // The entries are the registry's, which the program draws with.
        for (int32_t i = 0; i < registry.EntryCount(); ++i) {
            const SpriteEntry& entry = registry.Entry(i);
            if (entry.fileName[0] == '\0') continue;  // the list ended before its count
            DescribedSprite sprite{entry.id, entry.fileName, 0};
            if (size_t(i) < scanned.size() && scanned[size_t(i)].id == entry.id &&
                scanned[size_t(i)].fileName == entry.fileName) {
                sprite.line = scanned[size_t(i)].line;
            }
            facts.world.sprites.push_back(sprite);
        }
        std::map<int32_t, size_t> first;
        for (size_t i = 0; i < facts.world.sprites.size(); ++i) {
            const DescribedSprite& sprite = facts.world.sprites[i];
            const auto [earlier, isFirst] = first.emplace(sprite.id, i);
            if (isFirst) continue;
            const size_t j = earlier->second;
            const int line = facts.world.sprites[j].line;
            Say(into, name, sprite.line,
                "sprite " + std::to_string(sprite.id) + " is listed again (first " +
                    (line ? "on line " + std::to_string(line) : "as entry " + std::to_string(j + 1)) +
                    "): the program draws it with the first",
                false);
        }
    }

    void ReadMap(std::vector<WorldFinding>& into)
    {
        std::string name;
        const std::string path = WorldFile(MapFileName, "the program ends at once", into, name);
        if (path.empty()) return;
        facts.world.mapFile = name;
        std::FILE* file = OpenRegularFile(path);
        size_t size = 0;
        if (!file || !SizeOfRest(file, size)) {
            if (file) std::fclose(file);
            Say(into, name, 0, "cannot be read: the program ends at once");
            return;
        }
        BoundedReader reader(file, size);
        FactsBuilder builder(facts.world);
        MapFileFault fault;
        facts.mapRead = ReadMapFile(reader, builder, fault);
        const bool unreadable = reader.ReadError();
        std::fclose(file);
        if (facts.mapRead) return;
        if (unreadable) {
            Say(into, name, 0, "cannot be read: the program ends at once");
        } else {
            const std::string why =
                fault.what == MapFault::WrongMagic
                    ? std::string("is not a map file: it does not start with \"") + MapMagic + "\""
                    : "breaks the map file's layout: " + DescribeMapFault(fault, facts.world.width, facts.world.height);
            Say(into, name, 0, why + "; the program shows \"Wrong map file.\" and ends");
        }
        facts.world = DescribedWorld{facts.world.mapFile, facts.world.listFile, facts.world.sprites};
    }

    // The ids that something draws with: the walkers' and those of the map.
    std::set<int32_t> UsedIds() const
    {
        std::set<int32_t> used{WalkerSpriteId};
        for (const DescribedThing& thing : facts.world.floor) used.insert(thing.spriteId);
        for (const DescribedThing& thing : facts.world.objects) used.insert(thing.spriteId);
        return used;
    }

    static std::string Cost(int32_t id)
    {
        if (id == WalkerSpriteId) return "the walkers do not show";
        return "sprite " + std::to_string(id) + " is not drawn";
    }

    void ReadSpriteFiles()
    {
        const DescribedWorld& world = facts.world;
        facts.spriteFiles.resize(world.sprites.size());
        const std::set<int32_t> usedIds = UsedIds();
        std::set<int32_t> seen;
        for (size_t i = 0; i < world.sprites.size(); ++i) {
            const DescribedSprite& sprite = world.sprites[i];
            if (!seen.insert(sprite.id).second) continue;  // never drawn: the list's finding says so
            const bool used = usedIds.count(sprite.id) != 0;
            const std::string unused = " (nothing uses sprite " + std::to_string(sprite.id) + ")";
            const auto say = [&](const std::string& text, const std::string& cost) {
                Say(facts.findings, world.listFile, sprite.line, sprite.fileName + text + (used ? cost : unused), used);
            };
            const Located found = Locate(sprite.fileName);
            switch (found.how) {
            case Located::How::Outside:
                say(" lies outside the world folder", ": the web page cannot open it, nor a copy of the world");
                continue;
            case Located::How::Missing: say(" is not in the folder", ": " + Cost(sprite.id)); continue;
            case Located::How::OtherCase: say(" is not in the folder, only " + found.spelled, OnlyInAnotherCase); break;
            case Located::How::Exact: break;
            }
            // A file listed under several ids is read once.
            const auto [read, fresh] = reads.emplace(found.path, FileRead{});
            if (fresh) read->second.fault = ReadSprite(found.path, sprite.id, read->second.facts);
            facts.spriteFiles[i] = read->second.facts;
            if (read->second.facts.read) continue;
            const std::string& fault = read->second.fault;
            Say(facts.findings, world.listFile, sprite.line,
                sprite.fileName + (used ? fault : fault.substr(0, fault.find(": ")) + unused), used);
        }
    }

    struct FileRead {
        SpriteFileFacts facts;
        std::string fault;  // why it was not read, "... : what it costs"
    };

    // Reads the sprite file at `path` as the loader does. Returns why it
    // cannot be drawn (" is damaged ...: sprite 20 is not drawn"), or empty
    // once `into` holds its animations.
    std::string ReadSprite(const std::string& path, int32_t id, SpriteFileFacts& into)
    {
        std::FILE* file = OpenRegularFile(path);
        size_t size = 0;
        std::string fault;
        Sprite sprite = {};
        sprite.ResetSprite();
        if (!file || !SizeOfRest(file, size)) {
            fault = " cannot be read: " + Cost(id);
        } else {
            BoundedReader reader(file, size);
            if (!ReadSpriteMagic(reader)) {
                fault = reader.ReadError() ? " cannot be read: " + Cost(id)
                                           : " is not a sprite file: drawing sprite " + std::to_string(id) +
                                                 " ends the program with \"" + WrongSpriteMagicMessage + "\"";
            } else if (!sprite.ReadSprite(reader, 32)) {
                fault = " is damaged (its layout breaks at or before byte " + std::to_string(reader.Offset()) + " of " +
                        std::to_string(size) + "): " + Cost(id);
            } else {
                into.read = true;
            }
        }
        if (file) std::fclose(file);
        if (!into.read) return fault;
        for (int32_t a = 0; a < sprite.animationCount; ++a) {
            const Animation& animation = sprite.animations[a];
            AnimationFacts seen{animation.name, animation.direction, animation.frameCount, false};
            for (int32_t f = 0; f < animation.frameCount; ++f) {
                seen.moves = seen.moves || animation.frames[f].offsetX != 0 || animation.frames[f].offsetY != 0;
            }
            into.animations.push_back(seen);
        }
        sprite.FreeSprite();
        return "";
    }

    std::string folder;
    WorldFacts& facts;
    std::map<std::string, std::vector<std::string>> listings;  // each folder's names, sorted
    std::map<std::string, FileRead> reads;                     // each sprite file read, by path
};

}  // namespace

WorldFacts ReadWorldFacts(const std::string& folder)
{
    WorldFacts facts;
    FolderReader(folder, facts).Read();
    return facts;
}
