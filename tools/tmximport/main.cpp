// tmximport: isometric maps of the Tiled editor as the program's worlds
// (docs/tiled-import.md).
//
//   tmximport <map.tmx> <world folder> [--walker <sprite file>]
#include "tools/tmximport/TmxImport.h"
#include "world/WorldCheck.h"

#include <cstdio>
#include <string>

namespace {

const char Usage[] = "usage: tmximport <map.tmx> <world folder> [--walker <sprite file>]\n"
                     "  converts an isometric Tiled map into the folder's test.map, SpriteList.txt\n"
                     "  and sprite files; --walker copies a sprite file in as the walkers' sprite (id 2)\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tmximport: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    ImportOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (arg == "--walker" && i + 1 < argc) {
            options.walkerPath = argv[++i];
        } else if (options.mapPath.empty()) {
            options.mapPath = arg;
        } else if (options.folder.empty()) {
            options.folder = arg;
        } else {
            return Fail("unexpected '" + arg + "'\n" + Usage);
        }
    }
    if (options.folder.empty()) return Fail(std::string("a map and a folder are needed\n") + Usage);

    ImportSummary summary;
    std::string error;
    const bool done = ImportTmx(options, summary, error);
    for (const std::string& warning : summary.warnings) std::fprintf(stderr, "tmximport: note: %s\n", warning.c_str());
    if (!done) return Fail(error);
    // What the world now refers to that the program will not find or draw
    // (no walker sprite, say), named relative to the folder written.
    for (const WorldFinding& finding : CheckWorldFolder(options.folder)) {
        std::fprintf(stderr, "tmximport: %s%s\n", finding.hides ? "warning: " : "", FormatFinding(finding).c_str());
    }
    std::printf("%s: %d x %d cells, %zu floor tiles, %zu objects, %zu blocked cells, %zu sprite files\n",
                options.folder.c_str(), summary.width, summary.height, summary.floorTiles, summary.objects,
                summary.blockedCells, summary.sprites);
    return 0;
}
