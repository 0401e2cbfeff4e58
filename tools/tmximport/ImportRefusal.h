// Why a map cannot be converted: the file, the element and the reason, so the
// author can find and fix the spot in the editor or in the file.
#pragma once

#include <stdexcept>
#include <string>

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
