// Inside the sound device module: the device and buffer objects over OpenAL Soft.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <atomic>
#include <memory>
#include <set>
#include <vector>

#include "platform/dsound/dsound.h"

namespace dsound {

class Buffer;

// Fault bits in force (DSFAULT_), and the set the seam functions change.
DWORD Faults();
DWORD& FaultSet();

// Opens the default output and a context on it, keeping the audio library quiet unless the user
// asked for its diagnostics. False (and nothing open) when there is no real output.
bool OpenOutput(ALCdevice*& device, ALCcontext*& context);
void CloseOutput(ALCdevice* device, ALCcontext* context);
// Before the audio library first looks for outputs: unless the user chose the outputs (in the
// environment or the library's configuration), leaves PulseAudio out of the search where no
// PulseAudio server can be reached, so its client libraries are never loaded for nothing.
void LeaveOutUnreachableOutputs();

// The samples of a buffer and its duplicates: kept in memory (what Lock hands out, and what is
// loaded again after the device was reopened) and in one OpenAL buffer every copy plays from.
struct SampleBlock {
    std::vector<uint8_t> Bytes;
    ALenum Format = 0;
    ALsizei Rate = 0;
    DWORD BlockAlign = 1;
    ALuint Name = 0;
};

class Device final : public IDirectSound {
public:
    Device(ALCdevice* output, ALCcontext* context);
    ~Device() override;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    DWORD AddRef() override;
    DWORD Release() override;
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                              IUnknown* outer) override;
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                 IDirectSoundBuffer** duplicate) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD level) override;

    // Makes this device's context the current one for the OpenAL calls that follow.
    void Use();
    // The output is gone: unplugged, failed, or marked by the disconnect seam.
    bool Lost();
    void MarkLost() { FMarkedLost = true; }
    // Reopens a lost output and loads every buffer's samples into it again.
    HRESULT Reconnect();
    // Puts samples into a new OpenAL buffer and points every buffer sharing the block at it.
    HRESULT Upload(SampleBlock& block);

    void Attach(Buffer* buffer) { FBuffers.insert(buffer); }
    void Detach(Buffer* buffer) { FBuffers.erase(buffer); }
    WAVEFORMATEX OutputFormat() const;

private:
    std::atomic<DWORD> FRefs{1};
    ALCdevice* FOutput;
    ALCcontext* FContext;
    bool FMarkedLost = false;
    HWND FWindow = nullptr;
    DWORD FLevel = 0;
    std::set<Buffer*> FBuffers;
};

class Buffer final : public IDirectSoundBuffer {
public:
    // A primary buffer when block is null.
    Buffer(Device* device, DWORD flags, std::shared_ptr<SampleBlock> block,
           const WAVEFORMATEX& format);
    ~Buffer() override;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    DWORD AddRef() override;
    DWORD Release() override;
    HRESULT GetCaps(DSBCAPS* caps) override;
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* written) override;
    HRESULT GetVolume(LONG* volume) override;
    HRESULT GetPan(LONG* pan) override;
    HRESULT GetFrequency(DWORD* frequency) override;
    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2,
                 DWORD* bytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD position) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT Stop() override;
    HRESULT Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2) override;
    HRESULT Restore() override;

    bool Primary() const { return !FBlock; }
    Device* Owner() const { return FDevice; }
    DWORD Flags() const { return FFlags; }
    const std::shared_ptr<SampleBlock>& Block() const { return FBlock; }
    const WAVEFORMATEX& Format() const { return FFormat; }
    // Makes a fresh source on the current context playing the block's OpenAL buffer, with this
    // buffer's volume, pan and frequency.
    void MakeSource();
    ALuint Source() const { return FSource; }
    // Forgets the source (its context is gone).
    void DropSource() { FSource = 0; }

private:
    HRESULT Ready();
    void ApplyGain();
    void ApplyPan();
    void ApplyPitch();

    std::atomic<DWORD> FRefs{1};
    Device* FDevice;
    DWORD FFlags;
    std::shared_ptr<SampleBlock> FBlock;
    WAVEFORMATEX FFormat;
    ALuint FSource = 0;
    LONG FVolume = 0;
    LONG FPan = 0;
    DWORD FFrequency = 0;
    bool FPrimaryPlaying = false;
    bool FLocked = false;
};

// Every open device, for the disconnect seam.
std::set<Device*>& Devices();

} // namespace dsound
