#include "tools/tmxexport/ExportTarget.h"

#include "tools/tiledworld/TiledLimits.h"
#include "tools/tiledworld/WorldProperties.h"
#include "tools/worldfiles/Files.h"

#include <pugixml.hpp>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const char LeftAlone[] = ": it is left alone (remove it, or export to another name)";

// Whether the file is a map that tmxexport wrote: it carries the map
// property `world`, which the editor keeps.
bool IsExportedMap(const std::string& path)
{
    std::string text;
    FileFault fault;
    if (!ReadFileWithin(path, MaxTmxFileBytes, text, fault)) return false;
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size())) return false;
    const pugi::xml_node map = document.child("map");
    return map && map.child("properties").find_child_by_attribute("property", "name", worldprop::World);
}

bool Fail(std::string& error, const std::string& text)
{
    error = text;
    return false;
}

// Whether `folder` holds only an export's tileset files and folders of
// pictures; `error` names the first thing that is not.
bool HoldsOnlyTilesets(const fs::path& folder, std::string& error)
{
    std::error_code failed;
    for (fs::directory_iterator entry(folder, failed), end; !failed && entry != end; entry.increment(failed)) {
        const fs::file_status status = fs::symlink_status(entry->path(), failed);
        if (fs::is_regular_file(status) && entry->path().extension() == ".tsx") continue;
        if (!fs::is_directory(status)) {
            return Fail(error, entry->path().string() + " is not a tileset that tmxexport wrote" + LeftAlone);
        }
        for (fs::directory_iterator picture(entry->path(), failed); !failed && picture != end;
             picture.increment(failed)) {
            if (!fs::is_regular_file(fs::symlink_status(picture->path(), failed)) ||
                picture->path().extension() != ".png") {
                return Fail(error, picture->path().string() + " is not a picture that tmxexport wrote" + LeftAlone);
            }
        }
    }
    return !failed || Fail(error, folder.string() + ": " + failed.message());
}

}  // namespace

bool MayReplace(const std::string& mapPath, const std::string& tilesetFolder, std::string& error)
{
    std::error_code failed;
    const fs::file_status map = fs::symlink_status(mapPath, failed);
    if (fs::is_directory(map)) {
        return Fail(error, mapPath + " is a folder: give the map file's name, " +
                               (fs::path(mapPath) / "map.tmx").string() + " say");
    }
    if (fs::exists(map) && !fs::is_regular_file(map)) {
        return Fail(error, mapPath + " is a link, a device or a pipe, not a map that tmxexport wrote" + LeftAlone);
    }
    if (fs::exists(map) && !IsExportedMap(mapPath)) {
        return Fail(error, mapPath + " is not a map that tmxexport wrote" + LeftAlone);
    }
    const fs::file_status tilesets = fs::symlink_status(tilesetFolder, failed);
    if (fs::exists(tilesets) && !fs::is_directory(tilesets)) {
        return Fail(error, tilesetFolder + " is not the folder of tilesets that tmxexport writes" + LeftAlone);
    }
    return !fs::exists(tilesets) || HoldsOnlyTilesets(tilesetFolder, error);
}
