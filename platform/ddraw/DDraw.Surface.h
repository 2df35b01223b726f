// The surface object: pixel memory, locks, device contexts, colour keys, lost state and copies.
#pragma once

#include <QList>
#include <QRgb>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ddraw/DDraw.Internal.h"

namespace ddraw {

class Device;
class Palette;
class Clipper;
class Presentation;

// Runs of pixels that differ from a colour key, row by row: a keyed copy of an unchanged picture
// becomes a few block copies per row instead of a compare per pixel.
struct KeySpans {
    bool Built = false;
    uint64_t Version = 0; // the memory version and key the runs describe
    DWORD Key = 0;
    uint64_t SeenVersion = ~uint64_t(0); // the last keyed copy made without runs
    DWORD SeenKey = 0;
    std::vector<uint32_t> RowStart; // index of each row's first run; one extra entry at the end
    std::vector<std::pair<int32_t, int32_t>> Runs; // [start, end) in pixels
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
    // What a windowed primary surface has presented (made on its first presentation).
    Presentation& Shown();
    Device* Owner() const { return Dev; }

    bool HasKey = false;
    DDCOLORKEY Key{};
    Surface* BackBuffer = nullptr; // attached back buffer of a flipping primary (one reference)

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
    std::unique_ptr<Presentation> Screen;

    HRESULT BlitInto(const Box* destBox, Surface* source, const Box* sourceBox, DWORD flags,
                     const DDBLTFX* fx, bool fast);
    // The window copies onto the primary surface land in, or null.
    HWND TargetWindow() const;
};

// Every live surface, for losing them all at once.
void RegisterSurface(Surface* surface);
void UnregisterSurface(Surface* surface);
void LoseSurfaces(Device* device); // nullptr = every device's

} // namespace ddraw
