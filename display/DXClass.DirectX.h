// The display layer's view of the wrapper base and platform library loading (kept in platform/ui).
#pragma once

#include "platform/ui/DirectX.h"
