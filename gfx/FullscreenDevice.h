// The display to itself at width x height x bitsPerPixel: a flip chain with
// one back buffer, fed from a draw surface in system memory. While another
// program has the display (Alt+Tab, a locked or sleeping session, another
// full-screen program) the flip chain is lost; it is restored, and the mode
// set again if it has changed, once the display is the program's again.
#pragma once

#include "gfx/GraphicsDevice.h"

class FullscreenDevice : public GraphicsDevice {
public:
    HRESULT Create() override;
    HRESULT Flip() override;
    bool ReadyToPresent() override;
};
