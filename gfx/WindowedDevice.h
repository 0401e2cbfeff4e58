// A window on the desktop: frames are drawn into one screen-sized surface in
// system memory, whose top-left window-sized part is copied onto the window's
// place on the primary surface through a clipper bound to the window. The
// primary is lost when the display mode changes, while another program holds
// the display exclusively and across a locked or sleeping session: it is
// restored then, or all the surfaces are made again for the new mode.
#pragma once

#include "gfx/GraphicsDevice.h"

class WindowedDevice : public GraphicsDevice {
public:
    HRESULT Create() override;
    HRESULT Flip() override;
    void Release() override;
    bool ReadyToPresent() override;

    IDirectDrawClipper* clipper = nullptr;

private:
    // Creates the primary, the screen-sized back surface and the clipper, as
    // the desktop's mode is now. Returns 0, or the code of the creation that
    // failed when its failure could not be logged.
    HRESULT CreateSurfaces();
    void AttachClipper();
};
