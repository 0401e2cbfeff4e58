// A window on the desktop: frames are drawn into one screen-sized surface in
// system memory, whose top-left window-sized part is copied onto the window's
// place on the primary surface through a clipper bound to the window.
#pragma once

#include "gfx/GraphicsDevice.h"

class WindowedDevice : public GraphicsDevice {
public:
    HRESULT Create() override;
    HRESULT Flip() override;
    void Release() override;

    IDirectDrawClipper* clipper = nullptr;

private:
    void AttachClipper();
};
