// maptool: map files for content authors (docs/map-tool.md).
//
//   maptool build <description.txt> <test.map> [<SpriteList.txt>]
//   maptool dump <test.map>
//   maptool render <world folder> <picture.png> [<camera x> <camera y> [<offset x> <offset y>]]
#include "tools/maptool/WorldRender.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/MapFileCodec.h"
#include "tools/worldfiles/MapText.h"
#include "tools/worldfiles/PngImage.h"
#include "tools/worldfiles/TextValues.h"
#include "world/FrameLayout.h"

#include <cstdio>
#include <filesystem>
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

int Build(const std::vector<std::string>& args)
{
    if (args.size() != 2 && args.size() != 3) return Fail(std::string("build takes 2 or 3 names\n") + Usage);
    std::vector<uint8_t> text;
    std::string error;
    if (!ReadFileBytes(args[0], text)) return Fail("cannot read " + args[0]);
    MapDescription description;
    if (!ParseMapText(std::string(text.begin(), text.end()), description, error)) return Fail(args[0] + ": " + error);
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
    std::vector<uint8_t> file;
    std::string error;
    if (!ReadFileBytes(args[0], file)) return Fail("cannot read " + args[0]);
    MapSource map;
    if (!DecodeMapFile(file, map, error)) return Fail(args[0] + ": " + error);
    std::fputs(FormatMapText(map).c_str(), stdout);
    return 0;
}

int Render(const std::vector<std::string>& args)
{
    if (args.size() != 2 && args.size() != 4 && args.size() != 6) {
        return Fail(std::string("render takes a folder, a picture and up to four numbers\n") + Usage);
    }
    RenderView view;
    int32_t* fields[] = {&view.cameraX, &view.cameraY, &view.cameraOffsetX, &view.cameraOffsetY};
    for (size_t i = 2; i < args.size(); ++i) {
        int64_t value = 0;
        if (!ParseWholeNumber(args[i], -1000000, 1000000, value))
            return Fail("'" + args[i] + "' is not a whole number");
        *fields[i - 2] = int32_t(value);
    }
    // The picture's name is taken before the world's folder becomes the working directory.
    const std::string picture = std::filesystem::absolute(args[1]).string();
    std::vector<uint32_t> pixels;
    std::string error;
    if (!RenderWorld(args[0], view, pixels, error)) return Fail(args[0] + ": " + error);
    if (!SavePng(picture, OpaqueImage(FrameWidth, FrameHeight, pixels), error, PngChannels::Rgb))
        return Fail("cannot write " + error);
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
