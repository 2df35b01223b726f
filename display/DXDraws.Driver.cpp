// The display control's drivers: the windowed copy driver and the full-screen page-flipping driver.
#include "display/DXDraws.Driver.h"

#include <QPoint>

#include <algorithm>

#include "platform/rtl/DXConsts.h"

// ---- TDXDrawDriver -----------------------------------------------------------------------------

TDXDrawDriver::TDXDrawDriver(TCustomDXDraw* DXDraw) : FDXDraw(DXDraw) {
    const TDXDrawOptions options = DXDraw->Options();
    // The 3D set-up (device search, depth buffer, retained mode) is not available here.
    if (DXDraw->EffectiveOptions().Contains(do3D))
        throw EDXDrawError(Format(SCannotInitialized, "Direct3D"));
    const bool onDriver = options.Contains(doFullScreen) && options.Contains(doHardware) &&
                          !options.Contains(doSystemMemory);
    FDevice = std::make_unique<TDirectDraw>(onDriver ? DXDraw->DriverGuid() : nullptr,
                                            options.Contains(doDirectX7Mode));
}

TDXDrawDriver::~TDXDrawDriver() {
    TDXDrawDriver::Finalize();
    FDevice.reset();
}

void TDXDrawDriver::Finalize() {
    FClipper.reset();
    FPalette.reset();
    FSurface.reset();
    FPrimary.reset();
}

void TDXDrawDriver::SetSize(int, int) {}

bool TDXDrawDriver::Restore() {
    if (!FPrimary || !FSurface) return false;
    if (!FPrimary->Restore()) return false;
    if (!FSurface->Restore()) return false;
    FPrimary->Fill(0);
    FSurface->Fill(0);
    return true;
}

void TDXDrawDriver::MakePalette(DWORD Caps) {
    FPalette = std::make_unique<TDirectDrawPalette>(FDevice.get());
    PALETTEENTRY entries[256];
    FDXDraw->PaletteEntries(FDXDraw->ColorTable, entries);
    FPalette->CreatePalette(Caps, entries);
}

// ---- TDXDrawDriverBlt --------------------------------------------------------------------------

void TDXDrawDriverBlt::Initialize(int SurfaceWidth, int SurfaceHeight) {
    FPrimary = std::make_unique<TDirectDrawSurface>(FDevice.get());
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (!FPrimary->CreateSurface(desc))
        throw EDXDrawError(Format(SCannotMade, SDirectDrawPrimarySurface));

    FSurface = std::make_unique<TDirectDrawSurface>(FDevice.get());

    FClipper = std::make_unique<TDirectDrawClipper>(FDevice.get());
    FClipper->SetHandle(FDXDraw);
    FPrimary->SetClipper(FClipper.get());

    MakePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE |
                (FDXDraw->EffectiveOptions().Contains(doAllowPalette256) ? DDPCAPS_ALLOW256 : 0));
    FPrimary->SetPalette(FPalette.get());

    InitializeSurface(SurfaceWidth, SurfaceHeight);
}

void TDXDrawDriverBlt::InitializeSurface(int Width, int Height) {
    FSurface->SetSurfaceInterface(nullptr);
    FSystemMemory = false;

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = static_cast<DWORD>(std::max(Width, 1));
    desc.dwHeight = static_cast<DWORD>(std::max(Height, 1));
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (FDXDraw->Options().Contains(doSystemMemory)) desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (FDXDraw->EffectiveOptions().Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
    if (!FSurface->CreateSurface(desc)) {
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
        if (!FSurface->CreateSurface(desc))
            throw EDXDrawError(Format(SCannotMade, SDirectDrawSurface));
    }
    FSystemMemory = !(FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY);

    FSurface->SetPalette(FPalette.get());
    FSurface->Fill(0);
}

void TDXDrawDriverBlt::SetSize(int Width, int Height) {
    InitializeSurface(Width, Height);
}

TDXDrawFlipResult TDXDrawDriverBlt::Flip() {
    TCustomDXDraw* d = FDXDraw;
    const TDXDrawOptions options = d->EffectiveOptions();
    QPoint origin = d->mapToGlobal(QPoint(0, 0));
    const int sw = FSurface->Width();
    const int sh = FSurface->Height();
    TRect dest;
    if (options.Contains(doStretch)) {
        dest = Bounds(origin.x(), origin.y(), d->width(), d->height());
    } else {
        if (options.Contains(doCenter))
            origin += QPoint((d->width() - sw) / 2, (d->height() - sh) / 2);
        dest = Bounds(origin.x(), origin.y(), sw, sh);
    }
    TDXDrawFlipResult result;
    if (options.Contains(doWaitVBlank)) {
        FDevice->SetLastResult(
            FDevice->RequireDrawInterface()->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
        result.WaitedForVerticalBlank = true;
    }
    DDBLTFX fx{};
    fx.dwSize = sizeof(DDBLTFX);
    const TRect source = FSurface->ClientRect();
    result.Presented = FPrimary->Blt(&dest, &source, FSurface.get(), fx, DDBLT_WAIT);
    return result;
}

// ---- TDXDrawDriverFlip -------------------------------------------------------------------------

void TDXDrawDriverFlip::Initialize(int, int) {
    FPrimary = std::make_unique<TDirectDrawSurface>(FDevice.get());
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    if (FDXDraw->EffectiveOptions().Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
    if (!FPrimary->CreateSurface(desc))
        throw EDXDrawError(Format(SCannotMade, SDirectDrawPrimarySurface));

    FSurface = std::make_unique<TDirectDrawSurface>(FDevice.get());
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    FPrimary->SetLastResult(FPrimary->SurfaceInterface()->GetAttachedSurface(&caps, &back));
    if (FPrimary->LastResult() != DD_OK || !back)
        throw EDXDrawError(Format(SCannotMade, SDirectDrawSurface));
    FSurface->SetSurfaceInterface(back);
    back->Release();
    FSystemMemory = (FSurface->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) != 0;

    FClipper = std::make_unique<TDirectDrawClipper>(FDevice.get());

    MakePalette(DDPCAPS_8BIT |
                (FDXDraw->EffectiveOptions().Contains(doAllowPalette256) ? DDPCAPS_ALLOW256 : 0));
    FPrimary->SetPalette(FPalette.get());
    FSurface->SetPalette(FPalette.get());
}

TDXDrawFlipResult TDXDrawDriverFlip::Flip() {
    TDXDrawFlipResult result;
    QWidget* form = FDXDraw->OwnerForm();
    if (form && form->isActiveWindow()) {
        FPrimary->SetLastResult(FPrimary->RequireSurfaceInterface()->Flip(nullptr, DDFLIP_WAIT));
        result.Presented = FPrimary->LastResult() == DD_OK;
    } else {
        FPrimary->SetLastResult(DD_OK);
    }
    return result;
}
