// A difference, before base64:
//
//   canonical size u32 | canonical crc32 u32 | original size u32
//   runs: offset u32 | length u32 | bytes[length]     until the end
//
// Every number little-endian. A run replaces bytes of the canonical file cut
// (or grown) to the original size.
#include "tools/tiledworld/BytePatch.h"

#include "base/BoundedReader.h"
#include "base/ByteWriter.h"
#include "tools/tiledworld/Base64.h"

#include <zlib.h>

#include <algorithm>

namespace {

// Runs closer than this are joined: a run's header costs eight bytes.
constexpr size_t JoinGap = 8;

uint32_t Crc(const std::vector<uint8_t>& bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    for (size_t done = 0; done < bytes.size();) {
        const uInt piece = uInt(std::min<size_t>(bytes.size() - done, 1u << 30));
        crc = crc32(crc, bytes.data() + done, piece);
        done += piece;
    }
    return uint32_t(crc);
}

}  // namespace

std::string DescribeDifference(const std::vector<uint8_t>& canonical, const std::vector<uint8_t>& original)
{
    if (canonical == original) return "";
    std::vector<uint8_t> patch;
    ByteWriter out(patch);
    out.Write(uint32_t(canonical.size()));
    out.Write(Crc(canonical));
    out.Write(uint32_t(original.size()));
    const size_t common = std::min(canonical.size(), original.size());
    size_t i = 0;
    while (i < original.size()) {
        if (i < common && canonical[i] == original[i]) {
            ++i;
            continue;
        }
        size_t end = i + 1, lastDiffering = i;
        while (end < original.size() && end - lastDiffering <= JoinGap) {
            if (end >= common || canonical[end] != original[end]) lastDiffering = end;
            ++end;
        }
        const size_t length = lastDiffering + 1 - i;
        out.Write(uint32_t(i));
        out.Write(uint32_t(length));
        patch.insert(patch.end(), original.begin() + long(i), original.begin() + long(i + length));
        i += length;
    }
    return EncodeBase64(patch);
}

PatchResult ApplyDifference(const std::string& difference, const std::vector<uint8_t>& canonical,
                            std::vector<uint8_t>& bytes)
{
    bytes = canonical;
    if (difference.empty()) return PatchResult::Applied;
    std::vector<uint8_t> patch;
    if (!DecodeBase64(difference, patch)) return PatchResult::Broken;
    BoundedReader reader(patch.data(), patch.size());
    uint32_t size = 0, crc = 0, originalSize = 0;
    if (!(reader.Read(size) && reader.Read(crc) && reader.Read(originalSize))) return PatchResult::Broken;
    if (size != canonical.size() || crc != Crc(canonical)) return PatchResult::Stale;
    // What is spelt out can only have come from the bytes of the patch.
    if (originalSize > canonical.size() + patch.size()) return PatchResult::Broken;
    std::vector<uint8_t> result = canonical;
    result.resize(originalSize, 0);
    while (reader.Remaining() > 0) {
        uint32_t offset = 0, length = 0;
        if (!(reader.Read(offset) && reader.Read(length)) || !reader.Fits(int64_t(length), 1) ||
            uint64_t(offset) + length > originalSize) {
            return PatchResult::Broken;
        }
        reader.ReadBytes(result.data() + offset, length);
    }
    bytes = std::move(result);
    return PatchResult::Applied;
}
