// The sound component and the wave list over the real sound module, recorded by OpenAL Soft's
// wave-file output (8,000 Hz mono 16-bit, so the click is recorded sample for sample).
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaveOutputRecording.h"

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new WaveOutputEnvironment());

// Whether the 8-bit wave's samples appear in the recording, each within one step of rounding.
bool Contains(const std::vector<int16_t>& recorded, const TWave& wave) {
    const int n = wave.Size();
    for (size_t start = 0; start + size_t(n) <= recorded.size(); ++start) {
        bool match = true;
        for (int k = 0; k < n && match; ++k)
            match = std::abs(recorded[start + size_t(k)] - (wave.Data()[k] - 128) * 256) <= 1;
        if (match) return true;
    }
    return false;
}

bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 200; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

template <typename F> F ModuleFunction(const char* name) {
    return LoadPlatformFunctionAs<F>("DSound.dll", name);
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ModuleFunction<TDirectSoundSetFaults>("DirectSoundSetFaults")(0);
        Sound = new TDXSound(&Form);
        List = new TDXWaveList(&Form);
        List->SetDXSound(Sound);
        for (const char* name : {"Click", "Blip"}) {
            TWaveCollectionItem* item = List->Items().Add();
            item->SetName(name);
            item->Wave().LoadFromFile(std::string(ZELVAN_SOURCE_DIR "/assets/") +
                                      (name[0] == 'C' ? "click.wav" : "blip.wav"));
        }
        Click = List->Items().Find("Click");
    }
    void TearDown() override { ModuleFunction<TDirectSoundSetFaults>("DirectSoundSetFaults")(0); }

    QWidget Form;
    TDXSound* Sound = nullptr;
    TDXWaveList* List = nullptr;
    TWaveCollectionItem* Click = nullptr;
};

int Playing(TWaveCollectionItem* item) {
    int n = 0;
    for (int i = 0; i < item->PlayBufferCount(); ++i)
        n += item->PlayBuffers(i)->IsPlaying();
    return n;
}

} // namespace

TEST_F(SoundTest, PlayingClickRecordsItsSamples) {
    Sound->Loaded();
    ASSERT_TRUE(Sound->Initialized());
    EXPECT_EQ(List->Items().Find("click"), Click);
    ASSERT_NE(Click->MasterBuffer(), nullptr);
    Click->Play(false);
    EXPECT_TRUE(WaitUntil([&] { return Playing(Click) == 0; }));
    EXPECT_FALSE(Click->MasterBuffer()->IsPlaying());
    Sound->Finalize(); // closes the output, completing the file
    EXPECT_EQ(Click->MasterBuffer(), nullptr);
    EXPECT_TRUE(Contains(Recording(), Click->Wave()));
}

TEST_F(SoundTest, OneShotPlaysShareDuplicatesAndRespectTheLimit) {
    Sound->Initialize();
    Click->Play(false);
    Click->Play(false);
    Click->Play(false);
    ASSERT_EQ(Click->PlayBufferCount(), 3);
    EXPECT_EQ(Playing(Click), 3);
    TDirectSoundBuffer* first = Click->PlayBuffers(0);
    ASSERT_TRUE(WaitUntil([&] { return Playing(Click) == 0; }));
    Click->Play(false);
    EXPECT_EQ(Click->PlayBufferCount(), 3);
    EXPECT_EQ(Click->PlayBuffers(0), first);
    EXPECT_TRUE(first->IsPlaying());
    EXPECT_EQ(Playing(Click), 1);

    // With a limit of two, a third play restarts the least recently started copy.
    Click->SetMaxPlayingCount(2);
    EXPECT_EQ(Click->PlayBufferCount(), 0);
    Click->Play(false);
    Click->Play(false);
    ASSERT_EQ(Click->PlayBufferCount(), 2);
    TDirectSoundBuffer* oldest = Click->PlayBuffers(0);
    TDirectSoundBuffer* newest = Click->PlayBuffers(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    Click->Play(false);
    ASSERT_EQ(Click->PlayBufferCount(), 2);
    EXPECT_EQ(Click->PlayBuffers(0), newest);
    EXPECT_EQ(Click->PlayBuffers(1), oldest);
    EXPECT_TRUE(oldest->IsPlaying());
    DWORD restarted = 0, older = 0;
    oldest->IDSBuffer()->GetCurrentPosition(&restarted, nullptr);
    newest->IDSBuffer()->GetCurrentPosition(&older, nullptr);
    EXPECT_LE(restarted, older);

    Click->SetMaxPlayingCount(-5);
    EXPECT_EQ(Click->MaxPlayingCount(), 0);
}

TEST_F(SoundTest, LostDeviceRestoresAndTheNextPlaySounds) {
    int restores = 0;
    Sound->OnRestore = [&](QObject*) { ++restores; };
    Sound->Initialize();
    ASSERT_EQ(restores, 1);
    Click->Play(false);
    ASSERT_TRUE(WaitUntil([&] { return Playing(Click) == 0; }));

    ModuleFunction<TDirectSoundDisconnectAll>("DirectSoundDisconnectAll")();
    Click->Play(false);
    EXPECT_GE(restores, 2);
    ASSERT_NE(Click->MasterBuffer()->IBuffer(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return Playing(Click) == 0; }));
    const int afterLoss = restores;
    Click->Play(false);
    EXPECT_EQ(restores, afterLoss);
    EXPECT_EQ(Playing(Click), 1);
    EXPECT_TRUE(WaitUntil([&] { return Playing(Click) == 0; }));
    Sound->Finalize();
    // The reopened output starts a new recording: what is in it was played after the loss.
    EXPECT_TRUE(Contains(Recording(), Click->Wave()));
}

TEST_F(SoundTest, ListenersAndOptionsFollowTheComponentsState) {
    // Notification kinds as told; -1 stands for OnFinalize.
    std::vector<int> told;
    auto record = [](void* data, TCustomDXSound*, TDXSoundNotifyType kind) {
        static_cast<std::vector<int>*>(data)->push_back(kind);
    };
    Sound->Initialize();
    Sound->RegisterNotifyEvent(record, &told);
    EXPECT_EQ(told, (std::vector<int>{dsntInitialize, dsntRestore}));
    told.clear();
    Sound->UnRegisterNotifyEvent(record, &told);
    EXPECT_EQ(told, (std::vector<int>{dsntFinalize}));

    Sound->SetOptions({soExclusive, soGlobalFocus});
    EXPECT_EQ(Sound->Options(), (TDXSoundOptions{soExclusive, soGlobalFocus}));
    EXPECT_EQ(Sound->EffectiveOptions(), (TDXSoundOptions{soGlobalFocus}));
    EXPECT_TRUE(Sound->DSound()->GlobalFocus());
    Sound->Finalize();
    EXPECT_EQ(Sound->EffectiveOptions(), (TDXSoundOptions{soExclusive, soGlobalFocus}));
    EXPECT_FALSE(Click->Initialized());

    // Finalising runs OnFinalize, then tells the listeners; destruction tells them last.
    told.clear();
    Sound->OnFinalize = [&](QObject*) { told.push_back(-1); };
    Sound->Initialize();
    Sound->RegisterNotifyEvent(record, &told);
    told.clear();
    delete Sound;
    EXPECT_EQ(told, (std::vector<int>{-1, dsntFinalize, dsntDestroying}));
    EXPECT_EQ(List->DXSound(), nullptr);
    Click->Play(false);
    EXPECT_EQ(Click->PlayBufferCount(), 0);
}

TEST_F(SoundTest, FailuresLeaveTheComponentFinalisedWithClearErrors) {
    auto setFaults = ModuleFunction<TDirectSoundSetFaults>("DirectSoundSetFaults");
    setFaults(DSFAULT_NO_DEVICE);
    try {
        Sound->Initialize();
        ADD_FAILURE() << "initialised without a device";
    } catch (const EDirectSoundError& e) {
        EXPECT_STREQ(e.what(), "DirectSound cannot be initialized");
    }
    Sound->Loaded(); // swallowed at automatic initialisation
    EXPECT_FALSE(Sound->Initialized());
    Click->Play(false);
    EXPECT_EQ(Click->PlayBufferCount(), 0);

    setFaults(DSFAULT_REFUSE_BUFFERS);
    try {
        Sound->Loaded();
        ADD_FAILURE() << "initialised without a primary buffer";
    } catch (const EDXSoundError& e) {
        EXPECT_STREQ(e.what(), "Primary Buffer cannot be made");
    }
    EXPECT_FALSE(Sound->Initialized());
    EXPECT_EQ(Sound->DSound(), nullptr);

    setFaults(0);
    TDXSound orphan;
    try {
        orphan.Initialize();
        ADD_FAILURE() << "initialised without a form";
    } catch (const EDXSoundError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }

    // A wave the device cannot play fails its restore, naming the buffer.
    TWaveCollectionItem* odd = List->Items().Add();
    odd->Wave().SetPCMFormat(8000, 1, 12);
    odd->Wave().SetSize(100);
    try {
        Sound->Initialize();
        ADD_FAILURE() << "a 12-bit wave was loaded";
    } catch (const EDirectSoundBufferError& e) {
        EXPECT_STREQ(e.what(), "Sound Buffer cannot be made");
    }
    delete odd;
    Sound->Initialize();
    TDirectSoundBuffer empty(Sound->DSound());
    try {
        empty.Play();
        ADD_FAILURE() << "played without an interface";
    } catch (const EDirectSoundBufferError& e) {
        EXPECT_STREQ(e.what(), "IDirectSoundBuffer not made");
    }
    try {
        List->Items().Find("Whistle");
        ADD_FAILURE() << "found an unknown wave";
    } catch (const EWaveCollectionError& e) {
        EXPECT_STREQ(e.what(), "Wave 'Whistle' not found");
    }
}
