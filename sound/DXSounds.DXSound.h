// TDXSound: the sound component as a window places it.
#pragma once

#include "sound/DXSounds.CustomDXSound.h"

class TDXSound : public TCustomDXSound {
public:
    using TCustomDXSound::TCustomDXSound;
};
