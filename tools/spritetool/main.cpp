// spritetool: sprite files for content authors.
//   spritetool build MANIFEST OUTPUT.spr   a sprite file from PNG frames and a manifest
//   spritetool print FILE.spr              what a sprite file holds
//   spritetool unpack FILE.spr FOLDER      its frames as PNG files, with a manifest
#include "sprite/Sprite.h"
#include "tools/spritetool/Manifest.h"
#include "tools/spritetool/SpriteContents.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace {

int Usage()
{
    std::cerr << "usage: spritetool build MANIFEST OUTPUT.spr\n"
                 "       spritetool print FILE.spr\n"
                 "       spritetool unpack FILE.spr FOLDER\n"
                 "docs/sprite-tool.md describes the manifest.\n";
    return 2;
}

int Build(const std::string& manifestPath, const std::string& output)
{
    const ManifestResult result = ReadManifest(manifestPath);
    for (const std::string& warning : result.warnings) std::cerr << "warning: " << warning << "\n";
    for (const std::string& error : result.errors) std::cerr << "error: " << error << "\n";
    if (!result.errors.empty()) return 1;
    const std::vector<uint8_t> bytes = EncodeSpriteFile(result.sprite);
    if (!WriteFileBytes(output, bytes)) {
        std::cerr << "error: " << output << ": cannot be written\n";
        return 1;
    }
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
    if (!ReadSpriteFile(path, sprite, error)) {
        std::cerr << "error: " << error << "\n";
        return 1;
    }
    PrintSprite(sprite, std::cout);
    sprite.FreeSprite();
    return 0;
}

int Unpack(const std::string& path, const std::string& folder)
{
    Sprite sprite = {};
    std::string error, manifest, notes;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string manifestPath = folder + "/sprite.txt";
    bool ok = ReadSpriteFile(path, sprite, error) && UnpackSprite(sprite, folder, manifest, notes, error);
    sprite.FreeSprite();
    if (ok && !WriteFileBytes(manifestPath, std::vector<uint8_t>(manifest.begin(), manifest.end()))) {
        ok = false;
        error = manifestPath + ": cannot be written";
    }
    if (ok) {
        std::cerr << notes;
        std::cout << folder << "/sprite.txt written with its frames\n";
        return 0;
    }
    std::cerr << "error: " << error << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "build" && argc == 4) return Build(argv[2], argv[3]);
    if (command == "print" && argc == 3) return Print(argv[2]);
    if (command == "unpack" && argc == 4) return Unpack(argv[2], argv[3]);
    return Usage();
}
