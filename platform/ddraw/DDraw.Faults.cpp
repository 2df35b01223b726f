// Fault seams of the display device: the faults tests inject, first read from the environment.
#include <cstdlib>
#include <string>

#include "platform/ddraw/DDraw.Internal.h"

namespace ddraw {

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
        if (item == "refuse-surfaces")
            faults |= DDFAULT_REFUSE_SURFACES;
        else if (item == "refuse-video-memory")
            faults |= DDFAULT_REFUSE_VIDEO_MEMORY;
        else if (item == "refuse-restore")
            faults |= DDFAULT_REFUSE_RESTORE;
        else if (item == "refuse-device")
            faults |= DDFAULT_REFUSE_DEVICE;
        start = end + 1;
    }
    return faults;
}

DWORD& FaultSet() {
    static DWORD faults = ParseFaults(std::getenv("ZELVAN_DDRAW_FAULTS"));
    return faults;
}

} // namespace

DWORD Faults() {
    return FaultSet();
}
void SetFaults(DWORD faults) {
    FaultSet() = faults;
}

} // namespace ddraw
