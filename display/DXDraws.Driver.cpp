// The display control's drivers: the windowed copy driver and the full-screen page-flipping driver.
#include "display/DXDraws.Driver.h"

#include <algorithm>

#include "platform/rtl/DXConsts.h"

// ---- TDXDrawDriver -----------------------------------------------------------------------------

TDXDrawDriver::TDXDrawDriver(const TDXDrawDriverSetup& Setup) : FSetup(Setup) {
    const TDXDrawOptions options = Setup.Options;
    // The 3D set-up (device search, depth buffer, retained mode) is not available here.
    if (Setup.EffectiveOptions.Contains(do3D))
        throw EDXDrawError(Format(SCannotInitialized, "Direct3D"));
    const bool onDriver = options.Contains(doFullScreen) && options.Contains(doHardware) &&
                          !options.Contains(doSystemMemory) && Setup.DriverGuid;
    FDevice = std::make_unique<TDirectDraw>(onDriver ? &*FSetup.DriverGuid : nullptr,
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
    FPalette->CreatePalette(Caps, FSetup.Palette.data());
}

namespace {
// An entry of the display module that an older or stand-in module may lack: null then.
template <typename TFunction>
TFunction OptionalFunction(const char* Name) {
    try {
        return LoadPlatformFunctionAs<TFunction>("DDraw.dll", Name);
    } catch (const std::exception&) {
        return TFunction{};
    }
}

TDirectDrawTakePresentation TakeFunction() {
    static const auto take =
        OptionalFunction<TDirectDrawTakePresentation>("DirectDrawTakePresentation");
    return take;
}

TDirectDrawPresentationSegment SegmentFunction() {
    static const auto segment =
        OptionalFunction<TDirectDrawPresentationSegment>("DirectDrawPresentationSegment");
    return segment;
}
} // namespace

void TDXDrawDriver::TakePresentation(TDXDrawFlipResult& Result) const {
    if (!FPrimary || !FPrimary->SurfaceInterface()) return;
    if (const auto take = TakeFunction()) {
        take(FPrimary->SurfaceInterface(), &Result.Image, &Result.Changed);
        if (const auto segment = SegmentFunction())
            Result.Segment = segment(FPrimary->SurfaceInterface());
    }
}

QImage TDXDrawDriver::PresentedImage() const {
    QImage image;
    if (const auto take = TakeFunction(); take && FPrimary && FPrimary->SurfaceInterface())
        take(FPrimary->SurfaceInterface(), &image, nullptr);
    return image;
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
    FClipper->SetHandle(FSetup.Window);
    FPrimary->SetClipper(FClipper.get());

    MakePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE |
                (FSetup.EffectiveOptions.Contains(doAllowPalette256) ? DDPCAPS_ALLOW256 : 0));
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
    if (FSetup.Options.Contains(doSystemMemory)) desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (FSetup.EffectiveOptions.Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
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

TDXDrawFlipResult TDXDrawDriverBlt::Flip(const TDXDrawFlipTarget& Target) {
    const TDXDrawOptions options = Target.Options;
    const TRect& area = Target.ClientArea;
    int left = area.Left, top = area.Top;
    const int sw = FSurface->Width();
    const int sh = FSurface->Height();
    TRect dest;
    if (options.Contains(doStretch)) {
        dest = area;
    } else {
        if (options.Contains(doCenter)) {
            left += (area.Width() - sw) / 2;
            top += (area.Height() - sh) / 2;
        }
        dest = Bounds(left, top, sw, sh);
    }
    TDXDrawFlipResult result;
    if (options.Contains(doWaitVBlank)) {
        FDevice->SetLastResult(
            FDevice->RequireDrawInterface()->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr));
        result.WaitedForVerticalBlank = true;
    }
    DDBLTFX fx{};
    fx.dwSize = sizeof(DDBLTFX);
    TRect source = FSurface->ClientRect();
    // Only an unstretched copy maps a part of the surface onto the window pixel for pixel.
    if (Target.Part && !options.Contains(doStretch)) {
        const TRect& part = *Target.Part;
        const TRect clipped{std::max(part.Left, 0), std::max(part.Top, 0), std::min(part.Right, sw),
                            std::min(part.Bottom, sh)};
        if (clipped.Left >= clipped.Right || clipped.Top >= clipped.Bottom) {
            result.Presented = true; // nothing of the surface to copy: the window is up to date
            TakePresentation(result);
            return result;
        }
        dest = Bounds(dest.Left + clipped.Left, dest.Top + clipped.Top, clipped.Width(),
                      clipped.Height());
        source = clipped;
    }
    result.Presented = FPrimary->Blt(&dest, &source, FSurface.get(), fx, DDBLT_WAIT);
    TakePresentation(result);
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
    if (FSetup.EffectiveOptions.Contains(do3D)) desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
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
                (FSetup.EffectiveOptions.Contains(doAllowPalette256) ? DDPCAPS_ALLOW256 : 0));
    FPrimary->SetPalette(FPalette.get());
    FSurface->SetPalette(FPalette.get());
}

TDXDrawFlipResult TDXDrawDriverFlip::Flip(const TDXDrawFlipTarget& Target) {
    TDXDrawFlipResult result;
    if (Target.FormActive) {
        FPrimary->SetLastResult(FPrimary->RequireSurfaceInterface()->Flip(nullptr, DDFLIP_WAIT));
        result.Presented = FPrimary->LastResult() == DD_OK;
        TakePresentation(result);
    } else {
        FPrimary->SetLastResult(DD_OK);
    }
    return result;
}
