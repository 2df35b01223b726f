// The main window when the sound device cannot be used: it loads and its sounds stay silent.
#include <QApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "game/MainForm.h"
#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"
#include "tests/support/StderrCapture.h"
#include "tests/support/TestEnvironment.h"

// Without a sound device nothing is printed either. The audio library is limited to an ALSA output
// that does not exist, so its client library has a missing card to complain about.
TEST(MainWindowSound, WithoutASoundDeviceTheWindowLoadsSilently) {
    const std::string conf = TestConfigHome() + "/alsoft.conf";
    std::ofstream(conf) << "[general]\ndrivers = alsa\n[alsa]\ndevice = zelvan-no-such-card\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    unsetenv("ALSOFT_LOGLEVEL");
    unsetenv("ALSOFT_LOGFILE");

    // Everything written to stderr while the window is made and torn down is kept.
    StderrCapture printed;

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
    EXPECT_EQ(printed.Text(), "");
    EXPECT_FALSE(initialised);
    EXPECT_TRUE(soundsKnown);
    EXPECT_EQ(copies, 0);
}

// A device that opens but refuses its buffers, the primary one first: the window still loads,
// its sounds stay silent and one line at most says why.
TEST(MainWindowSound, ADeviceThatRefusesItsBuffersLeavesTheWindowSilent) {
    const std::string conf = TestConfigHome() + "/alsoft.conf";
    std::ofstream(conf) << "[general]\ndrivers = wave\n[wave]\nfile = " << TestConfigHome()
                        << "/out.wav\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    setenv("ZELVAN_DSOUND_FAULTS", "refuse-buffers", 1);
    StderrCapture printed;
    bool initialised = true;
    int copies = -1;
    try {
        auto form = std::make_unique<TForm1>();
        initialised = form->DXSound1->Initialized();
        TWaveCollection& waves = form->DXWaveList1->Items();
        waves.Find("Click")->Play(false);
        copies = waves.Find("Click")->PlayBufferCount();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the window was not made: " << e.what();
    }
    const std::string text = printed.Text();
    EXPECT_FALSE(initialised);
    EXPECT_EQ(copies, 0);
    EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 1) << text;
}
