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
    if (FAILED(result)) return LogFailure("Flip failed with Err : %d", result);
    result = primary->Flip(nullptr, DDFLIP_WAIT);
    if (FAILED(result)) return LogFailure("Flip failed with Err : %d", result);
    return 0;
}
