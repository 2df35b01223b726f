// Every window of the program under a Wayland compositor that draws no decorations: the framed
// ones are frameless and carry the drawn title bar (minimise and close as their flags ask, never
// maximise) above content moved down by it; the sizeable congratulation dialog also gets resize
// grips along its edges and keeps its outer size with the bar; the splash stays bare; the error
// box gets the bar too.
#include "controls/brixColorButton.h"
#include "game/MainForm.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/DrawnTitleBar.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ResizeGrip.h"
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"
#include "shell/SplashScreen.h"
#include "shell/Winner.h"
#include "tests/support/InsideModal.h"
#include "tests/support/RunUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

bool Exposed(QWidget* Window) {
    return Window->windowHandle() && Window->windowHandle()->isExposed();
}

class DrawnTitleBars : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
            << "runs as a Wayland client (tests/wayland/under-weston.sh)";
        ASSERT_FALSE(TDrawnTitleBar::CompositorDecorates())
            << "weston offers no server-side decorations";
        App = std::make_unique<TApplication>();
        Main = new TForm1;
        Form1 = Main;
    }
    void TearDown() override {
        delete Main;
        Form1 = nullptr;
        App.reset();
    }

    // The window, shown, is frameless natively too and carries the bar across its top with the
    // buttons given, and all its other children lie below the bar.
    static void ExpectDrawnBar(QWidget* Window, bool Minimise, bool Close) {
        SCOPED_TRACE(Window->windowTitle().toStdString());
        ASSERT_TRUE(RunUntil([&] { return Exposed(Window); })) << "never exposed";
        EXPECT_TRUE(Window->windowHandle()->flags().testFlag(Qt::FramelessWindowHint));
        TDrawnTitleBar* bar = TDrawnTitleBar::Of(Window);
        ASSERT_NE(bar, nullptr);
        const int h = TDrawnTitleBar::BarHeight();
        EXPECT_EQ(bar->geometry(), QRect(0, 0, Window->width(), h));
        EXPECT_TRUE(bar->isVisible());
        EXPECT_EQ(bar->MinimiseButton() != nullptr, Minimise);
        EXPECT_EQ(bar->CloseButton() != nullptr, Close);
        EXPECT_EQ(int(bar->findChildren<QAbstractButton*>().size()), int(Minimise) + int(Close))
            << "no maximise button";
        for (QWidget* child :
             Window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child == bar || qobject_cast<TResizeGrip*>(child) || !child->isVisible()) continue;
            EXPECT_GE(child->y(), h) << child->objectName().toStdString();
        }
    }

    std::unique_ptr<TApplication> App;
    TForm1* Main = nullptr;
};

TEST_F(DrawnTitleBars, FixedSizeWindowsCarryTheBarAndTheirContentBelowIt) {
    const int h = TDrawnTitleBar::BarHeight();
    Main->show();
    ExpectDrawnBar(Main, true, true);
    EXPECT_EQ(Main->size(), QSize(600, 480 + h));
    EXPECT_EQ(Main->DXDraw1->mapTo(Main, QPoint(0, 0)).y(), h)
        << "the board's display starts right below the bar";

    // Options and Help have the close box alone, the high-score entry no button; the close box
    // ends the modal showing like the platform's would.
    TfrmOptions options;
    TfrmHelp help;
    TfrmHighScore highScore;
    const struct {
        TDialogForm* Dialog;
        QSize Client;
        bool Close;
    } dialogs[] = {
        {&options, {379, 207}, true}, {&help, {509, 412}, true}, {&highScore, {486, 204}, false}};
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.Dialog->windowTitle().toStdString());
        int result = -1;
        const bool ran = RunInsideModalOf(
            d.Dialog, [&] { result = d.Dialog->ShowModal(); },
            [&] {
                ExpectDrawnBar(d.Dialog, false, d.Close);
                EXPECT_EQ(d.Dialog->size(), d.Client + QSize(0, h));
                TDrawnTitleBar* bar = TDrawnTitleBar::Of(d.Dialog);
                if (bar && bar->CloseButton())
                    QTest::mouseClick(bar->CloseButton(), Qt::LeftButton);
                else
                    d.Dialog->close();
            });
        EXPECT_TRUE(ran);
        EXPECT_FALSE(d.Dialog->isVisible());
        EXPECT_EQ(result, mrCancel);
        // The bar is attached once: a second showing neither adds one nor moves anything again.
        d.Dialog->show();
        ASSERT_TRUE(RunUntil([&] { return Exposed(d.Dialog); }));
        EXPECT_EQ(d.Dialog->size(), d.Client + QSize(0, h));
        EXPECT_EQ(d.Dialog->findChildren<TDrawnTitleBar*>().size(), 1);
        d.Dialog->hide();
    }
}

// The grips of a sizeable window, visible, one per edge and corner, each touching its edges.
void ExpectGripsAtEdges(QWidget* Window) {
    TDrawnTitleBar* bar = TDrawnTitleBar::Of(Window);
    ASSERT_NE(bar, nullptr);
    Qt::Edges::Int seen[16] = {};
    for (TResizeGrip* grip : bar->Grips()) {
        if (!grip->isVisible()) continue;
        const Qt::Edges edges = grip->Edges();
        const QRect place = grip->geometry();
        SCOPED_TRACE(int(edges));
        ++seen[int(edges)];
        EXPECT_EQ(EdgesTouched(place, Window->size()), edges) << "lies over its own edges alone";
    }
    for (Qt::Edges edges :
         {Qt::Edges(Qt::LeftEdge), Qt::Edges(Qt::TopEdge), Qt::Edges(Qt::RightEdge),
          Qt::Edges(Qt::BottomEdge), Qt::TopEdge | Qt::LeftEdge, Qt::TopEdge | Qt::RightEdge,
          Qt::BottomEdge | Qt::LeftEdge, Qt::BottomEdge | Qt::RightEdge})
        EXPECT_EQ(seen[int(edges)], 1) << "grip for edges " << int(edges);
}

TEST_F(DrawnTitleBars, CongratulationDialogCarriesTheBarAndGripsWithinItsOuterSize) {
    const int h = TDrawnTitleBar::BarHeight();
    TfrmWinner winner;
    winner.show();
    ExpectDrawnBar(&winner, false, false);
    EXPECT_EQ(winner.windowHandle()->frameMargins(), QMargins()) << "no frame of Qt's own";
    EXPECT_EQ(winner.frameGeometry().size(), QSize(TfrmWinner::OuterWidth, TfrmWinner::OuterHeight))
        << "the bar is the frame";
    EXPECT_EQ(winner.RichEdit1->geometry(), QRect(0, h, TfrmWinner::OuterWidth, 209));
    EXPECT_EQ(winner.btnClose->geometry(), QRect(136, 232 + h, 136, 28));
    ExpectGripsAtEdges(&winner);

    // The player's size (here set by the program: a Wayland client sizes its own surface): the
    // text box follows the width below the bar, CLOSE keeps its place, the grips their edges.
    winner.resize(520, 380);
    ASSERT_TRUE(RunUntil([&] { return winner.size() == QSize(520, 380); }));
    QApplication::processEvents();
    EXPECT_EQ(TDrawnTitleBar::Of(&winner)->geometry(), QRect(0, 0, 520, h));
    EXPECT_EQ(winner.RichEdit1->geometry(), QRect(0, h, 520, 209));
    EXPECT_EQ(winner.btnClose->geometry(), QRect(136, 232 + h, 136, 28));
    ExpectGripsAtEdges(&winner);
    winner.hide();
}

TEST_F(DrawnTitleBars, SplashStaysBare) {
    TfrmSplash splash;
    splash.show();
    ASSERT_TRUE(RunUntil([&] { return Exposed(&splash); }));
    EXPECT_EQ(TDrawnTitleBar::Of(&splash), nullptr);
    EXPECT_EQ(splash.size(), QSize(479, 328));
    splash.hide();
}

TEST_F(DrawnTitleBars, ErrorBoxCarriesTheBarAndItsCloseBoxEndsIt) {
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || seen || !Exposed(box)) return;
        seen = true;
        ExpectDrawnBar(box, false, true);
        TDrawnTitleBar* bar = TDrawnTitleBar::Of(box);
        if (bar && bar->CloseButton())
            QTest::mouseClick(bar->CloseButton(), Qt::LeftButton);
        else
            box->close();
    });
    poll.start(5);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    guard.start(20000);
    Application->HandleException(nullptr, Exception("A picture cannot be read"));
    EXPECT_TRUE(seen) << "the error box never came up";
}

} // namespace
