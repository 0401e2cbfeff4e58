// The bytes of a world file that its records do not carry (the bytes after
// a name's terminator, a count below zero written as itself, bytes after the
// last record, a "pixels present" other than 1), kept as the difference
// between the file and the file its records would write.
//
// The difference remembers which file it was taken against: it applies only
// to that same file, so a world changed in the editor comes back as its
// records say, without bytes that belonged to the records before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Returns the difference of `original` from `canonical` as base64 text for a
// custom property, or an empty text when the two are the same.
std::string DescribeDifference(const std::vector<uint8_t>& canonical, const std::vector<uint8_t>& original);

enum class PatchResult { Applied, Stale, Broken };

// Sets `bytes` to `canonical` with the difference put back and returns
// Applied. Returns Stale, with `bytes` left as `canonical`, when the
// difference was taken against another file, and Broken when the text is not
// a difference at all.
PatchResult ApplyDifference(const std::string& difference, const std::vector<uint8_t>& canonical,
                            std::vector<uint8_t>& bytes);
