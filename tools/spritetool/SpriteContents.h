// What the tool shows of an existing sprite file: a printed listing, or its
// frames unpacked to PNG files with a manifest that builds the file again.
#pragma once

#include "sprite/Sprite.h"

#include <ostream>
#include <string>

// Reads a sprite file at 32 bits per pixel. Unlike the program's loader it
// never logs or exits: returns false, with `error` set, for a file that cannot
// be read, a wrong magic or a damaged file.
bool ReadSpriteFile(const std::string& path, Sprite& sprite, std::string& error);

// Prints what the sprite holds, animation by animation and frame by frame.
void PrintSprite(const Sprite& sprite, std::ostream& out);

// Writes one PNG per frame into `folder` (which must exist) and sets
// `manifest` to the manifest text for them; what a manifest cannot carry
// (extra blocks, reserved fields, frames without pixels) goes into `notes`.
// Returns false, with `error` set, when a picture cannot be written.
bool UnpackSprite(const Sprite& sprite, const std::string& folder, std::string& manifest, std::string& notes,
                  std::string& error);
