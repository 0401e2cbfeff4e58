// What a map file's fault means, in words: the tools' messages and the world
// check say it so.
#include "map/MapFileReader.h"

std::string DescribeMapFault(const MapFileFault& fault, uint16_t width, uint16_t height)
{
    std::string what;
    switch (fault.what) {
    case MapFault::None:
    case MapFault::WrongMagic: return std::string("not a map file: it does not start with \"") + MapMagic + "\"";
    case MapFault::EndsInHeader: what = "the file ends inside the header"; break;
    case MapFault::CellsDoNotFit:
        what = std::to_string(width) + " x " + std::to_string(height) + " cells do not fit";
        break;
    case MapFault::EndsInCell: what = "the file ends inside a cell"; break;
    case MapFault::CellDataDoesNotFit:
        what = "a cell's data length " + std::to_string(fault.value) + " does not fit";
        break;
    case MapFault::EndsBeforeFloorCount: what = "the file ends before the floor tile count"; break;
    case MapFault::FloorCountDoesNotFit:
        what = "the floor tile count " + std::to_string(fault.value) + " does not fit";
        break;
    case MapFault::EndsInFloorTiles: what = "the file ends inside the floor tiles"; break;
    case MapFault::EndsBeforeObjectCount: what = "the file ends before the object count"; break;
    case MapFault::ObjectCountDoesNotFit:
        what = "the object count " + std::to_string(fault.value) + " does not fit";
        break;
    case MapFault::OutOfMemory: what = "the map needs more memory than there is"; break;
    }
    return what + " at byte " + std::to_string(fault.offset);
}
