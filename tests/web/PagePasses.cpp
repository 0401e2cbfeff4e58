// page-passes <world folder> <script>: the native side of the page's tests.
// Runs the page's world (PageWorld, the same code the page runs) natively,
// pass after pass as the script says, and writes the frame where it asks:
//
//   pass <tick> [<key>...]   one pass; both clock readings give <tick>; the
//                            keys named (Up Down Left Right W A S D) are held
//   shot <picture.png>       the frame of the last pass
//
// Exit code 0 when the script ran to its end; 1, with the reason, otherwise.
#include "tools/worldfiles/PngImage.h"
#include "web/PageWorld.h"
#include "world/FrameLayout.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

uint32_t scriptTick = 0;

uint32_t ScriptClock()
{
    return scriptTick;
}

const std::map<std::string, uint8_t> KeyCodes = {
    {"Left", 0x25}, {"Up", 0x26}, {"Right", 0x27}, {"Down", 0x28}, {"W", 'W'}, {"A", 'A'}, {"S", 'S'}, {"D", 'D'},
};

int Fail(const std::string& message)
{
    std::fprintf(stderr, "page-passes: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return Fail("usage: page-passes <world folder> <script>");
    std::ifstream script(argv[2]);
    if (!script) return Fail(std::string("cannot read ") + argv[2]);
    const std::filesystem::path scriptFolder = std::filesystem::absolute(argv[2]).parent_path();
    std::error_code failed;
    std::filesystem::current_path(argv[1], failed);
    if (failed) return Fail(std::string("cannot enter ") + argv[1] + ": " + failed.message());

    PageWorld world;
    if (!world.Start()) return Fail("the world does not start");
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        std::istringstream words(line);
        std::string command;
        if (!(words >> command)) continue;
        const std::string where = std::string(argv[2]) + ":" + std::to_string(number) + ": ";
        if (command == "pass") {
            uint8_t keys[256] = {};
            if (!(words >> scriptTick)) return Fail(where + "pass needs a tick");
            for (std::string key; words >> key;) {
                const auto code = KeyCodes.find(key);
                if (code == KeyCodes.end()) return Fail(where + "no key '" + key + "'");
                keys[code->second] = 1;
            }
            world.Pass(keys, ScriptClock);
        } else if (command == "shot") {
            std::string picture;
            if (!(words >> picture)) return Fail(where + "shot needs a file name");
            const std::filesystem::path path = scriptFolder / picture;
            std::string error;
            const RgbaImage frame = OpaqueImage(FrameWidth, FrameHeight, world.Frame());
            if (!SavePng(path.string(), frame, error, PngChannels::Rgb)) return Fail("cannot write " + error);
        } else {
            return Fail(where + "unknown command '" + command + "'");
        }
    }
    return 0;
}
