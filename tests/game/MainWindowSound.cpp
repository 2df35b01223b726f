// The main window on a machine without a sound device: it loads, its sounds stay silent and
// nothing is printed. The audio library is limited to an ALSA output that does not exist, so
// its client library has a missing card to complain about.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "game/MainForm.h"
#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"
#include "tests/support/TestEnvironment.h"

TEST(MainWindowSound, WithoutASoundDeviceTheWindowLoadsSilently) {
    const std::string conf = TestConfigHome() + "/alsoft.conf";
    std::ofstream(conf) << "[general]\ndrivers = alsa\n[alsa]\ndevice = zelvan-no-such-card\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    unsetenv("ALSOFT_LOGLEVEL");
    unsetenv("ALSOFT_LOGFILE");

    // Everything written to stderr while the window is made and torn down goes to a file.
    const std::string errPath = TestConfigHome() + "/stderr.txt";
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int file = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, STDERR_FILENO);
    close(file);

    bool initialised = true, soundsKnown = false;
    int copies = -1;
    {
        auto form = std::make_unique<TForm1>();
        initialised = form->DXSound1->Initialized();
        TWaveCollection& waves = form->DXWaveList1->Items();
        soundsKnown = waves.Count() == 2 && waves.Find("Click")->Wave().Size() == 353 &&
                      waves.Find("Blip")->Wave().Size() == 789;
        waves.Find("Click")->Play(false);
        waves.Find("Blip")->Play(false);
        copies = waves.Find("Click")->PlayBufferCount() + waves.Find("Blip")->PlayBufferCount();
    }
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);

    EXPECT_FALSE(initialised);
    EXPECT_TRUE(soundsKnown);
    EXPECT_EQ(copies, 0);
    std::ifstream in(errPath);
    const std::string printed((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(printed, "");
}
