// The display layer's view of the named collections (kept in platform/rtl).
#pragma once

#include "platform/rtl/HashCollections.h"
