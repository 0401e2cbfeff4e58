#include "gfx/GraphicsDevice.h"

#include "base/ErrLog.h"
#include "gfx/BltFastClip.h"
#include "gfx/PixelColor.h"
#include "gfx/SurfaceLayout.h"

#include <cstring>

namespace {

Rect RectFrom(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

RECT RectFrom(const Rect& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Finds the width and height of a surface; 0 x 0 when it cannot be described,
// which clips every copy to nothing.
void SurfaceSize(IDirectDrawSurface7* surface, int32_t& surfaceWidth, int32_t& surfaceHeight)
{
    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    surface->GetSurfaceDesc(&desc);
    surfaceWidth = static_cast<int32_t>(desc.dwWidth);
    surfaceHeight = static_cast<int32_t>(desc.dwHeight);
}

}  // namespace

DDSURFACEDESC2 EmptySurfaceDesc()
{
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return desc;
}

DDSURFACEDESC2 OffscreenSurfaceDesc(DWORD surfaceWidth, DWORD surfaceHeight)
{
    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = surfaceWidth;
    desc.dwHeight = surfaceHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    return desc;
}

HRESULT LogFailure(const char* messageFormat, HRESULT code)
{
    ErrLog(messageFormat, static_cast<int32_t>(code));
    return code;
}

bool IsDisplayLoss(HRESULT code)
{
    return code == DDERR_SURFACELOST || code == DDERR_NOEXCLUSIVEMODE || code == DDERR_EXCLUSIVEMODEALREADYSET ||
           code == DDERR_WRONGMODE;
}

HRESULT GraphicsDevice::Init(HWND deviceWindow, uint16_t deviceWidth, uint16_t deviceHeight, uint8_t deviceBitsPerPixel)
{
    window = deviceWindow;
    width = deviceWidth;
    height = deviceHeight;
    bitsPerPixel = deviceBitsPerPixel;
    return Create();
}

HRESULT GraphicsDevice::CreateDirectDraw()
{
    IDirectDraw* first = nullptr;
    HRESULT result = DirectDrawCreate(nullptr, &first, nullptr);
    if (FAILED(result)) return LogFailure("DirectDrawCreate failed with Err : %d", result);
    IDirectDraw7* seventh = nullptr;
    result = first->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&seventh));
    // The first interface is not used again; the object lives on through the seventh.
    first->Release();
    if (FAILED(result)) return LogFailure("QueryInterface failed with Err : %d", result);
    directDraw = seventh;
    return 0;
}

HRESULT GraphicsDevice::PresentFailed(HRESULT code)
{
    if (!IsDisplayLoss(code)) return LogFailure("Flip failed with Err : %d", code);
    lostWith = code;
    return code;
}

HRESULT GraphicsDevice::ColorFill(IDirectDrawSurface7* surface, COLORREF color)
{
    DDBLTFX effects;
    std::memset(&effects, 0, sizeof effects);
    effects.dwSize = sizeof effects;
    effects.dwFillColor = PixelFromColorRef(color);
    const HRESULT result = surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
    if (FAILED(result)) return LogFailure("ColorFill failed with Err : %d", result);
    return 0;
}

HRESULT GraphicsDevice::CreateSurface(uint16_t surfaceWidth, uint16_t surfaceHeight, IDirectDrawSurface7** surface)
{
    DDSURFACEDESC2 desc = OffscreenSurfaceDesc(surfaceWidth, surfaceHeight);
    IDirectDrawSurface7* created = nullptr;
    const HRESULT result = directDraw->CreateSurface(&desc, &created, nullptr);
    if (FAILED(result)) return LogFailure("CreateSurface failed with Err : %d", result);
    *surface = created;
    return 0;
}

HRESULT GraphicsDevice::SetColorKey(IDirectDrawSurface7* surface, COLORREF color)
{
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = PixelFromColorRef(color);
    key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
    const HRESULT result = surface->SetColorKey(DDCKEY_SRCBLT, &key);
    if (FAILED(result)) return LogFailure("SetColorKey failed with Err : %d", result);
    return 0;
}

HRESULT GraphicsDevice::BltFast(IDirectDrawSurface7* destination, IDirectDrawSurface7* source, int32_t x, int32_t y,
                                RECT* sourceRect, DWORD flags)
{
    int32_t sourceWidth, sourceHeight, destinationWidth, destinationHeight;
    SurfaceSize(source, sourceWidth, sourceHeight);
    SurfaceSize(destination, destinationWidth, destinationHeight);
    const Rect part = sourceRect ? RectFrom(*sourceRect) : Rect{};
    const BltFastClip clip =
        ClipBltFast(x, y, sourceRect ? &part : nullptr, sourceWidth, sourceHeight, destinationWidth, destinationHeight);
    // When nothing lands on the destination, the platform would refuse the
    // empty rectangle, and that refusal must not end the program.
    if (clip.empty) return 0;
    RECT clipped = RectFrom(clip.source);
    const HRESULT result = destination->BltFast(clip.x, clip.y, source, &clipped, flags);
    if (FAILED(result)) return LogFailure("BltFast failed with Err : %d", result);
    return 0;
}

HRESULT GraphicsDevice::GetSurfaceBuffer(IDirectDrawSurface7* surface, SurfaceBuffer* buffer, RECT* rect)
{
    DDSURFACEDESC2 desc = EmptySurfaceDesc();
    const HRESULT result = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    if (FAILED(result)) return LogFailure("GetSurfaceBuffer(Lock) failed with Err : %d", result);
    // Unlocked at once: the surface lives in system memory, which stays where
    // it is, and everything drawn into it is written before the next Flip.
    surface->Unlock(nullptr);
    const SurfaceMemory memory{static_cast<uint8_t*>(desc.lpSurface), static_cast<int32_t>(desc.lPitch),
                               static_cast<int32_t>(desc.dwWidth), static_cast<int32_t>(desc.dwHeight)};
    // The caller's rectangle comes back clamped, as the buffer describes it.
    const Rect area = rect ? ClampToSurface(RectFrom(*rect), memory.width, memory.height) : WholeSurface(memory);
    if (rect) *rect = RectFrom(area);
    *buffer = DescribeRect(memory, area, bitsPerPixel);
    return 0;
}

HRESULT GraphicsDevice::DrawText(IDirectDrawSurface7* surface, int32_t x, int32_t y, COLORREF color, const char* text)
{
    HDC context = nullptr;
    const HRESULT result = surface->GetDC(&context);
    if (FAILED(result)) return LogFailure("DrawText(GetDC) failed with Err : %d", result);
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, color);
    TextOutA(context, x, y, text, static_cast<int>(std::strlen(text)));
    surface->ReleaseDC(context);
    return 0;
}

void GraphicsDevice::Release()
{
    // The draw surface holds a reference of its own only where it is not the back surface.
    IDirectDrawSurface7* ownDrawTarget = drawTarget != back ? drawTarget : nullptr;
    ReleaseInterface(directDraw);
    ReleaseInterface(primary);
    ReleaseInterface(back);
    ReleaseInterface(ownDrawTarget);
    drawTarget = nullptr;
}
