// The program as a whole: the program body's loop with the real main window, and the built
// program started as a process.
#include "controls/FontSubstitutes.h"
#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "game/MainForm.h"
#include "game/Sprites.h"
#include "graphics/DIB.h"
#include "platform/ui/Forms.h"
#include "tests/support/ResourcePicture.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool HoldsTheDefaults(const std::string& store) {
    return store.find("Sound=1") != std::string::npos &&
           store.find("Highlight=1") != std::string::npos &&
           store.find("Numbered=0") != std::string::npos;
}

TEST(Program, LoopShowsTheBoardAndEndsWhenTheMainWindowCloses) {
    TApplication application;
    std::vector<std::string> reported;
    application.OnException = [&](QObject*, const std::exception& E) {
        reported.push_back(E.what());
    };
    application.SetTitle("Zelvan Free");
    InstallFontSubstitutes();
    Form1 = new TForm1;
    EXPECT_EQ(application.MainForm(), Form1);
    EXPECT_FALSE(Form1->isVisible());    // created hidden; the loop shows it
    EXPECT_EQ(Form1->Tiles(1), nullptr); // no sprite before the first showing

    int ticks = 0;
    bool visibleAtFirstTick = false;
    QImage shot;
    auto tick = Form1->DXTimer1->OnTimer;
    Form1->DXTimer1->OnTimer = [&](QObject* Sender, int Lag) {
        tick(Sender, Lag);
        if (++ticks == 1) visibleAtFirstTick = Form1->isVisible();
        if (ticks == 5) {
            shot = Form1->DXDraw1->grab().toImage().convertToFormat(QImage::Format_RGB32);
            Form1->close(); // the close box
        }
    };
    // A watchdog, so a loop that never ends fails instead of hanging.
    QTimer::singleShot(120000, [&] { application.Terminate(); });
    application.Run();

    EXPECT_EQ(ticks, 5) << "the loop went on after the main window closed";
    EXPECT_TRUE(visibleAtFirstTick);
    EXPECT_FALSE(Form1->isVisible());
    ASSERT_FALSE(shot.isNull());
    const QImage sheet = ResourcePicture("tiles.dib");
    ASSERT_FALSE(sheet.isNull());
    int wrong = 0;
    for (int n = 1; n <= 100; ++n) {
        const int p = Form1->Tiles(n)->PatternBase;
        const int cx = 34 + (n - 1) % 10 * 34, cy = 105 + (n - 1) / 10 * 34;
        for (int y = 0; y < 34; ++y)
            for (int x = 0; x < 34; ++x)
                wrong += (shot.pixel(cx + x, cy + y) & 0xFFFFFF) !=
                         (sheet.pixel((p % 10) * 34 + x, (p / 10) * 34 + y) & 0xFFFFFF);
    }
    EXPECT_EQ(wrong, 0);
    delete Form1;
    Form1 = nullptr;
    EXPECT_TRUE(reported.empty()) << reported.front();
}

TEST(Program, BuiltProgramStartsAndStoresItsDefaults) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.path());
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(ZELVAN_BIN_DIR "/zelvan"), {});
    ASSERT_TRUE(program.waitForStarted(60000));
    // The defaults are stored once the splash has had its three seconds and the board is built;
    // a busy machine may take far longer, so the store is watched until it holds them.
    const QString store = home.path() + "/Marrowby/ZelvanFree.conf";
    std::string text;
    const QDeadlineTimer patience(120000);
    while (!HoldsTheDefaults(text = ReadFile(store)) && !patience.hasExpired() &&
           program.state() == QProcess::Running)
        program.waitForFinished(50);
    EXPECT_TRUE(HoldsTheDefaults(text)) << text;
    // Still running a second later: it came up and its loop keeps going.
    EXPECT_FALSE(program.waitForFinished(1000)) << program.readAll().toStdString();
    const std::string output = program.readAll().toStdString();
    program.kill();
    program.waitForFinished(30000);
    EXPECT_EQ(output.find("rror"), std::string::npos) << output;
}

} // namespace
