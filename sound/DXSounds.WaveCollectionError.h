// EWaveCollectionError: a wave looked up by a name the list does not hold.
#pragma once

#include "platform/rtl/Exceptions.h"

class EWaveCollectionError : public Exception {
public:
    using Exception::Exception;
};
