// What the world check reads of a world folder, through the program's own
// readers: the sprite list as the registry reads it (with the line of each
// entry), each listed sprite file as the loader reads it, and the map as the
// map reader reads it. What is wrong with the files themselves (missing, in
// another case, damaged) becomes findings here; WorldCheck.cpp holds the
// rules over what they contain.
#pragma once

#include "world/WorldCheck.h"

#include <cstdint>
#include <string>
#include <vector>

// Whether two names are the same to Windows, which finds a file's name in
// any case of its letters (those of ASCII, in the names worlds use).
inline bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct AnimationFacts {
    std::string name;
    int32_t direction = 0;
    int32_t frames = 0;
    bool moves = false;  // some frame has an offset
};

// One sprite file of the list, as read.
struct SpriteFileFacts {
    bool read = false;  // found and read whole
    std::vector<AnimationFacts> animations;

    // The animation the program finds for a name and direction: the first
    // with both, compared exactly. Null when there is none.
    const AnimationFacts* Find(const std::string& name, int32_t direction) const
    {
        for (const AnimationFacts& animation : animations) {
            if (animation.name == name && animation.direction == direction) return &animation;
        }
        return nullptr;
    }
    bool Has(const std::string& name, int32_t direction) const { return Find(name, direction) != nullptr; }
    int32_t Frames(const std::string& name, int32_t direction) const
    {
        const AnimationFacts* found = Find(name, direction);
        return found ? found->frames : 0;
    }
    bool Moves(const std::string& name, int32_t direction) const
    {
        const AnimationFacts* found = Find(name, direction);
        return found && found->moves;
    }
};

struct WorldFacts {
    DescribedWorld world;                      // the list's entries and the map, as read
    std::vector<SpriteFileFacts> spriteFiles;  // one for each of world.sprites
    bool mapRead = false;
    std::vector<WorldFinding> findings;  // about the files themselves
};

// Reads the world folder. Never fails: what cannot be read is a finding.
WorldFacts ReadWorldFacts(const std::string& folder);
