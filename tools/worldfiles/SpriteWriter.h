// Sprite files from plain descriptions, byte for byte as the program's loader
// reads them. Shared by the tools and the tests, which build their sprite
// files with it.
#pragma once

#include "tools/worldfiles/SpriteSource.h"

#include <cstdint>
#include <vector>

// Returns the bytes of the whole sprite file, its pixels stored in the
// sprite's format (5-6-5 drops each channel's low bits). Names longer than
// MaxAnimationNameLength characters are cut.
std::vector<uint8_t> EncodeSpriteFile(const SpriteSource& sprite);
