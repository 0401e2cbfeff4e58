#include "tools/tmxexport/FloorLayers.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

// Pieces are found by the squares of this many pixels that their pictures
// touch; a floor tile touches a few.
constexpr int BucketShift = 6;

uint64_t BucketKey(int64_t bx, int64_t by)
{
    return uint64_t(uint32_t(int32_t(bx))) << 32 | uint32_t(int32_t(by));
}

// The lowest of the sorted `layers` above `bound`, or -1.
int64_t FirstAbove(const std::vector<uint32_t>& layers, int64_t bound)
{
    const auto found = std::upper_bound(layers.begin(), layers.end(), bound,
                                        [](int64_t value, uint32_t layer) { return value < int64_t(layer); });
    return found == layers.end() ? -1 : int64_t(*found);
}

class FloorLayering {
public:
    FloorLayering(const std::vector<FloorPiece>& floor, size_t cellCount, size_t maxTileLayers)
        : pieces(floor), mostTileLayers(maxTileLayers), visited(floor.size(), 0), highestAt(cellCount, -1),
          firstAt(cellCount, -1)
    {
    }

    FloorLayout Run()
    {
        layout.layerOf.reserve(pieces.size());
        for (size_t j = 0; j < pieces.size(); ++j) {
            const FloorPiece& piece = pieces[j];
            int64_t lowest = -1;       // the highest layer of an earlier piece this one covers
            bool drawnBefore = false;  // one of those, in that layer, is drawn after this one by the editor
            if (piece.cover) FindCovered(j, lowest, drawnBefore);
            const uint32_t layer = piece.tileLayer ? TileLayerFor(piece, lowest, drawnBefore) : ObjectLayerFor(lowest);
            layout.layerOf.push_back(layer);
            if (piece.cover) Index(j);
        }
        return std::move(layout);
    }

private:
    template <typename Visit>
    void ForEachBucket(const FloorPiece& piece, Visit visit)
    {
        const int64_t right = piece.left + int64_t(piece.cover->width) - 1;
        const int64_t bottom = piece.top + int64_t(piece.cover->height) - 1;
        for (int64_t by = piece.top >> BucketShift; by <= bottom >> BucketShift; ++by) {
            for (int64_t bx = piece.left >> BucketShift; bx <= right >> BucketShift; ++bx) visit(BucketKey(bx, by));
        }
    }

    // A bucket keeps its pieces by rising layer.
    void Index(size_t j)
    {
        const uint32_t layer = layout.layerOf[j];
        ForEachBucket(pieces[j], [&](uint64_t key) {
            std::vector<uint32_t>& bucket = buckets[key];
            const auto above = std::upper_bound(bucket.begin(), bucket.end(), layer,
                                                [&](uint32_t value, uint32_t i) { return value < layout.layerOf[i]; });
            bucket.insert(above, uint32_t(j));
        });
    }

    // Only the highest layer among the covered pieces matters, and within it
    // only pieces the editor would draw later, so each bucket is looked
    // through from its highest layer down, and most candidates are passed
    // over without a look at their pixels: pieces stacked on one cell cost
    // one look each, not one for every piece below.
    void FindCovered(size_t j, int64_t& lowest, bool& drawnBefore)
    {
        const FloorPiece& piece = pieces[j];
        ForEachBucket(piece, [&](uint64_t key) {
            const auto bucket = buckets.find(key);
            if (bucket == buckets.end()) return;
            for (auto entry = bucket->second.rbegin(); entry != bucket->second.rend(); ++entry) {
                const uint32_t i = *entry;
                const int64_t layer = layout.layerOf[i];
                if (layer < lowest) break;
                const bool tileLayer = layout.layers[size_t(layer)].tiles;
                if (layer == lowest && (drawnBefore || !tileLayer)) break;
                const bool later = tileLayer && pieces[i].editorOrder > piece.editorOrder;
                if (layer == lowest && !later) continue;
                // A piece touching several buckets is looked at once.
                if (visited[i] == j + 1) continue;
                visited[i] = uint32_t(j + 1);
                if (!PiecesOverlap(pieces[i], piece)) continue;
                drawnBefore = later;
                lowest = layer;
            }
        });
    }

    bool Free(uint32_t layer, size_t cell) const
    {
        return int64_t(layer) > highestAt[cell] ||
               (int64_t(layer) != firstAt[cell] && occupied.count(uint64_t(layer) << 32 | cell) == 0);
    }

    uint32_t TileLayerFor(const FloorPiece& piece, int64_t lowest, bool drawnBefore)
    {
        std::vector<uint32_t>& candidates = tileLayers[piece.z];
        int64_t layer = FirstAbove(candidates, std::max<int64_t>(lowest, 0) - 1);
        if (layer < 0 || !Free(uint32_t(layer), piece.cell) || (layer == lowest && drawnBefore)) {
            layer = FirstAbove(candidates, std::max(lowest, highestAt[piece.cell]));
        }
        if (layer < 0) {
            if (tileLayerCount == mostTileLayers) return ObjectLayerFor(lowest);
            ++tileLayerCount;
            layer = int64_t(layout.layers.size());
            layout.layers.push_back({true, piece.z});
            candidates.push_back(uint32_t(layer));
        }
        if (firstAt[piece.cell] < 0) {
            firstAt[piece.cell] = int32_t(layer);
        } else {
            occupied.insert(uint64_t(layer) << 32 | piece.cell);
        }
        highestAt[piece.cell] = std::max(highestAt[piece.cell], layer);
        return uint32_t(layer);
    }

    // An object layer keeps the program's order whatever the pictures.
    uint32_t ObjectLayerFor(int64_t lowest)
    {
        int64_t layer = FirstAbove(objectLayers, std::max<int64_t>(lowest, 0) - 1);
        if (layer < 0) {
            layer = int64_t(layout.layers.size());
            layout.layers.push_back({false, 0});
            objectLayers.push_back(uint32_t(layer));
        }
        return uint32_t(layer);
    }

    const std::vector<FloorPiece>& pieces;
    const size_t mostTileLayers;
    size_t tileLayerCount = 0;
    FloorLayout layout;
    std::unordered_map<uint64_t, std::vector<uint32_t>> buckets;
    std::vector<uint32_t> visited;  // per piece: 1 + the piece whose look-up last looked at it
    std::unordered_map<int16_t, std::vector<uint32_t>> tileLayers;  // by z, rising
    std::vector<uint32_t> objectLayers;                             // rising
    std::vector<int64_t> highestAt;                                 // per cell: the highest tile layer holding it
    // The tile layers holding each cell: the first one by cell, the others
    // (few: cells rarely hold two floor tiles) as layer << 32 | cell.
    std::vector<int32_t> firstAt;
    std::unordered_set<uint64_t> occupied;
};

}  // namespace

std::shared_ptr<const PictureCover> CoverOf(const RgbaImage& picture)
{
    auto cover = std::make_shared<PictureCover>();
    cover->width = picture.width;
    cover->height = picture.height;
    cover->rows.assign(picture.height, {0, 0});
    cover->drawn.assign(size_t(picture.width) * picture.height, 0);
    bool any = false;
    for (uint32_t y = 0; y < picture.height; ++y) {
        uint32_t first = picture.width, last = 0;
        for (uint32_t x = 0; x < picture.width; ++x) {
            if (picture.Pixel(x, y)[3] == 0) continue;
            cover->drawn[size_t(y) * picture.width + x] = 1;
            first = std::min(first, x);
            last = x + 1;
        }
        if (last) cover->rows[y] = {first, last};
        any = any || last;
    }
    if (!any) return nullptr;
    return cover;
}

bool PiecesOverlap(const FloorPiece& a, const FloorPiece& b)
{
    if (!a.cover || !b.cover) return false;
    const int64_t top = std::max(a.top, b.top);
    const int64_t bottom = std::min(a.top + int64_t(a.cover->height), b.top + int64_t(b.cover->height));
    const int64_t left = std::max(a.left, b.left);
    const int64_t right = std::min(a.left + int64_t(a.cover->width), b.left + int64_t(b.cover->width));
    for (int64_t y = top; y < bottom; ++y) {
        const auto rowA = a.cover->rows[size_t(y - a.top)];
        const auto rowB = b.cover->rows[size_t(y - b.top)];
        const int64_t from = std::max({left, a.left + rowA.first, b.left + rowB.first});
        const int64_t to = std::min({right, a.left + rowA.second, b.left + rowB.second});
        const uint8_t* drawnA = &a.cover->drawn[size_t(y - a.top) * a.cover->width];
        const uint8_t* drawnB = &b.cover->drawn[size_t(y - b.top) * b.cover->width];
        for (int64_t x = from; x < to; ++x) {
            if (drawnA[x - a.left] && drawnB[x - b.left]) return true;
        }
    }
    return false;
}

FloorLayout LayOutFloor(const std::vector<FloorPiece>& pieces, size_t cellCount, size_t maxTileLayers)
{
    return FloorLayering(pieces, cellCount, maxTileLayers).Run();
}
