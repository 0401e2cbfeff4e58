// tmxexport: a world folder as a map of the Tiled editor
// (docs/tiled-export.md).
//
//   tmxexport <world folder> <map.tmx>
#include "tools/tmxexport/TmxExport.h"

#include <cstdio>
#include <string>

namespace {

const char Usage[] = "usage: tmxexport <world folder> <map.tmx>\n"
                     "  writes the world (SpriteList.txt, test.map, the sprite files) as a Tiled map,\n"
                     "  with its tilesets and pictures in <map>.tilesets beside it\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "tmxexport: a world folder and a map are needed\n%s", Usage);
        return 1;
    }
    ExportSummary summary;
    std::string error;
    const bool done = ExportWorld(argv[1], argv[2], summary, error);
    for (const std::string& note : summary.notes) std::fprintf(stderr, "tmxexport: note: %s\n", note.c_str());
    if (!done) {
        std::fprintf(stderr, "tmxexport: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %d x %d cells, %zu floor layers, %zu objects, %zu tilesets, %zu pictures\n", argv[2],
                summary.width, summary.height, summary.floorLayers, summary.objects, summary.tilesets,
                summary.pictures);
    return 0;
}
