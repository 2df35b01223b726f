// The surface object: memory, locks, device contexts, keys, palettes, clippers, lost state, the
// copy operations (Blt, BltFast, Flip) and the registry of live surfaces.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/ddraw/DDraw.Blit.h"
#include "platform/ddraw/DDraw.Clipper.h"
#include "platform/ddraw/DDraw.Device.h"
#include "platform/ddraw/DDraw.Palette.h"
#include "platform/ddraw/DDraw.Presentation.h"
#include "platform/ddraw/DDraw.Surface.h"
#include "platform/ddraw/DDraw.Window.h"

namespace ddraw {

namespace {
std::set<Surface*>& LiveSurfaces() {
    static std::set<Surface*> surfaces;
    return surfaces;
}
} // namespace

void RegisterSurface(Surface* surface) {
    LiveSurfaces().insert(surface);
}
void UnregisterSurface(Surface* surface) {
    LiveSurfaces().erase(surface);
}
void LoseSurfaces(Device* device) {
    for (Surface* s : LiveSurfaces())
        if (!device || s->Owner() == device) s->MarkLost();
}

Memory::~Memory() {
    std::free(Bits);
}

Surface::Surface(Device* device, const Format& format, int width, int height, DWORD caps)
    : Dev(device), Fmt(format), W(width), H(height), Caps(caps) {
    Dev->AddRef();
    RegisterSurface(this);
}

Surface::~Surface() {
    UnregisterSurface(this);
    if (BackBuffer) BackBuffer->Release();
    if (Clip) Clip->Release();
    if (Pal) Pal->Release();
    if (Dev->Primary == this) Dev->Primary = nullptr;
    Dev->Release();
}

bool Surface::Allocate() {
    // Rows start on 16-byte boundaries so the copy loops can work in whole vectors.
    PitchBytes = (W * Fmt.Bytes() + 15) & ~15;
    size_t size = static_cast<size_t>(PitchBytes) * static_cast<size_t>(H);
    auto memory = std::make_shared<Memory>();
    memory->Bits = static_cast<uint8_t*>(std::aligned_alloc(64, (size + 63) & ~size_t(63)));
    if (!memory->Bits) return false;
    std::memset(memory->Bits, 0, size);
    Mem = std::move(memory);
    return true;
}

Surface* Surface::Duplicate() {
    auto* copy = new Surface(Dev, Fmt, W, H, Caps);
    copy->PitchBytes = PitchBytes;
    copy->Mem = Mem;
    copy->HasKey = HasKey;
    copy->Key = Key;
    copy->Lost = Lost;
    return copy;
}

HRESULT Surface::QueryInterface(REFIID iid, void** object) {
    if (!object) return DDERR_INVALIDPARAMS;
    if (iid == IID_IUnknown || iid == IID_IDirectDrawSurface)
        *object = static_cast<IDirectDrawSurface*>(this);
    else if (iid == IID_IDirectDrawSurface4)
        *object = static_cast<IDirectDrawSurface4*>(this);
    else if (iid == IID_IDirectDrawSurface7)
        *object = static_cast<IDirectDrawSurface7*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return DD_OK;
}

QList<QRgb> Surface::ColourTable() const {
    if (Pal) return Pal->ColourTable();
    if (Dev->Primary && Dev->Primary != this && Dev->Primary->Pal)
        return Dev->Primary->Pal->ColourTable();
    QList<QRgb> grey(256);
    for (int i = 0; i < 256; ++i)
        grey[i] = qRgb(i, i, i);
    return grey;
}

QRgb Surface::ToRgb(DWORD v) const {
    switch (Fmt.Bits) {
    case 8: {
        const Palette* p =
            Pal ? Pal : (Dev->Primary && Dev->Primary->Pal ? Dev->Primary->Pal : nullptr);
        return p ? p->ColourTable()[v & 0xFF] : qRgb(v & 0xFF, v & 0xFF, v & 0xFF);
    }
    case 16: {
        int r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        return qRgb((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
    }
    default:
        return 0xFF000000u | (v & 0xFFFFFFu);
    }
}

HRESULT Surface::GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** surface) {
    if (!caps || !surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (BackBuffer && (caps->dwCaps & DDSCAPS_BACKBUFFER)) {
        BackBuffer->AddRef();
        *surface = BackBuffer;
        return DD_OK;
    }
    return DDERR_NOTFOUND;
}

HRESULT Surface::GetCaps(DDSCAPS* caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    caps->dwCaps = Caps;
    return DD_OK;
}

HRESULT Surface::GetClipper(IDirectDrawClipper** clipper) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = Clip;
    if (!Clip) return DDERR_NOCLIPPERATTACHED;
    Clip->AddRef();
    return DD_OK;
}

HRESULT Surface::GetColorKey(DWORD flags, DDCOLORKEY* key) {
    if (!key || flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    if (!HasKey) return DDERR_NOCOLORKEY;
    *key = Key;
    return DD_OK;
}

HRESULT Surface::GetPalette(IDirectDrawPalette** palette) {
    if (!palette) return DDERR_INVALIDPARAMS;
    *palette = Pal;
    if (!Pal) return DDERR_NOPALETTEATTACHED;
    Pal->AddRef();
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(DDPIXELFORMAT* format) {
    if (!format) return DDERR_INVALIDPARAMS;
    *format = Fmt.Describe();
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC* desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    DDSURFACEDESC d{};
    d.dwSize = sizeof(DDSURFACEDESC);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = static_cast<DWORD>(W);
    d.dwHeight = static_cast<DWORD>(H);
    if (Mem) {
        d.dwFlags |= DDSD_PITCH;
        d.lPitch = PitchBytes;
    }
    if (BackBuffer) {
        d.dwFlags |= DDSD_BACKBUFFERCOUNT;
        d.dwBackBufferCount = 1;
    }
    if (HasKey) {
        d.dwFlags |= DDSD_CKSRCBLT;
        d.ddckCKSrcBlt = Key;
    }
    d.ddpfPixelFormat = Fmt.Describe();
    d.ddsCaps.dwCaps = Caps;
    *desc = d;
    return DD_OK;
}

HRESULT Surface::IsLost() {
    return Lost ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Restore() {
    if (!Lost) return DD_OK;
    if (Faults() & DDFAULT_REFUSE_RESTORE) return DDERR_WRONGMODE;
    Lost = false;
    if (BackBuffer) BackBuffer->Lost = false;
    return DD_OK;
}

HRESULT Surface::Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD, HANDLE) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (!Mem) return DDERR_UNSUPPORTED;
    if (Lost) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    Box box{0, 0, W, H};
    if (rect) {
        box = FromRect(*rect);
        if (box.Empty() || !Contains(Box{0, 0, W, H}, box)) return DDERR_INVALIDRECT;
    }
    GetSurfaceDesc(desc);
    desc->dwFlags |= DDSD_LPSURFACE | DDSD_PITCH;
    desc->lPitch = PitchBytes;
    desc->lpSurface = Row(box.t) + box.l * Fmt.Bytes();
    Locked = true;
    Touch();
    return DD_OK;
}

HRESULT Surface::Unlock(void*) {
    if (!Locked) return DDERR_NOTLOCKED;
    Locked = false;
    Touch();
    return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (!Mem) return DDERR_UNSUPPORTED;
    if (Lost) return DDERR_SURFACELOST;
    if (DCHeld) return DDERR_DCALREADYCREATED;
    if (Locked) return DDERR_SURFACEBUSY;
    if (DC.Image.isNull()) {
        QImage::Format qf = Fmt.Bits == 8    ? QImage::Format_Indexed8
                            : Fmt.Bits == 16 ? QImage::Format_RGB16
                            : Fmt.Bits == 24 ? QImage::Format_BGR888
                                             : QImage::Format_RGB32;
        DC.Image = QImage(Mem->Bits, W, H, PitchBytes, qf);
        DCPaletteGeneration = ~0u;
    }
    if (Fmt.Bits == 8) {
        uint32_t generation = Pal ? Pal->Generation : 0;
        if (generation != DCPaletteGeneration || !Pal) {
            DC.Image.setColorTable(ColourTable());
            DCPaletteGeneration = generation;
        }
    }
    DCHeld = true;
    Touch();
    *dc = &DC;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
    if (!DCHeld || dc != &DC) return DDERR_INVALIDPARAMS;
    DCHeld = false;
    Touch();
    return DD_OK;
}

HRESULT Surface::SetClipper(IDirectDrawClipper* clipper) {
    auto* c = static_cast<Clipper*>(clipper);
    if (c) c->AddRef();
    if (Clip) Clip->Release();
    Clip = c;
    return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, const DDCOLORKEY* key) {
    if (flags != DDCKEY_SRCBLT) return DDERR_UNSUPPORTED;
    if (!key) {
        HasKey = false;
        return DD_OK;
    }
    HasKey = true;
    Key = *key;
    return DD_OK;
}

HRESULT Surface::SetPalette(IDirectDrawPalette* palette) {
    // Palettes only change how 8-bit pixels look; other surfaces keep the reference harmlessly,
    // which lets one palette be given to every surface of a display whatever its format.
    auto* p = static_cast<Palette*>(palette);
    if (p) p->AddRef();
    if (Pal) Pal->Release();
    Pal = p;
    return DD_OK;
}

// ---- Copies ----------------------------------------------------------------------------------

HWND Surface::TargetWindow() const {
    if (Clip && Clip->Window()) return Clip->Window();
    return Dev->CooperativeWindow();
}

Presentation& Surface::Shown() {
    if (!Screen) Screen = std::make_unique<Presentation>();
    return *Screen;
}

HRESULT Surface::Blt(const RECT* destRect, IDirectDrawSurface* source, const RECT* sourceRect,
                     DWORD flags, const DDBLTFX* fx) {
    constexpr DWORD supported =
        DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRC | DDBLT_WAIT | DDBLT_DONOTWAIT | 0x200;
    if (flags & ~supported) return DDERR_UNSUPPORTED;
    if ((flags & (DDBLT_COLORFILL | DDBLT_DDFX)) && (!fx || fx->dwSize != sizeof(DDBLTFX)))
        return DDERR_INVALIDPARAMS;
    Box dest{}, src{};
    if (destRect) dest = FromRect(*destRect);
    if (sourceRect) src = FromRect(*sourceRect);
    auto* s = static_cast<Surface*>(source);
    if (!(flags & DDBLT_COLORFILL) && !s) return DDERR_INVALIDPARAMS;
    return BlitInto(destRect ? &dest : nullptr, (flags & DDBLT_COLORFILL) ? nullptr : s,
                    sourceRect ? &src : nullptr, flags, fx, false);
}

HRESULT Surface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, const RECT* sourceRect,
                         DWORD trans) {
    if (trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT | 0x20 /* DONOTWAIT */))
        return DDERR_UNSUPPORTED;
    if (Clip) return DDERR_BLTFASTCANTCLIP;
    auto* s = static_cast<Surface*>(source);
    if (!s) return DDERR_INVALIDPARAMS;
    Box src = sourceRect ? FromRect(*sourceRect) : Box{0, 0, s->W, s->H};
    if (x > 0x7FFFFFFFu || y > 0x7FFFFFFFu) return DDERR_INVALIDRECT;
    int ix = static_cast<int>(x), iy = static_cast<int>(y);
    Box dest{ix, iy, ix + src.W(), iy + src.H()};
    DWORD flags = (trans & DDBLTFAST_SRCCOLORKEY) ? DDBLT_KEYSRC : 0;
    return BlitInto(&dest, s, &src, flags, nullptr, true);
}

HRESULT Surface::BlitInto(const Box* destBox, Surface* source, const Box* sourceBox, DWORD flags,
                          const DDBLTFX* fx, bool fast) {
    if (Lost || (source && source->Lost)) return DDERR_SURFACELOST;
    if (Busy() || (source && source->Busy())) return DDERR_SURFACEBUSY;
    bool fill = (flags & DDBLT_COLORFILL) != 0;
    bool keyed = (flags & DDBLT_KEYSRC) != 0;
    bool mirrorX = (flags & DDBLT_DDFX) && (fx->dwDDFX & DDBLTFX_MIRRORLEFTRIGHT);
    bool mirrorY = (flags & DDBLT_DDFX) && (fx->dwDDFX & DDBLTFX_MIRRORUPDOWN);
    if (source && source->IsPrimary()) return DDERR_UNSUPPORTED;
    if (keyed && !source->HasKey) return DDERR_NOCOLORKEY;

    Box src{};
    if (source) {
        src = sourceBox ? *sourceBox : Box{0, 0, source->W, source->H};
        if (src.Empty() || !Contains(Box{0, 0, source->W, source->H}, src))
            return DDERR_INVALIDRECT;
    }
    Box dest = destBox ? *destBox : Box{0, 0, W, H};
    if (dest.Empty()) return DDERR_INVALIDRECT;
    if (fast && (dest.W() != src.W() || dest.H() != src.H())) return DDERR_INVALIDRECT;

    if (!Mem) {
        // The screen outside every window of this program shows nothing of it.
        if (HWND window = TargetWindow())
            Shown().Present(ClientArea(window), dest, source, src, keyed, mirrorX, mirrorY,
                            fill ? ToRgb(fx->dwFillColor & Fmt.ColourMask()) : 0);
        return DD_OK;
    }

    Box bounds{0, 0, W, H};
    Box clip = dest;
    if (!Contains(bounds, dest)) {
        // Without a clipper the destination must lie inside the surface.
        if (!Clip) return DDERR_INVALIDRECT;
        clip = Intersect(dest, bounds);
        if (clip.Empty()) return DD_OK;
    }
    Touch();
    if (fill) {
        FillBox(*this, clip, fx->dwFillColor);
        return DD_OK;
    }
    if (source->Fmt.Bits != Fmt.Bits) return DDERR_INVALIDPIXELFORMAT;
    DWORD key = source->Key.dwColorSpaceLowValue & Fmt.ColourMask();
    bool plain = !mirrorX && !mirrorY && dest.W() == src.W() && dest.H() == src.H();
    if (plain) {
        Box s{src.l + (clip.l - dest.l), src.t + (clip.t - dest.t), 0, 0};
        s.r = s.l + clip.W();
        s.b = s.t + clip.H();
        if (keyed)
            CopyKeyed(*this, clip.l, clip.t, *source, s, key);
        else
            CopyOpaque(*this, clip.l, clip.t, *source, s);
        return DD_OK;
    }
    CopyGeneral(*this, dest, clip, *source, src, keyed, key, mirrorX, mirrorY);
    return DD_OK;
}

HRESULT Surface::Flip(IDirectDrawSurface* target, DWORD) {
    if (!BackBuffer) return DDERR_NOTFLIPPABLE;
    if (target && target != BackBuffer) return DDERR_INVALIDPARAMS;
    if (Lost || BackBuffer->Lost) return DDERR_SURFACELOST;
    if (BackBuffer->Busy()) return DDERR_SURFACEBUSY;
    HWND window = TargetWindow();
    if (!window) return DD_OK;
    const Box area = ClientArea(window);
    const Box dest{area.l, area.t, area.l + BackBuffer->W, area.t + BackBuffer->H};
    Shown().Present(area, dest, BackBuffer, Box{0, 0, BackBuffer->W, BackBuffer->H}, false, false,
                    false, 0);
    return DD_OK;
}

} // namespace ddraw
