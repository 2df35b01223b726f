// Opening the audio output quietly.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/dsound/DSound.Internal.h"

namespace dsound {

namespace {

// Whether the user asked for the audio library's own diagnostics. Decided once, before this
// module sets the library's log level for itself.
bool UserWantsDiagnostics() {
    static const bool wants = [] {
        bool asked = std::getenv("ALSOFT_LOGLEVEL") || std::getenv("ALSOFT_LOGFILE");
        if (!asked) setenv("ALSOFT_LOGLEVEL", "0", 0);
        return asked;
    }();
    return wants;
}

// Points stderr at /dev/null for its lifetime. Probing outputs makes the sound system's client
// libraries report every missing card on stderr, which a machine without sound should not show.
class QuietStderr {
public:
    QuietStderr() {
        if (UserWantsDiagnostics()) return;
        std::fflush(stderr);
        FSaved = dup(STDERR_FILENO);
        if (FSaved < 0) return;
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0 || dup2(null, STDERR_FILENO) < 0) {
            if (null >= 0) close(null);
            close(FSaved);
            FSaved = -1;
            return;
        }
        close(null);
    }
    ~QuietStderr() {
        if (FSaved < 0) return;
        std::fflush(stderr);
        dup2(FSaved, STDERR_FILENO);
        close(FSaved);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int FSaved = -1;
};

} // namespace

bool OpenOutput(ALCdevice*& device, ALCcontext*& context) {
    device = nullptr;
    context = nullptr;
    if (Faults() & DSFAULT_NO_DEVICE) return false;
    LeaveOutUnreachableOutputs();
    QuietStderr quiet;
    ALCdevice* output = alcOpenDevice(nullptr);
    if (!output) return false;
    // The library's silent fallback output plays into nothing: that is not a sound device.
    const ALCchar* name = alcGetString(output, ALC_DEVICE_SPECIFIER);
    if (name && std::strcmp(name, "No Output") == 0) {
        alcCloseDevice(output);
        return false;
    }
    ALCcontext* made = alcCreateContext(output, nullptr);
    if (!made) {
        alcCloseDevice(output);
        return false;
    }
    device = output;
    context = made;
    return true;
}

void CloseOutput(ALCdevice* device, ALCcontext* context) {
    QuietStderr quiet;
    if (context) {
        if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    if (device) alcCloseDevice(device);
}

} // namespace dsound
