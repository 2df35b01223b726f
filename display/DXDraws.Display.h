// The display control's full-screen display settings (the Display property) and its mode search.
#pragma once

#include <vector>

#include "display/DXDraws.Surfaces.h"

struct TDXDrawDisplayMode {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    DDSURFACEDESC SurfaceDesc{};
};

// Full-screen display settings (the Display property); they matter only with doFullScreen. The
// modes and mode changes go through the device it is given while the display stands.
class TDXDrawDisplay {
public:
    TDXDrawDisplay() = default;

    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value < 0 ? 0 : Value; }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value < 0 ? 0 : Value; }
    int BitCount() const { return FBitCount; }
    // Only 8, 16, 24 or 32; anything else raises EDirectDrawError and keeps the old value.
    void SetBitCount(int Value);
    bool FixedBitCount = true;
    bool FixedRatio = true;
    bool FixedSize = false;

    // Copies the six settings (not the mode list).
    void Assign(const TDXDrawDisplay& Source);

    // The device's modes sorted by width, height, bit count; enumerated on first use (empty
    // without a device). ClearModes forgets them.
    const std::vector<TDXDrawDisplayMode>& Modes();
    int ModeCount() { return static_cast<int>(Modes().size()); }
    void ClearModes() {
        FModes.clear();
        FModesRead = false;
    }

    // Switches the screen to the mode, or the nearest acceptable one (full screen only).
    bool ChangeMode(int Width, int Height, int BitCount);

    // The device modes are read from and set on (nullptr while there is none; not owned).
    TDirectDraw* Device() const { return FDevice; }
    void SetDevice(TDirectDraw* Value) { FDevice = Value; }

private:
    bool SetMode(int Width, int Height, int BitCount);
    TDirectDraw* FDevice = nullptr;
    int FWidth = 640;
    int FHeight = 480;
    int FBitCount = 8;
    bool FModesRead = false;
    std::vector<TDXDrawDisplayMode> FModes;
};
