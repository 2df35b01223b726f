// The main window on a device that opens but refuses its buffers, the primary one first: the
// window still loads, its sounds stay silent and one line at most says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "game/MainForm.h"
#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"
#include "tests/support/StderrCapture.h"
#include "tests/support/TestEnvironment.h"

TEST(MainWindowSoundRefused, TheWindowLoadsSilently) {
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
