// One game frame on the display device (fill, 102 tile draws, keyed frame picture, copy to the
// window) against the same operations on SDL2's software blitter.
#include <QApplication>
#include <QWidget>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "display/DXDraws.Surfaces.h"
#include "graphics/DIB.h"

namespace {

constexpr int FrameW = 600, FrameH = 480, Cell = 34;

// Where the frame's sprites go: the 100 board cells, then two tiles hanging off the surface.
struct Placement {
    int X, Y, Pattern;
};
std::vector<Placement> Placements() {
    std::vector<Placement> all;
    for (int i = 0; i < 100; ++i)
        all.push_back({(i % 10) * Cell + 34, (i / 10) * Cell + 105, i});
    all.push_back({-17, 105, 5});
    all.push_back({FrameW - 17, 139, 6});
    return all;
}

void LoadPicture(TDIB& dib, const char* name) {
    dib.LoadFromFile(std::string(ZELVAN_SOURCE_DIR) + "/assets/" + name);
}

// The device, a window with its primary surface and clipper, and the surfaces of a frame.
struct OwnScene {
    QWidget Window;
    std::unique_ptr<TDirectDraw> Device;
    // The wrappers made on the device, freed before it.
    std::vector<std::unique_ptr<TDirectX>> Wrappers;
    TDirectDrawSurface* Primary;
    TDirectDrawSurface* Back;
    TDirectDrawSurface* Sheet;
    TDirectDrawSurface* Frame;

    template <class T> T* Make() {
        auto wrapper = std::make_unique<T>(Device.get());
        T* made = wrapper.get();
        Wrappers.push_back(std::move(wrapper));
        return made;
    }

    OwnScene() {
        Window.resize(FrameW, FrameH);
        Window.show();
        Device = std::make_unique<TDirectDraw>(nullptr, true);
        Device->DrawInterface()->SetCooperativeLevel(&Window, DDSCL_NORMAL);
        Primary = Make<TDirectDrawSurface>();
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS;
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        if (!Primary->CreateSurface(d)) std::abort();
        auto* clipper = Make<TDirectDrawClipper>();
        clipper->SetHandle(&Window);
        Primary->SetClipper(clipper);
        Back = Make<TDirectDrawSurface>();
        Back->SetSize(FrameW, FrameH);
        TDIB tiles, frame;
        LoadPicture(tiles, "tiles.dib");
        LoadPicture(frame, "frame.dib");
        Sheet = Make<TDirectDrawSurface>();
        Sheet->LoadFromGraphic(tiles);
        Frame = Make<TDirectDrawSurface>();
        Frame->LoadFromGraphic(frame);
        Frame->SetTransparentColor(Frame->MatchColor(clLime));
    }
};

// Made in main, after the application object and freed before it.
OwnScene* Scene = nullptr;
OwnScene& Own() {
    return *Scene;
}

void BM_FrameOwn(benchmark::State& state) {
    OwnScene& s = Own();
    const auto placements = Placements();
    QPoint origin = s.Window.mapToGlobal(QPoint(0, 0));
    TRect screen = Bounds(origin.x(), origin.y(), FrameW, FrameH);
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    for (auto _ : state) {
        s.Back->Fill(0);
        for (const Placement& p : placements) {
            TRect r = Bounds((p.Pattern % 10) * Cell, (p.Pattern / 10) * Cell, Cell, Cell);
            s.Back->Draw(p.X, p.Y, r, s.Sheet, false);
        }
        s.Back->Draw(0, 0, s.Frame->ClientRect(), s.Frame, true);
        TRect all = s.Back->ClientRect();
        s.Primary->Blt(&screen, &all, s.Back, fx, DDBLT_WAIT);
    }
    if (s.Primary->LastResult() != DD_OK || s.Back->LastResult() != DD_OK)
        state.SkipWithError("a copy failed");
}
BENCHMARK(BM_FrameOwn)->Unit(benchmark::kMicrosecond);

// The keyed copy of the frame picture when its runs of see-through pixels cannot be reused (the
// picture was written to since): the compare loop over every pixel. ZELVAN_DDRAW_KERNELS picks
// the build that runs it.
void BM_KeyedFrameCompared(benchmark::State& state) {
    OwnScene& s = Own();
    DDSURFACEDESC d{};
    for (auto _ : state) {
        // An empty lock counts as a write, so the next copy compares again.
        if (s.Frame->Lock(nullptr, d)) s.Frame->Unlock();
        s.Back->Draw(0, 0, s.Frame->ClientRect(), s.Frame, true);
    }
    if (s.Back->LastResult() != DD_OK) state.SkipWithError("a copy failed");
}
BENCHMARK(BM_KeyedFrameCompared)->Unit(benchmark::kMicrosecond);

// The same pictures as 32-bit SDL surfaces, copied out of the device's surfaces.
SDL_Surface* ToSDL(TDirectDrawSurface* from) {
    SDL_Surface* to =
        SDL_CreateRGBSurface(0, from->Width(), from->Height(), 32, 0xFF0000, 0xFF00, 0xFF, 0);
    DDSURFACEDESC d{};
    if (!to || !from->Lock(nullptr, d)) std::abort();
    for (int y = 0; y < from->Height(); ++y)
        std::memcpy(static_cast<uint8_t*>(to->pixels) + y * to->pitch,
                    static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch,
                    static_cast<size_t>(from->Width()) * 4);
    from->Unlock();
    return to;
}

void BM_FrameSDL2(benchmark::State& state) {
    OwnScene& s = Own();
    SDL_Surface* back = SDL_CreateRGBSurface(0, FrameW, FrameH, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Surface* primary = SDL_CreateRGBSurface(0, FrameW, FrameH, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_Surface* sheet = ToSDL(s.Sheet);
    SDL_Surface* frame = ToSDL(s.Frame);
    SDL_SetColorKey(frame, SDL_TRUE, s.Frame->TransparentColor() & 0xFFFFFF);
    const auto placements = Placements();
    for (auto _ : state) {
        SDL_FillRect(back, nullptr, 0);
        for (const Placement& p : placements) {
            SDL_Rect from{(p.Pattern % 10) * Cell, (p.Pattern / 10) * Cell, Cell, Cell};
            SDL_Rect to{p.X, p.Y, Cell, Cell};
            SDL_BlitSurface(sheet, &from, back, &to);
        }
        SDL_BlitSurface(frame, nullptr, back, nullptr);
        SDL_BlitSurface(back, nullptr, primary, nullptr);
    }
    SDL_FreeSurface(frame);
    SDL_FreeSurface(sheet);
    SDL_FreeSurface(primary);
    SDL_FreeSurface(back);
}
BENCHMARK(BM_FrameSDL2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Scene = new OwnScene();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete Scene;
    return 0;
}
