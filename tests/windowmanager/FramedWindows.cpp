// Every window of the program under a real window manager: centred by its framed geometry once
// the manager has framed it, the congratulation dialog's outer size with the frame, and no title
// bar outside the screen when the screen's resolution setting makes the windows larger than it;
// and a flat button whose dialog hid under the real pointer is flat at the next showing.
#include "controls/brixColorButton.h"
#include "game/MainForm.h"
#include "platform/ui/Forms.h"
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"
#include "shell/WindowPlacement.h"
#include "shell/Winner.h"
#include "tests/support/RunUntil.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

int ExpectedDpi() {
    const char* dpi = std::getenv("ZELVAN_EXPECTED_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

class FramedWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
            << "runs on an X server with a window manager (tests/windowmanager/under-openbox.sh)";
        App = std::make_unique<TApplication>();
        Main = new TForm1;
        Form1 = Main;
    }
    void TearDown() override {
        delete Main;
        Form1 = nullptr;
        App.reset();
    }

    // Shows the window, waits until the manager has framed it and the placement has settled, and
    // checks where the frame is.
    static void ExpectFramedAndPlaced(QWidget* Window) {
        SCOPED_TRACE(Window->windowTitle().toStdString());
        Window->show();
        ASSERT_TRUE(RunUntil([&] { return !TFramedPlacement::FrameOf(Window).isNull(); }))
            << "the window manager never framed the window";
        const QRect area = Window->screen()->availableGeometry();
        const auto placed = [&] {
            const QRect frame = Framed(Window);
            return frame.topLeft() == CentredPosition(area, frame.size());
        };
        EXPECT_TRUE(RunUntil(placed))
            << "frame " << Describe(Framed(Window)) << " in the area " << Describe(area);
        const QRect frame = Framed(Window);
        // The title bar is the frame's top strip: all of it on screen, or where the window is
        // larger than the screen, its beginning (the top-left corner).
        EXPECT_GE(frame.top(), area.top()) << Describe(frame);
        EXPECT_GE(frame.left(), area.left()) << Describe(frame);
        if (frame.width() <= area.width()) {
            EXPECT_LE(frame.right(), area.right()) << Describe(frame);
        }
        if (frame.height() <= area.height()) {
            EXPECT_LE(frame.bottom(), area.bottom()) << Describe(frame);
        }
    }

    // The outer geometry from the margins the window system reports now (QWidget's own figure
    // may lag behind).
    static QRect Framed(const QWidget* Window) {
        return Window->geometry().marginsAdded(TFramedPlacement::FrameOf(Window));
    }

    static std::string Describe(const QRect& r) {
        return std::to_string(r.width()) + " x " + std::to_string(r.height()) + " at " +
               std::to_string(r.x()) + ", " + std::to_string(r.y());
    }

    std::unique_ptr<TApplication> App;
    TForm1* Main = nullptr;
};

TEST_F(FramedWindows, EveryWindowIsCentredByItsFrameWithItsTitleBarOnScreen) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const double scale = ExpectedDpi() / 96.0;
    ASSERT_DOUBLE_EQ(screen->devicePixelRatio(), scale) << "Xft.dpi " << ExpectedDpi();

    ExpectFramedAndPlaced(Main);
    if (scale > 1) {
        EXPECT_GT(Framed(Main).height(), screen->availableGeometry().height())
            << "at this scale the main window is taller than the screen";
        EXPECT_EQ(Framed(Main).topLeft(), screen->availableGeometry().topLeft());
    }

    TfrmOptions options;
    TfrmHelp help;
    TfrmHighScore highScore;
    for (QWidget* dialog : std::initializer_list<QWidget*>{&options, &help, &highScore}) {
        ExpectFramedAndPlaced(dialog);
        dialog->hide();
    }

    // The congratulation dialog's outer size includes the manager's frame; a second showing keeps
    // the size and is centred again.
    TfrmWinner winner;
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        ExpectFramedAndPlaced(&winner);
        // Placed first, sized once the manager reports the frame: a loaded machine may look in
        // between. Margins in scaled pixels may round by one.
        const int slack = scale == 1 ? 0 : 1;
        const auto outerSize = [&] {
            const QSize size = Framed(&winner).size();
            return std::abs(size.width() - TfrmWinner::OuterWidth) <= slack &&
                   std::abs(size.height() - TfrmWinner::OuterHeight) <= slack;
        };
        EXPECT_TRUE(RunUntil(outerSize)) << "outer size " << Framed(&winner).width() << " x "
                                         << Framed(&winner).height();
        const QMargins frame = TFramedPlacement::FrameOf(&winner);
        EXPECT_GT(frame.top(), 0) << "a title bar was added; the frame reported is " << frame.left()
                                  << ", " << frame.top() << ", " << frame.right() << ", "
                                  << frame.bottom();
        winner.hide();
        QApplication::processEvents();
    }
}

TEST_F(FramedWindows, ButtonThatClosedItsDialogIsFlatAtTheNextShowing) {
    // Help's CLOSE clicked with the real pointer: the dialog hides under it, and at the next
    // showing, with the pointer elsewhere, the button must not be painted hot.
    TfrmHelp help;
    bool hotAtNextShowing = true;
    QTimer::singleShot(0, &help, [&] {
        ASSERT_TRUE(RunUntil([&] { return help.windowHandle()->isExposed(); }));
        const QPoint centre = help.btnClose->mapToGlobal(help.btnClose->rect().center());
        if (!help.screen()->geometry().contains(centre)) {
            help.close(); // doubled, the dialog is taller than the screen: CLOSE is off it
            return;
        }
        QCursor::setPos(centre);
        ASSERT_TRUE(RunUntil([&] { return help.btnClose->MouseInside(); })) << "never entered";
        const QPoint at = help.btnClose->mapTo(&help, help.btnClose->rect().center());
        QTest::mouseClick(help.windowHandle(), Qt::LeftButton, {}, at);
    });
    help.ShowModal();
    ASSERT_FALSE(help.isVisible());
    if (!help.screen()->geometry().contains(
            help.btnClose->mapToGlobal(help.btnClose->rect().center())))
        GTEST_SKIP() << "CLOSE is off the screen at this scale";
    QCursor::setPos(QPoint(2, 2));
    QApplication::processEvents();
    QTimer::singleShot(0, &help, [&] {
        RunUntil([&] { return help.windowHandle()->isExposed(); });
        QApplication::processEvents();
        hotAtNextShowing = help.btnClose->MouseInside();
        help.close();
    });
    help.ShowModal();
    EXPECT_FALSE(hotAtNextShowing);
}

} // namespace
