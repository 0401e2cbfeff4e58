#include "tools/tmximport/TmxImport.h"

#include "base/BoundedReader.h"
#include "map/MapFile.h"
#include "sprite/SpriteFile.h"
#include "tools/tmximport/TmxReader.h"
#include "tools/tmximport/WorldRestorer.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <new>
#include <set>

namespace {

namespace fs = std::filesystem;

// The walker's sprite file, copied into the world under its own name. A file
// that is not a sprite file would end the program at its first step.
struct WalkerFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

WalkerFile ReadWalker(const std::string& path, const ConvertedWorld& world)
{
    WalkerFile walker;
    FileFault fault;
    if (!ReadFileWithin(path, MaxSpriteFileBytes, walker.bytes, fault)) {
        throw std::runtime_error("cannot read the walker sprite \"" + path + "\": it " + fault.why);
    }
    BoundedReader reader(walker.bytes.data(), walker.bytes.size());
    if (!ReadSpriteMagic(reader)) {
        throw std::runtime_error("\"" + path + "\" is not a sprite file (it does not start with \"" + SpriteMagic +
                                 "\")");
    }
    walker.name = fs::path(path).filename().string();
    if (walker.name.empty() ||
        std::any_of(walker.name.begin(), walker.name.end(), [](char c) { return std::isspace((unsigned char)c); })) {
        throw std::runtime_error("the walker sprite's file name must be one word");
    }
    for (const SpriteFile& sprite : world.sprites) {
        if (sprite.fileName == walker.name) {
            throw std::runtime_error("the walker sprite's name " + walker.name + " is also a tileset's");
        }
    }
    return walker;
}

// The names that "SpriteList.txt" gives, read as the program's registry
// reads them: a count, then an id (when a number is there) and a word each.
std::vector<std::string> ListedNames(const std::string& list)
{
    std::vector<std::string> names;
    size_t at = 0;
    const auto skipSpace = [&] {
        while (at < list.size() && std::isspace((unsigned char)list[at])) ++at;
    };
    const auto skipNumber = [&] {
        skipSpace();
        size_t digits = at + (at < list.size() && (list[at] == '-' || list[at] == '+'));
        if (digits < list.size() && std::isdigit((unsigned char)list[digits])) {
            while (digits < list.size() && std::isdigit((unsigned char)list[digits])) ++digits;
            at = digits;
        }
    };
    skipNumber();
    while (at < list.size()) {
        skipNumber();
        skipSpace();
        const size_t start = at;
        while (at < list.size() && !std::isspace((unsigned char)list[at])) ++at;
        if (at > start) names.push_back(list.substr(start, at - start));
    }
    return names;
}

// Whether `name` is the world's list or map, as the file system of a
// Windows machine, where the world runs, tells names apart: case left out.
const char* OwnFileNamed(const std::string& name)
{
    std::string folded = fs::path(name).lexically_normal().generic_string();
    for (char& c : folded) c = char(std::tolower((unsigned char)c));
    for (const char* own : {SpriteListFileName, MapFileName}) {
        std::string file = own;
        for (char& c : file) c = char(std::tolower((unsigned char)c));
        if (folded == file) return own;
    }
    return nullptr;
}

// Every name the import writes, and every name the list gives, is checked
// with the rules the importer's own names keep: inside the folder, the
// world's list and map under their own names alone, one file for each name,
// and never through a link or over a folder. Nothing is written before all
// of them pass, so that a refused name leaves no part of the world behind.
void CheckNames(const ConvertedWorld& world, const WalkerFile& walker, const std::string& listText,
                const ImportOptions& options)
{
    const std::string& map = options.mapPath;
    std::set<std::string> taken;
    const auto check = [&](const std::string& name, const char* what) {
        if (!StaysInside(name)) {
            throw std::runtime_error(map + ": the " + what + " name \"" + ShortName(name) +
                                     "\" leaves the world folder");
        }
        if (const char* own = OwnFileNamed(name)) {
            throw std::runtime_error(map + ": the " + what + " name \"" + ShortName(name) +
                                     "\" is the name of the world's own " + own);
        }
        if (!taken.insert(fs::path(name).lexically_normal().generic_string()).second) {
            throw std::runtime_error(map + ": two sprite files are named \"" + ShortName(name) + "\"");
        }
    };
    if (!walker.name.empty()) check(walker.name, "walker sprite's file");
    for (const SpriteFile& sprite : world.sprites) check(sprite.fileName, "sprite file");
    for (const std::string& name : ListedNames(listText)) {
        if (!StaysInside(name)) {
            throw std::runtime_error(map + ": the sprite list names \"" + ShortName(name) +
                                     "\", which leaves the world folder");
        }
        if (OwnFileNamed(name)) {
            throw std::runtime_error(map + ": the sprite list names the world's own " + OwnFileNamed(name) +
                                     " as a sprite file");
        }
    }
    // A link inside the folder would lead the writing out of it; a folder
    // cannot become a file.
    std::vector<std::string> written = {SpriteListFileName, MapFileName};
    if (!walker.name.empty()) written.push_back(walker.name);
    for (const SpriteFile& sprite : world.sprites) written.push_back(sprite.fileName);
    std::error_code failed;
    for (const std::string& name : written) {
        fs::path path(options.folder);
        const fs::path relative = fs::path(name).lexically_normal();
        for (auto part = relative.begin(); part != relative.end(); ++part) {
            path /= *part;
            const fs::file_status status = fs::symlink_status(path, failed);
            const bool last = std::next(part) == relative.end();
            if (!last && fs::is_symlink(status)) {
                throw std::runtime_error(path.string() + " is a link: tmximport writes only into folders inside the "
                                                         "world folder");
            }
            if (fs::is_directory(status) && last) {
                throw std::runtime_error(path.string() + " is a folder: tmximport writes a file of that name");
            }
            if (fs::exists(status) && !last && !fs::is_directory(status)) {
                throw std::runtime_error(path.string() + " is not a folder: tmximport cannot write " + name);
            }
        }
    }
}

// Every file is written beside the old ones under a hidden name, and all
// move into place only once all are whole: a failure half way (a full disk)
// leaves the old world as it was.
void WriteWorld(const ConvertedWorld& world, const ImportOptions& options)
{
    std::vector<SpriteListing> list;
    WalkerFile walker;
    if (!options.walkerPath.empty()) {
        if (world.spriteListText) {
            throw std::runtime_error("a map made by tmxexport keeps its world's sprite list: --walker is for maps "
                                     "made in the editor");
        }
        walker = ReadWalker(options.walkerPath, world);
        list.push_back({WalkerSpriteId, walker.name});
    }
    list.insert(list.end(), world.spriteList.begin(), world.spriteList.end());
    const std::string listText = world.spriteListText ? *world.spriteListText : FormatSpriteList(list);
    CheckNames(world, walker, listText, options);

    const fs::path folder(options.folder);
    std::vector<std::string> made;  // folders made, removed again if the import fails
    std::error_code failed;
    const auto makeFolder = [&](const fs::path& path) {
        for (fs::path missing = path; !missing.empty() && !fs::exists(missing, failed);
             missing = missing.parent_path()) {
            made.push_back(missing.string());
        }
        fs::create_directories(path, failed);
        if (failed) throw std::runtime_error("cannot make the folder " + path.string() + ": " + failed.message());
    };
    try {
        StagedFiles staged;
        std::string why;
        const auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
            if (!staged.Write((folder / name).string(), bytes, why)) throw std::runtime_error("cannot write " + why);
        };
        makeFolder(folder);
        if (!walker.name.empty()) write(walker.name, walker.bytes);
        for (const SpriteFile& sprite : world.sprites) {
            makeFolder((folder / sprite.fileName).parent_path());
            write(sprite.fileName, sprite.bytes ? *sprite.bytes : EncodeSpriteFile(sprite.sprite));
        }
        write(SpriteListFileName, std::vector<uint8_t>(listText.begin(), listText.end()));
        write(MapFileName, world.mapBytes ? *world.mapBytes : EncodeMapFile(world.map));
        if (!staged.MoveIntoPlace(why)) throw std::runtime_error("cannot write " + why);
    } catch (...) {
        // The staged files are gone by now; the folders go deepest first.
        std::sort(made.begin(), made.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
        for (const std::string& path : made) fs::remove(path, failed);  // only when empty
        throw;
    }
}

// A map that tmxexport made gives back the world it came from.
ConvertedWorld Convert(const TmxMap& map)
{
    return IsExportedWorld(map) ? RestoreWorld(map) : BuildWorld(map);
}

void Summarise(const ConvertedWorld& world, ImportSummary& summary)
{
    summary.width = world.map.width;
    summary.height = world.map.height;
    summary.floorTiles = world.map.floorTiles.size();
    summary.objects = world.map.objects.size();
    summary.blockedCells = size_t(std::count_if(world.map.cells.begin(), world.map.cells.end(),
                                                [](const CellSource& cell) { return cell.blocked != 0; }));
    summary.sprites = world.sprites.size();
    summary.warnings = world.warnings.List();
}

}  // namespace

bool ConvertTmxText(const std::string& text, const std::string& path, ConvertedWorld& world, std::string& error)
{
    try {
        world = Convert(ReadTmxText(text, path));
        return true;
    } catch (const std::bad_alloc&) {
        error = path + ": the map needs more memory than there is";
    } catch (const std::exception& refusal) {
        error = refusal.what();
    }
    return false;
}

bool ImportTmx(const ImportOptions& options, ImportSummary& summary, std::string& error)
{
    try {
        const ConvertedWorld world = Convert(ReadTmxFile(options.mapPath));
        WriteWorld(world, options);
        Summarise(world, summary);
        return true;
    } catch (const std::bad_alloc&) {
        error = options.mapPath + ": the map needs more memory than there is";
    } catch (const std::exception& refusal) {
        error = refusal.what();
    }
    return false;
}
