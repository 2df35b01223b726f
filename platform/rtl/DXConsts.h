// The component layers' message strings and the object names that fill their placeholders.
#pragma once

// Message templates.
extern const char* const SNotMade;                // "%s not made"
extern const char* const SCannotMade;             // "%s cannot be made"
extern const char* const SCannotInitialized;      // "%s cannot be initialized"
extern const char* const SCannotLocked;           // "%s cannot be locked"
extern const char* const SSinceDirectX6;          // "Necessary since DirectX 6"
extern const char* const SSinceDirectX7;          // "Necessary since DirectX 7"
extern const char* const SDLLNotLoaded;           // "%s not loaded"
extern const char* const SInvalidDisplayBitCount; // "It should be either of 8 or 16 or 24 or 32"
extern const char* const SNoForm;                 // "Form not found"
extern const char* const SDisplayModeChange;      // "Display mode cannot be changed (%dx%d %dbit)"
extern const char* const SImageNotFound;          // "Image '%s' not found"
extern const char* const SWaveNotFound;           // "Wave '%s' not found"
extern const char* const SListIndexError;         // "Index of the list exceeds the range. (%d)"

// Object names.
extern const char* const SDirectDraw;               // "DirectDraw"
extern const char* const SDirectDrawClipper;        // "Clipper"
extern const char* const SDirectDrawSurface;        // "Surface"
extern const char* const SDirectDrawPrimarySurface; // "Primary Surface"
extern const char* const SDirectSound;              // "DirectSound"
extern const char* const SDirectSoundBuffer;        // "Sound Buffer"
extern const char* const SDirectSoundPrimaryBuffer; // "Primary Buffer"
