// spritetool: sprite files for content authors.
//   spritetool build MANIFEST OUTPUT.spr   a sprite file from PNG frames and a manifest
//   spritetool print FILE.spr              what a sprite file holds
//   spritetool unpack FILE.spr FOLDER      its frames as PNG files, with a manifest
//   spritetool sheet FILE.spr OUTPUT.png   a contact sheet of its frames
#include "sprite/Sprite.h"
#include "tools/spritetool/ContactSheet.h"
#include "tools/spritetool/Manifest.h"
#include "tools/spritetool/SpriteContents.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"
#include "tools/worldfiles/ToolPaths.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace {

int Usage()
{
    std::cerr << "usage: spritetool build MANIFEST OUTPUT.spr\n"
                 "       spritetool print FILE.spr\n"
                 "       spritetool unpack FILE.spr FOLDER\n"
                 "       spritetool sheet FILE.spr OUTPUT.png\n"
                 "docs/sprite-tool.md describes the manifest.\n";
    return 2;
}

int Fail(const std::string& message)
{
    std::cerr << "spritetool: " << message << "\n";
    return 1;
}

int Build(const std::string& manifestPath, const std::string& output)
{
    const ManifestResult result = ReadManifest(manifestPath);
    for (const std::string& warning : result.warnings) std::cerr << "spritetool: warning: " << warning << "\n";
    if (!result.errors.empty()) return Fail(result.errors.front());
    const std::vector<uint8_t> bytes = EncodeSpriteFile(result.sprite);
    std::string error;
    if (!WriteOutput(output, bytes, error)) return Fail(output + ": " + error);
    size_t frames = 0;
    for (const AnimationSource& animation : result.sprite.animations) frames += animation.frames.size();
    std::cout << output << ": " << result.sprite.animations.size() << " animations, " << frames << " frames, "
              << bytes.size() << " bytes\n";
    return 0;
}

int Print(const std::string& path)
{
    Sprite sprite = {};
    std::string error;
    if (!ReadSpriteFile(path, sprite, error)) return Fail(error);
    PrintSprite(sprite, std::cout);
    sprite.FreeSprite();
    return 0;
}

int Unpack(const std::string& path, const std::string& folder)
{
    Sprite sprite = {};
    std::string error, manifest, notes;
    const std::string manifestPath = folder + "/sprite.txt";
    if (!ReadSpriteFile(path, sprite, error)) return Fail(error);
    bool ok = MakeFolderFor(manifestPath, error) && UnpackSprite(sprite, folder, manifest, notes, error);
    sprite.FreeSprite();
    if (!ok) return Fail(error);
    if (!WriteOutput(manifestPath, std::vector<uint8_t>(manifest.begin(), manifest.end()), error)) {
        return Fail(manifestPath + ": " + error);
    }
    std::cerr << notes;
    std::cout << manifestPath << ": written with its frames\n";
    return 0;
}

int Sheet(const std::string& path, const std::string& output)
{
    Sprite sprite = {};
    std::string error;
    if (!ReadSpriteFile(path, sprite, error)) return Fail(error);
    RgbaImage sheet;
    const bool drawn = DrawContactSheet(sprite, sheet, error);
    int32_t frames = 0;
    for (int32_t a = 0; a < sprite.animationCount; ++a) frames += sprite.animations[a].frameCount;
    const int32_t animations = sprite.animationCount;
    sprite.FreeSprite();
    if (!drawn) return Fail(path + ": " + error);
    if (!MakeFolderFor(output, error)) return Fail(output + ": " + error);
    if (!SavePng(output, sheet, error)) return Fail(error);
    std::cout << output << ": " << animations << " animations, " << frames << " frames, " << sheet.width << " x "
              << sheet.height << " pixels\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "build" && argc == 4) return Build(argv[2], argv[3]);
    if (command == "print" && argc == 3) return Print(argv[2]);
    if (command == "unpack" && argc == 4) return Unpack(argv[2], argv[3]);
    if (command == "sheet" && argc == 4) return Sheet(argv[2], argv[3]);
    return Usage();
}
