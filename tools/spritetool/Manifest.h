// The sprite manifest: a small text file that names a sprite's PNG frames and
// how each is drawn. docs/sprite-tool.md describes it for content authors.
#pragma once

#include "tools/worldfiles/SpriteSource.h"

#include <string>
#include <vector>

struct ManifestResult {
    SpriteSource sprite;
    std::vector<std::string> errors;  // "manifest.txt:12: ..." ; the sprite is unusable when any
    std::vector<std::string> warnings;
};

// Reads the manifest at `path`; PNG names in it are relative to its folder.
ManifestResult ReadManifest(const std::string& path);

// The same from text, with PNG names relative to `folder`; `name` is used in messages.
ManifestResult ParseManifest(const std::string& text, const std::string& folder, const std::string& name);
