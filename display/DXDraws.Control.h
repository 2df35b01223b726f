// The display control TDXDraw: device, primary and back surfaces, listeners, flip into the window.
#pragma once
