#include "tools/tmximport/TilesetPictures.h"

#include "tools/worldfiles/TilePicture.h"

#include <algorithm>

namespace {

// What a conversion may hold in pictures read, copied and cut, in pixels.
constexpr uint64_t MaxPicturePixelsRead = uint64_t(1) << 27;

}  // namespace

const RgbaImage& TilesetPictures::Sheet(size_t index)
{
    Tileset& output = tilesets[index];
    if (output.sheet) return *output.sheet;
    const TmxTileset& tileset = tmx.tilesets[index];
    RgbaImage image = LoadOrRefuse(*tileset.sheet);  // a copy: the transparent colour is the tileset's
    Spend(image, tileset.sheet->place);
    if (tileset.transparentColour) ClearColour(image, *tileset.transparentColour);
    const int64_t step = int64_t(tileset.tileWidth) + tileset.spacing;
    const int64_t fitColumns = (int64_t(image.width) - 2 * tileset.margin + tileset.spacing) / step;
    const int64_t fitRows = (int64_t(image.height) - 2 * tileset.margin + tileset.spacing) /
                            (int64_t(tileset.tileHeight) + tileset.spacing);
    output.sheetColumns = uint32_t(std::max<int64_t>(0, tileset.columns > 0 ? tileset.columns : fitColumns));
    const int64_t fits = std::max<int64_t>(0, fitColumns) * std::max<int64_t>(0, fitRows);
    output.sheetTileCount = uint32_t(tileset.tileCount >= 0 ? std::min<int64_t>(tileset.tileCount, fits) : fits);
    output.sheet = std::move(image);
    return *output.sheet;
}

// Every picture file is read once, however many tiles it holds.
const RgbaImage& TilesetPictures::LoadOrRefuse(const TmxImage& source)
{
    if (const auto known = files.find(source.path); known != files.end()) return known->second;
    RgbaImage image;
    std::string error;
    if (!LoadPng(source.path, image, error)) throw ImportRefusal(source.place, error);
    Spend(image, source.place);
    return files.emplace(source.path, std::move(image)).first->second;
}

// Counts a picture read or cut against the conversion's budget.
const RgbaImage& TilesetPictures::Spend(const RgbaImage& image, const SourcePlace& place)
{
    picturePixelsRead += uint64_t(image.width) * image.height;
    if (picturePixelsRead > MaxPicturePixelsRead) {
        throw ImportRefusal(place,
                            "the map's pictures hold more than " + std::to_string(MaxPicturePixelsRead) + " pixels");
    }
    return image;
}

// The tile's picture as the tileset holds it, before scaling.
const RgbaImage& TilesetPictures::Picture(size_t index, uint32_t tileId, const SourcePlace& usedAt)
{
    Tileset& output = tilesets[index];
    if (const auto known = output.pictures.find(tileId); known != output.pictures.end()) return known->second;
    const TmxTileset& tileset = tmx.tilesets[index];
    RgbaImage picture = tileset.sheet ? CutFromSheet(index, tileId, usedAt) : FromCollection(index, tileId, usedAt);
    Spend(picture, usedAt);
    return output.pictures.emplace(tileId, std::move(picture)).first->second;
}

RgbaImage TilesetPictures::CutFromSheet(size_t index, uint32_t tileId, const SourcePlace& usedAt)
{
    const TmxTileset& tileset = tmx.tilesets[index];
    const RgbaImage& sheet = Sheet(index);
    const Tileset& output = tilesets[index];
    if (tileId >= output.sheetTileCount || output.sheetColumns == 0) {
        throw ImportRefusal(usedAt, "the tileset \"" + tileset.name + "\" has no tile " + std::to_string(tileId) +
                                        " (its picture holds " + std::to_string(output.sheetTileCount) + ")");
    }
    const uint64_t x = tileset.margin + uint64_t(tileId % output.sheetColumns) * (tileset.tileWidth + tileset.spacing);
    const uint64_t y = tileset.margin + uint64_t(tileId / output.sheetColumns) * (tileset.tileHeight + tileset.spacing);
    if (x + tileset.tileWidth > sheet.width || y + tileset.tileHeight > sheet.height) {
        throw ImportRefusal(usedAt, "the tile " + std::to_string(tileId) + " of the tileset \"" + tileset.name +
                                        "\" lies outside its picture");
    }
    return CutPicture(sheet, uint32_t(x), uint32_t(y), uint32_t(tileset.tileWidth), uint32_t(tileset.tileHeight));
}

RgbaImage TilesetPictures::FromCollection(size_t index, uint32_t tileId, const SourcePlace& usedAt)
{
    const TmxTileset& tileset = tmx.tilesets[index];
    const auto tile = tileset.tiles.find(tileId);
    if (tile == tileset.tiles.end() || !tile->second.image) {
        throw ImportRefusal(usedAt, "the tileset \"" + tileset.name + "\" has no tile " + std::to_string(tileId));
    }
    const TmxImage& source = *tile->second.image;
    const RgbaImage& image = LoadOrRefuse(source);
    if (source.width == 0 && source.height == 0 && source.x == 0 && source.y == 0) return image;
    const uint64_t width =
        source.width ? uint64_t(source.width) : image.width - std::min<uint64_t>(image.width, source.x);
    const uint64_t height =
        source.height ? uint64_t(source.height) : image.height - std::min<uint64_t>(image.height, source.y);
    if (width == 0 || height == 0 || source.x + width > image.width || source.y + height > image.height) {
        throw ImportRefusal(source.place, "the tile's part of the picture lies outside it");
    }
    return CutPicture(image, uint32_t(source.x), uint32_t(source.y), uint32_t(width), uint32_t(height));
}
