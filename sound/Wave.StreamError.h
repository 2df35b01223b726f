// The error of malformed or misused wave streams.
#pragma once

#include "platform/rtl/Exceptions.h"

// Malformed or misused wave streams: "Wave is invalid", "Format is invalid",
// "Stream has already been opened", "Stream not opend".
class EWaveStreamError : public Exception {
public:
    using Exception::Exception;
};
