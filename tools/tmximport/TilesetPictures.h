// The pictures of a map's tilesets as the tilesets hold them, before they
// are scaled: cut from a sheet (its transparent colour cleared) or read from
// a collection's files; and those of its image layers. Every file is read once, however many tiles it holds,
// and all that is read, copied and cut counts against one budget, so that no
// map can exhaust memory.
#pragma once

#include "tools/tmximport/TmxMap.h"
#include "tools/worldfiles/PngImage.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TilesetPictures {
public:
    explicit TilesetPictures(const TmxMap& map) : tmx(map), tilesets(map.tilesets.size()) {}

    // Returns the picture of tile `tileId` of the map's tileset `index`.
    // Refuses (ImportRefusal) at `usedAt` a tile the tileset does not have, a
    // picture that cannot be read, and pictures beyond the budget.
    const RgbaImage& Picture(size_t index, uint32_t tileId, const SourcePlace& usedAt);

    // Returns the whole picture `source` names (an image layer's), read once
    // within the same budget; refuses one that cannot be read.
    const RgbaImage& LoadOrRefuse(const TmxImage& source);

private:
    struct Tileset {
        std::map<uint32_t, RgbaImage> pictures;  // per tile id
        std::optional<RgbaImage> sheet;
        uint32_t sheetColumns = 0;
        uint32_t sheetTileCount = 0;
    };

    const RgbaImage& Sheet(size_t index);
    const RgbaImage& Spend(const RgbaImage& image, const SourcePlace& place);
    RgbaImage CutFromSheet(size_t index, uint32_t tileId, const SourcePlace& usedAt);
    RgbaImage FromCollection(size_t index, uint32_t tileId, const SourcePlace& usedAt);

    const TmxMap& tmx;
    std::vector<Tileset> tilesets;
    std::map<std::string, RgbaImage> files;  // pictures read, by path
    uint64_t picturePixelsRead = 0;          // read, copied and cut
};
