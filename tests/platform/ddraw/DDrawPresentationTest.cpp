// Presentation into a window's pixels: what a copy onto the primary surface changed is reported
// exactly, pixel by pixel, and a copy that changes nothing reports nothing.
#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/rtl/Modules.h"

namespace {

template <typename F> F Entry(const char* name) {
    static void* module = LoadModule("ddraw.so");
    return reinterpret_cast<F>(ModuleEntry(module, name));
}

class Presentation : public ::testing::Test {
protected:
    void SetUp() override {
        void* created = nullptr;
        ASSERT_EQ(Entry<TDirectDrawCreateEx>("DirectDrawCreateEx")(nullptr, &created,
                                                                   IID_IDirectDraw7, nullptr),
                  DD_OK);
        Device = static_cast<IDirectDraw7*>(created);
        ASSERT_EQ(Device->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS;
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        ASSERT_EQ(Device->CreateSurface(&d, &Primary, nullptr), DD_OK);
    }
    void TearDown() override {
        for (auto* s : Owned)
            s->Release();
        if (Primary) Primary->Release();
        if (Device) {
            EXPECT_EQ(Device->Release(), 0u);
        }
    }

    // Binds the primary surface's presentation to window.
    void PresentInto(QWidget& window) {
        IDirectDrawClipper* clipper = nullptr;
        Device->CreateClipper(0, &clipper, nullptr);
        clipper->SetHWnd(0, &window);
        Primary->SetClipper(clipper);
        clipper->Release();
        Target = &window;
    }

    IDirectDrawSurface* Make(int w, int h, int bits) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        d.dwWidth = static_cast<DWORD>(w);
        d.dwHeight = static_cast<DWORD>(h);
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(bits);
        d.ddpfPixelFormat.dwFlags = bits == 8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
        if (bits == 32) {
            d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
            d.ddpfPixelFormat.dwGBitMask = 0xFF00;
            d.ddpfPixelFormat.dwBBitMask = 0xFF;
        }
        IDirectDrawSurface* s = nullptr;
        EXPECT_EQ(Device->CreateSurface(&d, &s, nullptr), DD_OK);
        if (s) Owned.push_back(s);
        return s;
    }

    static void Fill(IDirectDrawSurface* s, DWORD colour, const RECT* r = nullptr) {
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = colour;
        ASSERT_EQ(s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    }

    // Copies the whole of back onto the window at its top left-hand corner, as a frame does.
    void Present(IDirectDrawSurface* back, int w, int h) {
        const QPoint origin = Target->mapToGlobal(QPoint(0, 0));
        RECT dest{origin.x(), origin.y(), origin.x() + w, origin.y() + h};
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        ASSERT_EQ(Primary->Blt(&dest, back, nullptr, DDBLT_WAIT, &fx), DD_OK);
    }

    // What the presentation changed since last asked, and the window's pixels.
    QRegion Take() {
        QRegion changed;
        EXPECT_EQ(Entry<TDirectDrawTakePresentation>("DirectDrawTakePresentation")(
                      Primary, &Shown, &changed),
                  DD_OK);
        return changed;
    }

    IDirectDraw7* Device = nullptr;
    IDirectDrawSurface* Primary = nullptr;
    QImage Shown;
    QWidget* Target = nullptr;
    std::vector<IDirectDrawSurface*> Owned;
};

TEST_F(Presentation, OnlyChangedBandsAreReportedAndAnUnchangedFrameNothing) {
    QWidget window;
    window.resize(60, 40);
    PresentInto(window);
    EXPECT_TRUE(Take().isEmpty()); // nothing presented yet
    IDirectDrawSurface* back = Make(60, 40, 32);
    Fill(back, 0x00204060);
    Present(back, 60, 40);
    EXPECT_EQ(Take(), QRegion(window.rect()));
    EXPECT_EQ(Shown.pixel(59, 39), qRgb(0x20, 0x40, 0x60));

    Present(back, 60, 40); // the same frame again
    EXPECT_TRUE(Take().isEmpty());

    // A band of rows 10 to 19, changed in columns 5 to 14 only, and a single pixel further down;
    // two frames between takes add up.
    RECT band{5, 10, 15, 20};
    Fill(back, 0x00FF0000, &band);
    Present(back, 60, 40);
    // The pixels alone, as a paint asks for them in between, leave the changes to be taken.
    QImage painted;
    ASSERT_EQ(Entry<TDirectDrawTakePresentation>("DirectDrawTakePresentation")(Primary, &painted,
                                                                               nullptr),
              DD_OK);
    EXPECT_EQ(painted.pixel(5, 10), qRgb(0xFF, 0, 0));
    painted = QImage();
    RECT dot{40, 30, 41, 31};
    Fill(back, 0x0000FF00, &dot);
    Present(back, 60, 40);
    EXPECT_EQ(Take(), QRegion(QRect(5, 10, 10, 10)) + QRegion(QRect(40, 30, 1, 1)));
    EXPECT_EQ(Shown.pixel(5, 10), qRgb(0xFF, 0, 0));
    EXPECT_EQ(Shown.pixel(14, 19), qRgb(0xFF, 0, 0));
    EXPECT_EQ(Shown.pixel(40, 30), qRgb(0, 0xFF, 0));
    EXPECT_EQ(Shown.pixel(15, 10), qRgb(0x20, 0x40, 0x60));

    // Unchanged pixels of an 8-bit frame look different once its palette changes: all reported.
    IDirectDrawSurface* indexed = Make(60, 40, 8);
    PALETTEENTRY entries[256]{};
    entries[7] = PALETTEENTRY{0x20, 0x40, 0x60, 0};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(Device->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
              DD_OK);
    indexed->SetPalette(palette);
    Fill(indexed, 7);
    Fill(back, 0x00204060);
    Present(back, 60, 40);
    Take();
    Present(indexed, 60, 40); // the same colours through the palette: nothing changed
    EXPECT_TRUE(Take().isEmpty());
    entries[7] = PALETTEENTRY{0x60, 0x40, 0x20, 0};
    palette->SetEntries(0, 7, 1, &entries[7]);
    Present(indexed, 60, 40);
    EXPECT_EQ(Take(), QRegion(window.rect()));
    EXPECT_EQ(Shown.pixel(30, 20), qRgb(0x60, 0x40, 0x20));
    palette->Release();

    // A window that grows is reported whole, keeping what it showed.
    window.resize(70, 40);
    Present(indexed, 60, 40);
    EXPECT_EQ(Take(), QRegion(0, 0, 70, 40));
    EXPECT_EQ(Shown.pixel(30, 20), qRgb(0x60, 0x40, 0x20));
}

// The row comparison works through blocks of pixels: a change at any position of a block, at
// the start, the middle or the end of a row, is found and reported as that one pixel.
TEST_F(Presentation, AChangeAtEveryPixelOfARowIsReported) {
    constexpr int w = 53; // three whole 16-pixel blocks and a partial one
    QWidget window;
    window.resize(w, 3);
    PresentInto(window);
    IDirectDrawSurface* back = Make(w, 3, 32);
    Fill(back, 0x00102030);
    Present(back, w, 3);
    Take();
    for (int x = 0; x < w; ++x) {
        RECT one{x, 1, x + 1, 2};
        Fill(back, 0x00A0B0C0, &one);
        Present(back, w, 3);
        ASSERT_EQ(Take(), QRegion(x, 1, 1, 1)) << "pixel " << x;
        ASSERT_EQ(Shown.pixel(x, 1), qRgb(0xA0, 0xB0, 0xC0)) << "pixel " << x;
        Fill(back, 0x00102030, &one);
        Present(back, w, 3);
        ASSERT_EQ(Take(), QRegion(x, 1, 1, 1)) << "pixel " << x << " back";
    }
    // Two changes in one row are reported as the span between them.
    RECT first{3, 0, 4, 1}, last{49, 0, 50, 1};
    Fill(back, 0x00FFFFFF, &first);
    Fill(back, 0x00FFFFFF, &last);
    Present(back, w, 3);
    EXPECT_EQ(Take(), QRegion(3, 0, 47, 1));
}

} // namespace
