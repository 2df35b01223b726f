// The display control's drivers: they own the device and the surfaces, palette and clipper on it.
#pragma once

#include <memory>

#include "display/DXDraws.Control.h"
#include "display/DXDraws.Surfaces.h"

// What one Flip did, for the control's paint bookkeeping.
struct TDXDrawFlipResult {
    bool WaitedForVerticalBlank = false;
    // A frame reached the window, so the next paint only has to show it.
    bool Presented = false;
};

// Builds and presents the surfaces of one control. The constructor opens the device; destroying
// the driver finalises it and frees the device. The driver is the only owner of the device and of
// the clipper, palette and surfaces it makes; the control asks for them.
class TDXDrawDriver {
public:
    explicit TDXDrawDriver(TCustomDXDraw* DXDraw);
    virtual ~TDXDrawDriver();
    TDXDrawDriver(const TDXDrawDriver&) = delete;
    TDXDrawDriver& operator=(const TDXDrawDriver&) = delete;

    // Frees the clipper, the palette, the back surface and the primary surface, in that order.
    virtual void Finalize();
    virtual TDXDrawFlipResult Flip() = 0;
    // Builds the surfaces, the back surface SurfaceWidth × SurfaceHeight where the driver sizes it.
    virtual void Initialize(int SurfaceWidth, int SurfaceHeight) = 0;
    // Whether the back surface can be rebuilt at another size while the display stands (the base
    // cannot: the control's SetSize then changes nothing).
    virtual bool CanSetSize() const { return false; }
    // Rebuilds the back surface at Width × Height (at least 1 × 1); only when CanSetSize.
    virtual void SetSize(int Width, int Height);
    // Restores both surfaces; only when both succeed they are cleared and true is returned.
    bool Restore();

    TCustomDXDraw* DXDraw() const { return FDXDraw; }
    TDirectDraw* Device() const { return FDevice.get(); }
    TDirectDrawSurface* Primary() const { return FPrimary.get(); }
    TDirectDrawSurface* Surface() const { return FSurface.get(); }
    TDirectDrawClipper* Clipper() const { return FClipper.get(); }
    TDirectDrawPalette* Palette() const { return FPalette.get(); }
    // The back surface landed in system memory (the control shows it as doSystemMemory).
    bool SystemMemory() const { return FSystemMemory; }

protected:
    // A palette of the control's colour table with the given capabilities; a refused palette is
    // recorded in its LastResult, and the display works without one.
    void MakePalette(DWORD Caps);

    TCustomDXDraw* FDXDraw;
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
    TDXDrawFlipResult Flip() override;
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
    TDXDrawFlipResult Flip() override;
    void Initialize(int SurfaceWidth, int SurfaceHeight) override;
};
