// The fault seams for tests: faults in force and the list of open devices.
#include <cstdlib>
#include <string>

#include "platform/dsound/DSound.Internal.h"

namespace dsound {

namespace {

DWORD ParseFaults(const char* text) {
    DWORD faults = 0;
    if (!text) return 0;
    std::string all(text);
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(',', start);
        if (end == std::string::npos) end = all.size();
        std::string item = all.substr(start, end - start);
        if (item == "no-device")
            faults |= DSFAULT_NO_DEVICE;
        else if (item == "refuse-buffers")
            faults |= DSFAULT_REFUSE_BUFFERS;
        start = end + 1;
    }
    return faults;
}

} // namespace

DWORD& FaultSet() {
    static DWORD faults = ParseFaults(std::getenv("ZELVAN_DSOUND_FAULTS"));
    return faults;
}

DWORD Faults() {
    return FaultSet();
}

std::set<Device*>& Devices() {
    static std::set<Device*> devices;
    return devices;
}

} // namespace dsound
