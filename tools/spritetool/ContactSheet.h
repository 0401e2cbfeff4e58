// A sprite file seen at a glance: every animation and direction in a row of
// its frames, each frame over a checkerboard with its anchor marked and its
// duration and offset written under it.
#pragma once

#include "sprite/Sprite.h"
#include "tools/worldfiles/PngImage.h"

#include <string>

// Draws the contact sheet of `sprite` (loaded at 32 bits per pixel) into
// `sheet`. Returns false, with `error` set, when it would be larger than
// MaxPictureSide a side.
bool DrawContactSheet(const Sprite& sprite, RgbaImage& sheet, std::string& error);
