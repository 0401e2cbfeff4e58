// The notes on what a conversion leaves out ("file:line: element: what"),
// within MaxNoteBytes in all: a map of a million left-out parts says so
// without a million notes' worth of memory.
#pragma once

#include "tools/tmximport/ImportRefusal.h"

#include <cstdint>
#include <string>
#include <vector>

class ImportNotes {
public:
    // Adds the note `text` on what `place` names. Refuses (ImportRefusal) at
    // `place` when the notes would take more than MaxNoteBytes.
    void Add(const SourcePlace& place, const std::string& text);

    const std::vector<std::string>& List() const { return notes; }
    bool empty() const { return notes.empty(); }
    size_t size() const { return notes.size(); }
    std::vector<std::string>::const_iterator begin() const { return notes.begin(); }
    std::vector<std::string>::const_iterator end() const { return notes.end(); }

private:
    std::vector<std::string> notes;
    uint64_t bytes = 0;
};
