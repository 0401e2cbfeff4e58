// DrawMap remembers each drawable's animation search; the plain drawing
// (every search made anew) is the reference. Two maps load the same files and
// go through the same script, one drawn by DrawMap, the other by the plain
// algorithm; after every frame the pictures, the registry's use counts and
// loads, and the cursors must be the same.
#include "MapFixtures.h"

#include "map/TileProjection.h"
#include "sprite/AnimationCursor.h"
#include "sprite/DisplayDepth.h"
#include "sprite/FrameTick.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/SpriteWriter.h"

#include <functional>

namespace {

constexpr int32_t Many = 1, Late = 2, ManyAgain = 3, Unlisted = 99;

// 4 x 4 opaque frames, each of its own colour: what is drawn tells which
// animation and frame were chosen. The duration tells a cursor's animation.
FrameSource Square(uint32_t colour, int32_t duration)
{
    FrameSource frame;
    frame.duration = duration;
    frame.width = frame.height = 4;
    frame.flags = 1;
    frame.pixels.assign(16, colour);
    return frame;
}

// "floor" in 30 directions (the water has 141 animations), "idle" in 8 with
// 4 frames each, a second "idle" in direction 3 that the search never finds
// (the first one wins), and "IDLE" in direction 0.
SpriteSource ManyAnimations(uint32_t tint)
{
    SpriteSource sprite;
    auto add = [&](const char* name, int32_t direction, int frames) {
        const uint32_t a = static_cast<uint32_t>(sprite.animations.size()) + 1;
        AnimationSource animation{name, direction, {}};
        for (int f = 0; f < frames; ++f) {
            animation.frames.push_back(Square(tint ^ (a << 16 | uint32_t(f + 1) << 8 | 0x80), int32_t(10 * a) + f));
        }
        sprite.animations.push_back(animation);
    };
    for (int32_t d = 0; d < 30; ++d) add("floor", d, 1);
    for (int32_t d = 0; d < 8; ++d) add("idle", d, 4);
    add("idle", 3, 4);
    add("IDLE", 0, 1);
    return sprite;
}

MapSource World(int columns, int rows)
{
    MapSource source = OpenMap(8, 8);
    const int32_t ids[] = {Many, Many, Late, ManyAgain, Unlisted, Many};
    const char* names[] = {"floor", "floor", "idle", "nothing", "IDLE", "floor"};
    int i = 0;
    for (int y = -rows / 2; y < rows - rows / 2; ++y) {
        for (int x = -columns / 2; x < columns - columns / 2; ++x, ++i) {
            source.floorTiles.push_back({int16_t(x), int16_t(y), 0, ids[i % 6], names[i % 5], i % 33});
        }
    }
    source.objects = {{1, 1, 1, 1, 0, Many, "idle", 0},
                      {2, 1, 2, 1, 0, Late, "idle", 1},
                      {3, 3, 3, 3, 0, ManyAgain, "idle", 4},
                      {0, 2, 0, 2, 0, Unlisted, "idle", 0},
                      {2, 2, 2, 2, 0, Many, "floor", 7}};
    return source;
}

// The plain algorithm: every floor tile, then every object, each asked for its
// sprite and drawn through DrawSprite, which searches its animation.
void PlainDrawMap(TileMap& map, SurfaceBuffer surface, int32_t cx, int32_t cy)
{
    const ScreenPoint origin = MapOrigin(map.cameraX, map.cameraY, map.cameraOffsetX, map.cameraOffsetY, cx, cy);
    for (int32_t i = 0; i < map.floorTileCount; ++i) {
        const FloorTile& tile = map.floorTiles[i];
        Sprite* sprite = map.sprites.GetSprite(tile.spriteIndex);
        if (!sprite) continue;
        const ScreenPoint at = TileToScreen(origin, tile.x, tile.y);
        sprite->DrawSprite(surface, tile.animationName, tile.direction, at.x, at.y, nullptr, nullptr);
    }
    for (SceneEntry* entry = map.objects.First(); entry != map.objects.End(); entry = entry->next) {
        const SceneObject& object = entry->object;
        Sprite* sprite = map.sprites.GetSprite(object.spriteIndex);
        if (!sprite) continue;
        const ScreenPoint at = TileToScreen(origin, object.x0, object.y0);
        sprite->DrawSprite(surface, object.animationName, object.direction, at.x, at.y, nullptr, object.cursor);
    }
}

struct Scene {
    TileMap map;
    AnimationCursor cursors[2];
    std::vector<uint32_t> pixels = std::vector<uint32_t>(640 * 480, 0);

    void Load(const MapSource& source)
    {
        map.ClearMap();
        ASSERT_TRUE(ReadMapBytes(map, EncodeMapFile(source)));
        // The first two objects play, as walkers do.
        map.objects.First()->object.cursor = &cursors[0];
        map.objects.First()->next->object.cursor = &cursors[1];
    }

    SceneObject& Object(int n)
    {
        SceneEntry* entry = map.objects.First();
        while (n--) entry = entry->next;
        return entry->object;
    }

    void Draw(bool remembered)
    {
        std::fill(pixels.begin(), pixels.end(), 0u);
        uint8_t* first = reinterpret_cast<uint8_t*>(pixels.data());
        const SurfaceBuffer surface = {first, first + 479 * 2560 + 640 * 4, 2560, 480, 640, 32};
        if (remembered) {
            map.DrawMap(surface, 320, 240);
        } else {
            PlainDrawMap(map, surface, 320, 240);
        }
    }
};

class DrawMapMemoTest : public InScratchDirectory {
protected:
    void SetUp() override
    {
        InScratchDirectory::SetUp();
        DisplayDepth = 32;
        FrameTick = 0;
        ASSERT_TRUE(WriteFileBytes("many.spr", EncodeSpriteFile(ManyAnimations(0))));
        // late.spr appears during the script; id 3 is the same file as id 1.
        WriteFile("SpriteList.txt", "3\n1 many.spr\n2 late.spr\n3 many.spr\n");
        for (Scene* scene : {&remembered, &plain}) {
            ASSERT_TRUE(scene->map.sprites.LoadSpriteList("SpriteList.txt"));
            scene->Load(World(12, 10));
        }
    }

    void TearDown() override
    {
        FrameTick = 0;
        InScratchDirectory::TearDown();
    }

    void ExpectSameFrame(const std::string& step)
    {
        remembered.Draw(true);
        plain.Draw(false);
        int painted = 0;
        for (size_t i = 0; i < plain.pixels.size(); ++i) {
            painted += plain.pixels[i] != 0;
            if (plain.pixels[i] != remembered.pixels[i]) {
                ADD_FAILURE() << step << ": pixel (" << i % 640 << ", " << i / 640 << ") differs";
                break;
            }
        }
        EXPECT_GT(painted, 0) << step;
        const SpriteRegistry& a = remembered.map.sprites;
        const SpriteRegistry& b = plain.map.sprites;
        for (int i = 0; i < b.EntryCount(); ++i) {
            EXPECT_EQ(a.Entry(i).useCount, b.Entry(i).useCount) << step << ": entry " << i;
            EXPECT_EQ(a.Entry(i).sprite != nullptr, b.Entry(i).sprite != nullptr) << step << ": entry " << i;
        }
        for (int c = 0; c < 2; ++c) {
            const AnimationCursor& x = remembered.cursors[c];
            const AnimationCursor& y = plain.cursors[c];
            EXPECT_EQ(x.rebind, y.rebind) << step << ": cursor " << c;
            EXPECT_EQ(x.frameIndex, y.frameIndex) << step << ": cursor " << c;
            EXPECT_EQ(x.playing, y.playing) << step << ": cursor " << c;
            EXPECT_EQ(x.frameStart, y.frameStart) << step << ": cursor " << c;
            // Timings live in each map's own sprites: compare where they sit.
            EXPECT_EQ(x.timing ? x.timing->durations[0] : -1.0f, y.timing ? y.timing->durations[0] : -1.0f)
                << step << ": cursor " << c;
        }
    }

    Scene remembered;
    Scene plain;
};

TEST_F(DrawMapMemoTest, EveryFrameIsThePlainDrawingsFrame)
{
    using Change = std::function<void(Scene&)>;
    auto advance = [](Scene& s) {
        for (AnimationCursor& cursor : s.cursors) cursor.Advance();
    };
    const std::pair<const char*, Change> script[] = {
        {"first frame: sprites load, late.spr is missing", [](Scene&) {}},
        {"the same frame again", [](Scene&) {}},
        {"a tile turns, another takes another name",
         [](Scene& s) {
             s.map.floorTiles[0].direction = 6;
             std::strcpy(s.map.floorTiles[1].animationName, "idle");
         }},
        {"a cursor rebinds to another direction and plays",
         [](Scene& s) {
             s.Object(0).direction = 2;
             s.cursors[0].rebind = true;
             FrameTick = 100;
             s.cursors[0].Play();
         }},
        {"late.spr appears",
         [](Scene&) {
             if (!std::filesystem::exists("late.spr")) {
                 ASSERT_TRUE(WriteFileBytes("late.spr", EncodeSpriteFile(ManyAnimations(0x00FFFF))));
             }
         }},
        {"time passes",
         [&](Scene& s) {
             FrameTick = 200;
             advance(s);
         }},
        {"a cursor at index -1, another past its frames",
         [](Scene& s) {
             s.cursors[0].frameIndex = -1;
             s.cursors[1].frameIndex = 9;
         }},
        {"tiles change sprites between two records of one file",
         [](Scene& s) {
             for (int32_t i = 0; i < s.map.floorTileCount; i += 4) {
                 int32_t& index = s.map.floorTiles[i].spriteIndex;
                 if (index == 0 || index == 2) index = 2 - index;
             }
         }},
        {"a name with bytes after its NUL",
         [](Scene& s) { std::memcpy(s.map.floorTiles[5].animationName, "floor\0zz", 8); }},
        {"the walker-like object steps: a new entry, placed anew",
         [](Scene& s) {
             SceneEntry* entry = s.map.objects.First();
             s.map.MoveObject(entry, 1, 0, 0);
             s.cursors[0].Stop();
         }},
        {"another cursor rebinds where nothing is found",
         [](Scene& s) {
             s.Object(1).direction = 12;
             s.cursors[1].rebind = true;
         }},
        {"the camera moves: tiles come and go",
         [](Scene& s) {
             s.map.cameraX += 3;
             s.map.cameraOffsetY = -7;
         }},
        {"another, larger map", [](Scene& s) { s.Load(World(20, 16)); }},
        {"time passes on it",
         [&](Scene& s) {
             FrameTick = 900;
             s.cursors[0].rebind = s.cursors[1].rebind = true;
             advance(s);
         }},
    };
    for (const auto& [step, change] : script) {
        change(remembered);
        change(plain);
        ExpectSameFrame(step);
        if (HasFailure()) return;
    }
    EXPECT_NE(plain.map.sprites.Entry(1).sprite, nullptr) << "late.spr was loaded once it appeared";
}

}  // namespace
