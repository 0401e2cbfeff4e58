// The program's only access to the display: DirectDraw 7 behind eleven virtual
// operations. The variants differ only in Create, Flip and ReadyToPresent.
// Every failure of a platform call goes to ErrLog and ends the process; an
// operation returns the platform's HRESULT only when the log could not be
// written. The one exception is the loss of the display to another program or
// to a change of mode (IsDisplayLoss): presenting then stops until
// ReadyToPresent has the surfaces back.
//
// The program calls Init, ColorFill, GetSurfaceBuffer, DrawText, Flip and
// ReadyToPresent. CreateSurface, SetColorKey, BltFast and Release, which it
// never calls, are part of the device's interface all the same: every device
// offers them, and the tests hold them to what they promise.
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
// Every operation returns 0 on success; a failed platform call goes to ErrLog,
// and its code is returned only when the log could not be written.
class GraphicsDevice {
public:
    // Keeps the window and the mode, then creates the variant's surfaces.
    virtual HRESULT Init(HWND deviceWindow, uint16_t deviceWidth, uint16_t deviceHeight, uint8_t deviceBitsPerPixel);
    // Creates DirectDraw and the variant's surfaces, the draw target among them.
    virtual HRESULT Create() = 0;
    // Fills the whole surface with `color`.
    virtual HRESULT ColorFill(IDirectDrawSurface7* surface, COLORREF color);
    // Creates an off-screen surface of that size in system memory into `surface`.
    virtual HRESULT CreateSurface(uint16_t surfaceWidth, uint16_t surfaceHeight, IDirectDrawSurface7** surface);
    // Presents the finished frame.
    virtual HRESULT Flip() = 0;
    // Makes `color` the surface's source colour key.
    virtual HRESULT SetColorKey(IDirectDrawSurface7* surface, COLORREF color);
    // Copies `sourceRect` of the source (all of it when null) with its corner
    // (0, 0) landing at (x, y), clipped to the destination (BltFastClip.h). A
    // copy of which nothing lands does nothing and succeeds.
    virtual HRESULT BltFast(IDirectDrawSurface7* destination, IDirectDrawSurface7* source, int32_t x, int32_t y,
                            RECT* sourceRect, DWORD flags);
    // Describes `rect` of the surface (all of it when null) as a SurfaceBuffer.
    // The rectangle is clamped to the surface and written back clamped.
    virtual HRESULT GetSurfaceBuffer(IDirectDrawSurface7* surface, SurfaceBuffer* buffer, RECT* rect);
    // Writes `text` at (x, y) in `color` on a transparent background.
    virtual HRESULT DrawText(IDirectDrawSurface7* surface, int32_t x, int32_t y, COLORREF color, const char* text);
    // Releases the interfaces; never called in the program.
    virtual void Release();
    // Returns whether a frame can be presented now: at once while the
    // display is the program's. After a present found it lost (lostWith),
    // restores the surfaces once the display can be had again and returns
    // true; until then false, and the frame loop waits.
    virtual bool ReadyToPresent() = 0;

    HWND window = nullptr;
    IDirectDraw7* directDraw = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
    IDirectDrawSurface7* drawTarget = nullptr;  // every frame is drawn here; system memory in both variants
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bitsPerPixel = 0;
    // DD_OK while the display is the program's; the code with which a present
    // found it lost until ReadyToPresent has restored it.
    HRESULT lostWith = DD_OK;

protected:
    ~GraphicsDevice() = default;

    // Takes the first steps of both Creates: makes the default driver's
    // DirectDraw object and asks it for its IDirectDraw7 interface.
    HRESULT CreateDirectDraw();
    // Takes a present's failed `code`: a loss of the display is kept in
    // lostWith and returned; any other failure is logged as "Flip failed".
    HRESULT PresentFailed(HRESULT code);
};

// Whether a DirectDraw code says that the display is, for now, not the
// program's: its surfaces were lost (to another program, a mode change, a
// locked or sleeping session), another program holds it exclusively, the
// program lost its own exclusive mode, or the mode changed under it.
bool IsDisplayLoss(HRESULT code);

// Returns a zeroed surface description with its size filled in.
DDSURFACEDESC2 EmptySurfaceDesc();

// Returns the description of an off-screen surface in system memory, width x
// height.
DDSURFACEDESC2 OffscreenSurfaceDesc(DWORD surfaceWidth, DWORD surfaceHeight);

// Logs a failed platform call with ErrLog, which ends the process. Returns the
// call's code, for the operation to return, only when the log could not be
// written.
HRESULT LogFailure(const char* messageFormat, HRESULT code);

// Releases the interface, if there is one, and forgets it.
template <typename Interface>
void ReleaseInterface(Interface*& object)
{
    if (!object) return;
    object->Release();
    object = nullptr;
}
