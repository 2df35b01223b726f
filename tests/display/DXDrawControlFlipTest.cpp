// Tests of the display control at work: presenting into the window, paints, lost surfaces,
// resizing, the palette and mouse events, over the real display module.
#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "display/DXClass.Forms.h"
#include "display/DXDraws.Control.h"
#include "tests/support/DisplayForm.h"

namespace {

void SetFaults(DWORD faults) {
    LoadPlatformFunctionAs<TDirectDrawSetFaults>("DDraw.dll", "DirectDrawSetFaults")(faults);
}
void LoseAllSurfaces() {
    LoadPlatformFunctionAs<TDirectDrawLoseAllSurfaces>("DDraw.dll", "DirectDrawLoseAllSurfaces")();
}

void Settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// Counts its paints.
class TCountingDXDraw : public TDXDraw {
public:
    using TDXDraw::TDXDraw;
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent* Event) override {
        ++Paints;
        TDXDraw::paintEvent(Event);
    }
};

std::vector<std::string>* g_Kinds = nullptr;
void Record(void*, TCustomDXDraw*, TDXDrawNotifyKind Kind) {
    static const char* names[] = {"dnDestroying",        "dnInitializing", "dnInitialize",
                                  "dnInitializeSurface", "dnFinalize",     "dnFinalizeSurface",
                                  "dnRestore",           "dnSurfaceSize"};
    if (g_Kinds) g_Kinds->push_back(names[Kind]);
}

class DXDrawAtWork : public ::testing::Test {
protected:
    void SetUp() override {
        SetFaults(0);
        g_Kinds = &Kinds;
        Window = std::make_unique<TDisplayForm<TCountingDXDraw>>(200, 150);
        Form = Window->Form();
        DX = Window->DX();
        DX->OnRestoreSurface = [this](QObject*) { Kinds.push_back("OnRestoreSurface"); };
        DX->OnInitializeSurface = [this](QObject*) { Kinds.push_back("OnInitializeSurface"); };
        DX->OnFinalizeSurface = [this](QObject*) { Kinds.push_back("OnFinalizeSurface"); };
        Form->show();
        Settle();
        ASSERT_TRUE(DX->Initialized());
        DX->RegisterListener(Record, nullptr);
        Kinds.clear();
    }
    void TearDown() override {
        Window.reset();
        g_Kinds = nullptr;
        SetFaults(0);
    }
    QRgb Shown(int x, int y) { return DX->grab().toImage().pixel(x, y) & 0xFFFFFFu; }
    DWORD Device(TColor c) { return DX->Surface()->MatchColor(c); }

    std::vector<std::string> Kinds;
    std::unique_ptr<TDisplayForm<TCountingDXDraw>> Window;
    TDXForm* Form = nullptr;
    TCountingDXDraw* DX = nullptr;
};

TEST_F(DXDrawAtWork, FlipPutsTheBackSurfacePixelsIntoTheWindow) {
    DX->Surface()->Fill(Device(clRed));
    DX->Surface()->SetPixels(0, 0, Device(clLime));
    DX->Surface()->SetPixels(199, 149, Device(clBlue));
    const unsigned long waits = DX->VerticalBlankWaits();
    DX->Flip();
    EXPECT_EQ(DX->VerticalBlankWaits(), waits + 1); // the game's options wait before the copy
    Settle();
    const QImage shot = DX->grab().toImage();
    EXPECT_EQ(shot.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shot.pixel(100, 70) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shot.pixel(199, 149) & 0xFFFFFF, 0x0000FFu);
}

// The window shows the device's own pixels: frames write into the same image the paints read,
// which nothing holds on to in between (a reference kept would make every frame copy it). The
// upper half of an image's cache key names its pixel memory, which a copy would renew.
TEST_F(DXDrawAtWork, PaintsShowTheDevicesPixelsWhichFramesKeepWritingInPlace) {
    DX->Surface()->Fill(Device(clRed));
    DX->Flip();
    Settle();
    EXPECT_EQ(Shown(10, 10), 0xFF0000u);
    const auto memory = [this] { return DX->Screen().cacheKey() >> 32; };
    const qint64 first = memory();
    ASSERT_NE(first, 0);
    for (TColor colour : {clBlue, clLime}) {
        DX->Surface()->Fill(Device(colour));
        DX->Flip();
        Settle();
        DX->repaint();
        EXPECT_EQ(Shown(10, 10), colour == clBlue ? 0x0000FFu : 0x00FF00u);
        EXPECT_EQ(memory(), first);
    }
}

TEST_F(DXDrawAtWork, FlipsArePacedByTheVerticalBlank) {
    DWORD hz = 0;
    ASSERT_EQ(DX->Device()->DrawInterface()->GetMonitorFrequency(&hz), DD_OK);
    ASSERT_GE(hz, 20u);
    // Each Flip waits for the start of the next blank, so six flips end at least five refresh
    // periods after the first began, however fast the machine; skipping the wait ends far sooner.
    const std::chrono::nanoseconds period(1'000'000'000LL / hz);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 6; ++i)
        DX->Flip();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 5 * period)
        << std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()
        << " us for six flips at " << hz << " Hz";
}

TEST_F(DXDrawAtWork, PaintPresentsWithoutWaitingForTheVerticalBlank) {
    DX->Surface()->Fill(Device(clYellow));
    const unsigned long waits = DX->VerticalBlankWaits();
    DX->repaint(); // a paint the window system asks for: the back surface is presented again
    EXPECT_EQ(DX->VerticalBlankWaits(), waits);
    EXPECT_TRUE(DX->EffectiveOptions().Contains(doWaitVBlank)); // put back after the paint
    EXPECT_EQ(Shown(10, 10), 0xFFFF00u);
    EXPECT_EQ(DX->VerticalBlankWaits(), waits);
}

TEST_F(DXDrawAtWork, PresentingDoesNotKeepTheWindowRepainting) {
    DX->Surface()->Fill(Device(clAqua));
    DX->Flip();
    Settle();
    const int settled = DX->Paints;
    Settle();
    EXPECT_EQ(DX->Paints, settled); // no endless chain of paints after one frame
    DX->update();
    Settle();
    EXPECT_LE(DX->Paints - settled, 2);
    const int after = DX->Paints;
    Settle();
    EXPECT_EQ(DX->Paints, after);
}

// A partial Flip presents its part of the back surface and leaves the rest of the window as it
// was; a part that could not be presented goes along with the next partial Flip; a due frame
// goes whole.
TEST_F(DXDrawAtWork, PartialFlipPresentsItsPartAndWhatAnEarlierOneLeftBehind) {
    TDirectDrawSurface* back = DX->Surface();
    back->Fill(Device(clRed));
    DX->Flip();
    ASSERT_FALSE(DX->FrameDue());
    back->Fill(Device(clBlue));
    DX->Flip(Rect(10, 10, 20, 20));
    // Read before any other paint: a paint of its own would present the whole surface again.
    QImage shot = DX->grab().toImage();
    EXPECT_EQ(shot.pixel(10, 10) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shot.pixel(19, 19) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shot.pixel(20, 20) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shot.pixel(9, 15) & 0xFFFFFF, 0xFF0000u);

    back->Fill(Device(clLime));
    DDSURFACEDESC locked{};
    ASSERT_TRUE(back->Lock(nullptr, locked)); // a locked surface cannot be copied
    DX->Flip(Rect(50, 50, 60, 60));
    back->Unlock();
    DX->Flip(Rect(100, 100, 110, 110));
    shot = DX->grab().toImage();
    EXPECT_EQ(shot.pixel(55, 55) & 0xFFFFFF, 0x00FF00u); // left behind, now shown
    EXPECT_EQ(shot.pixel(105, 105) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shot.pixel(15, 15) & 0xFFFFFF, 0x0000FFu); // outside both parts: as it was
    EXPECT_EQ(shot.pixel(150, 20) & 0xFFFFFF, 0xFF0000u);

    DX->ApplyColorTable(DX->ColorTable); // a frame is now due
    ASSERT_TRUE(DX->FrameDue());
    DX->Flip(Rect(0, 0, 1, 1));
    EXPECT_FALSE(DX->FrameDue());
    EXPECT_EQ(Shown(150, 20), 0x00FF00u);
}

// A frame is due after every change the sprites cannot show: the surfaces rebuilt, resized, lost
// and restored, the palette written, the window uncovered; a presenting Flip settles it.
TEST_F(DXDrawAtWork, AFrameIsDueAfterEveryChangeOutsideTheSprites) {
    DX->Flip();
    ASSERT_FALSE(DX->FrameDue());
    const auto due = [this](auto change) {
        change();
        const bool was = DX->FrameDue();
        DX->Flip();
        return was && !DX->FrameDue();
    };
    EXPECT_TRUE(due([this] { DX->SetSize(120, 90); }));
    EXPECT_TRUE(due([this] { DX->ApplyColorTable(DX->ColorTable); }));
    EXPECT_TRUE(due([this] { LoseAllSurfaces(); DX->CanDraw(); }));
    EXPECT_TRUE(due([this] { DX->repaint(); }));
    EXPECT_TRUE(due([this] { DX->Finalize(); DX->Initialize(); }));
    DX->Flip();
    EXPECT_FALSE(DX->FrameDue()); // presenting alone changes nothing
}

// Presenting repaints only the part of the control no sibling covers; once uncovered, the control
// shows the frames presented meanwhile.
TEST(DXDrawSiblings, FramesLeaveSiblingsAboveAloneAndShowOnceUncovered) {
    TDisplayForm<TCountingDXDraw> window(60, 40);
    TCountingDXDraw* dx = window.DX();
    class TPanel : public QWidget {
    public:
        using QWidget::QWidget;
        int Paints = 0;

    protected:
        void paintEvent(QPaintEvent*) override { ++Paints; }
    } panel(window.Form()); // over the control's right half, as the side panel is
    panel.setGeometry(30, 0, 30, 40);
    window.Form()->show();
    Settle();
    ASSERT_TRUE(dx->Initialized());
    const int before = panel.Paints;
    for (TColor c : {clRed, clLime, clBlue}) {
        dx->Surface()->Fill(dx->Surface()->MatchColor(c));
        dx->Flip();
        Settle();
    }
    EXPECT_EQ(panel.Paints, before);
    panel.hide();
    Settle();
    EXPECT_EQ(dx->grab().toImage().pixel(45, 20) & 0xFFFFFFu, 0x0000FFu);
}

TEST_F(DXDrawAtWork, CentredAndStretchedPresentation) {
    DX->SetAutoSize(false);
    DX->SetSize(50, 40);
    ASSERT_EQ(DX->Surface()->Width(), 50);
    DX->Primary()->Fill(0);
    DX->Surface()->Fill(Device(clWhite));
    DX->Flip();
    // (200 - 50) div 2 = 75, (150 - 40) div 2 = 55
    EXPECT_EQ(Shown(74, 60), 0u);
    EXPECT_EQ(Shown(75, 55), 0xFFFFFFu);
    EXPECT_EQ(Shown(124, 94), 0xFFFFFFu);
    EXPECT_EQ(Shown(125, 94), 0u);
    EXPECT_EQ(Shown(100, 95), 0u);
    DX->SetOptions(TDXDrawOptions{doStretch});
    DX->Surface()->Fill(Device(clBlue));
    DX->Flip();
    EXPECT_EQ(Shown(0, 0), 0x0000FFu);
    EXPECT_EQ(Shown(199, 149), 0x0000FFu);
    DX->SetOptions(TDXDrawOptions{}); // neither: the top left-hand corner
    DX->Primary()->Fill(0);
    DX->Surface()->Fill(Device(clLime));
    DX->Flip();
    EXPECT_EQ(Shown(0, 0), 0x00FF00u);
    EXPECT_EQ(Shown(49, 39), 0x00FF00u);
    EXPECT_EQ(Shown(50, 39), 0u);
}

TEST_F(DXDrawAtWork, LostSurfacesAreRestoredOnceThePlatformAllows) {
    DX->Surface()->Fill(Device(clWhite));
    DX->Flip();
    SetFaults(DDFAULT_REFUSE_RESTORE);
    LoseAllSurfaces();
    DX->Primary()->Fill(0); // refused on a lost surface: the window keeps its picture
    EXPECT_FALSE(DX->CanDraw());
    EXPECT_FALSE(DX->CanDraw());
    DX->Flip(); // copies nothing
    EXPECT_EQ(Shown(5, 5), 0xFFFFFFu);
    EXPECT_TRUE(Kinds.empty());
    SetFaults(0);
    EXPECT_TRUE(DX->CanDraw());
    EXPECT_EQ(Kinds, (std::vector<std::string>{"dnRestore", "OnRestoreSurface"}));
    EXPECT_EQ(DX->Surface()->Pixels(5, 5), 0u); // cleared to device colour 0
    Kinds.clear();
    EXPECT_TRUE(DX->CanDraw());
    EXPECT_TRUE(Kinds.empty()); // nothing lost any more: no restore
}

TEST_F(DXDrawAtWork, SetSizeRebuildsTheBackSurface) {
    DX->SetSize(0, 0);
    EXPECT_EQ(DX->Surface()->Width(), 1);
    EXPECT_EQ(DX->Surface()->Height(), 1);
    EXPECT_EQ(Kinds, (std::vector<std::string>{"dnFinalizeSurface", "OnFinalizeSurface",
                                               "dnInitializeSurface", "OnInitializeSurface",
                                               "dnSurfaceSize"}));
    EXPECT_EQ(DX->RestoreNotifySuppress(), 0);
    Kinds.clear();
    DX->SetSize(1, 1); // the current size: nothing happens, nothing is told
    EXPECT_TRUE(Kinds.empty());
    DX->SetSurfaceWidth(64); // the other dimension stays
    EXPECT_EQ(DX->SurfaceWidth(), 64);
    EXPECT_EQ(DX->SurfaceHeight(), 1);
    EXPECT_TRUE(DX->CanDraw());
}

TEST_F(DXDrawAtWork, AutoSizeFollowsTheControl) {
    DX->resize(120, 90);
    Settle();
    EXPECT_EQ(DX->Surface()->Width(), 120);
    EXPECT_EQ(DX->Surface()->Height(), 90);
    EXPECT_EQ(Kinds.back(), "dnSurfaceSize");
    DX->SetAutoSize(false);
    DX->resize(140, 90);
    Settle();
    EXPECT_EQ(DX->Surface()->Width(), 120);
    DX->SetAutoSize(true); // takes the control's size again
    EXPECT_EQ(DX->Surface()->Width(), 140);
}

TEST_F(DXDrawAtWork, SetSizeWhileNotInitialisedOnlyStores) {
    DX->Finalize();
    Kinds.clear();
    DX->SetSize(30, 20);
    EXPECT_EQ(DX->SurfaceWidth(), 30);
    EXPECT_EQ(Kinds, (std::vector<std::string>{"dnSurfaceSize"}));
    DX->SetAutoSize(false);
    DX->Initialize();
    EXPECT_EQ(DX->Surface()->Width(), 30);
    EXPECT_EQ(DX->Surface()->Height(), 20);
}

TEST_F(DXDrawAtWork, ColorTableReachesThePaletteAroundTheStaticColours) {
    ASSERT_NE(DX->Palette()->PaletteInterface(), nullptr);
    DX->ColorTable[5] = {1, 2, 3, 0};
    DX->ColorTable[100] = {10, 20, 30, 0};
    DX->ApplyColorTable(DX->ColorTable);
    PALETTEENTRY e[256];
    ASSERT_TRUE(DX->Palette()->GetEntries(0, 256, e));
    EXPECT_EQ(e[100].peRed, 10);
    EXPECT_EQ(e[100].peGreen, 20);
    EXPECT_EQ(e[100].peBlue, 30);
    EXPECT_EQ(e[100].peFlags, 0x40);
    const TDXDrawRGB sys = SystemPaletteTable()[5];
    EXPECT_EQ(e[5].peRed, sys.Red); // static colours stay the system's
    EXPECT_EQ(e[5].peGreen, sys.Green);
    EXPECT_EQ(e[255].peRed, 255);
    EXPECT_EQ(e[0].peRed, 0);
    // A restore loads the default table, tells the listeners, then the control's own table.
    DX->Restore();
    ASSERT_TRUE(DX->Palette()->GetEntries(100, 1, e));
    EXPECT_EQ(e[0].peRed, 10);
}

TEST_F(DXDrawAtWork, MouseEventsCarryControlPixels) {
    std::vector<std::string> seen;
    DX->OnMouseDown = [&](QObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        EXPECT_EQ(s, DX);
        seen.push_back("down " + std::to_string(b) + " " + std::to_string(sh) + " " +
                       std::to_string(x) + "," + std::to_string(y));
    };
    DX->OnMouseMove = [&](QObject*, TShiftState sh, int x, int y) {
        seen.push_back("move " + std::to_string(sh) + " " + std::to_string(x) + "," +
                       std::to_string(y));
    };
    DX->OnMouseUp = [&](QObject*, TMouseButton b, TShiftState sh, int x, int y) {
        seen.push_back("up " + std::to_string(b) + " " + std::to_string(sh) + " " +
                       std::to_string(x) + "," + std::to_string(y));
    };
    auto send = [&](QEvent::Type t, QPointF p, Qt::MouseButton b, Qt::MouseButtons bs,
                    Qt::KeyboardModifiers m) {
        QMouseEvent e(t, p, DX->mapToGlobal(p), b, bs, m);
        QCoreApplication::sendEvent(DX, &e);
    };
    send(QEvent::MouseButtonPress, {40, 120}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    send(QEvent::MouseMove, {75, 121}, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    send(QEvent::MouseButtonRelease, {76, 122}, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    send(QEvent::MouseButtonPress, {3, 4}, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(seen, (std::vector<std::string>{"down 0 9 40,120", "move 8 75,121", "up 0 4 76,122",
                                              "down 1 16 3,4"}));
}

TEST(DXDrawWindowless, NothingToDrawOrFlipBeforeInitialisation) {
    SetFaults(0);
    TDXDraw dx;
    EXPECT_FALSE(dx.CanDraw());
    EXPECT_FALSE(dx.CheckSurfaces());
    dx.Flip();
    dx.Restore();
    dx.ApplyColorTable(dx.ColorTable);
    EXPECT_FALSE(dx.Initialized());
    const QImage shot = dx.grab().toImage(); // paints the control's colour, button face
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(shot.pixel(50, 50), qRgb(GetRValue(face), GetGValue(face), GetBValue(face)));
}

} // namespace
