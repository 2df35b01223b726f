// The program body run in-process: it creates every window hidden, shows the splash and then the
// board, and frees every window when the main window closes.
#include "game/MainForm.h"
#include "platform/ui/Forms.h"
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"
#include "shell/SplashScreen.h"
#include "shell/Winner.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

int ZelvanProgramBody(int argc, char** argv);

namespace {

struct TSeen {
    bool SplashUp = false;
    bool BoardUp = false;
    bool MainFormIsTheBoard = false;
    std::string Missing;
    std::string Visible;
};
TSeen Seen;

// What the board's first showing finds: each dialog made and still hidden.
void LookAtTheWindows() {
    Seen.BoardUp = true;
    Seen.MainFormIsTheBoard = Application && Application->MainForm() == Form1;
    const std::pair<const char*, QWidget*> dialogs[] = {
        {"frmOptions", frmOptions}, {"frmHelp", frmHelp},
        {"frmWinner", frmWinner},   {"frmHighScore", frmHighScore}};
    for (const auto& [name, window] : dialogs) {
        if (!window)
            Seen.Missing += std::string(name) + " ";
        else if (window->isVisible())
            Seen.Visible += std::string(name) + " ";
    }
}

// Runs as the body makes its application: from then on the loop is watched until the splash has
// gone and the board shows, and the board is then closed as its close box would.
void WatchTheRun() {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [poll] {
        if (frmSplash && frmSplash->isVisible()) Seen.SplashUp = true;
        if (!Form1 || !Form1->isVisible() || frmSplash) return;
        poll->stop();
        LookAtTheWindows();
        Form1->close();
    });
    poll->start(10);
    // A body that never shows the board fails here instead of hanging.
    QTimer::singleShot(120000, QCoreApplication::instance(), [] {
        if (Application) Application->Terminate();
    });
}

TEST(ProgramBody, CreatesEveryWindowShowsTheSplashThenTheBoardAndFreesThemAll) {
    qAddPreRoutine(WatchTheRun);
    char name[] = "zelvan";
    char* argv[] = {name, nullptr};
    const int status = ZelvanProgramBody(1, argv);

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Seen.SplashUp) << "no splash before the board";
    ASSERT_TRUE(Seen.BoardUp) << "the board never showed";
    EXPECT_TRUE(Seen.MainFormIsTheBoard) << "the first window made is the application's main one";
    EXPECT_EQ(Seen.Missing, "") << "not created by the program body";
    EXPECT_EQ(Seen.Visible, "") << "shown before they were asked for";
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(frmSplash, nullptr);
    EXPECT_EQ(frmOptions, nullptr);
    EXPECT_EQ(frmHelp, nullptr);
    EXPECT_EQ(frmWinner, nullptr);
    EXPECT_EQ(frmHighScore, nullptr);
}

} // namespace
