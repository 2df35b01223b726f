// The display layer's base unit: wrapper base and run-time library loading, the form base and
// window procedure replacement, the frame timer and named collections. Each topic has its own
// header.
#pragma once

#include "display/DXClass.Collections.h"
#include "display/DXClass.DirectX.h"
#include "display/DXClass.Forms.h"
#include "display/DXClass.Timer.h"
