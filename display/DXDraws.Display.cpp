// The display control's full-screen display settings: bit count check, mode list and mode change.
#include "display/DXDraws.Display.h"

#include <algorithm>
#include <climits>

#include "platform/rtl/DXConsts.h"

// ---- TDXDrawDisplay ----------------------------------------------------------------------------

void TDXDrawDisplay::SetBitCount(int Value) {
    if (Value != 8 && Value != 16 && Value != 24 && Value != 32)
        throw EDirectDrawError(SInvalidDisplayBitCount);
    FBitCount = Value;
}

void TDXDrawDisplay::Assign(const TDXDrawDisplay& Source) {
    FBitCount = Source.FBitCount;
    FHeight = Source.FHeight;
    FWidth = Source.FWidth;
    FixedBitCount = Source.FixedBitCount;
    FixedRatio = Source.FixedRatio;
    FixedSize = Source.FixedSize;
}

namespace {
HRESULT AddMode(DDSURFACEDESC* desc, void* context) {
    auto* modes = static_cast<std::vector<TDXDrawDisplayMode>*>(context);
    TDXDrawDisplayMode m;
    m.Width = static_cast<int>(desc->dwWidth);
    m.Height = static_cast<int>(desc->dwHeight);
    m.BitCount = static_cast<int>(desc->ddpfPixelFormat.dwRGBBitCount);
    m.SurfaceDesc = *desc;
    modes->push_back(m);
    return DDENUMRET_OK;
}
} // namespace

const std::vector<TDXDrawDisplayMode>& TDXDrawDisplay::Modes() {
    if (!FModesRead) {
        TDirectDraw* device = Device();
        if (device && device->DrawInterface()) {
            FModes.clear();
            device->SetLastResult(
                device->DrawInterface()->EnumDisplayModes(0, nullptr, &FModes, AddMode));
            std::stable_sort(FModes.begin(), FModes.end(),
                             [](const TDXDrawDisplayMode& a, const TDXDrawDisplayMode& b) {
                                 if (a.Width != b.Width) return a.Width < b.Width;
                                 if (a.Height != b.Height) return a.Height < b.Height;
                                 return a.BitCount < b.BitCount;
                             });
            FModesRead = true;
        }
    }
    return FModes;
}

bool TDXDrawDisplay::SetMode(int Width, int Height, int BitCount) {
    TDirectDraw* device = Device();
    if (!device || !device->DrawInterface()) return false;
    device->SetLastResult(device->DrawInterface()->SetDisplayMode(
        static_cast<DWORD>(Width), static_cast<DWORD>(Height), static_cast<DWORD>(BitCount), 0, 0));
    if (device->LastResult() != DD_OK) return false;
    FWidth = Width;
    FHeight = Height;
    FBitCount = BitCount;
    return true;
}

bool TDXDrawDisplay::ChangeMode(int Width, int Height, int BitCount) {
    if (Width <= 0 || Height <= 0) return false;
    if (BitCount != 8 && BitCount != 16 && BitCount != 24 && BitCount != 32) return false;
    if (SetMode(Width, Height, BitCount)) return true;

    const std::vector<TDXDrawDisplayMode>& modes = Modes();
    int best = -1;
    int bestWidth = INT_MAX;
    int bestHeight = INT_MAX;
    auto search = [&](bool sameRatio) {
        for (int i = 0; i < static_cast<int>(modes.size()); ++i) {
            const TDXDrawDisplayMode& m = modes[i];
            if (sameRatio && static_cast<long long>(m.Width) * Height !=
                                 static_cast<long long>(Width) * m.Height)
                continue;
            if (m.Width > bestWidth || m.Height > bestHeight) continue;
            if (FixedSize) {
                if (m.Width != Width || m.Height != Height) continue;
            } else if (m.Width < Width || m.Height < Height) {
                continue;
            }
            if (FixedBitCount) {
                if (m.BitCount != BitCount) continue;
            } else if (!((m.BitCount > 8 && BitCount > 8) || m.BitCount >= BitCount)) {
                continue;
            }
            best = i;
            bestWidth = m.Width;
            bestHeight = m.Height;
        }
    };
    if (FixedRatio) search(true);
    if (best < 0) search(false);
    if (best < 0) return false;

    int bits = modes[best].BitCount;
    if (bits != BitCount &&
        std::any_of(modes.begin(), modes.end(), [&](const TDXDrawDisplayMode& m) {
            return m.Width == bestWidth && m.Height == bestHeight && m.BitCount == BitCount;
        }))
        bits = BitCount;
    return SetMode(bestWidth, bestHeight, bits);
}
