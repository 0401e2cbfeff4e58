#include "gfx/FullscreenDevice.h"

HRESULT FullscreenDevice::Create()
{
    HRESULT result = CreateDirectDraw();
    if (FAILED(result)) return result;
    result = directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    if (FAILED(result)) return LogFailure("SetCooperativeLevel failed with Err : %d", result);
    result = directDraw->SetDisplayMode(width, height, bitsPerPixel, 0, 0);
    if (FAILED(result)) return LogFailure("SetDisplayMode failed with Err : %d", result);

    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    result = directDraw->CreateSurface(&desc, &primary, nullptr);
    if (FAILED(result)) return LogFailure("CreateSurface failed with Err : %d", result);

    DDSCAPS2 backCaps = {};
    backCaps.dwCaps = DDSCAPS_BACKBUFFER;
    result = primary->GetAttachedSurface(&backCaps, &back);
    if (FAILED(result)) return LogFailure("CreateSurface failed with Err : %d", result);

    desc = OffscreenSurfaceDesc(width, height);
    result = directDraw->CreateSurface(&desc, &drawTarget, nullptr);
    if (FAILED(result)) return LogFailure("CreateSurface failed with Err : %d", result);
    return 0;
}

HRESULT FullscreenDevice::Flip()
{
    // The platform's own copy: both surfaces are width x height, nothing to clip.
    HRESULT result = back->BltFast(0, 0, drawTarget, nullptr, DDBLTFAST_WAIT);
    if (FAILED(result)) return PresentFailed(result);
    result = primary->Flip(nullptr, DDFLIP_WAIT);
    if (FAILED(result)) return PresentFailed(result);
    return 0;
}

bool FullscreenDevice::ReadyToPresent()
{
    if (lostWith == DD_OK) return true;
    // DD_OK once the program is in front again with its exclusive mode.
    if (directDraw->TestCooperativeLevel() != DD_OK) return false;
    HRESULT result = directDraw->RestoreAllSurfaces();
    if (result == DDERR_WRONGMODE) {
        // The mode another program set is still there: the program's own is
        // set again, as at start-up, and then the surfaces can come back.
        result = directDraw->SetDisplayMode(width, height, bitsPerPixel, 0, 0);
        if (FAILED(result) && !IsDisplayLoss(result)) {
            LogFailure("SetDisplayMode failed with Err : %d", result);
            return false;
        }
        if (SUCCEEDED(result)) result = directDraw->RestoreAllSurfaces();
    }
    // What a restore says while the display is not quite the program's yet
    // (a session still locked or resuming) differs from one Windows to the
    // next: the program waits and asks again, as it waits for the focus.
    if (FAILED(result)) return false;
    // The draw surface is in system memory: it was never lost, and the next
    // frame is copied whole into the restored flip chain.
    lostWith = DD_OK;
    return true;
}
