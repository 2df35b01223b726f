// EDXSoundError: the sound component cannot start (no form, no primary buffer).
#pragma once

#include "platform/rtl/Exceptions.h"

class EDXSoundError : public Exception {
public:
    using Exception::Exception;
};
