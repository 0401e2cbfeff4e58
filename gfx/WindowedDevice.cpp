#include "gfx/WindowedDevice.h"

namespace {

// Returns the pixel depth a surface was actually given, or 0 when it cannot be
// described.
DWORD SurfaceBitsPerPixel(IDirectDrawSurface7* surface)
{
    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    if (FAILED(surface->GetSurfaceDesc(&desc))) return 0;
    return desc.ddpfPixelFormat.dwRGBBitCount;
}

}  // namespace

HRESULT WindowedDevice::Create()
{
    HRESULT result = CreateDirectDraw();
    if (FAILED(result)) return result;
    result = directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    if (FAILED(result)) return LogFailure("SetCooperativeLevel failed with Err : %d", result);

    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY;
    result = directDraw->CreateSurface(&desc, &primary, nullptr);
    if (FAILED(result)) return LogFailure("CreateSurface failed with Err : %d", result);

    desc = OffscreenSurfaceDesc(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    result = directDraw->CreateSurface(&desc, &back, nullptr);
    if (FAILED(result)) return LogFailure("CreateSurface failed with Err : %d", result);
    // The back surface takes the desktop's format, while every SurfaceBuffer
    // says bitsPerPixel: on any other desktop the pixels would be garbled.
    if (SurfaceBitsPerPixel(back) != bitsPerPixel)
        return LogFailure("CreateSurface failed with Err : %d", DDERR_INVALIDPIXELFORMAT);

    AttachClipper();
    // The draw surface is used even without a clipper; the frame is then
    // copied unclipped.
    drawTarget = back;
    return 0;
}

void WindowedDevice::AttachClipper()
{
    if (FAILED(directDraw->CreateClipper(0, &clipper, nullptr))) return;
    if (FAILED(clipper->SetHWnd(0, window))) return;
    primary->SetClipper(clipper);
}

HRESULT WindowedDevice::Flip()
{
    // Read anew each frame, so the frame follows the window when it moves.
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);
    RECT sourceRect = windowRect;
    OffsetRect(&sourceRect, -windowRect.left, -windowRect.top);
    const HRESULT result = primary->Blt(&windowRect, back, &sourceRect, DDBLT_WAIT, nullptr);
    if (FAILED(result)) return LogFailure("Flip failed with Err : %d", result);
    return 0;
}

void WindowedDevice::Release()
{
    GraphicsDevice::Release();
    ReleaseInterface(clipper);
}
