// The display control's drivers: they own the device and the surfaces, palette and clipper on it.
#pragma once

#include <QImage>
#include <QRegion>

#include <array>
#include <memory>
#include <optional>

#include "display/DXDraws.Control.h"
#include "display/DXDraws.Surfaces.h"

// What a driver is told of its control when the display is built; the driver keeps these values
// and never looks at the control itself.
struct TDXDrawDriverSetup {
    TDXDrawOptions Options;          // as the control's user set them
    TDXDrawOptions EffectiveOptions; // in force
    std::optional<GUID> DriverGuid;  // the display driver to open (absent = the default one)
    HWND Window = nullptr;           // the control's window, which the clipper is bound to
    std::array<PALETTEENTRY, 256> Palette{}; // the entries the palette starts with
};

// Where one Flip presents, as the control stands at that moment.
struct TDXDrawFlipTarget {
    TRect ClientArea;        // the control's client area in screen pixels
    TDXDrawOptions Options;  // in force
    bool FormActive = false; // the owner form is the active window
    // The part of the back surface to present (surface pixels; absent = all of it). A driver that
    // cannot present a part presents the whole surface.
    std::optional<TRect> Part;
};

// What one Flip did.
struct TDXDrawFlipResult {
    bool WaitedForVerticalBlank = false;
    // A frame reached the window, so the next paint only has to show it.
    bool Presented = false;
    // The window's pixels as presented, and the part of them this Flip changed (window pixels);
    // Image shares the device's memory, so it is to be let go of before the next Flip.
    QImage Image;
    QRegion Changed;
    // The shared-memory segment that holds Image's pixels from their first byte, or -1.
    int Segment = -1;
};

// Builds and presents the surfaces of one control. The constructor opens the device; destroying
// the driver finalises it and frees the device. The driver is the only owner of the device and of
// the clipper, palette and surfaces it makes; the control asks for them.
class TDXDrawDriver {
public:
    explicit TDXDrawDriver(const TDXDrawDriverSetup& Setup);
    virtual ~TDXDrawDriver();
    TDXDrawDriver(const TDXDrawDriver&) = delete;
    TDXDrawDriver& operator=(const TDXDrawDriver&) = delete;

    // Frees the clipper, the palette, the back surface and the primary surface, in that order.
    virtual void Finalize();
    virtual TDXDrawFlipResult Flip(const TDXDrawFlipTarget& Target) = 0;
    // Builds the surfaces, the back surface SurfaceWidth × SurfaceHeight where the driver sizes it.
    virtual void Initialize(int SurfaceWidth, int SurfaceHeight) = 0;
    // Whether the back surface can be rebuilt at another size while the display stands (the base
    // cannot: the control's SetSize then changes nothing).
    virtual bool CanSetSize() const { return false; }
    // Rebuilds the back surface at Width × Height (at least 1 × 1); only when CanSetSize.
    virtual void SetSize(int Width, int Height);
    // Restores both surfaces; only when both succeed they are cleared and true is returned.
    bool Restore();

    TDirectDraw* Device() const { return FDevice.get(); }
    TDirectDrawSurface* Primary() const { return FPrimary.get(); }
    TDirectDrawSurface* Surface() const { return FSurface.get(); }
    TDirectDrawClipper* Clipper() const { return FClipper.get(); }
    TDirectDrawPalette* Palette() const { return FPalette.get(); }
    // The back surface landed in system memory (the control shows it as doSystemMemory).
    bool SystemMemory() const { return FSystemMemory; }
    // The window's pixels as the primary surface last presented them (null before any), sharing
    // the device's memory: to be let go of before the next Flip, or that Flip copies them.
    QImage PresentedImage() const;

protected:
    // A palette of the set-up's entries with the given capabilities; a refused palette is
    // recorded in its LastResult, and the display works without one.
    void MakePalette(DWORD Caps);
    // Takes what the primary surface presented into the result.
    void TakePresentation(TDXDrawFlipResult& Result) const;

    TDXDrawDriverSetup FSetup;
    // Declared first so it is destroyed last, after every wrapper made on it.
    std::unique_ptr<TDirectDraw> FDevice;
    std::unique_ptr<TDirectDrawClipper> FClipper;
    std::unique_ptr<TDirectDrawPalette> FPalette;
    std::unique_ptr<TDirectDrawSurface> FSurface;
    std::unique_ptr<TDirectDrawSurface> FPrimary;
    bool FSystemMemory = false;
};

// Windowed driver: the back surface is copied into the control's window on every Flip.
class TDXDrawDriverBlt : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    TDXDrawFlipResult Flip(const TDXDrawFlipTarget& Target) override;
    void Initialize(int SurfaceWidth, int SurfaceHeight) override;
    bool CanSetSize() const override { return true; }
    void SetSize(int Width, int Height) override;

private:
    void InitializeSurface(int Width, int Height);
};

// Full-screen page-flipping driver.
class TDXDrawDriverFlip : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    TDXDrawFlipResult Flip(const TDXDrawFlipTarget& Target) override;
    void Initialize(int SurfaceWidth, int SurfaceHeight) override;
};
