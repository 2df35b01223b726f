// The component layers' message strings (kept in platform/rtl, shared with the sound layer).
#pragma once

#include "platform/rtl/DXConsts.h"
