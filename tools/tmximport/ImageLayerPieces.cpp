#include "tools/tmximport/ImageLayerPieces.h"

#include "map/TileProjection.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// The piece rectangles' size: one cell's.
constexpr int64_t PieceWidth = TileWidth;
constexpr int64_t PieceHeight = TileHeight;

int64_t FloorDivide(int64_t value, int64_t by)
{
    return value >= 0 ? value / by : -((-value + by - 1) / by);
}

uint64_t Fingerprint(const std::vector<uint8_t>& bytes)
{
    uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (const uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211u;
    return hash;
}

int64_t Wrap(int64_t value, int64_t size)
{
    const int64_t rest = value % size;
    return rest < 0 ? rest + size : rest;
}

}  // namespace

ImagePieces CutImageLayer(const RgbaImage& picture, const ImageLayout& layout, const SourcePlace& place)
{
    ImagePieces result;
    const int64_t width = picture.width, height = picture.height;
    const int64_t x0 = layout.repeatX ? layout.areaLeft : layout.left;
    const int64_t x1 = layout.repeatX ? layout.areaRight : layout.left + width;
    const int64_t y0 = layout.repeatY ? layout.areaTop : layout.top;
    const int64_t y1 = layout.repeatY ? layout.areaBottom : layout.top + height;
    if (width == 0 || height == 0 || x1 <= x0 || y1 <= y0) return result;
    // Piece (i, j) spans [40 i - 20, 40 i + 20) x [20 j - 10, 20 j + 10).
    const int64_t i0 = FloorDivide(x0 + PieceWidth / 2, PieceWidth);
    const int64_t i1 = FloorDivide(x1 - 1 + PieceWidth / 2, PieceWidth);
    const int64_t j0 = FloorDivide(y0 + PieceHeight / 2, PieceHeight);
    const int64_t j1 = FloorDivide(y1 - 1 + PieceHeight / 2, PieceHeight);
    if (uint64_t(i1 - i0 + 1) * uint64_t(j1 - j0 + 1) > MaxImagePieces) {
        throw ImportRefusal(place, "the image layer would be cut into more than " + std::to_string(MaxImagePieces) +
                                       " pieces of the map's cells");
    }
    // Frames by size, anchor and a fingerprint of their pixels.
    std::multimap<std::tuple<uint32_t, uint32_t, int16_t, int16_t, uint64_t>, size_t> known;
    for (int64_t j = j0; j <= j1; ++j) {
        for (int64_t i = i0; i <= i1; ++i) {
            const int64_t cellX = i + j, cellY = i - j;
            const int64_t left = std::max(x0, i * PieceWidth - PieceWidth / 2);
            const int64_t right = std::min(x1, i * PieceWidth + PieceWidth / 2);
            const int64_t top = std::max(y0, j * PieceHeight - PieceHeight / 2);
            const int64_t bottom = std::min(y1, j * PieceHeight + PieceHeight / 2);
            RgbaImage piece;
            piece.width = uint32_t(right - left);
            piece.height = uint32_t(bottom - top);
            piece.rgba.resize(size_t(piece.width) * piece.height * 4);
            bool shows = false;
            for (int64_t y = top; y < bottom; ++y) {
                const int64_t v = layout.repeatY ? Wrap(y - layout.top, height) : y - layout.top;
                for (int64_t x = left; x < right; ++x) {
                    const int64_t u = layout.repeatX ? Wrap(x - layout.left, width) : x - layout.left;
                    const uint8_t* p = picture.Pixel(uint32_t(u), uint32_t(v));
                    std::copy_n(p, 4, &piece.rgba[(size_t(y - top) * piece.width + size_t(x - left)) * 4]);
                    shows = shows || p[3] != 0;
                }
            }
            if (!shows) continue;
            if (cellX < INT16_MIN || cellX > INT16_MAX || cellY < INT16_MIN || cellY > INT16_MAX) {
                throw ImportRefusal(place, "the image layer reaches too far outside the map");
            }
            const int16_t anchorX = int16_t(i * PieceWidth - left), anchorY = int16_t(j * PieceHeight - top);
            const auto key = std::make_tuple(piece.width, piece.height, anchorX, anchorY, Fingerprint(piece.rgba));
            size_t frame = result.frames.size();
            for (auto [same, end] = known.equal_range(key); same != end; ++same) {
                if (result.frames[same->second].picture.rgba == piece.rgba) frame = same->second;
            }
            if (frame == result.frames.size()) {
                known.emplace(key, frame);
                result.frames.push_back({std::move(piece), anchorX, anchorY});
            }
            result.pieces.push_back({int16_t(cellX), int16_t(cellY), frame});
        }
    }
    return result;
}
