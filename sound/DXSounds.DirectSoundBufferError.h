// EDirectSoundBufferError: a sound buffer that cannot be made, locked or reached.
#pragma once

#include "sound/DXSounds.DirectSoundError.h"

class EDirectSoundBufferError : public EDirectSoundError {
public:
    using EDirectSoundError::EDirectSoundError;
};
