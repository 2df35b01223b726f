// Device, surface, palette, clipper and canvas wrappers over the run-time loaded display module.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/DirectX.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ui/Graphics.h"

class TDirectDraw;
class TDirectDrawSurface;
class TDirectDrawPalette;
class TDirectDrawClipper;

// ---- Errors ----------------------------------------------------------------------------------

class EDirectDrawError : public EDirectXError {
public:
    using EDirectXError::EDirectXError;
};
class EDirectDrawPaletteError : public EDirectDrawError {
public:
    using EDirectDrawError::EDirectDrawError;
};
class EDirectDrawClipperError : public EDirectDrawError {
public:
    using EDirectDrawError::EDirectDrawError;
};
class EDirectDrawSurfaceError : public EDirectDrawError {
public:
    using EDirectDrawError::EDirectDrawError;
};

// ---- Device ----------------------------------------------------------------------------------

// The display device. It lists every surface, palette and clipper wrapper made on it; each wrapper
// belongs to whoever made it (a std::unique_ptr of the display driver, the image list, ...) and is
// deleted only by that owner. Freeing the device releases the platform objects of the wrappers
// still listed (surfaces, then palettes, then clippers, each from the last to the first): they
// stay behind empty, and using them to make a platform object raises "IDirectDraw not made".
class TDirectDraw : public TDirectX {
public:
    // Opens the device on the given driver (nullptr = the default display driver), through the
    // DirectX 7 interface when directX7Mode. Raises EDirectDrawError "%s cannot be initialized"
    // ("DirectDraw") when the device cannot be created, "Necessary since DirectX 6/7" when it
    // lacks an interface version, and Exception "%s not loaded" without the module.
    explicit TDirectDraw(const GUID* driverGuid = nullptr, bool directX7Mode = false);
    ~TDirectDraw() override;
    TDirectDraw(const TDirectDraw&) = delete;
    TDirectDraw& operator=(const TDirectDraw&) = delete;
    const char* ClassName() const override { return "TDirectDraw"; }

    // The interfaces (nullptr when absent).
    IDirectDraw* DrawInterface() const { return FIDraw; }
    IDirectDraw4* DrawInterface4() const { return FIDraw4; }
    IDirectDraw7* DrawInterface7() const { return FIDraw7; }
    // The same, raising EDirectDrawError "%s not made" ("IDirectDraw" / "IDirectDraw7") when
    // absent.
    IDirectDraw* RequireDrawInterface() const;
    IDirectDraw7* RequireDrawInterface7() const;

    DDCAPS DriverCaps{};
    DDCAPS EmulationCaps{};

    const std::vector<TDirectDrawClipper*>& Clippers() const { return FClippers; }
    const std::vector<TDirectDrawPalette*>& Palettes() const { return FPalettes; }
    const std::vector<TDirectDrawSurface*>& Surfaces() const { return FSurfaces; }

    // Kept up to date by the wrappers' constructors and destructors.
    void Enlist(TDirectDrawSurface* Surface);
    void Enlist(TDirectDrawPalette* Palette);
    void Enlist(TDirectDrawClipper* Clipper);
    void Unlist(TDirectDrawSurface* Surface);
    void Unlist(TDirectDrawPalette* Palette);
    void Unlist(TDirectDrawClipper* Clipper);

private:
    IDirectDraw* FIDraw = nullptr;
    IDirectDraw4* FIDraw4 = nullptr;
    IDirectDraw7* FIDraw7 = nullptr;
    std::vector<TDirectDrawClipper*> FClippers;
    std::vector<TDirectDrawPalette*> FPalettes;
    std::vector<TDirectDrawSurface*> FSurfaces;
    void ReleaseInterfaces();
};

// ---- Palette ---------------------------------------------------------------------------------

class TDirectDrawPalette : public TDirectX {
public:
    explicit TDirectDrawPalette(TDirectDraw* device);
    ~TDirectDrawPalette() override;
    TDirectDrawPalette(const TDirectDrawPalette&) = delete;
    TDirectDrawPalette& operator=(const TDirectDrawPalette&) = delete;
    const char* ClassName() const override { return "TDirectDrawPalette"; }

    TDirectDraw* DDraw() const { return FDDraw; }
    IDirectDrawPalette* PaletteInterface() const { return FIPalette; }
    // Raises EDirectDrawPaletteError "%s not made" ("IDirectDrawPalette") when there is none.
    IDirectDrawPalette* RequirePaletteInterface() const;

    // Drops the current palette and asks the device for a new one of 256 entries.
    bool CreatePalette(DWORD caps, const PALETTEENTRY* entries);
    bool SetEntries(int startIndex, int count, const PALETTEENTRY* entries);
    bool GetEntries(int startIndex, int count, PALETTEENTRY* entries);

    // The device is being freed: the platform palette goes and the wrapper stays empty.
    void DeviceGone();

private:
    TDirectDraw* FDDraw;
    IDirectDrawPalette* FIPalette = nullptr;
};

// ---- Clipper ---------------------------------------------------------------------------------

class TDirectDrawClipper : public TDirectX {
public:
    // Raises EDirectDrawClipperError "%s cannot be made" ("Clipper") when the device refuses.
    explicit TDirectDrawClipper(TDirectDraw* device);
    ~TDirectDrawClipper() override;
    TDirectDrawClipper(const TDirectDrawClipper&) = delete;
    TDirectDrawClipper& operator=(const TDirectDrawClipper&) = delete;
    const char* ClassName() const override { return "TDirectDrawClipper"; }

    TDirectDraw* DDraw() const { return FDDraw; }
    IDirectDrawClipper* ClipperInterface() const { return FIClipper; }
    // Raises EDirectDrawClipperError "%s not made" ("IDirectDrawClipper") when there is none.
    IDirectDrawClipper* RequireClipperInterface() const;

    // The window the clipper is bound to (Handle write = platform SetHWnd).
    HWND Handle() const;
    void SetHandle(HWND window);

    // The device is being freed: the platform clipper goes and the wrapper stays empty.
    void DeviceGone();

private:
    TDirectDraw* FDDraw;
    IDirectDrawClipper* FIClipper = nullptr;
};

// ---- Canvas on a surface ---------------------------------------------------------------------

// GDI drawing on a surface. The device context is obtained from the surface (platform GetDC) on
// first use; every user ends its drawing with ReleaseCanvas, which gives it back (ReleaseDC).
class TDirectDrawSurfaceCanvas : public TCanvas {
public:
    explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface* surface);
    ~TDirectDrawSurfaceCanvas() override;
    void ReleaseCanvas();
    TDirectDrawSurface* Surface() const { return FSurface; }

protected:
    void CreateHandle() override;

private:
    TDirectDrawSurface* FSurface;
    HDC FDC = nullptr;
};

// ---- Surface ---------------------------------------------------------------------------------

// A drawing surface. Ordinary calls record the platform result in LastResult and report success
// as a boolean; every operation that needs a platform surface does nothing (false, 0) without one.
class TDirectDrawSurface : public TDirectX {
public:
    explicit TDirectDrawSurface(TDirectDraw* device);
    ~TDirectDrawSurface() override;
    TDirectDrawSurface(const TDirectDrawSurface&) = delete;
    TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;
    const char* ClassName() const override { return "TDirectDrawSurface"; }

    // nullptr releases the platform surface; a TGraphic is loaded with LoadFromGraphic; another
    // surface is duplicated by the device (or, without a platform surface, makes this one release
    // its own); anything else raises EConvertError.
    void Assign(const TPersistent* source) override;
    // Copies the surface into a picture: it is resized to Width × Height at 24 bits per pixel and
    // the whole surface is copied into it through the two canvases. Pictures without a canvas of
    // their own, and anything that is not a picture, raise EConvertError.
    void AssignTo(TPersistent& dest) const override;

    TDirectDraw* DDraw() const { return FDDraw; }
    IDirectDrawSurface* SurfaceInterface() const { return FISurface; }
    IDirectDrawSurface4* SurfaceInterface4() const { return FISurface4; }
    IDirectDrawSurface7* SurfaceInterface7() const { return FISurface7; }
    // The same, raising EDirectDrawSurfaceError "%s not made" when absent.
    IDirectDrawSurface* RequireSurfaceInterface() const;
    IDirectDrawSurface4* RequireSurfaceInterface4() const;
    IDirectDrawSurface7* RequireSurfaceInterface7() const;
    IDirectDrawGammaControl* GammaControl() const { return FGammaControl; }
    // Attaches a platform surface (taking its own references), or with nullptr releases it.
    void SetSurfaceInterface(IDirectDrawSurface* surface);

    bool CreateSurface(const DDSURFACEDESC& desc);
    // Off-screen surface of the size; 0 or less in either releases the platform surface. Retries
    // in system memory once; raises EDirectDrawSurfaceError "%s cannot be made" ("Surface").
    void SetSize(int width, int height);
    bool Restore();

    bool Blt(const TRect* destRect, const TRect* sourceRect, const TDirectDrawSurface* source,
             const DDBLTFX& fx, DWORD flags);
    bool BltFast(int x, int y, const TDirectDrawSurface* source, const TRect& sourceRect,
                 DWORD flags);
    // Copies sourceRect of source so that its top-left lands at (x, y), clipped to both surfaces;
    // a reversed rectangle draws mirrored. transparent skips pixels equal to the source's key.
    void Draw(int x, int y, const TRect& sourceRect, const TDirectDrawSurface* source,
              bool transparent);
    // Fills the clip rectangle (the whole surface unless SetClipRect limits it).
    bool Fill(DWORD devColor);
    // Limits Draw and Fill to a rectangle (nullptr: the whole surface, the default), so one part
    // of a picture can be redrawn with the very calls that draw all of it; pixels outside stay as
    // they are. Blt and BltFast are not limited.
    void SetClipRect(const TRect* rect);
    // The part of the surface Draw and Fill reach: the client rectangle, or its intersection with
    // the rectangle SetClipRect gave (possibly empty).
    TRect ClipRect() const;

    void SetClipper(TDirectDrawClipper* clipper);
    void SetPalette(TDirectDrawPalette* palette);
    void SetColorKey(DWORD flags, const DDCOLORKEY& key);
    // Source colour key (device colour); the getter reads it back (0 when none).
    void SetTransparentColor(DWORD devColor);
    DWORD TransparentColor() const;
    DWORD MatchColor(TColor color);

    // Locks the given rectangle (nullptr = the whole surface); locks do not nest.
    bool Lock(const TRect* rect, DDSURFACEDESC& desc);
    void Unlock();
    int LockCount() const { return FLockCount; }
    const DDSURFACEDESC& LockDesc() const { return FLockDesc; }

    // One pixel's device colour (0 outside the surface or when the lock fails).
    DWORD Pixels(int x, int y);
    void SetPixels(int x, int y, DWORD value);

    TDirectDrawSurfaceCanvas& Canvas();
    bool CanvasAllocated() const { return FCanvas != nullptr; }

    void LoadFromGraphic(TGraphic& graphic);
    void LoadFromGraphicRect(TGraphic& graphic, int width, int height, const TRect& sourceRect);

    const DDSURFACEDESC& SurfaceDesc() const { return FSurfaceDesc; }
    int Width() const { return static_cast<int>(FSurfaceDesc.dwWidth); }
    int Height() const { return static_cast<int>(FSurfaceDesc.dwHeight); }
    int BitCount() const { return static_cast<int>(FSurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }
    TRect ClientRect() const { return TRect{0, 0, Width(), Height()}; }
    bool HasClipper() const { return FHasClipper; }

    bool SystemMemory = false;

    // The device is being freed: the platform surface goes and the wrapper stays empty.
    void DeviceGone();

private:
    // The device, or EDirectDrawSurfaceError "IDirectDraw not made" once it is gone.
    TDirectDraw& RequireDevice() const;
    friend class TDirectDrawSurfaceCanvas;
    TDirectDrawSurfaceCanvas* FCanvas = nullptr;
    bool FHasClipper = false;
    bool FClipped = false;
    TRect FClipRect;
    TDirectDraw* FDDraw;
    IDirectDrawSurface* FISurface = nullptr;
    IDirectDrawSurface4* FISurface4 = nullptr;
    IDirectDrawSurface7* FISurface7 = nullptr;
    DDSURFACEDESC FSurfaceDesc{};
    IDirectDrawGammaControl* FGammaControl = nullptr;
    DDSURFACEDESC FLockDesc{};
    int FLockCount = 0;
    void ReleaseInterfaces();
};
