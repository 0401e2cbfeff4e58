// A stand-in for the windowed device's primary surface: it forwards every
// call to the real primary, except that its Blt fails once with the code it
// is given (as a primary lost to a mode change, to another program's
// exclusive mode or to a sleeping session would), and its Restore answers
// with the codes it is given, in turn. It records the blits it was asked for
// and the restores, in a record that outlives it: the device may release it.
#pragma once

#include "gfx/GraphicsDevice.h"

#include <vector>

struct StandInRecord {
    int blts = 0;           // Blt calls, the failed one among them
    int restores = 0;       // Restore calls
    bool released = false;  // the device let go of it
    RECT destination = {};  // the rectangles of the last Blt
    RECT source = {};
};

class StandInPrimary final : public IDirectDrawSurface7 {
public:
    // Takes over the caller's reference to `real`.
    StandInPrimary(IDirectDrawSurface7* real, HRESULT bltFailsOnceWith, std::vector<HRESULT> restoreSays,
                   StandInRecord& into)
        : inner(real), failure(bltFailsOnceWith), restoreAnswers(std::move(restoreSays)), record(into)
    {
    }

    STDMETHOD(Blt)(LPRECT to, LPDIRECTDRAWSURFACE7 from, LPRECT part, DWORD flags, LPDDBLTFX effects) override
    {
        ++record.blts;
        record.destination = to ? *to : RECT{};
        record.source = part ? *part : RECT{};
        if (failure != DD_OK) {
            const HRESULT code = failure;
            failure = DD_OK;
            return code;
        }
        return inner->Blt(to, from, part, flags, effects);
    }
    STDMETHOD(Restore)() override
    {
        const size_t turn = record.restores++;
        if (turn < restoreAnswers.size()) return restoreAnswers[turn];
        return inner->Restore();
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++references; }
    STDMETHOD_(ULONG, Release)() override
    {
        if (--references > 0) return references;
        inner->Release();
        record.released = true;
        delete this;
        return 0;
    }

    // The rest only forwards.
    STDMETHOD(QueryInterface)(REFIID id, void** object) override { return inner->QueryInterface(id, object); }
    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE7 s) override { return inner->AddAttachedSurface(s); }
    STDMETHOD(AddOverlayDirtyRect)(LPRECT r) override { return inner->AddOverlayDirtyRect(r); }
    STDMETHOD(BltBatch)(LPDDBLTBATCH b, DWORD n, DWORD f) override { return inner->BltBatch(b, n, f); }
    STDMETHOD(BltFast)(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 s, LPRECT r, DWORD f) override
    {
        return inner->BltFast(x, y, s, r, f);
    }
    STDMETHOD(DeleteAttachedSurface)(DWORD f, LPDIRECTDRAWSURFACE7 s) override
    {
        return inner->DeleteAttachedSurface(f, s);
    }
    STDMETHOD(EnumAttachedSurfaces)(LPVOID c, LPDDENUMSURFACESCALLBACK7 e) override
    {
        return inner->EnumAttachedSurfaces(c, e);
    }
    STDMETHOD(EnumOverlayZOrders)(DWORD f, LPVOID c, LPDDENUMSURFACESCALLBACK7 e) override
    {
        return inner->EnumOverlayZOrders(f, c, e);
    }
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE7 s, DWORD f) override { return inner->Flip(s, f); }
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS2 c, LPDIRECTDRAWSURFACE7* s) override
    {
        return inner->GetAttachedSurface(c, s);
    }
    STDMETHOD(GetBltStatus)(DWORD f) override { return inner->GetBltStatus(f); }
    STDMETHOD(GetCaps)(LPDDSCAPS2 c) override { return inner->GetCaps(c); }
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER* c) override { return inner->GetClipper(c); }
    STDMETHOD(GetColorKey)(DWORD f, LPDDCOLORKEY k) override { return inner->GetColorKey(f, k); }
    STDMETHOD(GetDC)(HDC* dc) override { return inner->GetDC(dc); }
    STDMETHOD(GetFlipStatus)(DWORD f) override { return inner->GetFlipStatus(f); }
    STDMETHOD(GetOverlayPosition)(LPLONG x, LPLONG y) override { return inner->GetOverlayPosition(x, y); }
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE* p) override { return inner->GetPalette(p); }
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT p) override { return inner->GetPixelFormat(p); }
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC2 d) override { return inner->GetSurfaceDesc(d); }
    STDMETHOD(Initialize)(LPDIRECTDRAW dd, LPDDSURFACEDESC2 d) override { return inner->Initialize(dd, d); }
    STDMETHOD(IsLost)() override { return inner->IsLost(); }
    STDMETHOD(Lock)(LPRECT r, LPDDSURFACEDESC2 d, DWORD f, HANDLE e) override { return inner->Lock(r, d, f, e); }
    STDMETHOD(ReleaseDC)(HDC dc) override { return inner->ReleaseDC(dc); }
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER c) override { return inner->SetClipper(c); }
    STDMETHOD(SetColorKey)(DWORD f, LPDDCOLORKEY k) override { return inner->SetColorKey(f, k); }
    STDMETHOD(SetOverlayPosition)(LONG x, LONG y) override { return inner->SetOverlayPosition(x, y); }
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE p) override { return inner->SetPalette(p); }
    STDMETHOD(Unlock)(LPRECT r) override { return inner->Unlock(r); }
    STDMETHOD(UpdateOverlay)(LPRECT r, LPDIRECTDRAWSURFACE7 s, LPRECT to, DWORD f, LPDDOVERLAYFX fx) override
    {
        return inner->UpdateOverlay(r, s, to, f, fx);
    }
    STDMETHOD(UpdateOverlayDisplay)(DWORD f) override { return inner->UpdateOverlayDisplay(f); }
    STDMETHOD(UpdateOverlayZOrder)(DWORD f, LPDIRECTDRAWSURFACE7 s) override
    {
        return inner->UpdateOverlayZOrder(f, s);
    }
    STDMETHOD(GetDDInterface)(LPVOID* dd) override { return inner->GetDDInterface(dd); }
    STDMETHOD(PageLock)(DWORD f) override { return inner->PageLock(f); }
    STDMETHOD(PageUnlock)(DWORD f) override { return inner->PageUnlock(f); }
    STDMETHOD(SetSurfaceDesc)(LPDDSURFACEDESC2 d, DWORD f) override { return inner->SetSurfaceDesc(d, f); }
    STDMETHOD(SetPrivateData)(REFGUID t, LPVOID p, DWORD n, DWORD f) override
    {
        return inner->SetPrivateData(t, p, n, f);
    }
    STDMETHOD(GetPrivateData)(REFGUID t, LPVOID p, LPDWORD n) override { return inner->GetPrivateData(t, p, n); }
    STDMETHOD(FreePrivateData)(REFGUID t) override { return inner->FreePrivateData(t); }
    STDMETHOD(GetUniquenessValue)(LPDWORD v) override { return inner->GetUniquenessValue(v); }
    STDMETHOD(ChangeUniquenessValue)() override { return inner->ChangeUniquenessValue(); }
    STDMETHOD(SetPriority)(DWORD p) override { return inner->SetPriority(p); }
    STDMETHOD(GetPriority)(LPDWORD p) override { return inner->GetPriority(p); }
    STDMETHOD(SetLOD)(DWORD l) override { return inner->SetLOD(l); }
    STDMETHOD(GetLOD)(LPDWORD l) override { return inner->GetLOD(l); }

private:
    IDirectDrawSurface7* inner;
    HRESULT failure;
    std::vector<HRESULT> restoreAnswers;
    StandInRecord& record;
    ULONG references = 1;
};
