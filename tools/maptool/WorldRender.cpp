#include "tools/maptool/WorldRender.h"

#include "map/TileMap.h"
#include "sprite/DisplayDepth.h"
#include "sprite/SpriteListFile.h"
#include "world/MemoryFrame.h"
#include "world/SceneSteps.h"

#include <filesystem>
#include <system_error>

namespace {

// The program opens every file relative to its working directory, and so
// does the registry: the world is drawn from inside its folder.
class InFolder {
public:
    explicit InFolder(const std::string& folder, std::error_code& failed)
        : previous(std::filesystem::current_path(failed))
    {
        if (!failed) std::filesystem::current_path(folder, failed);
    }
    ~InFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
    }

private:
    std::filesystem::path previous;
};

bool DrawWorld(const RenderView& view, MemoryFrame& frame, std::string& error)
{
    TileMap map;
    const char* unreadFile = nullptr;
    if (!StartScene(map, &unreadFile)) {
        const bool list = std::string(unreadFile) == SpriteListFileName;
        error = std::string(list ? "cannot read " : "cannot load ") + unreadFile;
        return false;
    }
    map.cameraX = view.cameraX;
    map.cameraY = view.cameraY;
    map.cameraOffsetX = view.cameraOffsetX;
    map.cameraOffsetY = view.cameraOffsetY;
    // The drawing part of the program's pass, without the walkers.
    frame.Clear();
    DrawScene(map, frame.Surface());
    return true;
}

}  // namespace

bool RenderWorld(const std::string& folder, const RenderView& view, std::vector<uint32_t>& pixels, std::string& error)
{
    DisplayDepth = 32;
    std::error_code failed;
    InFolder inside(folder, failed);
    if (failed) {
        error = "cannot enter " + folder + ": " + failed.message();
        return false;
    }
    MemoryFrame frame;
    if (!DrawWorld(view, frame, error)) return false;
    pixels = frame.Pixels();
    return true;
}
