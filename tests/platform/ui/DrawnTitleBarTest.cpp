// The drawn title bar on a plain platform: the room it takes, its buttons, what they do; and the
// Wayland registry query against a compositor made in the test.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

#include <wayland-server.h>

#include <cstdlib>
#include <thread>

#include "platform/ui/DrawnTitleBar.h"
#include "platform/ui/ResizeGrip.h"
#include "platform/ui/WaylandGlobals.h"
#include "tests/support/RunUntil.h"

namespace {

constexpr Qt::WindowFlags MainWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

int ButtonCount(const TDrawnTitleBar* Bar) {
    return int(Bar->findChildren<QAbstractButton*>().size());
}

TEST(DrawnTitleBar, WindowOfPlacedChildrenMovesThemDownAndGrowsItsFixedSize) {
    QWidget window(nullptr, MainWindowFlags);
    window.setWindowTitle(QStringLiteral("Board"));
    window.setFixedSize(200, 100);
    auto* shown = new QLabel(QStringLiteral("x"), &window);
    shown->setGeometry(10, 20, 50, 30);
    auto* hidden = new QLabel(&window);
    hidden->setGeometry(0, 0, 5, 5);
    hidden->hide();

    EXPECT_FALSE(TDrawnTitleBar::Wanted(&window)) << "only under Wayland";
    EXPECT_EQ(TDrawnTitleBar::AttachIfWanted(&window), nullptr);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::FramelessWindowHint));

    TDrawnTitleBar* bar = TDrawnTitleBar::Attach(&window);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(TDrawnTitleBar::Attach(&window), bar) << "one bar per window";
    EXPECT_EQ(TDrawnTitleBar::Of(&window), bar);
    const int h = TDrawnTitleBar::BarHeight();
    EXPECT_GE(h, 24);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.minimumSize(), QSize(200, 100 + h));
    EXPECT_EQ(window.maximumSize(), QSize(200, 100 + h));
    EXPECT_EQ(shown->pos(), QPoint(10, 20 + h));
    EXPECT_EQ(hidden->pos(), QPoint(0, h));

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), QSize(200, 100 + h));
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 200, h));
    ASSERT_NE(bar->MinimiseButton(), nullptr);
    ASSERT_NE(bar->CloseButton(), nullptr);
    EXPECT_EQ(ButtonCount(bar), 2) << "no maximise button";
    EXPECT_LT(bar->MinimiseButton()->x(), bar->CloseButton()->x());
    EXPECT_EQ(window.childAt(15, 25 + h), shown) << "the bar covers nothing of the content";
    EXPECT_TRUE(bar->Grips().empty()) << "a fixed size has no resize grips";

    // A double click on the bar does not maximise; the buttons minimise and close.
    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(40, h / 2));
    EXPECT_FALSE(window.windowState() & Qt::WindowMaximized);
    QTest::mouseClick(bar->MinimiseButton(), Qt::LeftButton);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
    window.showNormal();
    QTest::mouseClick(bar->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

TEST(DrawnTitleBar, ButtonsAreThoseTheWindowsFlagsAskFor) {
    const struct {
        Qt::WindowFlags Flags;
        bool Minimise, Close;
    } cases[] = {
        {MainWindowFlags, true, true},
        {Qt::Window, true, true},
        {Qt::Dialog, false, true},
        {Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint,
         false, true},
        {Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint, false, false},
        {Qt::Window | Qt::CustomizeWindowHint | Qt::WindowMaximizeButtonHint, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.Flags));
        QWidget window(nullptr, c.Flags | Qt::WindowStaysOnTopHint);
        window.setFixedSize(100, 50);
        TDrawnTitleBar* bar = TDrawnTitleBar::Attach(&window);
        EXPECT_EQ(bar->MinimiseButton() != nullptr, c.Minimise);
        EXPECT_EQ(bar->CloseButton() != nullptr, c.Close);
        EXPECT_EQ(ButtonCount(bar), int(c.Minimise) + int(c.Close));
        const Qt::WindowFlags flags = window.windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(flags & Qt::WindowType_Mask, c.Flags & Qt::WindowType_Mask);
    }
}

TEST(DrawnTitleBar, MessageBoxKeepsItsContentBelowTheBarAsItSizesItself) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Title"),
                    QStringLiteral("Something went wrong\nwith two lines"), QMessageBox::Ok);
    TDrawnTitleBar* bar = TDrawnTitleBar::Attach(&box);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const int h = TDrawnTitleBar::BarHeight();
    EXPECT_EQ(bar->geometry(), QRect(0, 0, box.width(), h)) << "the bar follows the box's size";
    for (TResizeGrip* grip : bar->Grips())
        EXPECT_FALSE(grip->isVisible()) << "the box fixes its size as it is shown";
    ASSERT_NE(bar->CloseButton(), nullptr);
    for (QWidget* child : box.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == bar || !child->isVisible()) continue;
        EXPECT_GE(child->y(), h) << child->metaObject()->className();
        EXPECT_LE(child->geometry().bottom(), box.height() - 1)
            << child->metaObject()->className() << " inside the box";
    }
    QTest::mouseClick(bar->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
}

// Each grip lies over its own edge or corner of the window, above the content.
void ExpectGripsAtEdges(QWidget* Window, TDrawnTitleBar* Bar) {
    const std::vector<TResizeGrip*> grips = Bar->Grips();
    ASSERT_EQ(grips.size(), 8u) << "four edges and four corners";
    Qt::Edges covered;
    for (TResizeGrip* grip : grips) {
        const Qt::Edges edges = grip->Edges();
        const QRect place = grip->geometry();
        SCOPED_TRACE(int(edges));
        EXPECT_TRUE(grip->isVisible());
        covered |= edges;
        EXPECT_EQ(EdgesTouched(place, Window->size()), edges) << "lies over its own edges alone";
        EXPECT_LE(std::min(place.width(), place.height()), 16) << "a thin grip";
    }
    EXPECT_EQ(covered, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    // Every edge point takes the pointer to a grip, with the matching cursor; the bar and the
    // content lie beneath.
    const int w = Window->width(), h = Window->height();
    const struct {
        QPoint At;
        Qt::CursorShape Cursor;
    } points[] = {{{0, h / 2}, Qt::SizeHorCursor},    {{w - 1, h / 2}, Qt::SizeHorCursor},
                  {{w / 2, 0}, Qt::SizeVerCursor},    {{w / 2, h - 1}, Qt::SizeVerCursor},
                  {{0, 0}, Qt::SizeFDiagCursor},      {{w - 1, h - 1}, Qt::SizeFDiagCursor},
                  {{w - 1, 0}, Qt::SizeBDiagCursor},  {{0, h - 1}, Qt::SizeBDiagCursor},
                  {{w - 1, 14}, Qt::SizeBDiagCursor}, {{14, h - 1}, Qt::SizeBDiagCursor}};
    for (const auto& p : points) {
        SCOPED_TRACE(testing::Message() << p.At.x() << "," << p.At.y());
        auto* grip = qobject_cast<TResizeGrip*>(Window->childAt(p.At));
        ASSERT_NE(grip, nullptr);
        EXPECT_EQ(grip->cursor().shape(), p.Cursor);
    }
    // Inside a corner's square but off its two strips, the window's own children are reached.
    EXPECT_EQ(Window->childAt(10, 10), Bar);
    EXPECT_FALSE(qobject_cast<TResizeGrip*>(Window->childAt(w - 10, h - 10)));
}

TEST(DrawnTitleBar, SizeableWindowGetsGripsAtItsEdgesKeptThereAndAboveTheContent) {
    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* text = new QTextEdit(&window);
    layout->addWidget(text);
    window.resize(300, 200);
    const int h = TDrawnTitleBar::BarHeight();

    TDrawnTitleBar* bar = TDrawnTitleBar::Attach(&window);
    EXPECT_EQ(bar->MinimiseButton(), nullptr);
    EXPECT_EQ(bar->CloseButton(), nullptr);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    {
        SCOPED_TRACE("as shown");
        ExpectGripsAtEdges(&window, bar);
    }
    EXPECT_EQ(text->geometry().top(), h);

    window.resize(420, 260);
    QApplication::processEvents();
    ASSERT_EQ(window.size(), QSize(420, 260));
    {
        SCOPED_TRACE("resized");
        ExpectGripsAtEdges(&window, bar);
    }
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 420, h));
    EXPECT_EQ(text->geometry(), QRect(0, h, 420, 260 - h)) << "content below the bar";

    // Content added later goes beneath the bar and the grips.
    auto* late = new QLabel(QStringLiteral("late"), &window);
    late->setGeometry(0, 0, 420, 260);
    late->show();
    QApplication::processEvents();
    EXPECT_EQ(window.childAt(200, h / 2), bar);
    EXPECT_TRUE(qobject_cast<TResizeGrip*>(window.childAt(0, 100)));

    // A size fixed later takes the grips away.
    window.setFixedSize(420, 260);
    window.resize(420, 260);
    window.hide();
    window.show();
    QApplication::processEvents();
    for (TResizeGrip* grip : bar->Grips())
        EXPECT_FALSE(grip->isVisible());
}

// A compositor in a thread of the test, advertising one global of the given interface name.
class TFakeCompositor {
public:
    explicit TFakeCompositor(const char* Global)
        : FInterface{Global, 1, 0, nullptr, 0, nullptr}, FDisplay(wl_display_create()) {
        wl_global_create(FDisplay, &FInterface, 1, nullptr,
                         [](wl_client*, void*, uint32_t, uint32_t) {});
        FSocket = wl_display_add_socket_auto(FDisplay);
        if (FSocket) FThread = std::thread([this] { wl_display_run(FDisplay); });
    }
    ~TFakeCompositor() {
        wl_display_terminate(FDisplay);
        if (FThread.joinable()) FThread.join();
        wl_display_destroy(FDisplay);
    }
    const char* Socket() const { return FSocket; }

private:
    wl_interface FInterface;
    wl_display* FDisplay;
    const char* FSocket = nullptr;
    std::thread FThread;
};

TEST(WaylandGlobals, TellsWhetherTheCompositorAdvertisesAnInterface) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    {
        TFakeCompositor decorating("zxdg_decoration_manager_v1");
        TFakeCompositor plain("wl_compositor");
        ASSERT_NE(decorating.Socket(), nullptr);
        ASSERT_NE(plain.Socket(), nullptr);
        EXPECT_EQ(WaylandAdvertises(decorating.Socket(), "zxdg_decoration_manager_v1"), true);
        EXPECT_EQ(WaylandAdvertises(plain.Socket(), "zxdg_decoration_manager_v1"), false);
        EXPECT_EQ(WaylandAdvertises("zelvan-no-such-compositor", "wl_compositor"), std::nullopt);

        // A socket handed down to the process is the application's, never taken over here.
        qputenv("WAYLAND_SOCKET", "99");
        EXPECT_EQ(WaylandAdvertises(nullptr, "wl_compositor"), std::nullopt);
        EXPECT_EQ(qgetenv("WAYLAND_SOCKET"), QByteArray("99"));
        qunsetenv("WAYLAND_SOCKET");
    }
    if (previousRuntime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", previousRuntime);
}

} // namespace
