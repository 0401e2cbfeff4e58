// libFuzzer target: any bytes as a map file, then what loaded is walked,
// ordered and moved over. The error box is silenced: natively it writes a
// line to standard error for every rejected input.
#include "base/BoundedReader.h"
#include "map/ErrorBox.h"
#include "map/TileMap.h"

namespace {

void Silent(const char*, const char*) {}

// Tests every cell and its neighbours for walkability, then inserts the first
// loaded object again and moves it a few steps, as a walker would.
void Exercise(TileMap& map)
{
    int walkable = 0;
    for (int32_t y = -1; y <= map.height && y < 64; ++y) {
        for (int32_t x = -1; x <= map.width && x < 64; ++x) walkable += map.IsWalkable(x, y, 1, -1);
    }
    if (map.objects.Count() == 0) return;
    SceneEntry* entry = map.InsertObject(map.objects.First()->object);
    for (int32_t step = 0; step < 8; ++step) map.MoveObject(entry, (step % 3) - 1, (walkable + step) % 3 - 1, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorBoxHandler(Silent);
    TileMap map;
    BoundedReader file(data, size);
    if (map.ReadMap(file)) Exercise(map);
    return 0;
}
