#include "tools/maptool/WorldRender.h"

#include "map/MapFile.h"
#include "map/TileMap.h"
#include "map/TileProjection.h"
#include "sprite/DisplayDepth.h"
#include "sprite/SpriteListFile.h"
#include "tools/worldfiles/Files.h"
#include "world/FrameLayout.h"
#include "world/MemoryFrame.h"
#include "world/SceneSteps.h"

#include <algorithm>
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

// The program's loaders open whatever has the name: a pipe or a device
// would block them or feed them for ever, so the tool lets them open regular
// files alone. A file they cannot open is theirs to handle.
bool LeftToTheLoaders(const std::string& name, std::string& error)
{
    FileFault fault;
    std::FILE* file = OpenFileWithin(name, UINT64_MAX, fault);
    if (file) std::fclose(file);
    if (fault.kind != FileFault::NotAFile) return true;
    error = fault.why;
    return false;
}

// A rectangle that grows to hold what is added to it.
struct Bounds {
    int64_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom excluded
    bool empty = true;
    void Add(int64_t l, int64_t t, int64_t r, int64_t b)
    {
        if (r <= l || b <= t) return;
        if (empty) {
            left = l, top = t, right = r, bottom = b;
            empty = false;
            return;
        }
        left = std::min(left, l), top = std::min(top, t), right = std::max(right, r), bottom = std::max(bottom, b);
    }
};

bool OnMap(const TileMap& map, int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < map.width && y < map.height;
}

// Adds the first frame of the animation, drawn for the thing on cell (x, y),
// as DrawMap places it with tile (0, 0) at (0, 0).
void AddPicture(TileMap& map, Bounds& bounds, int32_t spriteIndex, const char* animation, int32_t direction, int16_t x,
                int16_t y)
{
    if (!OnMap(map, x, y)) return;
    const Sprite* sprite = map.sprites.GetSprite(spriteIndex);
    const SpriteFrame* frame = sprite ? sprite->GetCurrentFrame(animation, direction, nullptr) : nullptr;
    if (!frame) return;
    const ScreenPoint at = TileToScreen({0, 0}, x, y);
    const int64_t left = int64_t(at.x) + frame->offsetX - frame->anchorX;
    const int64_t top = int64_t(at.y) + frame->offsetY - frame->anchorY;
    bounds.Add(left, top, left + frame->width, top + frame->height);
}

// Where every cell's diamond and everything drawn on the map's cells lies,
// with tile (0, 0) drawn at (0, 0).
Bounds WholeMap(TileMap& map)
{
    Bounds bounds;
    if (map.width > 0 && map.height > 0) {
        const int64_t w = map.width - 1, h = map.height - 1;
        bounds.Add(-TileWidth / 2, -h * TileHeight / 2 - TileHeight / 2, (w + h) * TileWidth / 2 + TileWidth / 2,
                   w * TileHeight / 2 + TileHeight / 2);
    }
    for (int32_t i = 0; i < map.floorTileCount; ++i) {
        const FloorTile& tile = map.floorTiles[i];
        AddPicture(map, bounds, tile.spriteIndex, tile.animationName, tile.direction, tile.x, tile.y);
    }
    for (SceneEntry* entry = map.objects.First(); entry != map.objects.End(); entry = entry->next) {
        const SceneObject& object = entry->object;
        AddPicture(map, bounds, object.spriteIndex, object.animationName, object.direction, object.x0, object.y0);
    }
    return bounds;
}

bool DrawWorld(const RenderView& view, RenderedWorld& picture, std::string& error, std::string& unreadFile)
{
    TileMap map;
    for (const char* name : {SpriteListFileName, MapFileName}) {
        if (!LeftToTheLoaders(name, error)) {
            unreadFile = name;
            return false;
        }
    }
    const char* unread = nullptr;
    if (!StartScene(map, &unread)) {
        unreadFile = unread;
        error = "cannot be loaded";
        return false;
    }
    // The sprite files load as they are first drawn.
    for (int i = 0; i < map.sprites.EntryCount(); ++i) {
        const char* name = map.sprites.Entry(i).fileName;
        if (*name && !LeftToTheLoaders(name, error)) {
            unreadFile = name;
            return false;
        }
    }
    picture.mapWidth = map.width;
    picture.mapHeight = map.height;
    if (!view.whole) {
        map.cameraX = view.cameraX;
        map.cameraY = view.cameraY;
        map.cameraOffsetX = view.cameraOffsetX;
        map.cameraOffsetY = view.cameraOffsetY;
        // The drawing part of the program's pass, without the walkers.
        MemoryFrame frame;
        frame.Clear();
        DrawScene(map, frame.Surface());
        picture.width = FrameWidth;
        picture.height = FrameHeight;
        picture.pixels = frame.Pixels();
        const ScreenPoint origin =
            MapOrigin(map.cameraX, map.cameraY, map.cameraOffsetX, map.cameraOffsetY, FrameCentreX, FrameCentreY);
        picture.originX = origin.x;
        picture.originY = origin.y;
        return true;
    }
    const Bounds bounds = WholeMap(map);
    const int64_t width = bounds.empty ? 1 : bounds.right - bounds.left;
    const int64_t height = bounds.empty ? 1 : bounds.bottom - bounds.top;
    if (width > MaxWholeSide || height > MaxWholeSide || width * height > MaxWholePixels) {
        error = "the whole map would be " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, more than maptool draws (" + std::to_string(MaxWholeSide) + " a side, " +
                std::to_string(MaxWholePixels) + " in all): draw it in parts with a camera";
        return false;
    }
    // The camera stays on tile (0, 0), which DrawMap puts at the centre it is given.
    MemoryFrame frame{int32_t(width), int32_t(height)};
    frame.Clear();
    picture.originX = int32_t(-bounds.left);
    picture.originY = int32_t(-bounds.top);
    map.DrawMap(frame.Surface(), picture.originX, picture.originY);
    picture.width = int32_t(width);
    picture.height = int32_t(height);
    picture.pixels = frame.Pixels();
    return true;
}

}  // namespace

bool RenderWorld(const std::string& folder, const RenderView& view, RenderedWorld& picture, std::string& error,
                 std::string& unreadFile)
{
    DisplayDepth = 32;
    std::error_code failed;
    InFolder inside(folder, failed);
    if (failed) {
        error = "cannot be entered: " + failed.message();
        return false;
    }
    return DrawWorld(view, picture, error, unreadFile);
}
