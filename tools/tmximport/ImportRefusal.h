// Why a map cannot be converted: the file, the element and the reason, so the
// author can find and fix the spot in the editor or in the file.
#pragma once

#include "tools/tiledworld/TiledLimits.h"

#include <stdexcept>
#include <string>

// Returns `name` as a message quotes it: whole when it is short, else its
// first MaxQuotedName bytes and how long it is, so that a name of a megabyte
// repeated in a thousand notes costs no more than a short one.
inline std::string ShortName(const std::string& name)
{
    if (name.size() <= MaxQuotedName) return name;
    size_t cut = MaxQuotedName;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return name.substr(0, cut) + "... (" + std::to_string(name.size()) + " bytes)";
}

// Where something was written: a file, a line in it (0 when unknown) and the
// element, described as the author sees it, e.g. `<layer name="Ground">`.
struct SourcePlace {
    std::string file;
    int line = 0;
    std::string element;
};

class ImportRefusal : public std::runtime_error {
public:
    ImportRefusal(const SourcePlace& place, const std::string& reason) : std::runtime_error(Describe(place, reason)) {}

    // Returns the refusal as the author reads it: "file:line: element: reason".
    static std::string Describe(const SourcePlace& place, const std::string& reason)
    {
        std::string text = place.file;
        if (place.line > 0) text += ":" + std::to_string(place.line);
        if (!place.element.empty()) text += ": " + place.element;
        return text + ": " + reason;
    }
};
