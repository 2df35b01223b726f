// Interface of the software display device module ddraw.so: structures, flags, result codes and
// the reference-counted device, surface, palette and clipper interfaces.
#pragma once

#include <QRegion>
#include <cstddef>
#include <cstdint>

#include "platform/rtl/Types.h"
#include "platform/ui/DeviceContext.h"

// ---- Basic platform types (shared with the sound module) ---------------------------------

#include "platform/rtl/PlatformInterfaces.h"

// A rectangle in pixels; right and bottom are exclusive.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// ---- Result codes ----------------------------------------------------------------------------

constexpr HRESULT MakeDDResult(uint32_t code) {
    return static_cast<HRESULT>(0x88760000u | code);
}

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DD_FALSE = 1;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DDERR_INVALIDMODE = MakeDDResult(80);
constexpr HRESULT DDERR_INVALIDCAPS = MakeDDResult(100);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDResult(150);
constexpr HRESULT DDERR_NOCLIPPERATTACHED = MakeDDResult(205);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDResult(215);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDResult(255);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDResult(450); // 0x887601C2
constexpr HRESULT DDERR_NOTFOUND = MakeDDResult(255);
constexpr HRESULT DDERR_CANTDUPLICATE = MakeDDResult(95);
constexpr HRESULT DDERR_HWNDALREADYSET = MakeDDResult(571);
constexpr HRESULT DDERR_NOHWND = MakeDDResult(569);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = MakeDDResult(574); // 0x8876023E
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDResult(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDResult(584);
constexpr HRESULT DDERR_CANTCREATEDC = MakeDDResult(585);
constexpr HRESULT DDERR_WRONGMODE = MakeDDResult(587);
constexpr HRESULT DDERR_DCALREADYCREATED = MakeDDResult(620);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MakeDDResult(561);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDResult(564);
constexpr HRESULT DDERR_NOTPALETTIZED = MakeDDResult(589);

// ---- Flags -----------------------------------------------------------------------------------

// Surface description fields present.
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSD_LPSURFACE = 0x800;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
constexpr DWORD DDSD_CKSRCBLT = 0x10000;

// Surface capabilities.
constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PALETTE = 0x100;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr DWORD DDSCAPS_3DDEVICE = 0x2000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;
constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;

// Pixel format flags.
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20;
constexpr DWORD DDPF_RGB = 0x40;

// Blt flags.
constexpr DWORD DDBLT_COLORFILL = 0x400;
constexpr DWORD DDBLT_DDFX = 0x800;
constexpr DWORD DDBLT_KEYSRC = 0x8000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLT_DONOTWAIT = 0x08000000;
// Blt effects.
constexpr DWORD DDBLTFX_MIRRORLEFTRIGHT = 0x2;
constexpr DWORD DDBLTFX_MIRRORUPDOWN = 0x4;

// BltFast flags.
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr DWORD DDBLTFAST_WAIT = 0x10;

// Colour keys.
constexpr DWORD DDCKEY_SRCBLT = 0x8;

// Lock flags.
constexpr DWORD DDLOCK_WAIT = 0x1;
constexpr DWORD DDLOCK_READONLY = 0x10;
constexpr DWORD DDLOCK_WRITEONLY = 0x20;

// Flip flags.
constexpr DWORD DDFLIP_WAIT = 0x1;

// Vertical blank waits.
constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x1;
constexpr DWORD DDWAITVB_BLOCKBEGINEVENT = 0x2;
constexpr DWORD DDWAITVB_BLOCKEND = 0x4;

// Cooperative levels.
constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x2;
constexpr DWORD DDSCL_NOWINDOWCHANGES = 0x4;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;
constexpr DWORD DDSCL_ALLOWMODEX = 0x40;

// Palette capabilities and entry flags.
constexpr DWORD DDPCAPS_4BIT = 0x1;
constexpr DWORD DDPCAPS_8BIT = 0x4;
constexpr DWORD DDPCAPS_INITIALIZE = 0x8;
constexpr DWORD DDPCAPS_ALLOW256 = 0x40;
constexpr BYTE PC_NOCOLLAPSE = 0x4;
constexpr BYTE PC_RESERVED = 0x1;

// Device capabilities.
constexpr DWORD DDCAPS_BLT = 0x40;
constexpr DWORD DDCAPS_BLTCOLORFILL = 0x04000000;
constexpr DWORD DDCAPS_BLTSTRETCH = 0x200;
constexpr DWORD DDCAPS_COLORKEY = 0x00400000;
constexpr DWORD DDCAPS_PALETTE = 0x8000;
constexpr DWORD DDCAPS2_PRIMARYGAMMA = 0x20000;
constexpr DWORD DDCKEYCAPS_SRCBLT = 0x200;
constexpr DWORD DDFXCAPS_BLTMIRRORLEFTRIGHT = 0x40;
constexpr DWORD DDFXCAPS_BLTMIRRORUPDOWN = 0x80;
constexpr DWORD DDFXCAPS_BLTSTRETCHX = 0x00200000;
constexpr DWORD DDFXCAPS_BLTSTRETCHY = 0x02000000;

// Display mode enumeration.
constexpr DWORD DDEDM_REFRESHRATES = 0x1;
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

// ---- Structures (sizes are the platform's) ---------------------------------------------------

#pragma pack(push, 4)

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

// The surface description. The platform's record is 108 bytes with a 32-bit memory pointer after
// a reserved word; on a 64-bit build the pointer takes the place of both, so every other field
// keeps its offset and the record keeps its size.
struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
#if UINTPTR_MAX == 0xFFFFFFFFu
    DWORD dwReserved;
#endif
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

// The device capability record (the platform's DirectX 7 layout).
struct DDCAPS {
    DWORD dwSize;
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCKeyCaps;
    DWORD dwFXCaps;
    DWORD dwFXAlphaCaps;
    DWORD dwPalCaps;
    DWORD dwSVCaps;
    DWORD dwAlphaBltConstBitDepths;
    DWORD dwAlphaBltPixelBitDepths;
    DWORD dwAlphaBltSurfaceBitDepths;
    DWORD dwAlphaOverlayConstBitDepths;
    DWORD dwAlphaOverlayPixelBitDepths;
    DWORD dwAlphaOverlaySurfaceBitDepths;
    DWORD dwZBufferBitDepths;
    DWORD dwVidMemTotal;
    DWORD dwVidMemFree;
    DWORD dwMaxVisibleOverlays;
    DWORD dwCurrVisibleOverlays;
    DWORD dwNumFourCCCodes;
    DWORD dwAlignBoundarySrc;
    DWORD dwAlignSizeSrc;
    DWORD dwAlignBoundaryDest;
    DWORD dwAlignSizeDest;
    DWORD dwAlignStrideAlign;
    DWORD dwRops[8];
    DDSCAPS ddsOldCaps;
    DWORD dwMinOverlayStretch;
    DWORD dwMaxOverlayStretch;
    DWORD dwMinLiveVideoStretch;
    DWORD dwMaxLiveVideoStretch;
    DWORD dwMinHwCodecStretch;
    DWORD dwMaxHwCodecStretch;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwReserved3;
    DWORD dwSVBCaps;
    DWORD dwSVBCKeyCaps;
    DWORD dwSVBFXCaps;
    DWORD dwSVBRops[8];
    DWORD dwVSBCaps;
    DWORD dwVSBCKeyCaps;
    DWORD dwVSBFXCaps;
    DWORD dwVSBRops[8];
    DWORD dwSSBCaps;
    DWORD dwSSBCKeyCaps;
    DWORD dwSSBFXCaps;
    DWORD dwSSBRops[8];
    DWORD dwMaxVideoPorts;
    DWORD dwCurrVideoPorts;
    DWORD dwSVBCaps2;
    DWORD dwNLVBCaps;
    DWORD dwNLVBCaps2;
    DWORD dwNLVBCKeyCaps;
    DWORD dwNLVBFXCaps;
    DWORD dwNLVBRops[8];
    DDSCAPS2 ddsCaps;
};

// Blt effects. The platform overlays surface pointers on some 32-bit fields (depth and alpha
// surfaces); this device offers none of those effects, so the fields stay 32-bit values.
struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwDDROP;
    DWORD dwRotationAngle;
    DWORD dwZBufferOpCode;
    DWORD dwZBufferLow;
    DWORD dwZBufferHigh;
    DWORD dwZBufferBaseDest;
    DWORD dwZDestConstBitDepth;
    DWORD dwZDestConst;
    DWORD dwZSrcConstBitDepth;
    DWORD dwZSrcConst;
    DWORD dwAlphaEdgeBlendBitDepth;
    DWORD dwAlphaEdgeBlend;
    DWORD dwReserved;
    DWORD dwAlphaDestConstBitDepth;
    DWORD dwAlphaDestConst;
    DWORD dwAlphaSrcConstBitDepth;
    DWORD dwAlphaSrcConst;
    DWORD dwFillColor;
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
};

#pragma pack(pop)

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct DDGAMMARAMP {
    WORD red[256];
    WORD green[256];
    WORD blue[256];
};

static_assert(sizeof(DDCOLORKEY) == 8);
static_assert(sizeof(DDPIXELFORMAT) == 32);
static_assert(sizeof(DDSURFACEDESC) == 108);
static_assert(offsetof(DDSURFACEDESC, ddckCKDestOverlay) == 40);
static_assert(offsetof(DDSURFACEDESC, ddpfPixelFormat) == 72);
static_assert(offsetof(DDSURFACEDESC, ddsCaps) == 104);
static_assert(sizeof(DDCAPS) == 380);
static_assert(sizeof(DDBLTFX) == 100);
static_assert(offsetof(DDBLTFX, dwFillColor) == 80);
static_assert(sizeof(PALETTEENTRY) == 4);

// ---- Interface identifiers -------------------------------------------------------------------

constexpr IID IID_IDirectDraw = {
    0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr IID IID_IDirectDraw4 = {
    0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
constexpr IID IID_IDirectDraw7 = {
    0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
constexpr IID IID_IDirectDrawSurface = {
    0x6C14DB81, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr IID IID_IDirectDrawSurface4 = {
    0x0B2B8630, 0xAD35, 0x11D0, {0x8E, 0xA6, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
constexpr IID IID_IDirectDrawSurface7 = {
    0x06675A80, 0x3B9B, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
constexpr IID IID_IDirectDrawPalette = {
    0x6C14DB84, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr IID IID_IDirectDrawClipper = {
    0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr IID IID_IDirectDrawGammaControl = {
    0x69C11C3E, 0xB46B, 0x11D1, {0xAD, 0x7A, 0x00, 0xC0, 0x4F, 0xC2, 0x9B, 0x4E}};

// ---- Interfaces ------------------------------------------------------------------------------
// Every object is reference counted: creation hands out one reference, AddRef adds one, Release
// drops one and frees the object at zero (returning the new count). QueryInterface hands out the
// same object, with one more reference, for every interface version it implements.

struct IDirectDrawPalette : IUnknown {
    virtual HRESULT GetCaps(DWORD* caps) = 0;
    virtual HRESULT GetEntries(DWORD flags, DWORD first, DWORD count, PALETTEENTRY* entries) = 0;
    virtual HRESULT SetEntries(DWORD flags, DWORD first, DWORD count,
                               const PALETTEENTRY* entries) = 0;
};

// A clipper bound to a window limits copies onto the primary surface to that window's client
// area; it is also what routes primary-surface output into the window (see IDirectDrawSurface).
struct IDirectDrawClipper : IUnknown {
    virtual HRESULT GetHWnd(HWND* window) = 0;
    virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
};

struct IDirectDrawGammaControl : IUnknown {
    virtual HRESULT GetGammaRamp(DWORD flags, DDGAMMARAMP* ramp) = 0;
    virtual HRESULT SetGammaRamp(DWORD flags, const DDGAMMARAMP* ramp) = 0;
};

// A surface: real pixel memory in the device's format (8-bit palettised, 16-bit 5-6-5, 24-bit or
// 32-bit XRGB; DDSD_PIXELFORMAT may choose another of these at creation).
//
// The primary surface stands for the screen. In windowed mode it holds no pixels of its own:
// copies onto it (Blt, BltFast) take their destination rectangle in screen coordinates, are
// clipped to the client area of the window bound to its clipper and converted to 32 bits into the
// pixels the primary surface keeps for that window; pixels that already hold the value are left
// alone. Whoever shows the window takes those pixels and the region that changed with
// DirectDrawTakePresentation (below); the device itself never draws on a window. Flip of a
// full-screen flipping chain presents the back buffer the same way into the cooperative-level
// window at (0, 0). Lock and GetDC on a windowed primary surface are refused with
// DDERR_UNSUPPORTED.
struct IDirectDrawSurface : IUnknown {
    virtual HRESULT Blt(const RECT* destRect, IDirectDrawSurface* source, const RECT* sourceRect,
                        DWORD flags, const DDBLTFX* fx) = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, const RECT* sourceRect,
                            DWORD trans) = 0;
    virtual HRESULT Flip(IDirectDrawSurface* target, DWORD flags) = 0;
    virtual HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** surface) = 0;
    virtual HRESULT GetCaps(DDSCAPS* caps) = 0;
    virtual HRESULT GetClipper(IDirectDrawClipper** clipper) = 0;
    virtual HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT GetPalette(IDirectDrawPalette** palette) = 0;
    virtual HRESULT GetPixelFormat(DDPIXELFORMAT* format) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) = 0;
    virtual HRESULT IsLost() = 0;
    virtual HRESULT Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
    virtual HRESULT SetColorKey(DWORD flags, const DDCOLORKEY* key) = 0;
    virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;
    virtual HRESULT Unlock(void* surfaceMemory) = 0;
};
// The later surface versions add nothing this system uses; one object implements all three.
struct IDirectDrawSurface4 : IDirectDrawSurface {};
struct IDirectDrawSurface7 : IDirectDrawSurface4 {};

using LPDDENUMMODESCALLBACK = HRESULT (*)(DDSURFACEDESC* mode, void* context);

struct IDirectDraw : IUnknown {
    virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) = 0;
    virtual HRESULT CreatePalette(DWORD flags, const PALETTEENTRY* entries,
                                  IDirectDrawPalette** palette, IUnknown* outer) = 0;
    virtual HRESULT CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                                  IUnknown* outer) = 0;
    virtual HRESULT DuplicateSurface(IDirectDrawSurface* source,
                                     IDirectDrawSurface** duplicate) = 0;
    virtual HRESULT EnumDisplayModes(DWORD flags, const DDSURFACEDESC* filter, void* context,
                                     LPDDENUMMODESCALLBACK callback) = 0;
    virtual HRESULT FlipToGDISurface() = 0;
    virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;
    virtual HRESULT GetDisplayMode(DDSURFACEDESC* desc) = 0;
    virtual HRESULT GetMonitorFrequency(DWORD* frequency) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate,
                                   DWORD flags) = 0;
    virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
};
struct IDirectDraw4 : IDirectDraw {};
struct IDirectDraw7 : IDirectDraw4 {};

// ---- Exported entry points (C linkage; reached through LoadPlatformFunction) -----------------

using LPDDENUMCALLBACKA = BOOL (*)(GUID* guid, char* description, char* name, void* context);

#define DDRAW_API __attribute__((visibility("default")))

extern "C" {
// Creates the device. driverGuid none = the default (and only) display driver; any other
// identifier than the one DirectDrawEnumerateA reports gives DDERR_INVALIDDIRECTDRAWGUID.
// DirectDrawCreateEx hands out IDirectDraw7 (the only interface it accepts in iid).
DDRAW_API HRESULT DirectDrawCreateEx(const GUID* driverGuid, void** directDraw, REFIID iid,
                                     IUnknown* outer);
DDRAW_API HRESULT DirectDrawCreate(const GUID* driverGuid, IDirectDraw** directDraw,
                                   IUnknown* outer);
// Reports the display drivers: the primary display (identifier none), then the software device.
DDRAW_API HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, void* context);

// What a primary surface presented: the window's pixels as the copies onto it left them (32-bit;
// the image shares the device's memory until the caller lets go of it, so keep what is needed and
// release it before the next copy), and the part of them changed since the last call, in window
// pixels. The region starts empty again. Before any presentation both come back empty. With
// changed null only the image is handed out and the changed region is kept for the next call, so
// a window can paint from the presented pixels without a copy of its own.
// DDERR_INVALIDOBJECT for a surface that is not a primary surface.
DDRAW_API HRESULT DirectDrawTakePresentation(IDirectDrawSurface* primary, QImage* image,
                                             QRegion* changed);
// The System V shared-memory segment that holds those pixels from their first byte, so that a
// window system on this machine can take them without a copy; -1 when they are in ordinary memory
// (the system refused a segment) or nothing was presented yet. The segment is already marked for
// removal: it goes once every process that attached it has let go. -1 as well for a surface that
// is not a primary surface.
DDRAW_API int DirectDrawPresentationSegment(IDirectDrawSurface* primary);

// Fault injection for tests. Faults are a set of DDFAULT_ bits; the environment variable
// ZELVAN_DDRAW_FAULTS (comma-separated: refuse-surfaces, refuse-video-memory, refuse-restore,
// refuse-device) sets the initial set when the module is loaded.
DDRAW_API void DirectDrawSetFaults(DWORD faults);
DDRAW_API DWORD DirectDrawGetFaults();
// Marks every existing surface of every device lost (as a display mode change would).
DDRAW_API void DirectDrawLoseAllSurfaces();
// Chooses the build of the pixel loops: DDKERNELS_PLAIN, DDKERNELS_SSE2 or DDKERNELS_AVX2 (the
// best this processor runs is in force at start, or the one the environment variable
// ZELVAN_DDRAW_KERNELS names: plain, sse2 or avx2). A build the processor cannot run gives the
// best one below it; returns the build now in force. Every build gives the same pixels.
DDRAW_API DWORD DirectDrawSetKernels(DWORD kernels);
// For measurements of the running program: with the environment variable ZELVAN_DDRAW_COUNTERS
// naming a file, the module writes there, about once a second, the number of presentations, how
// many of them changed a window, the refresh rate and a time stamp ("presented N", "changed N",
// "refresh HZ", "seconds S", one a line).
}

constexpr DWORD DDFAULT_REFUSE_SURFACES = 0x1;     // every CreateSurface fails (DDERR_OUTOFMEMORY)
constexpr DWORD DDFAULT_REFUSE_VIDEO_MEMORY = 0x2; // surfaces not asking for system memory fail
constexpr DWORD DDFAULT_REFUSE_RESTORE = 0x4;      // Restore fails (DDERR_WRONGMODE)
constexpr DWORD DDFAULT_REFUSE_DEVICE = 0x8;       // device creation fails (DDERR_GENERIC)

using TDirectDrawCreateEx = decltype(&DirectDrawCreateEx);
using TDirectDrawCreate = decltype(&DirectDrawCreate);
using TDirectDrawEnumerateA = decltype(&DirectDrawEnumerateA);
using TDirectDrawTakePresentation = decltype(&DirectDrawTakePresentation);
using TDirectDrawPresentationSegment = decltype(&DirectDrawPresentationSegment);
using TDirectDrawSetFaults = decltype(&DirectDrawSetFaults);
using TDirectDrawGetFaults = decltype(&DirectDrawGetFaults);
using TDirectDrawLoseAllSurfaces = decltype(&DirectDrawLoseAllSurfaces);
using TDirectDrawSetKernels = decltype(&DirectDrawSetKernels);

constexpr DWORD DDKERNELS_PLAIN = 0;
constexpr DWORD DDKERNELS_SSE2 = 1;
constexpr DWORD DDKERNELS_AVX2 = 2;
