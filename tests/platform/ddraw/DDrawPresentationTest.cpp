// Presentation into a window: only what changed is repainted, and what the window shows after
// any repaint is the last frame presented.
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
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

// A window that paints from its presentation, as the display control does, and records which
// parts of it were repainted.
class TPresentedWindow : public QWidget {
public:
    using QWidget::QWidget;
    QRegion Painted;
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        Painted += event->region();
        ++Paints;
        QPainter painter(this);
        if (const QImage* image = Entry<TDirectDrawPresentation>("DirectDrawPresentation")(this))
            for (const QRect& r : event->region())
                painter.drawImage(r.topLeft(), *image, r);
    }
};

// What the window system shows of a top-level window.
QImage Shown(QWidget& window) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
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

    IDirectDraw7* Device = nullptr;
    IDirectDrawSurface* Primary = nullptr;
    QWidget* Target = nullptr;
    std::vector<IDirectDrawSurface*> Owned;
};

TEST_F(Presentation, OnlyChangedBandsAreRepaintedAndAnUnchangedFrameNotAtAll) {
    TPresentedWindow window;
    window.resize(60, 40);
    window.show();
    QCoreApplication::processEvents();
    PresentInto(window);
    IDirectDrawSurface* back = Make(60, 40, 32);
    Fill(back, 0x00204060);
    Present(back, 60, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(window).pixel(59, 39), qRgb(0x20, 0x40, 0x60));

    window.Paints = 0;
    window.Painted = QRegion();
    Present(back, 60, 40); // the same frame again
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Paints, 0);

    // A band of rows 10 to 19, changed in columns 5 to 14 only, and a single pixel further down.
    RECT band{5, 10, 15, 20};
    Fill(back, 0x00FF0000, &band);
    RECT dot{40, 30, 41, 31};
    Fill(back, 0x0000FF00, &dot);
    Present(back, 60, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Painted, QRegion(QRect(5, 10, 10, 10)) + QRegion(QRect(40, 30, 1, 1)));
    const QImage shown = Shown(window);
    EXPECT_EQ(shown.pixel(5, 10), qRgb(0xFF, 0, 0));
    EXPECT_EQ(shown.pixel(14, 19), qRgb(0xFF, 0, 0));
    EXPECT_EQ(shown.pixel(40, 30), qRgb(0, 0xFF, 0));
    EXPECT_EQ(shown.pixel(15, 10), qRgb(0x20, 0x40, 0x60));

    // Unchanged pixels of an 8-bit frame look different once its palette changes: all repainted.
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
    QCoreApplication::processEvents();
    window.Painted = QRegion();
    Present(indexed, 60, 40); // the same colours through the palette: nothing to repaint
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Painted, QRegion());
    entries[7] = PALETTEENTRY{0x60, 0x40, 0x20, 0};
    palette->SetEntries(0, 7, 1, &entries[7]);
    Present(indexed, 60, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Painted, QRegion(window.rect()));
    EXPECT_EQ(Shown(window).pixel(30, 20), qRgb(0x60, 0x40, 0x20));
    palette->Release();
}

TEST_F(Presentation, WindowUncoveredShowsTheFramesPresentedWhileItWasCovered) {
    QWidget form;
    form.resize(60, 40);
    TPresentedWindow display(&form);
    display.setGeometry(0, 0, 60, 40);
    QWidget cover(&form); // a panel lying over the whole display
    cover.setGeometry(0, 0, 60, 40);
    cover.setAutoFillBackground(true);
    cover.setPalette(QPalette(Qt::white));
    form.show();
    QCoreApplication::processEvents();
    PresentInto(display);
    IDirectDrawSurface* back = Make(60, 40, 32);
    Fill(back, 0x00204060);
    Present(back, 60, 40);
    QCoreApplication::processEvents();
    display.Paints = 0;
    display.Painted = QRegion();
    Fill(back, 0x00A0B0C0);
    Present(back, 60, 40); // changed, but nothing of the display can be seen
    QCoreApplication::processEvents();
    EXPECT_EQ(display.Paints, 0);
    EXPECT_EQ(Shown(form).pixel(30, 20), qRgb(0xFF, 0xFF, 0xFF));

    cover.hide(); // as when a window above is moved away: the display is exposed whole
    QCoreApplication::processEvents();
    EXPECT_EQ(display.Painted.boundingRect(), display.rect());
    const QImage shown = Shown(form);
    for (QPoint p : {QPoint(0, 0), QPoint(30, 20), QPoint(59, 39)})
        EXPECT_EQ(shown.pixel(p), qRgb(0xA0, 0xB0, 0xC0)) << p.x() << "," << p.y();
    display.Paints = 0;
    Present(back, 60, 40); // already shown: no repaint
    QCoreApplication::processEvents();
    EXPECT_EQ(display.Paints, 0);
}

} // namespace
