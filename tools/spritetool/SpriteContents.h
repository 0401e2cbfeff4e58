// What the tool shows of an existing sprite file: a printed listing, or its
// frames unpacked to PNG files with a manifest that builds the file again.
#pragma once

#include "sprite/Sprite.h"

#include <ostream>
#include <string>

// Reads a sprite file at 32 bits per pixel. Unlike the program's loader it
// never logs or exits: a wrong magic or a damaged file is an `error`.
bool ReadSpriteFile(const std::string& path, Sprite& sprite, std::string& error);

void PrintSprite(const Sprite& sprite, std::ostream& out);

// Writes one PNG per frame into `folder` (which must exist) and returns the
// manifest text for them. Notes what a manifest cannot carry (extra blocks,
// reserved fields, frames without pixels) in `notes`.
bool UnpackSprite(const Sprite& sprite, const std::string& folder, std::string& manifest,
                  std::string& notes, std::string& error);
