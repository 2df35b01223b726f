// Fault seams of the display device: the faults tests inject, first read from the environment.
#include <cstdlib>

#include "platform/ddraw/DDraw.Internal.h"
#include "platform/rtl/FaultList.h"

namespace ddraw {

namespace {

DWORD& FaultSet() {
    static DWORD faults = ParseFaultList(std::getenv("ZELVAN_DDRAW_FAULTS"),
                                         {{"refuse-surfaces", DDFAULT_REFUSE_SURFACES},
                                          {"refuse-video-memory", DDFAULT_REFUSE_VIDEO_MEMORY},
                                          {"refuse-restore", DDFAULT_REFUSE_RESTORE},
                                          {"refuse-device", DDFAULT_REFUSE_DEVICE}});
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
