// Interface of the sound device module dsound.so: records, flags, result codes and the
// reference-counted device and buffer interfaces.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/rtl/PlatformInterfaces.h"

class QWidget;
using HWND = QWidget*;

// ---- Result codes ----------------------------------------------------------------------------

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DSERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);

// ---- Flags and limits ------------------------------------------------------------------------

// Buffer capabilities (DSBUFFERDESC and DSBCAPS dwFlags).
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr DWORD DSBCAPS_STATIC = 0x2;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x4;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x8;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr DWORD DSBCAPS_CTRLPAN = 0x40;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x4000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x8000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x10000;

// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

constexpr DWORD DSBPLAY_LOOPING = 0x1;

constexpr DWORD DSBSTATUS_PLAYING = 0x1;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x2;
constexpr DWORD DSBSTATUS_LOOPING = 0x4;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x1;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;

constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

constexpr WORD WAVE_FORMAT_PCM_TAG = 1;

// ---- Records ---------------------------------------------------------------------------------

#pragma pack(push, 2)
// A wave format: the 16-byte PCM record plus the size of what follows it.
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)

#pragma pack(push, 4)
// What a buffer is to be: dwSize must be sizeof(DSBUFFERDESC). The primary buffer has no size
// and no format. The reserved word of the 32-bit layout is left out on 64-bit so the record
// keeps its 36 bytes with the wider format pointer.
struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
#if UINTPTR_MAX == 0xFFFFFFFFu
    DWORD dwReserved;
#endif
    WAVEFORMATEX* lpwfxFormat;
    GUID guid3DAlgorithm;
};

// A buffer's capabilities as the device reports them.
struct DSBCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwUnlockTransferRate;
    DWORD dwPlayCpuOverhead;
};
#pragma pack(pop)

static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(sizeof(DSBUFFERDESC) == 36);
static_assert(sizeof(DSBCAPS) == 20);

// ---- Interfaces ------------------------------------------------------------------------------

constexpr IID IID_IDirectSound = {
    0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr IID IID_IDirectSoundBuffer = {
    0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

// A sound buffer. Secondary buffers hold samples and play them through the device; duplicates
// share one block of samples. Volume and pan are in hundredths of a decibel of attenuation
// (volume −10000 … 0; pan −10000 = left only … 10000 = right only). Stop keeps the play
// position, so a later Play resumes. While the device is disconnected every call answers
// DSERR_BUFFERLOST; once the device has been reopened (by creating or duplicating a buffer) all
// buffers play again with the samples they held.
struct IDirectSoundBuffer : IUnknown {
    virtual HRESULT GetCaps(DSBCAPS* caps) = 0;
    virtual HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) = 0;
    // format null: the size of the format record goes to *written.
    virtual HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* written) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    // The region from offset for bytes, wrapping at the buffer's end: the part up to the end in
    // the first pointer, the rest (or nothing) in the second.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2,
                         DWORD* bytes2, DWORD flags) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;
    // 0 = the format's own rate.
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2) = 0;
    virtual HRESULT Restore() = 0;
};

// The sound device.
struct IDirectSound : IUnknown {
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                                      IUnknown* outer) = 0;
    // A second buffer over the same samples, with its own position, volume, pan and frequency.
    virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                         IDirectSoundBuffer** duplicate) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
};

// ---- Exported entry points (C linkage; reached through LoadPlatformFunction) -----------------

#define DSOUND_API __attribute__((visibility("default")))

extern "C" {
// Opens the default output. Fails with DSERR_NODRIVER when no real output can be opened (the
// audio library's silent fallback does not count). Any driver identifier is refused with
// DSERR_NODRIVER: there is only the default device. Unless the user asked for the audio
// library's diagnostics (ALSOFT_LOGLEVEL or ALSOFT_LOGFILE in the environment), nothing is
// written to stderr while the output is probed.
DSOUND_API HRESULT DirectSoundCreate(const GUID* driverGuid, IDirectSound** directSound,
                                     IUnknown* outer);

// Fault injection for tests. Faults are a set of DSFAULT_ bits; the environment variable
// ZELVAN_DSOUND_FAULTS (comma-separated: no-device, refuse-buffers) sets the initial set when
// the module is loaded.
DSOUND_API void DirectSoundSetFaults(DWORD faults);
DSOUND_API DWORD DirectSoundGetFaults();
// Marks every open device disconnected, as pulling out the sound card would.
DSOUND_API void DirectSoundDisconnectAll();
}

constexpr DWORD DSFAULT_NO_DEVICE = 0x1; // devices cannot be opened or reopened (DSERR_NODRIVER)
constexpr DWORD DSFAULT_REFUSE_BUFFERS =
    0x2; // buffer creation and duplication fail (DSERR_OUTOFMEMORY)

using TDirectSoundCreate = decltype(&DirectSoundCreate);
using TDirectSoundSetFaults = decltype(&DirectSoundSetFaults);
using TDirectSoundGetFaults = decltype(&DirectSoundGetFaults);
using TDirectSoundDisconnectAll = decltype(&DirectSoundDisconnectAll);
