// The sound module's interfaces as a caller sees them: buffer memory, duplicates, status, the
// checks on what callers pass in, and the outputs it searches. Output goes to OpenAL Soft's
// wave-file writer.
#include <QWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/dsound/dsound.h"
#include "platform/ui/DirectX.h"
#include "tests/support/TestEnvironment.h"

namespace {

class WaveOutputEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const std::string conf = TestConfigHome() + "/alsoft.conf";
        std::ofstream(conf) << "[general]\ndrivers = wave\n[wave]\nfile = " << TestConfigHome()
                            << "/out.wav\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new WaveOutputEnvironment);

WAVEFORMATEX Pcm(DWORD rate, WORD channels, WORD bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM_TAG;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

struct Device {
    IDirectSound* Sound = nullptr;
    Device() {
        auto create = LoadPlatformFunctionAs<TDirectSoundCreate>("DSound.dll", "DirectSoundCreate");
        EXPECT_EQ(create(nullptr, &Sound, nullptr), DS_OK);
    }
    ~Device() {
        if (Sound) Sound->Release();
    }
    IDirectSoundBuffer* Make(WAVEFORMATEX format, DWORD bytes, DWORD flags,
                             HRESULT* result = nullptr) {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* buffer = nullptr;
        HRESULT hr = Sound->CreateSoundBuffer(&desc, &buffer, nullptr);
        if (result) *result = hr;
        return buffer;
    }
};

constexpr DWORD Controls = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

} // namespace

TEST(DSoundModule, LockWrapsAndDuplicatesShareTheSamples) {
    Device device;
    ASSERT_NE(device.Sound, nullptr);
    IDirectSoundBuffer* master = device.Make(Pcm(8000, 1, 8), 100, Controls);
    ASSERT_NE(master, nullptr);

    void *a1, *a2;
    DWORD n1, n2;
    ASSERT_EQ(master->Lock(90, 20, &a1, &n1, &a2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 10u);
    EXPECT_EQ(n2, 10u);
    EXPECT_EQ(static_cast<uint8_t*>(a2) + 90, static_cast<uint8_t*>(a1));
    std::memset(a1, 0x11, n1);
    std::memset(a2, 0x22, n2);
    ASSERT_EQ(master->Unlock(a1, n1, a2, n2), DS_OK);
    // A region that does not fit without wrapping needs the second pointer.
    EXPECT_EQ(master->Lock(90, 20, &a1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(master->Lock(100, 1, &a1, &n1, &a2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(master->Lock(0, 101, &a1, &n1, &a2, &n2, 0), DSERR_INVALIDPARAM);
    // Unlocking memory that is not the buffer's is refused.
    uint8_t foreign[4];
    EXPECT_EQ(master->Unlock(foreign, 4, nullptr, 0), DSERR_INVALIDPARAM);

    IDirectSoundBuffer* copy = nullptr;
    ASSERT_EQ(device.Sound->DuplicateSoundBuffer(master, &copy), DS_OK);
    ASSERT_EQ(copy->Lock(0, 0, &a1, &n1, &a2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(static_cast<uint8_t*>(a1)[0], 0x22);
    EXPECT_EQ(static_cast<uint8_t*>(a1)[95], 0x11);
    copy->Unlock(a1, n1, nullptr, 0);

    // Each copy plays on its own; the status shows playing and looping.
    DWORD status = 0;
    ASSERT_EQ(copy->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    copy->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    master->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    copy->Stop();
    copy->GetStatus(&status);
    EXPECT_EQ(status, 0u);

    // Copies outlive the buffer they were made from.
    master->Release();
    EXPECT_EQ(copy->Play(0, 0, 0), DS_OK);
    copy->Release();
}

TEST(DSoundModule, CallersGetThePlatformsErrorsForWhatCannotBe) {
    Device device;
    ASSERT_NE(device.Sound, nullptr);
    HRESULT hr = DS_OK;
    EXPECT_EQ(device.Make(Pcm(8000, 1, 12), 100, Controls, &hr), nullptr);
    EXPECT_EQ(hr, DSERR_BADFORMAT);
    EXPECT_EQ(device.Make(Pcm(8000, 3, 16), 100, Controls, &hr), nullptr);
    EXPECT_EQ(hr, DSERR_BADFORMAT);
    EXPECT_EQ(device.Make(Pcm(8000, 1, 8), 0, Controls, &hr), nullptr);
    EXPECT_EQ(hr, DSERR_INVALIDPARAM);

    DSBUFFERDESC primaryDesc{};
    primaryDesc.dwSize = 20; // the size of an older, shorter record
    primaryDesc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    EXPECT_EQ(device.Sound->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DSERR_INVALIDPARAM);
    primaryDesc.dwSize = sizeof primaryDesc;
    ASSERT_EQ(device.Sound->CreateSoundBuffer(&primaryDesc, &primary, nullptr), DS_OK);
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(primary->GetCaps(&caps), DS_OK);
    EXPECT_TRUE(caps.dwFlags & DSBCAPS_PRIMARYBUFFER);
    void *a1, *a2;
    DWORD n1, n2;
    EXPECT_EQ(primary->Lock(0, 4, &a1, &n1, &a2, &n2, 0), DSERR_PRIOLEVELNEEDED);
    IDirectSoundBuffer* copy = nullptr;
    EXPECT_EQ(device.Sound->DuplicateSoundBuffer(primary, &copy), DSERR_INVALIDCALL);
    primary->Release();

    IDirectSoundBuffer* plain = device.Make(Pcm(22050, 2, 16), 400, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    plain->Release();
    IDirectSoundBuffer* buffer = device.Make(Pcm(22050, 2, 16), 400, Controls);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetCurrentPosition(400), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(44100), DS_OK);
    DWORD frequency = 0;
    buffer->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 44100u);
    buffer->Release();

    QWidget window;
    EXPECT_EQ(device.Sound->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DSERR_INVALIDPARAM);
    EXPECT_EQ(device.Sound->SetCooperativeLevel(&window, 5), DSERR_INVALIDPARAM);
    EXPECT_EQ(device.Sound->SetCooperativeLevel(&window, DSSCL_EXCLUSIVE), DS_OK);
}

// Where no PulseAudio server can answer and the user chose no outputs, the output search never
// loads the PulseAudio client libraries (over a megabyte kept for the whole run). The audio
// library reads its settings once per process, so the search runs in a fresh one.
TEST(DSoundModule, TheOutputSearchLoadsNoPulseAudioClientWithoutAServer) {
    const std::string user = "/run/user/" + std::to_string(getuid()) + "/pulse/native";
    for (const std::string& server : {std::string("/usr/bin/pulseaudio"),
                                      std::string("/run/pulse/native"), user})
        if (access(server.c_str(), F_OK) == 0) GTEST_SKIP() << server << " may answer here";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string empty = TestConfigHome() + "/no-sound-server";
            mkdir(empty.c_str(), 0700);
            for (const char* name : {"ALSOFT_CONF", "ALSOFT_DRIVERS", "PULSE_SERVER",
                                     "PULSE_RUNTIME_PATH", "PULSE_CLIENTCONFIG"})
                unsetenv(name);
            for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
                setenv(name, empty.c_str(), 1);
            auto create =
                LoadPlatformFunctionAs<TDirectSoundCreate>("DSound.dll", "DirectSoundCreate");
            IDirectSound* sound = nullptr;
            if (create(nullptr, &sound, nullptr) == DS_OK) sound->Release();
            std::ifstream maps("/proc/self/maps");
            const std::string all((std::istreambuf_iterator<char>(maps)), {});
            _exit(all.find("libpulse") == std::string::npos ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
