// Colours reach the device as COLORREFs, 0x00BBGGRR; the program's 32-bit
// surfaces hold 0x00RRGGBB.
#pragma once

#include "base/PixelFormats.h"

#include <cstdint>

// Returns the 32-bit pixel of a COLORREF: red and blue swap places, green
// stays, and the top byte becomes 0.
constexpr uint32_t PixelFromColorRef(uint32_t colorRef)
{
    return SwapRedAndBlue(colorRef);
}
