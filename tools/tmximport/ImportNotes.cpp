#include "tools/tmximport/ImportNotes.h"

#include "tools/tiledworld/TiledLimits.h"

void ImportNotes::Add(const SourcePlace& place, const std::string& text)
{
    std::string note = ImportRefusal::Describe(place, text);
    if (note.size() > MaxNoteBytes - bytes) {
        throw ImportRefusal(place, "the notes on what the map leaves out take more than " +
                                       std::to_string(MaxNoteBytes) + " bytes, the most that tmximport keeps: " + text);
    }
    bytes += note.size();
    notes.push_back(std::move(note));
}
