// maptool: map files for content authors (docs/map-tool.md).
//
//   maptool build <description.txt> <test.map> [<SpriteList.txt>]
//   maptool dump <test.map>
//   maptool render <world folder> <picture.png> [<camera x> <camera y> [<offset x> <offset y>]]
#include "tools/maptool/MapFileCodec.h"
#include "tools/maptool/MapText.h"
#include "tools/maptool/PngFile.h"
#include "tools/maptool/WorldRender.h"
#include "tools/spritetool/SpriteWriter.h"
#include "world/FrameLayout.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char Usage[] = "usage:\n"
                     "  maptool build <description.txt> <test.map> [<SpriteList.txt>]\n"
                     "      writes the map file, and the sprite list when a name is given for it\n"
                     "  maptool dump <test.map>\n"
                     "      prints the map file as a description that build reads back\n"
                     "  maptool render <world folder> <picture.png> [<camera x> <camera y> [<offset x> <offset y>]]\n"
                     "      draws the folder's SpriteList.txt and test.map as the program shows them\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "maptool: %s\n", message.c_str());
    return 1;
}

bool ReadWhole(const std::string& path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

int Build(const std::vector<std::string>& args)
{
    if (args.size() != 2 && args.size() != 3) return Fail(std::string("build takes 2 or 3 names\n") + Usage);
    std::string text, error;
    if (!ReadWhole(args[0], text)) return Fail("cannot read " + args[0]);
    MapDescription description;
    if (!ParseMapText(text, description, error)) return Fail(args[0] + ": " + error);
    if (!WriteFileBytes(args[1], EncodeMapFile(description.map))) return Fail("cannot write " + args[1]);
    if (args.size() == 3) {
        const std::string list = FormatSpriteList(description.sprites);
        if (!WriteFileBytes(args[2], std::vector<uint8_t>(list.begin(), list.end()))) {
            return Fail("cannot write " + args[2]);
        }
    }
    return 0;
}

int Dump(const std::vector<std::string>& args)
{
    if (args.size() != 1) return Fail(std::string("dump takes one map file\n") + Usage);
    std::string file, error;
    if (!ReadWhole(args[0], file)) return Fail("cannot read " + args[0]);
    MapSource map;
    if (!DecodeMapFile(std::vector<uint8_t>(file.begin(), file.end()), map, error)) {
        return Fail(args[0] + ": " + error);
    }
    std::fputs(FormatMapText(map).c_str(), stdout);
    return 0;
}

bool Int(const std::string& text, int32_t& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    value = static_cast<int32_t>(parsed);
    return !text.empty() && *end == '\0' && parsed >= -1000000 && parsed <= 1000000;
}

int Render(const std::vector<std::string>& args)
{
    if (args.size() != 2 && args.size() != 4 && args.size() != 6) {
        return Fail(std::string("render takes a folder, a picture and up to four numbers\n") + Usage);
    }
    RenderView view;
    int32_t* fields[] = {&view.cameraX, &view.cameraY, &view.cameraOffsetX, &view.cameraOffsetY};
    for (size_t i = 2; i < args.size(); ++i) {
        if (!Int(args[i], *fields[i - 2])) return Fail("'" + args[i] + "' is not a whole number");
    }
    // The picture's name is taken before the world's folder becomes the working directory.
    const std::string picture = std::filesystem::absolute(args[1]).string();
    std::vector<uint32_t> pixels;
    std::string error;
    if (!RenderWorld(args[0], view, pixels, error)) return Fail(args[0] + ": " + error);
    if (!WritePng(picture, FrameWidth, FrameHeight, pixels)) return Fail("cannot write " + picture);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Fail(std::string("no command\n") + Usage);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "build") return Build(args);
    if (command == "dump") return Dump(args);
    if (command == "render") return Render(args);
    if (command == "help" || command == "--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    return Fail("unknown command '" + command + "'\n" + Usage);
}
