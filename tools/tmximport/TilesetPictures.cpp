#include "tools/tmximport/TilesetPictures.h"

#include "tools/worldfiles/TilePicture.h"

#include <algorithm>

const RgbaImage& PictureFiles::Load(const TmxImage& source, std::optional<uint32_t> transparent)
{
    const auto key = std::make_pair(source.path, transparent ? int64_t(*transparent) : int64_t(-1));
    if (const auto known = files.find(key); known != files.end()) return known->second;
    RgbaImage image;
    std::string error;
    const auto count = [&](uint32_t width, uint32_t height) {
        budget.Spend(ImportLimit::PicturePixels, uint64_t(width) * height, source.place);
    };
    if (!LoadPng(source.path, image, error, count)) throw ImportRefusal(source.place, error);
    if (transparent) ClearColour(image, *transparent);
    return files.emplace(key, std::move(image)).first->second;
}

const RgbaImage& TilesetPictures::Sheet(size_t index)
{
    Tileset& output = tilesets[index];
    if (output.sheet) return *output.sheet;
    const TmxTileset& tileset = tmx.tilesets[index];
    const RgbaImage& image = files.Load(*tileset.sheet, tileset.transparentColour);
    const int64_t step = int64_t(tileset.tileWidth) + tileset.spacing;
    const int64_t fitColumns = (int64_t(image.width) - 2 * tileset.margin + tileset.spacing) / step;
    const int64_t fitRows = (int64_t(image.height) - 2 * tileset.margin + tileset.spacing) /
                            (int64_t(tileset.tileHeight) + tileset.spacing);
    output.sheetColumns = uint32_t(std::max<int64_t>(0, tileset.columns > 0 ? tileset.columns : fitColumns));
    const int64_t fits = std::max<int64_t>(0, fitColumns) * std::max<int64_t>(0, fitRows);
    output.sheetTileCount = uint32_t(tileset.tileCount >= 0 ? std::min<int64_t>(tileset.tileCount, fits) : fits);
    output.sheet = &image;
    return image;
}

// A part of a picture, counted against the budget before it is cut.
const RgbaImage& TilesetPictures::Cut(const RgbaImage& image, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                                      const SourcePlace& place)
{
    budget.Spend(ImportLimit::PicturePixels, uint64_t(width) * height, place);
    cuts.push_back(CutPicture(image, x, y, width, height));
    return cuts.back();
}

// The tile's picture as the tileset holds it, before scaling.
const RgbaImage& TilesetPictures::Picture(size_t index, uint32_t tileId, const SourcePlace& usedAt)
{
    Tileset& output = tilesets[index];
    if (const auto known = output.pictures.find(tileId); known != output.pictures.end()) return *known->second;
    const TmxTileset& tileset = tmx.tilesets[index];
    const RgbaImage& picture =
        tileset.sheet ? CutFromSheet(index, tileId, usedAt) : FromCollection(index, tileId, usedAt);
    output.pictures.emplace(tileId, &picture);
    return picture;
}

const RgbaImage& TilesetPictures::CutFromSheet(size_t index, uint32_t tileId, const SourcePlace& usedAt)
{
    const TmxTileset& tileset = tmx.tilesets[index];
    const RgbaImage& sheet = Sheet(index);
    const Tileset& output = tilesets[index];
    if (tileId >= output.sheetTileCount || output.sheetColumns == 0) {
        throw ImportRefusal(usedAt, "the tileset \"" + ShortName(tileset.name) + "\" has no tile " +
                                        std::to_string(tileId) + " (its picture holds " +
                                        std::to_string(output.sheetTileCount) + ")");
    }
    const uint64_t x = tileset.margin + uint64_t(tileId % output.sheetColumns) * (tileset.tileWidth + tileset.spacing);
    const uint64_t y = tileset.margin + uint64_t(tileId / output.sheetColumns) * (tileset.tileHeight + tileset.spacing);
    if (x + tileset.tileWidth > sheet.width || y + tileset.tileHeight > sheet.height) {
        throw ImportRefusal(usedAt, "the tile " + std::to_string(tileId) + " of the tileset \"" +
                                        ShortName(tileset.name) + "\" lies outside its picture");
    }
    return Cut(sheet, uint32_t(x), uint32_t(y), uint32_t(tileset.tileWidth), uint32_t(tileset.tileHeight), usedAt);
}

const RgbaImage& TilesetPictures::FromCollection(size_t index, uint32_t tileId, const SourcePlace& usedAt)
{
    const TmxTileset& tileset = tmx.tilesets[index];
    const auto tile = tileset.tiles.find(tileId);
    if (tile == tileset.tiles.end() || !tile->second.image) {
        throw ImportRefusal(usedAt,
                            "the tileset \"" + ShortName(tileset.name) + "\" has no tile " + std::to_string(tileId));
    }
    const TmxImage& source = *tile->second.image;
    const RgbaImage& image = files.Load(source);
    if (source.width == 0 && source.height == 0 && source.x == 0 && source.y == 0) return image;
    const uint64_t width =
        source.width ? uint64_t(source.width) : image.width - std::min<uint64_t>(image.width, source.x);
    const uint64_t height =
        source.height ? uint64_t(source.height) : image.height - std::min<uint64_t>(image.height, source.y);
    if (width == 0 || height == 0 || source.x + width > image.width || source.y + height > image.height) {
        throw ImportRefusal(source.place, "the tile's part of the picture lies outside it");
    }
    return Cut(image, uint32_t(source.x), uint32_t(source.y), uint32_t(width), uint32_t(height), source.place);
}
