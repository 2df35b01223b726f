// EDirectSoundError: a failure of the sound device.
#pragma once

#include "platform/ui/DirectX.h"

class EDirectSoundError : public EDirectXError {
public:
    using EDirectXError::EDirectXError;
};
