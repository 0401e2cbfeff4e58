// The rules of the world check, over what was read of a world (WorldFacts.h)
// or what a tool describes. Each rule says one line for each thing that is
// missing, and names the first place that needs it, so that a mistake made
// once (a legend letter, a sprite id) says so once.
#include "world/WorldCheck.h"

#include "map/Walker.h"
#include "world/SceneSteps.h"
#include "world/WorldFacts.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

constexpr const char* WalkAnimation = "walk";
// Beyond this many places of unreachable cells, the rest are counted in one line.
constexpr size_t MostRegionsSaid = 10;

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Cell(int64_t x, int64_t y)
{
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

std::string Counted(size_t count, const char* one, const char* many)
{
    return (count == 1 ? std::string("1 ") + one : std::to_string(count) + " " + many);
}

// The key that asks for a step in `direction`, and the walker it steers.
std::string KeyFor(int32_t direction)
{
    for (const KeyBinding& binding : KeyBindings) {
        if (binding.direction != direction) continue;
        std::string key;
        switch (binding.virtualKey) {
        case KeyLeft: key = "Left"; break;
        case KeyUp: key = "Up"; break;
        case KeyRight: key = "Right"; break;
        case KeyDown: key = "Down"; break;
        default: key = std::string(1, char(binding.virtualKey));
        }
        return key + (binding.second ? " does not walk the second walker" : " does not walk the first walker");
    }
    return "";
}

// A floor tile or object as a finding names it.
struct Use {
    bool object = false;
    size_t index = 0;
    const DescribedThing* thing = nullptr;
};

std::string Named(const Use& use)
{
    return std::string(use.object ? "object " : "floor tile ") + std::to_string(use.index);
}

// "20 floor tiles and an object are not drawn, the first (floor tile 0) at
// (3, 4)": what a missing sprite or animation costs, and where to look.
std::string NotDrawn(size_t floorTiles, size_t objects, const Use& first)
{
    std::string text;
    if (floorTiles) text = Counted(floorTiles, "floor tile", "floor tiles");
    if (floorTiles && objects) text += " and ";
    if (objects) text += Counted(objects, "object", "objects");
    text += floorTiles + objects == 1 ? " is not drawn" : " are not drawn";
    const std::string where = first.thing->line ? "" : " (" + Named(first) + ")";
    if (floorTiles + objects == 1) return text + where + ", at " + Cell(first.thing->x, first.thing->y);
    return text + ", the first" + where + " at " + Cell(first.thing->x, first.thing->y);
}

class Checker {
public:
    Checker(const DescribedWorld& described, const std::vector<SpriteFileFacts>* spriteFiles,
            std::vector<WorldFinding>& findings)
        : world(described), files(spriteFiles), out(findings)
    {
        for (size_t i = 0; i < world.sprites.size(); ++i) firstListed.emplace(world.sprites[i].id, int(i));
    }

    // The rules in turn; without a map only those of the walkers' sprite.
    void Run(bool withMap)
    {
        if (!world.listFile.empty()) {
            if (withMap) UnlistedIds();
            if (withMap && files) MissingAnimations();
            Walkers();
        }
        if (!withMap) return;
        ObjectsOutside();
        Reachable();
    }

private:
    void Say(const std::string& file, int line, const std::string& text, bool hides = true)
    {
        out.push_back({file, line, text, hides});
    }

    // The entry the program draws a sprite id with: the first listed.
    int IndexOf(int32_t id) const
    {
        const auto found = firstListed.find(id);
        return found == firstListed.end() ? -1 : found->second;
    }

    // The sprite file of the entry, when it was read whole.
    const SpriteFileFacts* ReadFile(int index) const
    {
        if (!files || index < 0 || size_t(index) >= files->size()) return nullptr;
        const SpriteFileFacts& facts = (*files)[size_t(index)];
        return facts.read ? &facts : nullptr;
    }

    std::string SpriteName(int index) const
    {
        const DescribedSprite& sprite = world.sprites[size_t(index)];
        return "sprite " + std::to_string(sprite.id) + " (" + sprite.fileName + ")";
    }

    template <typename Visit>
    void EachUse(Visit&& visit) const
    {
        for (size_t i = 0; i < world.floor.size(); ++i) visit(Use{false, i, &world.floor[i]});
        for (size_t i = 0; i < world.objects.size(); ++i) visit(Use{true, i, &world.objects[i]});
    }

    // What a group of uses has in common: how many of each kind, and the first.
    struct Uses {
        size_t floorTiles = 0;
        size_t objects = 0;
        Use first;
        void Add(const Use& use)
        {
            if (floorTiles + objects == 0) first = use;
            ++(use.object ? objects : floorTiles);
        }
    };

    void UnlistedIds()
    {
        std::map<int32_t, Uses> unlisted;
        std::vector<int32_t> order;
        EachUse([&](const Use& use) {
            const int32_t id = use.thing->spriteId;
            if (IndexOf(id) >= 0) return;
            if (!unlisted.count(id)) order.push_back(id);
            unlisted[id].Add(use);
        });
        for (int32_t id : order) {
            const Uses& uses = unlisted[id];
            Say(world.mapFile, uses.first.thing->line,
                "sprite " + std::to_string(id) + " is not in " + world.listFile + ": " +
                    NotDrawn(uses.floorTiles, uses.objects, uses.first));
        }
    }

    // What the file has that comes close to the animation asked for: the
    // same name in another case, or the name in other directions.
    static std::string CaseHint(const SpriteFileFacts& file, const std::string& name, int32_t direction)
    {
        for (const AnimationFacts& animation : file.animations) {
            if (animation.direction == direction && animation.name != name && SameIgnoringCase(animation.name, name)) {
                return "; it has " + Quoted(animation.name) + " direction " + std::to_string(direction) +
                       ", and names are compared exactly, case too";
            }
        }
        return "";
    }

    static std::string Hint(const SpriteFileFacts& file, const std::string& name, int32_t direction)
    {
        const std::string inCase = CaseHint(file, name, direction);
        if (!inCase.empty()) return inCase;
        std::string found, directions;
        for (const AnimationFacts& animation : file.animations) {
            if (animation.frames <= 0 || !SameIgnoringCase(animation.name, name)) continue;
            if (found.empty()) found = animation.name;
            if (animation.name != found) continue;
            directions += (directions.empty() ? "" : ", ") + std::to_string(animation.direction);
        }
        if (found.empty()) return "";
        return "; it has " + Quoted(found) + " in direction" +
               (directions.find(',') == std::string::npos ? " " : "s ") + directions;
    }

    void MissingAnimations()
    {
        std::map<std::tuple<int, std::string, int32_t>, Uses> missing;
        std::vector<std::tuple<int, std::string, int32_t>> order;
        EachUse([&](const Use& use) {
            const int index = IndexOf(use.thing->spriteId);
            const SpriteFileFacts* file = ReadFile(index);
            if (!file || file->Frames(use.thing->animation, use.thing->direction) > 0) return;
            const auto key = std::make_tuple(index, use.thing->animation, use.thing->direction);
            if (!missing.count(key)) order.push_back(key);
            missing[key].Add(use);
        });
        for (const auto& key : order) {
            const auto& [index, name, direction] = key;
            const Uses& uses = missing[key];
            const SpriteFileFacts& file = *ReadFile(index);
            const bool present = file.Has(name, direction);
            Say(world.mapFile, uses.first.thing->line,
                SpriteName(index) + (present ? "'s animation " : " has no animation ") + Quoted(name) + " direction " +
                    std::to_string(direction) + (present ? " has no frames: " : ": ") +
                    NotDrawn(uses.floorTiles, uses.objects, uses.first) + Hint(file, name, direction));
        }
    }

    void Walkers()
    {
        const int index = IndexOf(WalkerSpriteId);
        if (index < 0) {
            Say(world.listFile, 0,
                "there is no sprite " + std::to_string(WalkerSpriteId) +
                    ", the walkers' sprite: the walkers do not show, and the keys do nothing");
            return;
        }
        const SpriteFileFacts* file = ReadFile(index);
        if (!file) return;  // the sprite file's own finding says why
        const std::string& fileName = world.sprites[size_t(index)].fileName;
        const std::string walker = "for the walkers (sprite " + std::to_string(WalkerSpriteId) + ")";
        std::vector<int32_t> missing, still;
        for (int32_t direction = 0; direction < 8; ++direction) {
            if (file->Frames(WalkAnimation, direction) <= 0) missing.push_back(direction);
            else if (!file->Moves(WalkAnimation, direction)) still.push_back(direction);
        }
        if (missing.size() == 8) {
            Say(fileName, 0,
                std::string("has no animation ") + Quoted(WalkAnimation) + " " + walker +
                    ": the walkers do not show, and the keys do nothing" + CaseHint(*file, WalkAnimation, 0));
        } else {
            for (int32_t direction : missing) {
                Say(fileName, 0,
                    std::string("has no animation ") + Quoted(WalkAnimation) + " direction " +
                        std::to_string(direction) + " " + walker + ": " + KeyFor(direction) +
                        (direction == 0 ? ", and the walkers do not show until they turn" : "") +
                        CaseHint(*file, WalkAnimation, direction));
            }
        }
        if (still.empty()) return;
        std::string directions;
        for (int32_t direction : still) directions += (directions.empty() ? "" : ", ") + std::to_string(direction);
        Say(fileName, 0,
            std::string("the ") + Quoted(WalkAnimation) + " frames of direction" + (still.size() == 1 ? " " : "s ") +
                directions +
                " do not move the figure (every offset is 0): it jumps a whole cell at the end of "
                "each step; a manifest's step line gives the frames the motion",
            false);
    }

    bool OnMap(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < world.width && y < world.height; }

    void ObjectsOutside()
    {
        size_t count = 0;
        size_t first = 0;
        for (size_t i = 0; i < world.objects.size(); ++i) {
            if (OnMap(world.objects[i].x, world.objects[i].y)) continue;
            if (count++ == 0) first = i;
        }
        if (count == 0) return;
        const Use use{true, first, &world.objects[first]};
        const std::string where = use.thing->line ? "" : " (" + Named(use) + ")";
        Say(world.mapFile, use.thing->line,
            Counted(count, "object lies", "objects lie") + " outside the " + std::to_string(world.width) + " x " +
                std::to_string(world.height) + " map" +
                (count == 1 ? where + ", at " : ", the first" + where + " at ") + Cell(use.thing->x, use.thing->y) +
                ": drawn, but on no cell a walker can reach",
            false);
    }

    // The cells a walker can step to from the start, by the rule of its
    // steps: onto a cell of the map that is not blocked, in a direction it
    // has walk frames for. Returns those directions' count; 0 leaves
    // `reached` as it was.
    int Directions(bool (&can)[8]) const
    {
        const int index = world.listFile.empty() ? -1 : IndexOf(WalkerSpriteId);
        const SpriteFileFacts* file = ReadFile(index);
        int count = 0;
        for (int32_t direction = 0; direction < 8; ++direction) {
            // Without the walker's frames the check takes every direction:
            // their own findings say what is missing.
            can[direction] = !file || file->Frames(WalkAnimation, direction) > 0;
            count += can[direction];
        }
        return count;
    }

    void Reachable()
    {
        if (!OnMap(WalkerStartX, WalkerStartY)) {
            Say(world.mapFile, 0,
                "the walkers start on cell " + Cell(WalkerStartX, WalkerStartY) + ", which lies outside the " +
                    std::to_string(world.width) + " x " + std::to_string(world.height) + " map: they cannot step");
            return;
        }
        bool can[8];
        if (Directions(can) == 0) return;
        const size_t width = world.width;
        const size_t cells = width * world.height;
        if (world.blocked.size() != cells) return;
        std::vector<uint8_t> reached(cells, 0);
        std::vector<size_t> next{size_t(WalkerStartY) * width + WalkerStartX};
        reached[next.front()] = 1;
        while (!next.empty()) {
            const size_t at = next.back();
            next.pop_back();
            const int64_t x = int64_t(at % width), y = int64_t(at / width);
            for (int32_t direction = 0; direction < 8; ++direction) {
                const int64_t tx = x + DirectionDX[direction], ty = y + DirectionDY[direction];
                if (!can[direction] || !OnMap(tx, ty)) continue;
                const size_t target = size_t(ty) * width + size_t(tx);
                if (world.blocked[target] != 0 || reached[target]) continue;
                reached[target] = 1;
                next.push_back(target);
            }
        }
        UnreachedRegions(reached);
    }

    // One line for each place of open cells no walker reaches (cells that
    // touch, diagonally too, are one place).
    void UnreachedRegions(std::vector<uint8_t>& seen)
    {
        const size_t width = world.width;
        size_t regions = 0, restCells = 0;
        for (size_t start = 0; start < seen.size(); ++start) {
            if (seen[start] || world.blocked[start] != 0) continue;
            size_t count = 0;
            std::vector<size_t> next{start};
            seen[start] = 1;
            while (!next.empty()) {
                const size_t at = next.back();
                next.pop_back();
                ++count;
                const int64_t x = int64_t(at % width), y = int64_t(at / width);
                for (int32_t direction = 0; direction < 8; ++direction) {
                    const int64_t tx = x + DirectionDX[direction], ty = y + DirectionDY[direction];
                    if (!OnMap(tx, ty)) continue;
                    const size_t target = size_t(ty) * width + size_t(tx);
                    if (world.blocked[target] != 0 || seen[target]) continue;
                    seen[target] = 1;
                    next.push_back(target);
                }
            }
            if (++regions > MostRegionsSaid) {
                restCells += count;
                continue;
            }
            const size_t y = start / width;
            const int line = y < world.rowLines.size() ? world.rowLines[y] : 0;
            const std::string cell = Cell(int64_t(start % width), int64_t(y));
            Say(world.mapFile, line,
                count == 1 ? "the open cell " + cell + " cannot be walked to from " + Cell(WalkerStartX, WalkerStartY)
                           : std::to_string(count) + " open cells cannot be walked to from " +
                                 Cell(WalkerStartX, WalkerStartY) + ", the first at " + cell,
                false);
        }
        if (regions > MostRegionsSaid) {
            Say(world.mapFile, 0,
                "and " + Counted(restCells, "open cell", "open cells") + " in " +
                    std::to_string(regions - MostRegionsSaid) + " more places cannot be walked to from " +
                    Cell(WalkerStartX, WalkerStartY),
                false);
        }
    }

    const DescribedWorld& world;
    const std::vector<SpriteFileFacts>* files;
    std::vector<WorldFinding>& out;
    std::map<int32_t, int> firstListed;  // the entry of each id the program draws with
};

}  // namespace

std::string FormatFinding(const WorldFinding& finding, const std::string& folder)
{
    std::string where = folder + finding.file;
    if (finding.line > 0) where += ":" + std::to_string(finding.line);
    const std::string line = (finding.hides ? "" : "note: ") + where + ": " + finding.text;
    // Names come from the files as they are: a control character in one (a
    // line break in an animation name, say) is written as \xNN, so that a
    // finding stays one line.
    std::string shown;
    for (const char c : line) {
        const unsigned byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        const char digits[] = "0123456789ABCDEF";
        shown += std::string("\\x") + digits[byte >> 4] + digits[byte & 15];
    }
    return shown;
}

bool AnyHidden(const std::vector<WorldFinding>& findings)
{
    return std::any_of(findings.begin(), findings.end(), [](const WorldFinding& f) { return f.hides; });
}

std::vector<WorldFinding> CheckDescribedWorld(const DescribedWorld& world)
{
    std::vector<WorldFinding> findings;
    Checker(world, nullptr, findings).Run(true);
    return findings;
}

std::vector<WorldFinding> CheckWorldFolder(const std::string& folder)
{
    WorldFacts facts = ReadWorldFacts(folder);
    std::vector<WorldFinding> findings = std::move(facts.findings);
    Checker(facts.world, &facts.spriteFiles, findings).Run(facts.mapRead);
    return findings;
}
