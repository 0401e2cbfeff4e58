// The program's only access to the display: DirectDraw 7 behind ten virtual
// operations. The variants differ only in Create and Flip. Every failure of a
// platform call goes to ErrLog and ends the process; an operation returns the
// platform's HRESULT only when the log could not be written.
#pragma once

#include "blitter/Pixmix.h"

#include <windows.h>
#include <ddraw.h>
// <windows.h> maps DrawText to DrawTextA; the device has an operation of that name.
#undef DrawText

#include <cstdint>

#if !defined(_WIN64)
static_assert(sizeof(DDSURFACEDESC2) == 124, "DDSURFACEDESC2 as DirectDraw 7 knows it");
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX as DirectDraw 7 knows it");
#endif

// No virtual destructor: the one device lives as long as the process.
class GraphicsDevice {
public:
    virtual HRESULT Init(HWND deviceWindow, uint16_t deviceWidth, uint16_t deviceHeight, uint8_t deviceBitsPerPixel);
    virtual HRESULT Create() = 0;
    virtual HRESULT ColorFill(IDirectDrawSurface7* surface, COLORREF color);
    virtual HRESULT CreateSurface(uint16_t surfaceWidth, uint16_t surfaceHeight, IDirectDrawSurface7** surface);
    virtual HRESULT Flip() = 0;
    virtual HRESULT SetColorKey(IDirectDrawSurface7* surface, COLORREF color);
    virtual HRESULT BltFast(IDirectDrawSurface7* destination, IDirectDrawSurface7* source, int32_t x, int32_t y,
                            RECT* sourceRect, DWORD flags);
    virtual HRESULT GetSurfaceBuffer(IDirectDrawSurface7* surface, SurfaceBuffer* buffer, RECT* rect);
    virtual HRESULT DrawText(IDirectDrawSurface7* surface, int32_t x, int32_t y, COLORREF color, const char* text);
    virtual void Release();

    HWND window = nullptr;
    IDirectDraw7* directDraw = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
    IDirectDrawSurface7* drawTarget = nullptr;  // every frame is drawn here; system memory in both variants
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bitsPerPixel = 0;

protected:
    ~GraphicsDevice() = default;

    // The first steps of both Creates: the default driver's DirectDraw object,
    // asked for its IDirectDraw7 interface.
    HRESULT CreateDirectDraw();
};

// A zeroed surface description with its size filled in.
DDSURFACEDESC2 EmptySurfaceDesc();

// The description of an off-screen surface in system memory, width x height.
DDSURFACEDESC2 OffscreenSurfaceDesc(DWORD surfaceWidth, DWORD surfaceHeight);

// ErrLog for a failed platform call: ends the process, or, when the log could
// not be written, hands the call's code back for the operation to return.
HRESULT LogFailure(const char* messageFormat, HRESULT code);

// Releases the interface, if there is one, and forgets it.
template <typename Interface>
void ReleaseInterface(Interface*& object)
{
    if (!object) return;
    object->Release();
    object = nullptr;
}
