// The tile ids of a tile layer's <data>, from the text the editor wrote:
// comma-separated numbers, or base64 of little-endian 32-bit ids, raw or
// compressed with zlib or gzip.
#pragma once

#include "tools/tiledworld/Base64.h"
#include "tools/tmximport/ImportRefusal.h"

#include <cstdint>
#include <string>
#include <vector>

// Returns the `count` global tile ids (flip bits included) of a layer's data,
// row 0 first. `encoding` is "csv" or "base64"; `compression` is "", "zlib"
// or "gzip" (base64 only). Refuses (ImportRefusal) at `place` anything else,
// and data that holds another number of ids.
std::vector<uint32_t> DecodeLayerData(const std::string& encoding, const std::string& compression,
                                      const std::string& text, size_t count, const SourcePlace& place);

// Inflates a zlib or gzip stream into exactly `size` bytes. Returns false
// when the stream is broken or holds more or fewer bytes.
bool InflateExactly(const std::vector<uint8_t>& packed, bool gzip, size_t size, std::vector<uint8_t>& bytes);
