// The module's exported entry points: device creation and the test seams.
#include "platform/dsound/DSound.Internal.h"

using namespace dsound;

extern "C" {

DSOUND_API HRESULT DirectSoundCreate(const GUID* driverGuid, IDirectSound** directSound,
                                     IUnknown* outer) {
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (driverGuid) return DSERR_NODRIVER;
    ALCdevice* output;
    ALCcontext* context;
    if (!OpenOutput(output, context)) return DSERR_NODRIVER;
    *directSound = new Device(output, context);
    return DS_OK;
}

DSOUND_API void DirectSoundSetFaults(DWORD faults) {
    FaultSet() = faults;
}
DSOUND_API DWORD DirectSoundGetFaults() {
    return FaultSet();
}
DSOUND_API void DirectSoundDisconnectAll() {
    for (Device* device : Devices())
        device->MarkLost();
}

} // extern "C"
