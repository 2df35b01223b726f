// Frames put straight into the X window: the pixels land where the widget lies, a window that
// is uncovered shows the newest ones and not the backing store's older copy, the game's drag
// frames take this way and the window then shows the board's picture; and where the way cannot
// be taken (a scaled screen, a server over the network, a whole frame, another pixel format) the
// toolkit's repaint takes over.
#include "display/DXDraws.Control.h"
#include "platform/ui/DirectPresenter.h"
#include "tests/game/MainWindowHarness.h"
#include "tests/support/RunUntil.h"

#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>

namespace {

int ExpectedDpi() {
    const char* dpi = std::getenv("ZELVAN_EXPECTED_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

// Whether pixels can go straight: not on a scaled screen, where widget pixels are not device
// pixels, and not to a server reached over the network (over-tcp.sh), which cannot share this
// machine's memory.
bool DirectWayExpected() {
    return ExpectedDpi() == 96 && !std::getenv("ZELVAN_X_OVER_TCP");
}

// The X server's pixels of a rectangle of a widget (widget coordinates, unscaled screen).
QImage WindowPixels(QWidget* Widget, const QRect& Area) {
    const QPoint at = Widget->mapTo(Widget->window(), Area.topLeft());
    return Widget->screen()
        ->grabWindow(Widget->window()->winId(), at.x(), at.y(), Area.width(), Area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Number of pixels of Area where the window differs from Picture (widget coordinates).
int WindowDifferences(QWidget* Widget, const QImage& Picture, const QRect& Area) {
    const QImage shown = WindowPixels(Widget, Area);
    int count = 0;
    for (int y = 0; y < Area.height(); ++y)
        for (int x = 0; x < Area.width(); ++x)
            if ((shown.pixel(x, y) & 0xFFFFFF) !=
                (Picture.pixel(Area.x() + x, Area.y() + y) & 0xFFFFFF))
                ++count;
    return count;
}

// Covers a top-level window with a bare window of the same place and size, then takes it away:
// the X server sends the window an exposure for everything it uncovers.
void CoverAndUncover(QWidget* Window) {
    QWidget cover(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    cover.setGeometry(QRect(Window->mapToGlobal(QPoint(0, 0)), Window->size()));
    cover.setAutoFillBackground(true);
    cover.setPalette(QPalette(Qt::magenta));
    cover.show();
    ASSERT_TRUE(RunUntil([&] { return cover.windowHandle()->isExposed(); }));
    QTest::qWait(100); // let the server draw the cover before it goes
    cover.hide();
}

// A widget that paints the picture it holds, as the display control paints its presented image.
class TPictureWidget : public QWidget {
public:
    using QWidget::QWidget;
    QImage Picture;
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        ++Paints;
        QPainter(this).drawImage(0, 0, Picture);
    }
};

QImage Filled(QSize Size, QColor Colour) {
    QImage image(Size, QImage::Format_RGB32);
    image.fill(Colour);
    return image;
}

// An image whose pixels lie in a System V shared-memory segment of their own, from its first
// byte, as the display device keeps a window's pixels; Segment gets the segment's id.
QImage SharedFilled(QSize Size, QColor Colour, int& Segment) {
    Segment = shmget(IPC_PRIVATE, size_t(Size.width()) * size_t(Size.height()) * 4, IPC_CREAT | 0600);
    if (Segment < 0) return QImage();
    void* at = shmat(Segment, nullptr, 0);
    shmctl(Segment, IPC_RMID, nullptr);
    if (at == reinterpret_cast<void*>(-1)) return QImage();
    QImage image(static_cast<uchar*>(at), Size.width(), Size.height(), Size.width() * 4,
                 QImage::Format_RGB32, [](void* pixels) { shmdt(pixels); }, at);
    image.fill(Colour);
    return image;
}

TEST(DirectPresenter, PutsRectanglesWhereTheWidgetLiesAndUncoveringShowsTheNewestPixels) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
        << "runs on an X server (tests/windowmanager/under-openbox.sh)";
    QWidget window;
    window.resize(420, 220); // its size from the first showing: a manager resizes in its own time
    auto* display = new TPictureWidget(&window);
    display->setGeometry(30, 20, 200, 150); // not at the window's origin
    display->Picture = Filled(display->size(), Qt::blue);
    window.show();
    ASSERT_TRUE(RunUntil([&] { return window.windowHandle()->isExposed() && display->Paints > 0; }));
    TDirectPresenter presenter;
    QImage next = display->Picture;
    QPainter(&next).fillRect(10, 20, 50, 30, Qt::red);
    QPainter(&next).fillRect(100, 60, 40, 40, Qt::green);
    const QRegion changed = QRegion(10, 20, 50, 30) + QRegion(100, 60, 40, 40);

    if (!DirectWayExpected()) {
        EXPECT_FALSE(presenter.Show(display, next, changed));
        EXPECT_TRUE(presenter.Unpainted().isEmpty());
        return;
    }
    ASSERT_TRUE(presenter.Usable()) << "a local X server with MIT-SHM";
    ASSERT_TRUE(RunUntil([&] { return WindowDifferences(display, display->Picture, display->rect()) == 0; }));
    const int paints = display->Paints;
    ASSERT_TRUE(presenter.Show(display, next, changed));
    EXPECT_EQ(presenter.Unpainted(), changed);
    // The changed rectangles and nothing else, at the widget's place, with no paint.
    EXPECT_EQ(WindowDifferences(display, next, display->rect()), 0);
    EXPECT_EQ(display->Paints, paints);

    // The widget's picture is the new one now, the backing store still holds the old: an
    // uncovered window must show the new.
    display->Picture = next;
    CoverAndUncover(&window);
    EXPECT_TRUE(RunUntil([&] { return display->Paints > paints; }))
        << "the uncovered parts were flushed from the backing store without a paint";
    EXPECT_TRUE(RunUntil([&] { return WindowDifferences(display, next, display->rect()) == 0; }));
    EXPECT_TRUE(presenter.Unpainted().isEmpty());

    // Pixels that lie in shared memory of their own go from there, however many: a whole
    // picture over MaxBytes, and again after a write into the same memory.
    auto* large = new TPictureWidget(&window);
    large->setGeometry(0, 0, 400, 200);
    large->show();
    ASSERT_TRUE(RunUntil([&] { return large->Paints > 0 && window.windowHandle()->isExposed(); }));
    int segment = -1;
    QImage shared = SharedFilled(QSize(400, 200), Qt::cyan, segment);
    ASSERT_FALSE(shared.isNull());
    ASSERT_TRUE(presenter.Show(large, shared, shared.rect(), segment));
    EXPECT_EQ(WindowDifferences(large, shared, large->rect()), 0);
    QPainter(&shared).fillRect(300, 150, 60, 30, Qt::darkRed);
    ASSERT_EQ(shared.constBits(), shared.bits()); // written in place
    ASSERT_TRUE(presenter.Show(large, shared, QRegion(300, 150, 60, 30), segment));
    EXPECT_EQ(WindowDifferences(large, shared, large->rect()), 0);

    // What cannot go this way is left to the toolkit.
    const QImage big = Filled(QSize(400, 200), Qt::yellow); // over MaxBytes, not shared
    EXPECT_FALSE(presenter.Show(large, big, big.rect()));
    EXPECT_FALSE(presenter.Show(display, next.convertToFormat(QImage::Format_ARGB32), changed));
    display->hide();
    EXPECT_FALSE(presenter.Show(display, next, changed));
}

class DirectFramesOfTheGame : public MainWindowTest {};

TEST_F(DirectFramesOfTheGame, DragFramesGoStraightToTheWindowWhichShowsTheBoard) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    Start();
    TCustomDXDraw* dx = Form->DXDraw1;
    ASSERT_TRUE(RunUntil([&] { return Form->windowHandle()->isExposed(); }));
    RunTicks(2);
    Form->btnScrambleclick(nullptr);
    RunTicks(1);
    const unsigned long direct = dx->FramesShownDirectly();
    QTest::mousePress(dx, Qt::LeftButton, {}, {119, 258});
    for (int x = 125; x <= 245; x += 6) {
        QTest::mouseMove(dx, {x, 258});
        RunTicks(1);
    }
    QTest::mouseRelease(dx, Qt::LeftButton, {}, {245, 258});
    RunTicks(2);
    ASSERT_TRUE(Reported.empty()) << Reported.front();
    if (!DirectWayExpected()) {
        EXPECT_EQ(dx->FramesShownDirectly(), direct) << "the toolkit's to paint here";
        if (ExpectedDpi() != 96) return; // the window holds scaled pixels
    } else {
        EXPECT_GE(dx->FramesShownDirectly(), direct + 15) << "most drag frames go straight";
    }
    const QImage board = Expected(false);
    const QRect play(0, 0, 390, 480); // left of the panel and texts that lie over the display
    EXPECT_EQ(WindowDifferences(dx, board, play), 0);
    // Uncovered, the window repaints from the newest frame, not from what it last painted.
    CoverAndUncover(Form);
    EXPECT_TRUE(RunUntil([&] { return WindowDifferences(dx, board, play) == 0; }));
}

} // namespace
