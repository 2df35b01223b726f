// Device, palette, clipper and canvas wrappers; the surface wrapper is in
// DXDraws.Surfaces.Surface.cpp.
#include "display/DXDraws.Surfaces.h"

#include <algorithm>

#include "platform/rtl/DXConsts.h"

namespace {
template <typename T> void Remove(std::vector<T*>& list, T* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) list.erase(it);
}

// Empties a list from its last entry to its first, telling each wrapper its device is gone.
template <typename T> void Orphan(std::vector<T*>& list) {
    while (!list.empty()) {
        T* item = list.back();
        list.pop_back();
        item->DeviceGone();
    }
}
} // namespace

// ---- TDirectDraw -----------------------------------------------------------------------------

TDirectDraw::TDirectDraw(const GUID* driverGuid, bool directX7Mode) {
    try {
        if (directX7Mode) {
            auto create =
                LoadPlatformFunctionAs<TDirectDrawCreateEx>("DDraw.dll", "DirectDrawCreateEx");
            void* created = nullptr;
            if (create(driverGuid, &created, IID_IDirectDraw7, nullptr) != DD_OK || !created)
                throw EDirectDrawError(Format(SCannotInitialized, SDirectDraw));
            FIDraw7 = static_cast<IDirectDraw7*>(created);
            void* v1 = nullptr;
            void* v4 = nullptr;
            if (FIDraw7->QueryInterface(IID_IDirectDraw, &v1) == DD_OK)
                FIDraw = static_cast<IDirectDraw*>(v1);
            if (FIDraw7->QueryInterface(IID_IDirectDraw4, &v4) == DD_OK)
                FIDraw4 = static_cast<IDirectDraw4*>(v4);
            if (!FIDraw || !FIDraw4) throw EDirectDrawError(SSinceDirectX7);
        } else {
            auto create =
                LoadPlatformFunctionAs<TDirectDrawCreate>("DDraw.dll", "DirectDrawCreate");
            IDirectDraw* created = nullptr;
            if (create(driverGuid, &created, nullptr) != DD_OK || !created)
                throw EDirectDrawError(Format(SCannotInitialized, SDirectDraw));
            FIDraw = created;
            void* v4 = nullptr;
            if (FIDraw->QueryInterface(IID_IDirectDraw4, &v4) == DD_OK)
                FIDraw4 = static_cast<IDirectDraw4*>(v4);
            if (!FIDraw4) throw EDirectDrawError(SSinceDirectX6);
        }
    } catch (...) {
        ReleaseInterfaces();
        throw;
    }
    DriverCaps.dwSize = sizeof(DDCAPS);
    EmulationCaps.dwSize = sizeof(DDCAPS);
    SetLastResult(FIDraw->GetCaps(&DriverCaps, &EmulationCaps));
}

TDirectDraw::~TDirectDraw() {
    // Wrappers belong to whoever made them. One still alive here gives up its platform object
    // now, so nothing made on the device outlives it, and stays behind empty for its owner.
    Orphan(FSurfaces);
    Orphan(FPalettes);
    Orphan(FClippers);
    ReleaseInterfaces();
}

void TDirectDraw::Enlist(TDirectDrawSurface* Surface) {
    FSurfaces.push_back(Surface);
}
void TDirectDraw::Enlist(TDirectDrawPalette* Palette) {
    FPalettes.push_back(Palette);
}
void TDirectDraw::Enlist(TDirectDrawClipper* Clipper) {
    FClippers.push_back(Clipper);
}
void TDirectDraw::Unlist(TDirectDrawSurface* Surface) {
    Remove(FSurfaces, Surface);
}
void TDirectDraw::Unlist(TDirectDrawPalette* Palette) {
    Remove(FPalettes, Palette);
}
void TDirectDraw::Unlist(TDirectDrawClipper* Clipper) {
    Remove(FClippers, Clipper);
}

void TDirectDraw::ReleaseInterfaces() {
    if (FIDraw7) FIDraw7->Release();
    if (FIDraw4) FIDraw4->Release();
    if (FIDraw) FIDraw->Release();
    FIDraw7 = nullptr;
    FIDraw4 = nullptr;
    FIDraw = nullptr;
}

IDirectDraw* TDirectDraw::RequireDrawInterface() const {
    if (!FIDraw) throw EDirectDrawError(Format(SNotMade, "IDirectDraw"));
    return FIDraw;
}

IDirectDraw7* TDirectDraw::RequireDrawInterface7() const {
    if (!FIDraw7) throw EDirectDrawError(Format(SNotMade, "IDirectDraw7"));
    return FIDraw7;
}

// ---- TDirectDrawPalette ----------------------------------------------------------------------

TDirectDrawPalette::TDirectDrawPalette(TDirectDraw* device) : FDDraw(device) {
    if (!FDDraw) throw EDirectDrawPaletteError(Format(SNotMade, "IDirectDraw"));
    FDDraw->Enlist(this);
}

TDirectDrawPalette::~TDirectDrawPalette() {
    if (FIPalette) FIPalette->Release();
    if (FDDraw) FDDraw->Unlist(this);
}

void TDirectDrawPalette::DeviceGone() {
    if (FIPalette) FIPalette->Release();
    FIPalette = nullptr;
    FDDraw = nullptr;
}

IDirectDrawPalette* TDirectDrawPalette::RequirePaletteInterface() const {
    if (!FIPalette) throw EDirectDrawPaletteError(Format(SNotMade, "IDirectDrawPalette"));
    return FIPalette;
}

bool TDirectDrawPalette::CreatePalette(DWORD caps, const PALETTEENTRY* entries) {
    if (FIPalette) FIPalette->Release();
    FIPalette = nullptr;
    IDirectDrawPalette* created = nullptr;
    if (!FDDraw) throw EDirectDrawPaletteError(Format(SNotMade, "IDirectDraw"));
    FDDraw->SetLastResult(
        FDDraw->RequireDrawInterface()->CreatePalette(caps, entries, &created, nullptr));
    SetLastResult(FDDraw->LastResult());
    if (LastResult() == DD_OK) FIPalette = created;
    return LastResult() == DD_OK;
}

bool TDirectDrawPalette::SetEntries(int startIndex, int count, const PALETTEENTRY* entries) {
    if (!FIPalette || startIndex < 0 || count < 0) return false;
    SetLastResult(FIPalette->SetEntries(0, static_cast<DWORD>(startIndex),
                                        static_cast<DWORD>(count), entries));
    return LastResult() == DD_OK;
}

bool TDirectDrawPalette::GetEntries(int startIndex, int count, PALETTEENTRY* entries) {
    if (!FIPalette || startIndex < 0 || count < 0) return false;
    SetLastResult(FIPalette->GetEntries(0, static_cast<DWORD>(startIndex),
                                        static_cast<DWORD>(count), entries));
    return LastResult() == DD_OK;
}

// ---- TDirectDrawClipper ----------------------------------------------------------------------

TDirectDrawClipper::TDirectDrawClipper(TDirectDraw* device) : FDDraw(device) {
    if (!FDDraw) throw EDirectDrawClipperError(Format(SNotMade, "IDirectDraw"));
    IDirectDrawClipper* created = nullptr;
    FDDraw->SetLastResult(FDDraw->RequireDrawInterface()->CreateClipper(0, &created, nullptr));
    if (FDDraw->LastResult() != DD_OK)
        throw EDirectDrawClipperError(Format(SCannotMade, SDirectDrawClipper));
    FIClipper = created;
    FDDraw->Enlist(this);
}

TDirectDrawClipper::~TDirectDrawClipper() {
    if (FIClipper) FIClipper->Release();
    if (FDDraw) FDDraw->Unlist(this);
}

void TDirectDrawClipper::DeviceGone() {
    if (FIClipper) FIClipper->Release();
    FIClipper = nullptr;
    FDDraw = nullptr;
}

IDirectDrawClipper* TDirectDrawClipper::RequireClipperInterface() const {
    if (!FIClipper) throw EDirectDrawClipperError(Format(SNotMade, "IDirectDrawClipper"));
    return FIClipper;
}

HWND TDirectDrawClipper::Handle() const {
    HWND window = nullptr;
    RequireClipperInterface()->GetHWnd(&window);
    return window;
}

void TDirectDrawClipper::SetHandle(HWND window) {
    SetLastResult(RequireClipperInterface()->SetHWnd(0, window));
}

// ---- TDirectDrawSurfaceCanvas ----------------------------------------------------------------

TDirectDrawSurfaceCanvas::TDirectDrawSurfaceCanvas(TDirectDrawSurface* surface)
    : FSurface(surface) {}

TDirectDrawSurfaceCanvas::~TDirectDrawSurfaceCanvas() {
    ReleaseCanvas();
    if (FSurface->FCanvas == this) FSurface->FCanvas = nullptr;
}

void TDirectDrawSurfaceCanvas::CreateHandle() {
    IDirectDrawSurface* surface = FSurface->SurfaceInterface();
    if (!surface || FDC) return;
    HDC dc = nullptr;
    FSurface->SetLastResult(surface->GetDC(&dc));
    if (FSurface->LastResult() == DD_OK && dc) {
        FDC = dc;
        SetHandle(dc);
    }
}

void TDirectDrawSurfaceCanvas::ReleaseCanvas() {
    if (FSurface->SurfaceInterface() && FDC) {
        SetHandle(nullptr);
        FSurface->SurfaceInterface()->ReleaseDC(FDC);
        FDC = nullptr;
    }
}
