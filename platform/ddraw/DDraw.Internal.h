// Inside the display device module: the objects behind the device, surface, palette and clipper
// interfaces, and the pixel kernels they share.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ddraw/ddraw.h"

namespace ddraw {

// Integer rectangle, right and bottom exclusive.
struct Box {
    int l = 0, t = 0, r = 0, b = 0;
    int W() const { return r - l; }
    int H() const { return b - t; }
    bool Empty() const { return l >= r || t >= b; }
};
inline Box FromRect(const RECT& rc) { return Box{rc.left, rc.top, rc.right, rc.bottom}; }
inline Box Intersect(const Box& a, const Box& b) {
    Box c{a.l > b.l ? a.l : b.l, a.t > b.t ? a.t : b.t, a.r < b.r ? a.r : b.r, a.b < b.b ? a.b : b.b};
    return c;
}
inline bool Contains(const Box& outer, const Box& inner) {
    return inner.l >= outer.l && inner.t >= outer.t && inner.r <= outer.r && inner.b <= outer.b;
}

// A pixel format this device supports: 8-bit indexed, 16-bit 5-6-5, 24-bit or 32-bit XRGB.
struct Format {
    int Bits = 32;
    int Bytes() const { return Bits / 8; }
    // The bits that carry colour (colour keys compare only these).
    DWORD ColourMask() const { return Bits == 32 ? 0x00FFFFFFu : Bits == 24 ? 0xFFFFFFu : Bits == 16 ? 0xFFFFu : 0xFFu; }
    DDPIXELFORMAT Describe() const;
    // The format a description asks for; false when it is not one of the supported ones.
    static bool FromPixelFormat(const DDPIXELFORMAT& pf, Format& out);
};

// Reference counting shared by every object.
template <typename Base>
class RefCounted : public Base {
public:
    DWORD AddRef() override { return ++Refs; }
    DWORD Release() override {
        DWORD left = --Refs;
        if (left == 0) delete this;
        return left;
    }

protected:
    std::atomic<DWORD> Refs{1};
};

class Device;

class Palette final : public RefCounted<IDirectDrawPalette> {
public:
    Palette(DWORD caps, const PALETTEENTRY* entries);
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetCaps(DWORD* caps) override;
    HRESULT GetEntries(DWORD flags, DWORD first, DWORD count, PALETTEENTRY* entries) override;
    HRESULT SetEntries(DWORD flags, DWORD first, DWORD count, const PALETTEENTRY* entries) override;

    const QList<QRgb>& ColourTable() const { return Table; }
    // Bumped by every change so views over 8-bit surfaces can refresh their colour tables.
    uint32_t Generation = 0;

private:
    DWORD Caps;
    PALETTEENTRY Entries[256]{};
    QList<QRgb> Table;
    void Rebuild();
};

class Clipper final : public RefCounted<IDirectDrawClipper> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetHWnd(HWND* window) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;
    QWidget* Window() const { return Bound.data(); }

private:
    QPointer<QWidget> Bound;
};

// Pixel memory, shared between a surface and its duplicates.
// Runs of pixels that differ from a colour key, row by row: a keyed copy of an unchanged picture
// becomes a few block copies per row instead of a compare per pixel.
struct KeySpans {
    bool Built = false;
    uint64_t Version = 0;  // the memory version and key the runs describe
    DWORD Key = 0;
    uint64_t SeenVersion = ~uint64_t(0);  // the last keyed copy made without runs
    DWORD SeenKey = 0;
    std::vector<uint32_t> RowStart;  // index of each row's first run; one extra entry at the end
    std::vector<std::pair<int32_t, int32_t>> Runs;  // [start, end) in pixels
};

// Pixel memory, shared between a surface and its duplicates. Version changes with every write
// (copies and fills into it, locks, device contexts), which keeps KeySpans honest.
struct Memory {
    uint8_t* Bits = nullptr;
    uint64_t Version = 0;
    KeySpans Spans;
    ~Memory();
};

class Surface final : public RefCounted<IDirectDrawSurface7> {
public:
    Surface(Device* device, const Format& format, int width, int height, DWORD caps);
    ~Surface() override;

    // Allocates the pixel memory (cleared); false when it cannot be had.
    bool Allocate();
    // A new surface over the same memory and settings.
    Surface* Duplicate();

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT Blt(const RECT* destRect, IDirectDrawSurface* source, const RECT* sourceRect,
                DWORD flags, const DDBLTFX* fx) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, const RECT* sourceRect,
                    DWORD trans) override;
    HRESULT Flip(IDirectDrawSurface* target, DWORD flags) override;
    HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** surface) override;
    HRESULT GetCaps(DDSCAPS* caps) override;
    HRESULT GetClipper(IDirectDrawClipper** clipper) override;
    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT GetPalette(IDirectDrawPalette** palette) override;
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override;
    HRESULT IsLost() override;
    HRESULT Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT Restore() override;
    HRESULT SetClipper(IDirectDrawClipper* clipper) override;
    HRESULT SetColorKey(DWORD flags, const DDCOLORKEY* key) override;
    HRESULT SetPalette(IDirectDrawPalette* palette) override;
    HRESULT Unlock(void* surfaceMemory) override;

    // Primary surfaces stand for the screen and hold no pixels in windowed mode.
    bool IsPrimary() const { return (Caps & DDSCAPS_PRIMARYSURFACE) != 0; }
    bool Busy() const { return Locked || DCHeld; }
    int Width() const { return W; }
    int Height() const { return H; }
    int Pitch() const { return PitchBytes; }
    const Format& PixelFormat() const { return Fmt; }
    uint8_t* Row(int y) const { return Mem->Bits + static_cast<ptrdiff_t>(y) * PitchBytes; }
    void Touch() const { ++Mem->Version; }
    Memory& Pixels() const { return *Mem; }
    // The RGB colour of a raw pixel value (8-bit values through the palette).
    QRgb ToRgb(DWORD value) const;
    // The colour table 8-bit pixels are shown with.
    QList<QRgb> ColourTable() const;
    void MarkLost() { Lost = true; }
    Device* Owner() const { return Dev; }

    bool HasKey = false;
    DDCOLORKEY Key{};
    Surface* BackBuffer = nullptr;  // attached back buffer of a flipping primary (one reference)

private:
    Device* Dev;
    Format Fmt;
    int W, H;
    DWORD Caps;
    int PitchBytes = 0;
    std::shared_ptr<Memory> Mem;
    bool Lost = false;
    bool Locked = false;
    bool DCHeld = false;
    TDeviceContext DC;
    Clipper* Clip = nullptr;
    Palette* Pal = nullptr;
    uint32_t DCPaletteGeneration = 0;

    HRESULT BlitInto(const Box* destBox, Surface* source, const Box* sourceBox, DWORD flags,
                     const DDBLTFX* fx, bool fast);
    HRESULT Present(const Box& dest, Surface* source, const Box& sourceBox, bool keyed,
                    bool mirrorX, bool mirrorY, bool fill, DWORD fillColour);
    QWidget* TargetWindow() const;
};

class Device final : public RefCounted<IDirectDraw7> {
public:
    Device();
    ~Device() override;
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override;
    HRESULT CreatePalette(DWORD flags, const PALETTEENTRY* entries, IDirectDrawPalette** palette,
                          IUnknown* outer) override;
    HRESULT CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                          IUnknown* outer) override;
    HRESULT DuplicateSurface(IDirectDrawSurface* source, IDirectDrawSurface** duplicate) override;
    HRESULT EnumDisplayModes(DWORD flags, const DDSURFACEDESC* filter, void* context,
                             LPDDENUMMODESCALLBACK callback) override;
    HRESULT FlipToGDISurface() override;
    HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) override;
    HRESULT GetDisplayMode(DDSURFACEDESC* desc) override;
    HRESULT GetMonitorFrequency(DWORD* frequency) override;
    HRESULT RestoreDisplayMode() override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitCount, DWORD refreshRate,
                           DWORD flags) override;
    HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override;

    const Format& DisplayFormat() const { return ModeFormat; }
    int ModeWidth() const { return ModeW; }
    int ModeHeight() const { return ModeH; }
    QWidget* CooperativeWindow() const { return CoopWindow.data(); }
    bool Exclusive() const { return (CoopFlags & DDSCL_EXCLUSIVE) != 0; }
    Surface* Primary = nullptr;  // not a reference: cleared by the primary's destructor

private:
    QPointer<QWidget> CoopWindow;
    DWORD CoopFlags = 0;
    int ModeW, ModeH;
    Format ModeFormat;
    int DesktopW, DesktopH;
};

// Every live surface, for losing them all at once.
void RegisterSurface(Surface* surface);
void UnregisterSurface(Surface* surface);
void LoseSurfaces(Device* device);  // nullptr = every device's

DWORD Faults();
int RefreshRate();

// The presentation image of a window, made or resized to the window's size.
QImage& PresentationFor(QWidget* window);

// Pixel kernels between two surfaces of the same format. Rectangles are already clipped and
// equal in size.
void CopyOpaque(const Surface& dst, int dx, int dy, const Surface& src, const Box& s);
void CopyKeyed(const Surface& dst, int dx, int dy, const Surface& src, const Box& s, DWORD key);
void FillBox(const Surface& dst, const Box& box, DWORD value);
// Copies n 32-bit pixels, setting the unused top byte (presentation images are opaque).
void OpaqueRow32(uint32_t* d, const uint32_t* s, int n);
// General copy with scaling (nearest pixel) and mirroring: the full destination rectangle full
// maps onto source rectangle s; only the part clip of it is written.
void CopyGeneral(const Surface& dst, const Box& full, const Box& clip, const Surface& src,
                 const Box& s, bool keyed, DWORD key, bool mirrorX, bool mirrorY);

}  // namespace ddraw
