// The surface wrapper TDirectDrawSurface: creation, copies with clipping, fills, locks, pixels,
// colour matching and loading from pictures.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/rtl/DXConsts.h"
#include "display/DXDraws.Surfaces.h"
#include "platform/ui/BlockCopy.h"

namespace {

RECT ToRECT(const TRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

// Clips destination d and source s against the destination's and the source's client rectangles.
// Dest edges first, then source edges, left/top before right/bottom. In a mirrored direction the
// destination's left edge corresponds to the source's right edge, so a cut on one side of one
// rectangle is taken from the opposite side of the other. True when both stay non-empty.
bool ClipPair(TRect& d, const TRect& cd, TRect& s, const TRect& cs, bool mirrorX, bool mirrorY) {
    // Destination left / top.
    if (d.Left < cd.Left) {
        int a = cd.Left - d.Left;
        if (mirrorX)
            s.Right -= a;
        else
            s.Left += a;
        d.Left = cd.Left;
    }
    if (d.Top < cd.Top) {
        int a = cd.Top - d.Top;
        if (mirrorY)
            s.Bottom -= a;
        else
            s.Top += a;
        d.Top = cd.Top;
    }
    // Source left / top.
    if (s.Left < cs.Left) {
        int a = cs.Left - s.Left;
        if (mirrorX)
            d.Right -= a;
        else
            d.Left += a;
        s.Left = cs.Left;
    }
    if (s.Top < cs.Top) {
        int a = cs.Top - s.Top;
        if (mirrorY)
            d.Bottom -= a;
        else
            d.Top += a;
        s.Top = cs.Top;
    }
    // Destination right / bottom.
    if (d.Right > cd.Right) {
        int a = d.Right - cd.Right;
        if (mirrorX)
            s.Left += a;
        else
            s.Right -= a;
        d.Right = cd.Right;
    }
    if (d.Bottom > cd.Bottom) {
        int a = d.Bottom - cd.Bottom;
        if (mirrorY)
            s.Top += a;
        else
            s.Bottom -= a;
        d.Bottom = cd.Bottom;
    }
    // Source right / bottom.
    if (s.Right > cs.Right) {
        int a = s.Right - cs.Right;
        if (mirrorX)
            d.Left += a;
        else
            d.Right -= a;
        s.Right = cs.Right;
    }
    if (s.Bottom > cs.Bottom) {
        int a = s.Bottom - cs.Bottom;
        if (mirrorY)
            d.Top += a;
        else
            d.Bottom -= a;
        s.Bottom = cs.Bottom;
    }
    return d.Left < d.Right && d.Top < d.Bottom && s.Left < s.Right && s.Top < s.Bottom;
}

DDBLTFX NoEffects() {
    DDBLTFX fx{};
    fx.dwSize = sizeof(DDBLTFX);
    return fx;
}

} // namespace

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw* device) : FDDraw(device) {
    if (!FDDraw) throw EDirectDrawSurfaceError(Format(SNotMade, "IDirectDraw"));
    FDDraw->Enlist(this);
}

TDirectDrawSurface::~TDirectDrawSurface() {
    delete FCanvas;
    SetSurfaceInterface(nullptr);
    if (FDDraw) FDDraw->Unlist(this);
}

void TDirectDrawSurface::DeviceGone() {
    SetSurfaceInterface(nullptr);
    FDDraw = nullptr;
}

TDirectDraw& TDirectDrawSurface::RequireDevice() const {
    if (!FDDraw) throw EDirectDrawSurfaceError(Format(SNotMade, "IDirectDraw"));
    return *FDDraw;
}

IDirectDrawSurface* TDirectDrawSurface::RequireSurfaceInterface() const {
    if (!FISurface) throw EDirectDrawSurfaceError(Format(SNotMade, "IDirectDrawSurface"));
    return FISurface;
}
IDirectDrawSurface4* TDirectDrawSurface::RequireSurfaceInterface4() const {
    if (!FISurface4) throw EDirectDrawSurfaceError(Format(SNotMade, "IDirectDrawSurface4"));
    return FISurface4;
}
IDirectDrawSurface7* TDirectDrawSurface::RequireSurfaceInterface7() const {
    if (!FISurface7) throw EDirectDrawSurfaceError(Format(SNotMade, "IDirectDrawSurface7"));
    return FISurface7;
}

void TDirectDrawSurface::ReleaseInterfaces() {
    // A device context still held on the old surface would point into freed memory.
    if (FCanvas) FCanvas->ReleaseCanvas();
    if (FLockCount > 0 && FISurface) FISurface->Unlock(FLockDesc.lpSurface);
    if (FGammaControl) FGammaControl->Release();
    if (FISurface7) FISurface7->Release();
    if (FISurface4) FISurface4->Release();
    if (FISurface) FISurface->Release();
    FGammaControl = nullptr;
    FISurface7 = nullptr;
    FISurface4 = nullptr;
    FISurface = nullptr;
}

void TDirectDrawSurface::SetSurfaceInterface(IDirectDrawSurface* surface) {
    if (surface && surface == FISurface) return;
    if (surface) surface->AddRef(); // in case the only other reference is the one dropped below
    ReleaseInterfaces();
    FHasClipper = false;
    FLockCount = 0;
    std::memset(&FSurfaceDesc, 0, sizeof(FSurfaceDesc));
    std::memset(&FLockDesc, 0, sizeof(FLockDesc));
    if (!surface) return;

    void* v = nullptr;
    if (surface->QueryInterface(IID_IDirectDrawSurface, &v) == DD_OK)
        FISurface = static_cast<IDirectDrawSurface*>(v);
    if (surface->QueryInterface(IID_IDirectDrawSurface4, &v) == DD_OK)
        FISurface4 = static_cast<IDirectDrawSurface4*>(v);
    if (RequireDevice().DrawInterface7() &&
        surface->QueryInterface(IID_IDirectDrawSurface7, &v) == DD_OK)
        FISurface7 = static_cast<IDirectDrawSurface7*>(v);
    surface->Release();
    if (!FISurface) return;

    IDirectDrawClipper* clipper = nullptr;
    if (FISurface->GetClipper(&clipper) == DD_OK && clipper) {
        FHasClipper = true;
        clipper->Release();
    }
    FSurfaceDesc.dwSize = sizeof(DDSURFACEDESC);
    SetLastResult(FISurface->GetSurfaceDesc(&FSurfaceDesc));
    if (RequireDevice().DriverCaps.dwCaps2 & DDCAPS2_PRIMARYGAMMA) {
        if (FISurface->QueryInterface(IID_IDirectDrawGammaControl, &v) == DD_OK)
            FGammaControl = static_cast<IDirectDrawGammaControl*>(v);
    }
}

bool TDirectDrawSurface::CreateSurface(const DDSURFACEDESC& desc) {
    SetSurfaceInterface(nullptr);
    IDirectDrawSurface* created = nullptr;
    TDirectDraw& device = RequireDevice();
    device.SetLastResult(device.RequireDrawInterface()->CreateSurface(&desc, &created, nullptr));
    SetLastResult(device.LastResult());
    if (LastResult() != DD_OK || !created) return false;
    SetSurfaceInterface(created);
    created->Release();
    SetTransparentColor(0);
    return true;
}

void TDirectDrawSurface::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        SetSurfaceInterface(nullptr);
        return;
    }
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (SystemMemory ? DDSCAPS_SYSTEMMEMORY : 0);
    if (CreateSurface(desc)) return;
    if (!(desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY)) {
        desc.ddsCaps.dwCaps = (desc.ddsCaps.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
        if (CreateSurface(desc)) {
            SystemMemory = true;
            return;
        }
    }
    throw EDirectDrawSurfaceError(Format(SCannotMade, SDirectDrawSurface));
}

bool TDirectDrawSurface::Restore() {
    if (!FISurface) return false;
    SetLastResult(FISurface->Restore());
    return LastResult() == DD_OK;
}

bool TDirectDrawSurface::Blt(const TRect* destRect, const TRect* sourceRect,
                             const TDirectDrawSurface* source, const DDBLTFX& fx, DWORD flags) {
    if (!FISurface) return false;
    RECT d{}, s{};
    if (destRect) d = ToRECT(*destRect);
    if (sourceRect) s = ToRECT(*sourceRect);
    SetLastResult(FISurface->Blt(destRect ? &d : nullptr, source ? source->FISurface : nullptr,
                                 sourceRect ? &s : nullptr, flags, &fx));
    return LastResult() == DD_OK;
}

bool TDirectDrawSurface::BltFast(int x, int y, const TDirectDrawSurface* source,
                                 const TRect& sourceRect, DWORD flags) {
    if (!FISurface) return false;
    if (x < 0 || y < 0) {
        // The platform takes unsigned coordinates; a negative one can only be a caller's error.
        SetLastResult(DDERR_INVALIDRECT);
        return false;
    }
    RECT s = ToRECT(sourceRect);
    SetLastResult(FISurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                     source ? source->FISurface : nullptr, &s, flags));
    return LastResult() == DD_OK;
}

void TDirectDrawSurface::Draw(int x, int y, const TRect& sourceRect,
                              const TDirectDrawSurface* source, bool transparent) {
    if (!source || x > Width() || y > Height()) return;
    const DWORD fastFlags = transparent ? DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT : DDBLTFAST_WAIT;
    const DWORD bltFlags = transparent ? DDBLT_KEYSRC | DDBLT_WAIT : DDBLT_WAIT;
    TRect src = sourceRect;
    if (src.Right >= src.Left && src.Bottom >= src.Top) {
        TRect dest = Bounds(x, y, src.Width(), src.Height());
        if (!ClipPair(dest, ClipRect(), src, source->ClientRect(), false, false)) return;
        if (FHasClipper) {
            Blt(&dest, &src, source, NoEffects(), bltFlags);
            return;
        }
        if (BltFast(dest.Left, dest.Top, source, src, fastFlags)) return;
        if (LastResult() == DDERR_BLTFASTCANTCLIP) {
            IDirectDrawClipper* clipper = nullptr;
            if (FISurface && FISurface->GetClipper(&clipper) == DD_OK && clipper) {
                FHasClipper = true;
                clipper->Release();
            }
            Blt(&dest, &src, source, NoEffects(), bltFlags);
        }
        return;
    }
    // A reversed rectangle draws mirrored in the reversed direction(s).
    if (std::abs(src.Left - src.Right) + x <= 0 || std::abs(src.Top - src.Bottom) + y <= 0) return;
    DDBLTFX fx = NoEffects();
    bool mirrorX = src.Right < src.Left, mirrorY = src.Bottom < src.Top;
    if (mirrorX) {
        std::swap(src.Left, src.Right);
        fx.dwDDFX |= DDBLTFX_MIRRORLEFTRIGHT;
    }
    if (mirrorY) {
        std::swap(src.Top, src.Bottom);
        fx.dwDDFX |= DDBLTFX_MIRRORUPDOWN;
    }
    TRect dest = Bounds(x, y, src.Width(), src.Height());
    if (!ClipPair(dest, ClipRect(), src, source->ClientRect(), mirrorX, mirrorY)) return;
    Blt(&dest, &src, source, fx, bltFlags | DDBLT_DDFX);
}

bool TDirectDrawSurface::Fill(DWORD devColor) {
    DDBLTFX fx = NoEffects();
    fx.dwFillColor = devColor;
    if (!FClipped) return Blt(nullptr, nullptr, nullptr, fx, DDBLT_COLORFILL | DDBLT_WAIT);
    const TRect clip = ClipRect();
    if (clip.Width() <= 0 || clip.Height() <= 0) return FISurface != nullptr; // nothing to fill
    return Blt(&clip, nullptr, nullptr, fx, DDBLT_COLORFILL | DDBLT_WAIT);
}

void TDirectDrawSurface::SetClipRect(const TRect* rect) {
    FClipped = rect != nullptr;
    if (rect) FClipRect = *rect;
}

TRect TDirectDrawSurface::ClipRect() const {
    const TRect client = ClientRect();
    if (!FClipped) return client;
    TRect r{std::max(client.Left, FClipRect.Left), std::max(client.Top, FClipRect.Top),
            std::min(client.Right, FClipRect.Right), std::min(client.Bottom, FClipRect.Bottom)};
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

void TDirectDrawSurface::SetClipper(TDirectDrawClipper* clipper) {
    if (!FISurface) return;
    SetLastResult(FISurface->SetClipper(clipper ? clipper->ClipperInterface() : nullptr));
    FHasClipper = clipper && LastResult() == DD_OK;
}

void TDirectDrawSurface::SetPalette(TDirectDrawPalette* palette) {
    if (!FISurface) return;
    SetLastResult(FISurface->SetPalette(palette ? palette->PaletteInterface() : nullptr));
}

void TDirectDrawSurface::SetColorKey(DWORD flags, const DDCOLORKEY& key) {
    if (!FISurface) return;
    SetLastResult(FISurface->SetColorKey(flags, &key));
}

void TDirectDrawSurface::SetTransparentColor(DWORD devColor) {
    SetColorKey(DDCKEY_SRCBLT, DDCOLORKEY{devColor, devColor});
}

DWORD TDirectDrawSurface::TransparentColor() const {
    DDCOLORKEY key{};
    if (!FISurface || FISurface->GetColorKey(DDCKEY_SRCBLT, &key) != DD_OK) return 0;
    return key.dwColorSpaceLowValue;
}

DWORD TDirectDrawSurface::MatchColor(TColor color) {
    if (!FISurface) return 0;
    const DWORD remembered = Pixels(0, 0);
    TColor rgb = ColorToRGB(color);
    TDeviceContext one;
    one.Image = QImage(1, 1, QImage::Format_Indexed8);
    one.Image.setColorTable({qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb))});
    one.Image.bits()[0] = 0;
    if (HDC dc = Canvas().Handle()) StretchBlt(dc, 0, 0, 1, 1, &one, 0, 0, 1, 1, SRCCOPY);
    Canvas().ReleaseCanvas();
    const DWORD result = Pixels(0, 0);
    SetPixels(0, 0, remembered);
    return result;
}

bool TDirectDrawSurface::Lock(const TRect* rect, DDSURFACEDESC& desc) {
    if (!FISurface || FLockCount >= 1) return false;
    FLockDesc.dwSize = sizeof(DDSURFACEDESC);
    if (!rect || *rect == TRect{0, 0, Width(), Height()}) {
        SetLastResult(FISurface->Lock(nullptr, &FLockDesc, DDLOCK_WAIT, nullptr));
    } else {
        RECT r = ToRECT(*rect);
        SetLastResult(FISurface->Lock(&r, &FLockDesc, DDLOCK_WAIT, nullptr));
    }
    if (LastResult() != DD_OK) return false;
    ++FLockCount;
    desc = FLockDesc;
    return true;
}

void TDirectDrawSurface::Unlock() {
    if (!FISurface || FLockCount <= 0) return;
    if (--FLockCount == 0) SetLastResult(FISurface->Unlock(FLockDesc.lpSurface));
}

DWORD TDirectDrawSurface::Pixels(int x, int y) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    DDSURFACEDESC d{};
    if (!Lock(nullptr, d)) return 0;
    const uint8_t* row =
        static_cast<const uint8_t*>(d.lpSurface) + static_cast<ptrdiff_t>(y) * d.lPitch;
    DWORD value = 0;
    switch (d.ddpfPixelFormat.dwRGBBitCount) {
    case 1:
        value = (row[x / 8] >> (7 - x % 8)) & 1;
        break;
    case 4:
        value = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        break;
    case 8:
        value = row[x];
        break;
    case 16:
        value = row[2 * x] | row[2 * x + 1] << 8;
        break;
    case 24:
        value = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
        break;
    case 32:
        std::memcpy(&value, row + 4 * x, 4);
        break;
    default:
        break;
    }
    Unlock();
    return value;
}

void TDirectDrawSurface::SetPixels(int x, int y, DWORD value) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    DDSURFACEDESC d{};
    if (!Lock(nullptr, d)) return;
    uint8_t* row = static_cast<uint8_t*>(d.lpSurface) + static_cast<ptrdiff_t>(y) * d.lPitch;
    switch (d.ddpfPixelFormat.dwRGBBitCount) {
    case 1: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
        row[x / 8] = (value & 1) ? (row[x / 8] | bit) : (row[x / 8] & ~bit);
        break;
    }
    case 4:
        row[x / 2] = (x % 2 == 0) ? ((row[x / 2] & 0x0F) | (value & 0x0F) << 4)
                                  : ((row[x / 2] & 0xF0) | (value & 0x0F));
        break;
    case 8:
        row[x] = static_cast<uint8_t>(value);
        break;
    case 16:
        row[2 * x] = value & 0xFF;
        row[2 * x + 1] = (value >> 8) & 0xFF;
        break;
    case 24:
        row[3 * x] = value & 0xFF;
        row[3 * x + 1] = (value >> 8) & 0xFF;
        row[3 * x + 2] = (value >> 16) & 0xFF;
        break;
    case 32:
        std::memcpy(row + 4 * x, &value, 4);
        break;
    default:
        break;
    }
    Unlock();
}

TDirectDrawSurfaceCanvas& TDirectDrawSurface::Canvas() {
    if (!FCanvas) FCanvas = new TDirectDrawSurfaceCanvas(this);
    return *FCanvas;
}

void TDirectDrawSurface::LoadFromGraphic(TGraphic& graphic) {
    LoadFromGraphicRect(graphic, 0, 0, TRect{0, 0, graphic.Width(), graphic.Height()});
}

void TDirectDrawSurface::LoadFromGraphicRect(TGraphic& graphic, int width, int height,
                                             const TRect& sourceRect) {
    if (width == 0) width = sourceRect.Width();
    if (height == 0) height = sourceRect.Height();
    SetSize(width, height);
    if (!FISurface) return;
    HDC dc = Canvas().Handle();
    if (!dc) return;
    if (TCanvas* pictureCanvas = graphic.GraphicCanvas()) {
        if (HDC from = pictureCanvas->Handle())
            StretchBlt(dc, 0, 0, width, height, from, sourceRect.Left, sourceRect.Top,
                       sourceRect.Width(), sourceRect.Height(), SRCCOPY);
    } else if (width == sourceRect.Width() && height == sourceRect.Height()) {
        Canvas().Draw(-sourceRect.Left, -sourceRect.Top, graphic);
    } else if (sourceRect.Width() > 0 && sourceRect.Height() > 0) {
        TDeviceContext temporary;
        temporary.Image = QImage(sourceRect.Width(), sourceRect.Height(), QImage::Format_BGR888);
        temporary.Image.fill(Qt::black);
        TCanvas tempCanvas(&temporary);
        tempCanvas.Draw(-sourceRect.Left, -sourceRect.Top, graphic);
        StretchBlt(dc, 0, 0, width, height, &temporary, 0, 0, sourceRect.Width(),
                   sourceRect.Height(), SRCCOPY);
    }
    Canvas().ReleaseCanvas();
}

void TDirectDrawSurface::Assign(const TPersistent* source) {
    if (!source) {
        SetSurfaceInterface(nullptr);
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        // Loading reads the picture's pixels; pictures hand out their canvas only non-const.
        LoadFromGraphic(const_cast<TGraphic&>(*graphic));
        return;
    }
    if (auto* surface = dynamic_cast<const TDirectDrawSurface*>(source)) {
        if (surface == this) return;
        if (!surface->FISurface) {
            SetSurfaceInterface(nullptr);
            return;
        }
        IDirectDrawSurface* duplicate = nullptr;
        TDirectDraw& device = RequireDevice();
        device.SetLastResult(
            device.RequireDrawInterface()->DuplicateSurface(surface->FISurface, &duplicate));
        SetLastResult(device.LastResult());
        if (LastResult() == DD_OK && duplicate) {
            SetSurfaceInterface(duplicate);
            duplicate->Release();
        }
        return;
    }
    TDirectX::Assign(source);
}

void TDirectDrawSurface::AssignTo(TPersistent& dest) const {
    auto* picture = dynamic_cast<TGraphic*>(&dest);
    if (!picture || !picture->GraphicCanvas()) {
        TDirectX::AssignTo(dest);
        return;
    }
    picture->SetSize(Width(), Height(), 24);
    if (!FISurface || Width() == 0 || Height() == 0) return;
    auto* self = const_cast<TDirectDrawSurface*>(this);
    HDC from = self->Canvas().Handle();
    TCanvas* to = picture->GraphicCanvas();
    if (from && to && to->Handle())
        StretchBlt(to->Handle(), 0, 0, Width(), Height(), from, 0, 0, Width(), Height(), SRCCOPY);
    self->Canvas().ReleaseCanvas();
}
