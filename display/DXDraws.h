// Display unit: the drawing device and surface wrappers, and the display control TDXDraw.
#pragma once

#include "display/DXDraws.Control.h"
#include "display/DXDraws.Display.h"
#include "display/DXDraws.Driver.h"
#include "display/DXDraws.Surfaces.h"
