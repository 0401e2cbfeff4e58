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
    return CreateSurfaces();
}

HRESULT WindowedDevice::CreateSurfaces()
{
    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY;
    HRESULT result = directDraw->CreateSurface(&desc, &primary, nullptr);
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
    // Only what lies on a screen is copied: Windows would clip the rest
    // itself, but Wine refuses a copy that reaches off the screens.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT screens = {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT shown = {};
    if (!IntersectRect(&shown, &windowRect, &screens)) return 0;
    RECT sourceRect = shown;
    OffsetRect(&sourceRect, -windowRect.left, -windowRect.top);
    const HRESULT result = primary->Blt(&shown, back, &sourceRect, DDBLT_WAIT, nullptr);
    if (FAILED(result)) return PresentFailed(result);
    return 0;
}

bool WindowedDevice::ReadyToPresent()
{
    if (lostWith == DD_OK) return true;
    HRESULT result = directDraw->TestCooperativeLevel();
    // Another program has the display to itself: the program waits until it is done.
    if (result == DDERR_EXCLUSIVEMODEALREADYSET) return false;
    if (lostWith == DDERR_WRONGMODE) {
        result = DDERR_WRONGMODE;
    } else if (result != DDERR_WRONGMODE) {
        result = primary->Restore();
    }
    if (result == DDERR_WRONGMODE) {
        // The desktop has another mode now: its surfaces are made for it, and
        // a desktop that is no longer at bitsPerPixel is refused as at start-up.
        // Until that has worked, every later call makes them again.
        lostWith = DDERR_WRONGMODE;
        drawTarget = nullptr;  // the back surface, which holds no reference of its own
        ReleaseInterface(clipper);
        ReleaseInterface(primary);
        ReleaseInterface(back);
        if (FAILED(CreateSurfaces()) || !drawTarget) return false;
        result = DD_OK;
    }
    // What a restore says while the display is not quite the program's yet
    // (a session still locked or resuming) differs from one Windows to the
    // next: the program waits and asks again.
    if (FAILED(result)) return false;
    lostWith = DD_OK;
    return true;
}

void WindowedDevice::Release()
{
    GraphicsDevice::Release();
    ReleaseInterface(clipper);
}
