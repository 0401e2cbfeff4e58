// Layer data, as the editor writes it inside <data>:
//
//   encoding="csv"                      "1,2,0,\n3,..."   one decimal id per cell
//   encoding="base64"                   base64 of the cells' ids, 4 bytes each,
//   encoding="base64" compression=zlib  little-endian, row 0 first; compressed
//   encoding="base64" compression=gzip  as a whole when a compression is named
//
// Every id keeps its flip bits (the top four); 0 is an empty cell.
#include "tools/tmximport/LayerData.h"

#include "base/BoundedReader.h"

#include <zlib.h>

#include <cctype>

namespace {

std::vector<uint32_t> DecodeCsv(const std::string& text, size_t count, const SourcePlace& place)
{
    std::vector<uint32_t> gids;
    gids.reserve(count);
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i == text.size()) break;
        uint64_t value = 0;
        const size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && value <= 0xFFFFFFFFu) {
            value = value * 10 + uint64_t(text[i++] - '0');
        }
        if (i == start || value > 0xFFFFFFFFu) {
            throw ImportRefusal(place, "the CSV data holds '" + text.substr(start, 12) +
                                           "' where a tile id (a whole number below 2^32) belongs");
        }
        if (gids.size() == count) {
            throw ImportRefusal(place, "the CSV data holds more than the layer's " + std::to_string(count) + " cells");
        }
        gids.push_back(static_cast<uint32_t>(value));
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i < text.size() && text[i] == ',') ++i;
    }
    if (gids.size() != count) {
        throw ImportRefusal(place, "the CSV data holds " + std::to_string(gids.size()) + " tile ids; the layer has " +
                                       std::to_string(count) + " cells");
    }
    return gids;
}

std::vector<uint32_t> ReadIds(const std::vector<uint8_t>& bytes, size_t count, const SourcePlace& place)
{
    if (bytes.size() != count * 4) {
        throw ImportRefusal(place, "the layer data holds " + std::to_string(bytes.size()) + " bytes; its " +
                                       std::to_string(count) + " cells need " + std::to_string(count * 4));
    }
    BoundedReader reader(bytes.data(), bytes.size());
    std::vector<uint32_t> gids(count);
    for (uint32_t& gid : gids) reader.Read(gid);  // counted above: cannot fail
    return gids;
}

}  // namespace

bool InflateExactly(const std::vector<uint8_t>& packed, bool gzip, size_t size, std::vector<uint8_t>& bytes)
{
    // One byte more than expected, so that a stream holding more is caught
    // without inflating all of it.
    bytes.assign(size + 1, 0);
    z_stream stream = {};
    if (inflateInit2(&stream, gzip ? 16 + MAX_WBITS : MAX_WBITS) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = bytes.data();
    stream.avail_out = static_cast<uInt>(bytes.size());
    const int result = inflate(&stream, Z_FINISH);
    const size_t produced = bytes.size() - stream.avail_out;
    inflateEnd(&stream);
    bytes.resize(produced);
    return result == Z_STREAM_END && produced == size;
}

std::vector<uint32_t> DecodeLayerData(const std::string& encoding, const std::string& compression,
                                      const std::string& text, size_t count, const SourcePlace& place)
{
    if (encoding == "csv") {
        if (!compression.empty()) throw ImportRefusal(place, "CSV data cannot be compressed");
        return DecodeCsv(text, count, place);
    }
    if (encoding != "base64") {
        throw ImportRefusal(place, "the encoding \"" + encoding + "\" is not supported (csv or base64)");
    }
    if (!compression.empty() && compression != "zlib" && compression != "gzip") {
        throw ImportRefusal(place, "the compression \"" + compression +
                                       "\" is not supported: save the map with zlib, gzip or no compression");
    }
    std::vector<uint8_t> bytes;
    if (!DecodeBase64(text, bytes)) throw ImportRefusal(place, "the base64 data is broken");
    if (compression.empty()) return ReadIds(bytes, count, place);
    std::vector<uint8_t> ids;
    if (!InflateExactly(bytes, compression == "gzip", count * 4, ids)) {
        throw ImportRefusal(place, "the " + compression + " data is broken or does not hold the layer's " +
                                       std::to_string(count) + " cells");
    }
    return ReadIds(ids, count, place);
}
