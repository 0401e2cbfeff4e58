// The pictures of a map's tilesets as the tilesets hold them, before they
// are scaled: cut from a sheet (its transparent colour cleared) or read from
// a collection's files; and those of its image layers. Every file is read
// once, however many tiles, tilesets and layers name it, and all that is read
// and cut counts against the conversion's budget before it is decoded or cut,
// so that no map can exhaust memory.
#pragma once

#include "tools/tmximport/ImportBudget.h"
#include "tools/tmximport/TmxMap.h"
#include "tools/worldfiles/PngImage.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The picture files a conversion reads, each once.
class PictureFiles {
public:
    explicit PictureFiles(ImportBudget& conversionBudget) : budget(conversionBudget) {}

    // Returns the picture `source` names, with the pixels of colour
    // `transparent` (0xRRGGBB) made clear. Refuses (ImportRefusal) at the
    // source's place a picture that cannot be read, or one that would pass
    // the budget.
    const RgbaImage& Load(const TmxImage& source, std::optional<uint32_t> transparent = std::nullopt);

private:
    ImportBudget& budget;
    std::map<std::pair<std::string, int64_t>, RgbaImage> files;  // by path and transparent colour (-1: none)
};

class TilesetPictures {
public:
    TilesetPictures(const TmxMap& map, ImportBudget& conversionBudget)
        : tmx(map), tilesets(map.tilesets.size()), files(conversionBudget), budget(conversionBudget)
    {
    }

    // Returns the picture of tile `tileId` of the map's tileset `index`.
    // Refuses (ImportRefusal) at `usedAt` a tile the tileset does not have, a
    // picture that cannot be read, and pictures beyond the budget.
    const RgbaImage& Picture(size_t index, uint32_t tileId, const SourcePlace& usedAt);

    // Returns the whole picture `source` names (an image layer's), with the
    // colour `transparent` made clear, read once within the same budget;
    // refuses one that cannot be read.
    const RgbaImage& LoadOrRefuse(const TmxImage& source, std::optional<uint32_t> transparent = std::nullopt)
    {
        return files.Load(source, transparent);
    }

private:
    struct Tileset {
        std::map<uint32_t, const RgbaImage*> pictures;  // per tile id
        const RgbaImage* sheet = nullptr;
        uint32_t sheetColumns = 0;
        uint32_t sheetTileCount = 0;
    };

    const RgbaImage& Sheet(size_t index);
    const RgbaImage& Cut(const RgbaImage& image, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                         const SourcePlace& place);
    const RgbaImage& CutFromSheet(size_t index, uint32_t tileId, const SourcePlace& usedAt);
    const RgbaImage& FromCollection(size_t index, uint32_t tileId, const SourcePlace& usedAt);

    const TmxMap& tmx;
    std::vector<Tileset> tilesets;
    PictureFiles files;
    ImportBudget& budget;
    std::list<RgbaImage> cuts;  // the parts of pictures that tiles show
};
