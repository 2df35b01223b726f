// TDXSoundDirectSound: the sound component's device; a lost buffer restores the component.
#pragma once

#include "sound/DXSounds.DirectSound.h"

class TCustomDXSound;

// The sound component's device: restoring a lost buffer restores the whole component.
class TDXSoundDirectSound : public TDirectSound {
public:
    TDXSoundDirectSound(const GUID* DriverGUID, TCustomDXSound* DXSound)
        : TDirectSound(DriverGUID), FDXSound(DXSound) {}

protected:
    void DoRestoreBuffer() override;

private:
    TCustomDXSound* FDXSound;
};
