// The display control's drivers (windowed copy, full-screen page flip) and its display mode settings.
#include "display/DXDraws.Control.h"

#include <QPoint>

#include <algorithm>
#include <climits>

#include "display/DXConsts.h"

// ---- TDXDrawDisplay ----------------------------------------------------------------------------

TDXDrawDisplay::TDXDrawDisplay(TCustomDXDraw* DXDraw) : FDXDraw(DXDraw) {}

void TDXDrawDisplay::SetBitCount(int Value) {
    if (Value != 8 && Value != 16 && Value != 24 && Value != 32)
        throw EDirectDrawError(SInvalidDisplayBitCount);
    FBitCount = Value;
}

void TDXDrawDisplay::Assign(const TDXDrawDisplay& Source) {
    FBitCount = Source.FBitCount;
    FHeight = Source.FHeight;
    FWidth = Source.FWidth;
    FixedBitCount = Source.FixedBitCount;
    FixedRatio = Source.FixedRatio;
    FixedSize = Source.FixedSize;
}

namespace {
HRESULT AddMode(DDSURFACEDESC* desc, void* context) {
    auto* modes = static_cast<std::vector<TDXDrawDisplayMode>*>(context);
    TDXDrawDisplayMode m;
    m.Width = static_cast<int>(desc->dwWidth);
    m.Height = static_cast<int>(desc->dwHeight);
    m.BitCount = static_cast<int>(desc->ddpfPixelFormat.dwRGBBitCount);
    m.SurfaceDesc = *desc;
    modes->push_back(m);
    return DDENUMRET_OK;
}
}  // namespace

const std::vector<TDXDrawDisplayMode>& TDXDrawDisplay::Modes() {
    if (!FModesRead) {
        TDirectDraw* device = FDXDraw->Device();
        if (device && device->DrawInterface()) {
            FModes.clear();
            device->SetLastResult(device->DrawInterface()->EnumDisplayModes(0, nullptr, &FModes, AddMode));
            std::stable_sort(FModes.begin(), FModes.end(), [](const TDXDrawDisplayMode& a, const TDXDrawDisplayMode& b) {
                if (a.Width != b.Width) return a.Width < b.Width;
                if (a.Height != b.Height) return a.Height < b.Height;
                return a.BitCount < b.BitCount;
            });
            FModesRead = true;
        }
    }
    return FModes;
}

bool TDXDrawDisplay::SetMode(int Width, int Height, int BitCount) {
    TDirectDraw* device = FDXDraw->Device();
    if (!device || !device->DrawInterface()) return false;
    device->SetLastResult(device->DrawInterface()->SetDisplayMode(
        static_cast<DWORD>(Width), static_cast<DWORD>(Height), static_cast<DWORD>(BitCount), 0, 0));
    if (device->LastResult() != DD_OK) return false;
    FWidth = Width;
    FHeight = Height;
    FBitCount = BitCount;
    return true;
}

bool TDXDrawDisplay::ChangeMode(int Width, int Height, int BitCount) {
    if (Width <= 0 || Height <= 0) return false;
    if (BitCount != 8 && BitCount != 16 && BitCount != 24 && BitCount != 32) return false;
    if (SetMode(Width, Height, BitCount)) return true;

    const std::vector<TDXDrawDisplayMode>& modes = Modes();
    int best = -1;
    int bestWidth = INT_MAX;
    int bestHeight = INT_MAX;
    auto search = [&](bool sameRatio) {
        for (int i = 0; i < static_cast<int>(modes.size()); ++i) {
            const TDXDrawDisplayMode& m = modes[i];
            if (sameRatio && static_cast<long long>(m.Width) * Height != static_cast<long long>(Width) * m.Height)
                continue;
            if (m.Width > bestWidth || m.Height > bestHeight) continue;
            if (FixedSize) {
                if (m.Width != Width || m.Height != Height) continue;
            } else if (m.Width < Width || m.Height < Height) {
                continue;
            }
            if (FixedBitCount) {
                if (m.BitCount != BitCount) continue;
            } else if (!((m.BitCount > 8 && BitCount > 8) || m.BitCount >= BitCount)) {
                continue;
            }
            best = i;
            bestWidth = m.Width;
            bestHeight = m.Height;
        }
    };
    if (FixedRatio) search(true);
    if (best < 0) search(false);
    if (best < 0) return false;

    int bits = modes[best].BitCount;
    if (bits != BitCount &&
        std::any_of(modes.begin(), modes.end(), [&](const TDXDrawDisplayMode& m) {
            return m.Width == bestWidth && m.Height == bestHeight && m.BitCount == BitCount;
        }))
        bits = BitCount;
    return SetMode(bestWidth, bestHeight, bits);
}

// ---- TDXDrawDriver -----------------------------------------------------------------------------

TDXDrawDriver::TDXDrawDriver(TCustomDXDraw* DXDraw) : FDXDraw(DXDraw) {
    const TDXDrawOptions options = DXDraw->Options();
    // The 3D set-up (device search, depth buffer, retained mode) is not available here.
    if (DXDraw->EffectiveOptions().Contains(do3D))
        throw EDXDrawError(Format(SCannotInitialized, "Direct3D"));
    const bool onDriver = options.Contains(doFullScreen) && options.Contains(doHardware) &&
                          !options.Contains(doSystemMemory);
    DXDraw->FDDraw = new TDirectDraw(onDriver ? DXDraw->DriverGuid() : nullptr, options.Contains(doDirectX7Mode));
}

TDXDrawDriver::~TDXDrawDriver() {
    TDXDrawDriver::Finalize();
    delete FDXDraw->FDDraw;
    FDXDraw->FDDraw = nullptr;
}

void TDXDrawDriver::Finalize() {
    TCustomDXDraw* d = FDXDraw;
    delete d->FClipper;
    d->FClipper = nullptr;
    delete d->FPalette;
    d->FPalette = nullptr;
    delete d->FSurface;
    d->FSurface = nullptr;
    delete d->FPrimary;
    d->FPrimary = nullptr;
}

bool TDXDrawDriver::SetSize(int, int) { return false; }

bool TDXDrawDriver::Restore() {
    TCustomDXDraw* d = FDXDraw;
    if (!d->FPrimary || !d->FSurface) return false;
    if (!d->FPrimary->Restore()) return false;
    if (!d->FSurface->Restore()) return false;
    d->FPrimary->Fill(0);
    d->FSurface->Fill(0);
    return true;
}

namespace {
void MakePalette(TCustomDXDraw* d, DWORD caps, const PALETTEENTRY* entries) {
    // A refused palette is recorded in its LastResult; the display works without one.
    d->Palette()->CreatePalette(caps, entries);
}
}  // namespace

// ---- TDXDrawDriverBlt --------------------------------------------------------------------------

void TDXDrawDriverBlt::Initialize() {
    TCustomDXDraw* d = FDXDraw;
    d->FPrimary = new TDirectDrawSurface(d->FDDraw);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (!d->FPrimary->CreateSurface(desc))
        throw EDXDrawError(Format(SCannotMade, SDirectDrawPrimarySurface));

    d->FSurface = new TDirectDrawSurface(d->FDDraw);

    d->FClipper = new TDirectDrawClipper(d->FDDraw);
    d->FClipper->SetHandle(d);
    d->FPrimary->SetClipper(d->FClipper);

    d->FPalette = new TDirectDrawPalette(d->FDDraw);
    PALETTEENTRY entries[256];
    d->FillPaletteEntries(d->ColorTable, entries);
    MakePalette(d, DDPCAPS_8BIT | DDPCAPS_INITIALIZE |
                       (d->FNowOptions.Contains(doAllowPalette256) ? DDPCAPS_ALLOW256 : 0),
                entries);
    d->FPrimary->SetPalette(d->FPalette);

    InitializeSurface();
}

void TDXDrawDriverBlt::InitializeSurface() {
    TCustomDXDraw* d = FDXDraw;
    d->FSurface->SetSurfaceInterface(nullptr);
    d->FNowOptions.Exclude(doSystemMemory);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = static_cast<DWORD>(std::max(d->FSurfaceWidth, 1));
    desc.dwHeight = static_cast<DWORD>(std::max(d->FSurfaceHeight, 1));
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (d->FOptions.Contains(doSystemMemory)) desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (d->FNowOptions.Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
    if (!d->FSurface->CreateSurface(desc)) {
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
        if (!d->FSurface->CreateSurface(desc))
            throw EDXDrawError(Format(SCannotMade, SDirectDrawSurface));
    }
    if (!(d->FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY))
        d->FNowOptions.Include(doSystemMemory);

    d->FSurface->SetPalette(d->FPalette);
    d->FSurface->Fill(0);
}

void TDXDrawDriverBlt::Flip() {
    TCustomDXDraw* d = FDXDraw;
    QPoint origin = d->mapToGlobal(QPoint(0, 0));
    const int sw = d->FSurface->Width();
    const int sh = d->FSurface->Height();
    TRect dest;
    if (d->FNowOptions.Contains(doStretch)) {
        dest = Bounds(origin.x(), origin.y(), d->width(), d->height());
    } else {
        if (d->FNowOptions.Contains(doCenter))
            origin += QPoint((d->width() - sw) / 2, (d->height() - sh) / 2);
        dest = Bounds(origin.x(), origin.y(), sw, sh);
    }
    if (d->FNowOptions.Contains(doWaitVBlank)) {
        d->FDDraw->SetLastResult(d->FDDraw->RequireDrawInterface()->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
        ++d->FVBlankWaits;
    }
    DDBLTFX fx{};
    fx.dwSize = sizeof(DDBLTFX);
    const TRect source = d->FSurface->ClientRect();
    if (d->FPrimary->Blt(&dest, &source, d->FSurface, fx, DDBLT_WAIT))
        d->FPresented = true;
}

bool TDXDrawDriverBlt::SetSize(int Width, int Height) {
    TCustomDXDraw* d = FDXDraw;
    d->FSurfaceWidth = std::max(Width, 1);
    d->FSurfaceHeight = std::max(Height, 1);
    ++d->FRestoreNotifySuppress;
    try {
        d->NotifyEventList(dnFinalizeSurface);
        if (d->FSurfaceInitializeFired) {
            d->FSurfaceInitializeFired = false;
            d->HandleFinalizeSurface();
        }
        InitializeSurface();
        d->NotifyEventList(dnInitializeSurface);
        d->FSurfaceInitializeFired = true;
        d->HandleInitializeSurface();
    } catch (...) {
        --d->FRestoreNotifySuppress;
        throw;
    }
    --d->FRestoreNotifySuppress;
    return true;
}

// ---- TDXDrawDriverFlip -------------------------------------------------------------------------

void TDXDrawDriverFlip::Initialize() {
    TCustomDXDraw* d = FDXDraw;
    d->FPrimary = new TDirectDrawSurface(d->FDDraw);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    if (d->FNowOptions.Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
    if (!d->FPrimary->CreateSurface(desc))
        throw EDXDrawError(Format(SCannotMade, SDirectDrawPrimarySurface));

    d->FSurface = new TDirectDrawSurface(d->FDDraw);
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    d->FPrimary->SetLastResult(d->FPrimary->SurfaceInterface()->GetAttachedSurface(&caps, &back));
    if (d->FPrimary->LastResult() != DD_OK || !back)
        throw EDXDrawError(Format(SCannotMade, SDirectDrawSurface));
    d->FSurface->SetSurfaceInterface(back);
    back->Release();

    d->FNowOptions.Exclude(doSystemMemory);
    if (d->FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY)
        d->FNowOptions.Include(doSystemMemory);

    d->FClipper = new TDirectDrawClipper(d->FDDraw);

    d->FPalette = new TDirectDrawPalette(d->FDDraw);
    PALETTEENTRY entries[256];
    d->FillPaletteEntries(d->ColorTable, entries);
    MakePalette(d, DDPCAPS_8BIT | (d->FNowOptions.Contains(doAllowPalette256) ? DDPCAPS_ALLOW256 : 0), entries);
    d->FPrimary->SetPalette(d->FPalette);
    d->FSurface->SetPalette(d->FPalette);
}

void TDXDrawDriverFlip::Flip() {
    TCustomDXDraw* d = FDXDraw;
    if (d->FForm && d->FForm->isActiveWindow()) {
        d->FPrimary->SetLastResult(d->FPrimary->RequireSurfaceInterface()->Flip(nullptr, DDFLIP_WAIT));
        if (d->FPrimary->LastResult() == DD_OK) d->FPresented = true;
    } else {
        d->FPrimary->SetLastResult(DD_OK);
    }
}
