// The display to itself at width x height x bitsPerPixel: a flip chain with
// one back buffer, fed from a draw surface in system memory.
#pragma once

#include "gfx/GraphicsDevice.h"

class FullscreenDevice : public GraphicsDevice {
public:
    HRESULT Create() override;
    HRESULT Flip() override;
};
