// The device object: display modes, cooperative level, object creation and the vertical blank.
#pragma once

#include "platform/ddraw/DDraw.Internal.h"
#include "platform/ddraw/DDraw.Window.h"

namespace ddraw {

class Surface;

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
    HWND CooperativeWindow() const { return CoopWindow.Get(); }
    bool Exclusive() const { return (CoopFlags & DDSCL_EXCLUSIVE) != 0; }
    Surface* Primary = nullptr; // not a reference: cleared by the primary's destructor

private:
    WindowRef CoopWindow;
    DWORD CoopFlags = 0;
    int ModeW, ModeH;
    Format ModeFormat;
    int DesktopW, DesktopH;
};

// The screen's refresh rate in hertz (60 when the screen does not say).
int RefreshRate();

} // namespace ddraw
