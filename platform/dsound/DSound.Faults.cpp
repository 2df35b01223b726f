// The fault seams for tests: faults in force and the list of open devices.
#include <cstdlib>

#include "platform/dsound/DSound.Internal.h"
#include "platform/rtl/FaultList.h"

namespace dsound {

DWORD& FaultSet() {
    static DWORD faults = ParseFaultList(
        std::getenv("ZELVAN_DSOUND_FAULTS"),
        {{"no-device", DSFAULT_NO_DEVICE}, {"refuse-buffers", DSFAULT_REFUSE_BUFFERS}});
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
