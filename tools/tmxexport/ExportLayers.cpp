#include "tools/tmxexport/ExportLayers.h"

#include "map/TileProjection.h"
#include "tools/tiledworld/IsoGrid.h"
#include "tools/tiledworld/WorldProperties.h"

#include <algorithm>

namespace {

class LayerBuilder {
public:
    LayerBuilder(const WorldFolder& folder, const ExportTilesets& exported)
        : world(folder), tiles(exported), grid(ProgramGrid(folder.map.height))
    {
    }

    std::vector<ExportLayer> Build(size_t& floorLayers)
    {
        LayFloor();
        floorLayers = floorLayerCount;
        LayObjects();
        LayBlockedCells();
        return std::move(layers);
    }

private:
    const ExportTile& TileOf(const PlacedTile& placed) const
    {
        return tiles.tilesets[placed.tileset].tiles[placed.tile];
    }

    // The floor's pieces, in the program's order, shared out among layers.
    // A tile layer's tiles carry their place in the floor's order as runs of
    // consecutive indices among its cells in the editor's order; an object
    // its index.
    void LayFloor()
    {
        const MapSource& map = world.map;
        std::vector<FloorPiece> pieces(map.floorTiles.size());
        for (size_t i = 0; i < map.floorTiles.size(); ++i) {
            const FloorSource& tile = map.floorTiles[i];
            const PlacedTile& placed = tiles.floorTiles[i];
            const ExportTile& picture = TileOf(placed);
            const ScreenPoint position = TileToScreen({0, 0}, tile.x, tile.y);
            FloorPiece& piece = pieces[i];
            piece.left = int64_t(position.x) + picture.placeX;
            piece.top = int64_t(position.y) + picture.placeY;
            piece.cover = picture.cover.get();
            piece.tileLayer = map.Contains(tile.x, tile.y) && FitsTileLayer(tiles.tilesets[placed.tileset], picture);
            if (piece.tileLayer) {
                const EditorCell cell = grid.ProgramToEditor({tile.x, tile.y});
                piece.cell = size_t(cell.row * map.width + cell.column);
                piece.editorOrder = DrawingOrderOf(cell, map.width);
                piece.z = tile.z;
            }
        }
        const FloorLayout layout = LayOutFloor(pieces, size_t(map.width) * size_t(map.height));
        const size_t first = layers.size();
        for (const FloorLayer& floor : layout.layers) NewFloorLayer(floor.tiles, floor.z);
        std::vector<std::vector<std::pair<int64_t, size_t>>> order(layout.layers.size());
        for (size_t i = 0; i < pieces.size(); ++i) {
            ExportLayer& layer = layers[first + layout.layerOf[i]];
            if (layer.tiles) {
                layer.cells[pieces[i].cell] = tiles.floorTiles[i];
                order[layout.layerOf[i]].push_back({pieces[i].editorOrder, i});
                continue;
            }
            const FloorSource& tile = map.floorTiles[i];
            std::vector<Property> properties = {IntProperty(worldprop::FloorIndex, int64_t(i))};
            if (tile.z) properties.push_back(IntProperty(worldprop::Z, tile.z));
            AddObject(layer, tiles.floorTiles[i], tile.x, tile.y, properties);
        }
        for (size_t l = 0; l < order.size(); ++l) {
            if (layout.layers[l].tiles) layers[first + l].properties.push_back(FloorOrder(order[l]));
        }
    }

    // The runs of a tile layer's floor indices, given with their cells'
    // places in the editor's order.
    Property FloorOrder(std::vector<std::pair<int64_t, size_t>>& cells) const
    {
        std::sort(cells.begin(), cells.end());
        std::vector<FloorRun> runs;
        for (const auto& [key, index] : cells) {
            if (!runs.empty() && runs.back().first + runs.back().count == int64_t(index)) {
                ++runs.back().count;
                continue;
            }
            const EditorCell cell = CellAtDrawingOrder(key, world.map.width);
            runs.push_back({cell.column, cell.row, int64_t(index), 1});
        }
        return {worldprop::FloorOrder, FormatFloorRuns(runs), nullptr};
    }

    void LayObjects()
    {
        ExportLayer& layer = NewLayer("objects", false);
        for (size_t i = 0; i < tiles.objectTiles.size(); ++i) {
            const ObjectSource& object = world.map.objects[i];
            std::vector<Property> properties;
            if (object.z) properties.push_back(IntProperty(worldprop::Z, object.z));
            if (object.x1 != object.x0) {
                properties.push_back(IntProperty(worldprop::SpanX, int64_t(object.x1) - object.x0));
            }
            if (object.y1 != object.y0) {
                properties.push_back(IntProperty(worldprop::SpanY, int64_t(object.y1) - object.y0));
            }
            AddObject(layer, tiles.objectTiles[i], object.x0, object.y0, properties);
        }
    }

    void LayBlockedCells()
    {
        ExportLayer& blocked = NewLayer("blocked", true);
        blocked.hidden = true;
        blocked.properties = {FlagProperty(worldprop::Blocked)};
        const MapSource& map = world.map;
        for (int y = 0; y < map.height; ++y) {
            for (int x = 0; x < map.width; ++x) {
                if (!map.Cell(x, y).blocked) continue;
                const EditorCell cell = grid.ProgramToEditor({x, y});
                blocked.cells[size_t(cell.row * map.width + cell.column)] = tiles.blockedMarker;
            }
        }
    }

    ExportLayer& NewLayer(const std::string& name, bool tileLayer)
    {
        layers.emplace_back();
        ExportLayer& layer = layers.back();
        layer.name = name;
        layer.tiles = tileLayer;
        if (tileLayer) layer.cells.assign(size_t(world.map.width) * size_t(world.map.height), std::nullopt);
        return layer;
    }

    ExportLayer& NewFloorLayer(bool tileLayer, int16_t z)
    {
        ExportLayer& layer = NewLayer("floor " + std::to_string(++floorLayerCount), tileLayer);
        layer.properties.push_back(FlagProperty(worldprop::Floor));
        if (z) layer.properties.push_back(IntProperty(worldprop::Z, z));
        return layer;
    }

    // A tile object whose picture's top-left lands where the program puts
    // the frame's: the cell's centre plus the tile's place, less the tileset's
    // tile offset that the editor adds.
    void AddObject(ExportLayer& layer, const PlacedTile& placed, int64_t x, int64_t y, std::vector<Property> properties)
    {
        const ExportTile& tile = TileOf(placed);
        const ExportTileset& tileset = tiles.tilesets[placed.tileset];
        const EditorPoint centre = grid.CellToScreen(grid.ProgramToEditor({x, y}));
        const EditorPoint topLeft = {centre.x + double(tile.placeX - tileset.offsetX),
                                     centre.y + double(tile.placeY - tileset.offsetY)};
        const EditorPoint position = grid.ScreenToObject(topLeft);
        layer.objects.push_back({placed, position.x, position.y, std::move(properties)});
    }

    const WorldFolder& world;
    const ExportTilesets& tiles;
    const IsoGrid grid;
    std::vector<ExportLayer> layers;
    size_t floorLayerCount = 0;
};

}  // namespace

std::vector<ExportLayer> BuildLayers(const WorldFolder& world, const ExportTilesets& tiles, size_t& floorLayers)
{
    return LayerBuilder(world, tiles).Build(floorLayers);
}
