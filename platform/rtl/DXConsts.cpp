// The component layers' message strings.
#include "platform/rtl/DXConsts.h"

const char* const SNotMade = "%s not made";
const char* const SCannotMade = "%s cannot be made";
const char* const SCannotInitialized = "%s cannot be initialized";
const char* const SCannotLocked = "%s cannot be locked";
const char* const SSinceDirectX6 = "Necessary since DirectX 6";
const char* const SSinceDirectX7 = "Necessary since DirectX 7";
const char* const SDLLNotLoaded = "%s not loaded";
const char* const SInvalidDisplayBitCount = "It should be either of 8 or 16 or 24 or 32";
const char* const SNoForm = "Form not found";
const char* const SDisplayModeChange = "Display mode cannot be changed (%dx%d %dbit)";
const char* const SImageNotFound = "Image '%s' not found";
const char* const SWaveNotFound = "Wave '%s' not found";
const char* const SListIndexError = "Index of the list exceeds the range. (%d)";

const char* const SDirectDraw = "DirectDraw";
const char* const SDirectDrawClipper = "Clipper";
const char* const SDirectDrawSurface = "Surface";
const char* const SDirectDrawPrimarySurface = "Primary Surface";
const char* const SDirectSound = "DirectSound";
const char* const SDirectSoundBuffer = "Sound Buffer";
const char* const SDirectSoundPrimaryBuffer = "Primary Buffer";
