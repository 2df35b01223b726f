// The device object: display modes, the cooperative level, creation of surfaces, palettes and
// clippers, capabilities and the vertical blank.
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/ddraw/DDraw.Clipper.h"
#include "platform/ddraw/DDraw.Device.h"
#include "platform/ddraw/DDraw.Palette.h"
#include "platform/ddraw/DDraw.Surface.h"

namespace ddraw {

namespace {

struct Mode {
    int W, H, Bits;
};

void DesktopSize(int& w, int& h) {
    w = 1920;
    h = 1080;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QSize size = screen->size();
            if (size.width() > 0 && size.height() > 0) {
                w = size.width();
                h = size.height();
            }
        }
    }
}

std::vector<Mode> Modes(int desktopW, int desktopH) {
    static const int sizes[][2] = {{320, 240},  {640, 480},   {800, 600},  {1024, 768},
                                   {1280, 720}, {1280, 1024}, {1920, 1080}};
    std::vector<std::pair<int, int>> all;
    for (auto& s : sizes)
        all.emplace_back(s[0], s[1]);
    all.emplace_back(desktopW, desktopH);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    std::vector<Mode> modes;
    for (auto& [w, h] : all)
        for (int bits : {8, 16, 24, 32})
            modes.push_back(Mode{w, h, bits});
    return modes;
}

DDSURFACEDESC DescribeMode(int w, int h, const Format& f) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof(DDSURFACEDESC);
    d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | 0x40000 /* refresh */;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.lPitch = w * f.Bytes();
    d.dwRefreshRate = static_cast<DWORD>(RefreshRate());
    d.ddpfPixelFormat = f.Describe();
    return d;
}

} // namespace

int RefreshRate() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            double rate = screen->refreshRate();
            if (rate >= 20 && rate <= 500) return static_cast<int>(rate + 0.5);
        }
    }
    return 60;
}

Device::Device() {
    DesktopSize(DesktopW, DesktopH);
    ModeW = DesktopW;
    ModeH = DesktopH;
    ModeFormat.Bits = 32;
}

Device::~Device() {
    // Surfaces keep the device alive, so none is left here.
}

HRESULT Device::QueryInterface(REFIID iid, void** object) {
    if (!object) return DDERR_INVALIDPARAMS;
    if (iid == IID_IUnknown || iid == IID_IDirectDraw)
        *object = static_cast<IDirectDraw*>(this);
    else if (iid == IID_IDirectDraw4)
        *object = static_cast<IDirectDraw4*>(this);
    else if (iid == IID_IDirectDraw7)
        *object = static_cast<IDirectDraw7*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return DD_OK;
}

HRESULT Device::CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    *clipper = new Clipper();
    return DD_OK;
}

HRESULT Device::CreatePalette(DWORD flags, const PALETTEENTRY* entries,
                              IDirectDrawPalette** palette, IUnknown* outer) {
    if (!palette) return DDERR_INVALIDPARAMS;
    *palette = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(flags & DDPCAPS_8BIT) || !entries) return DDERR_INVALIDPARAMS;
    *palette = new Palette(flags, entries);
    return DD_OK;
}

HRESULT Device::CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                              IUnknown* outer) {
    if (!surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC) || !(desc->dwFlags & DDSD_CAPS))
        return DDERR_INVALIDPARAMS;
    DWORD caps = desc->ddsCaps.dwCaps;
    if ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
    DWORD faults = Faults();
    if (faults & DDFAULT_REFUSE_SURFACES) return DDERR_OUTOFMEMORY;
    if ((faults & DDFAULT_REFUSE_VIDEO_MEMORY) && !(caps & DDSCAPS_SYSTEMMEMORY))
        return DDERR_OUTOFVIDEOMEMORY;
    DWORD memoryCaps = (caps & DDSCAPS_SYSTEMMEMORY) ? DDSCAPS_SYSTEMMEMORY
                                                     : DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;

    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT))
            return DDERR_INVALIDPARAMS;
        if (Primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        bool flipping = (caps & DDSCAPS_FLIP) != 0;
        if (flipping) {
            if (!(caps & DDSCAPS_COMPLEX) || !(desc->dwFlags & DDSD_BACKBUFFERCOUNT) ||
                desc->dwBackBufferCount != 1)
                return DDERR_INVALIDCAPS;
            if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
        }
        auto* primary = new Surface(this, ModeFormat, ModeW, ModeH,
                                    (caps & ~DDSCAPS_SYSTEMMEMORY) | memoryCaps |
                                        (flipping ? DDSCAPS_FRONTBUFFER : 0));
        if (flipping) {
            auto* back =
                new Surface(this, ModeFormat, ModeW, ModeH,
                            DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | memoryCaps);
            if (!back->Allocate()) {
                back->Release();
                primary->Release();
                return DDERR_OUTOFMEMORY;
            }
            primary->BackBuffer = back;
        }
        Primary = primary;
        *surface = primary;
        return DD_OK;
    }

    if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
        return DDERR_INVALIDPARAMS;
    // Sizes beyond 16384 or 256 MB of pixels are refused instead of attempted.
    if (desc->dwWidth < 1 || desc->dwHeight < 1 || desc->dwWidth > 16384 || desc->dwHeight > 16384)
        return DDERR_INVALIDPARAMS;
    Format format = ModeFormat;
    if ((desc->dwFlags & DDSD_PIXELFORMAT) &&
        !Format::FromPixelFormat(desc->ddpfPixelFormat, format))
        return DDERR_INVALIDPIXELFORMAT;
    if (static_cast<uint64_t>(desc->dwWidth) * desc->dwHeight *
            static_cast<uint64_t>(format.Bytes()) >
        (256u << 20))
        return DDERR_OUTOFMEMORY;
    auto* created = new Surface(
        this, format, static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight),
        (caps & ~(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM)) | memoryCaps);
    if (!created->Allocate()) {
        created->Release();
        return DDERR_OUTOFMEMORY;
    }
    if (desc->dwFlags & DDSD_CKSRCBLT) created->SetColorKey(DDCKEY_SRCBLT, &desc->ddckCKSrcBlt);
    *surface = created;
    return DD_OK;
}

HRESULT Device::DuplicateSurface(IDirectDrawSurface* source, IDirectDrawSurface** duplicate) {
    if (!duplicate) return DDERR_INVALIDPARAMS;
    *duplicate = nullptr;
    auto* src = dynamic_cast<Surface*>(source);
    if (!src) return DDERR_INVALIDOBJECT;
    if (src->IsPrimary() || src->BackBuffer) return DDERR_CANTDUPLICATE;
    *duplicate = src->Duplicate();
    return DD_OK;
}

HRESULT Device::EnumDisplayModes(DWORD, const DDSURFACEDESC* filter, void* context,
                                 LPDDENUMMODESCALLBACK callback) {
    if (!callback) return DDERR_INVALIDPARAMS;
    if (filter && filter->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    for (const Mode& m : Modes(DesktopW, DesktopH)) {
        if (filter) {
            if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != static_cast<DWORD>(m.W))
                continue;
            if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != static_cast<DWORD>(m.H))
                continue;
            if ((filter->dwFlags & DDSD_PIXELFORMAT) &&
                filter->ddpfPixelFormat.dwRGBBitCount != static_cast<DWORD>(m.Bits))
                continue;
        }
        DDSURFACEDESC d = DescribeMode(m.W, m.H, Format{m.Bits});
        if (callback(&d, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT Device::FlipToGDISurface() {
    if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    // The window system shows its own windows again as soon as the flipping chain stops
    // presenting; there is nothing to swap back.
    return DD_OK;
}

HRESULT Device::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
    if (!driverCaps && !emulationCaps) return DDERR_INVALIDPARAMS;
    for (DDCAPS* caps : {driverCaps, emulationCaps}) {
        if (caps && caps->dwSize != sizeof(DDCAPS)) return DDERR_INVALIDPARAMS;
    }
    for (DDCAPS* caps : {driverCaps, emulationCaps}) {
        if (!caps) continue;
        std::memset(caps, 0, sizeof(DDCAPS));
        caps->dwSize = sizeof(DDCAPS);
        caps->dwCaps =
            DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_BLTSTRETCH | DDCAPS_COLORKEY | DDCAPS_PALETTE;
        caps->dwCKeyCaps = DDCKEYCAPS_SRCBLT;
        caps->dwFXCaps = DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN |
                         DDFXCAPS_BLTSTRETCHX | DDFXCAPS_BLTSTRETCHY;
        caps->dwPalCaps = DDPCAPS_8BIT | DDPCAPS_ALLOW256;
        caps->dwVidMemTotal = 256u << 20;
        caps->dwVidMemFree = 256u << 20;
        caps->ddsOldCaps.dwCaps = caps->ddsCaps.dwCaps =
            DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
            DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE | DDSCAPS_PRIMARYSURFACE |
            DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
        caps->dwSVBCaps = caps->dwVSBCaps = caps->dwSSBCaps = caps->dwCaps;
        caps->dwSVBCKeyCaps = caps->dwVSBCKeyCaps = caps->dwSSBCKeyCaps = caps->dwCKeyCaps;
        caps->dwSVBFXCaps = caps->dwVSBFXCaps = caps->dwSSBFXCaps = caps->dwFXCaps;
    }
    return DD_OK;
}

HRESULT Device::GetDisplayMode(DDSURFACEDESC* desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    *desc = DescribeMode(ModeW, ModeH, ModeFormat);
    return DD_OK;
}

HRESULT Device::GetMonitorFrequency(DWORD* frequency) {
    if (!frequency) return DDERR_INVALIDPARAMS;
    *frequency = static_cast<DWORD>(RefreshRate());
    return DD_OK;
}

HRESULT Device::RestoreDisplayMode() {
    if (ModeW != DesktopW || ModeH != DesktopH || ModeFormat.Bits != 32) {
        ModeW = DesktopW;
        ModeH = DesktopH;
        ModeFormat.Bits = 32;
        LoseSurfaces(this);
    }
    return DD_OK;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD flags) {
    bool normal = (flags & DDSCL_NORMAL) != 0;
    bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    if (normal == fullScreen || fullScreen != exclusive) return DDERR_INVALIDPARAMS;
    if (fullScreen && !window) return DDERR_INVALIDPARAMS;
    CoopWindow = WindowRef(window);
    CoopFlags = flags;
    return DD_OK;
}

HRESULT Device::SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD, DWORD) {
    if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    for (const Mode& m : Modes(DesktopW, DesktopH)) {
        if (static_cast<DWORD>(m.W) == width && static_cast<DWORD>(m.H) == height &&
            static_cast<DWORD>(m.Bits) == bitCount) {
            if (m.W != ModeW || m.H != ModeH || m.Bits != ModeFormat.Bits) {
                ModeW = m.W;
                ModeH = m.H;
                ModeFormat.Bits = m.Bits;
                LoseSurfaces(this);
            }
            return DD_OK;
        }
    }
    return DDERR_INVALIDMODE;
}

HRESULT Device::WaitForVerticalBlank(DWORD flags, HANDLE) {
    if (flags != DDWAITVB_BLOCKBEGIN && flags != DDWAITVB_BLOCKEND) return DDERR_UNSUPPORTED;
    // The blanks of a screen refreshing at the monitor's rate, counted from a fixed start; a
    // blank lasts about 5 % of a refresh.
    using clock = std::chrono::steady_clock;
    static const clock::time_point epoch = clock::now();
    const auto period = std::chrono::nanoseconds(1'000'000'000LL / RefreshRate());
    auto since = clock::now() - epoch;
    auto next = epoch + (since / period + 1) * period;
    if (flags == DDWAITVB_BLOCKEND) next += period / 20;
    std::this_thread::sleep_until(next);
    return DD_OK;
}

} // namespace ddraw
