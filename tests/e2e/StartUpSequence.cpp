// The program's start-up as its body runs it: the splash alone first, then the main window.
#include "controls/FontSubstitutes.h"
#include "display/DXClass.Timer.h"
#include "game/MainForm.h"
#include "game/Sprites.h"
#include "platform/ui/Forms.h"
#include "shell/SplashScreen.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TSample {
    qint64 At;
    bool Splash;
    bool Main;
};

struct TRun {
    std::vector<TSample> Samples;
    std::vector<std::string> Reported;
    qint64 MainShownAt = -1;
    int SpritesAtFirstFrame = 0;
    bool SplashGoneAtFirstFrame = false;
};

// Creates the windows in the program body's order (the splash showing picture) and runs the loop
// until the main window has drawn three frames, sampling who is visible every few milliseconds.
TRun RunStartUp(const QString& picture) {
    TRun run;
    TApplication application;
    application.OnException = [&](QObject*, const std::exception& E) {
        run.Reported.push_back(E.what());
    };
    InstallFontSubstitutes();
    QElapsedTimer clock;
    clock.start();
    Form1 = new TForm1;
    frmSplash = new TfrmSplash(nullptr, picture);

    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        run.Samples.push_back(
            {clock.elapsed(), frmSplash && frmSplash->isVisible(), Form1->isVisible()});
    });
    sampler.start(5);
    int frames = 0;
    auto tick = Form1->DXTimer1->OnTimer;
    Form1->DXTimer1->OnTimer = [&](QObject* Sender, int Lag) {
        tick(Sender, Lag);
        if (++frames == 1) {
            run.MainShownAt = clock.elapsed();
            run.SplashGoneAtFirstFrame = frmSplash == nullptr;
            for (int i = 1; i <= 102; ++i)
                run.SpritesAtFirstFrame += Form1->Tiles(i) != nullptr;
        }
        if (frames == 3) Form1->close();
    };
    QTimer::singleShot(120000, [&] { application.Terminate(); }); // a hang fails, not blocks
    application.Run();
    application.ProcessMessages(); // the error report posted for after the showing
    sampler.stop();
    delete frmSplash;
    delete Form1;
    Form1 = nullptr;
    return run;
}

TEST(StartUp, SplashIsUpAloneForItsThreeSecondsThenTheMainWindowNeverBoth) {
    const TRun run = RunStartUp(TfrmSplash::DefaultPicture);
    ASSERT_FALSE(run.Samples.empty());
    bool splashSeen = false, mainSeen = false;
    for (const TSample& s : run.Samples) {
        ASSERT_FALSE(s.Splash && s.Main) << "both visible at " << s.At << " ms";
        if (s.Main) {
            ASSERT_TRUE(splashSeen) << "main window before the splash at " << s.At << " ms";
        }
        if (s.Splash) {
            ASSERT_FALSE(mainSeen) << "splash again after the main window at " << s.At << " ms";
        }
        splashSeen |= s.Splash;
        mainSeen |= s.Main;
    }
    EXPECT_TRUE(splashSeen);
    EXPECT_TRUE(mainSeen);
    EXPECT_GE(run.MainShownAt, 2900) << "the splash went before its timer had ticked";
    EXPECT_TRUE(run.SplashGoneAtFirstFrame) << "the splash is destroyed once it has been shown";
    EXPECT_EQ(run.SpritesAtFirstFrame, 102);
    EXPECT_TRUE(run.Reported.empty()) << run.Reported.front();
}

TEST(StartUp, DamagedSplashPictureStillStartsTheGameAndIsReported) {
    QFile good(TfrmSplash::DefaultPicture);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    QByteArray bytes = good.readAll();
    bytes.truncate(bytes.size() / 3);
    QTemporaryFile damaged;
    ASSERT_TRUE(damaged.open());
    damaged.write(bytes);
    damaged.close();

    const TRun run = RunStartUp(damaged.fileName());
    EXPECT_EQ(run.SpritesAtFirstFrame, 102);
    EXPECT_TRUE(run.SplashGoneAtFirstFrame);
    ASSERT_EQ(run.Reported.size(), 1u);
    EXPECT_NE(run.Reported[0].find("Splash picture cannot be shown"), std::string::npos)
        << run.Reported[0];
}

} // namespace
