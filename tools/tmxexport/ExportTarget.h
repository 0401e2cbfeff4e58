// What an export may replace: only what tmxexport itself writes. Whatever
// else has the output's names (a folder, the world itself, a map made in the
// editor, a file of the user's) is left alone, and the export refused before
// it writes anything.
#pragma once

#include <string>

// Returns whether the map file `mapPath` and its tilesets folder
// `tilesetFolder` are each missing or what an earlier export wrote: a map
// carrying the property `world`, and a folder of nothing but .tsx files and
// folders of .png pictures. False, with `error` naming the file and the
// reason, otherwise.
bool MayReplace(const std::string& mapPath, const std::string& tilesetFolder, std::string& error);
