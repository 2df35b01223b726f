// TDirectSoundBuffer: a sound buffer on a device, loaded from a wave or duplicated.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/ui/DirectX.h"
#include "sound/DXSounds.DirectSound.h"
#include "sound/DXSounds.DirectSoundBufferError.h"
#include "sound/Wave.h"

// A sound buffer on a device. Ordinary calls record the platform's result in LastResult and
// return success; a lost buffer makes the device restore (see CheckResult).
class TDirectSoundBuffer : public TDirectX {
public:
    // A buffer on the device that its maker keeps; TDirectSound::NewBuffer makes one the device
    // keeps until it is released.
    explicit TDirectSoundBuffer(TDirectSound* ADirectSound);
    ~TDirectSoundBuffer() override;
    TDirectSoundBuffer(const TDirectSoundBuffer&) = delete;
    TDirectSoundBuffer& operator=(const TDirectSoundBuffer&) = delete;
    const char* ClassName() const override { return "TDirectSoundBuffer"; }

    // A buffer with an interface: a duplicate sharing its samples; without: drops this one's.
    void Assign(const TDirectSoundBuffer* Source);
    // A wave: LoadFromWave. Nothing: drops the interface.
    void Assign(const TWave* Source);

    bool CreateBuffer(const DSBUFFERDESC& BufferDesc);
    // A buffer of the wave's format holding its samples; "%s cannot be made" / "%s cannot be
    // locked" ("Sound Buffer") as EDirectSoundBufferError.
    void LoadFromWave(const TWave& Wave);

    bool Play(bool Loop = false);
    bool Stop();
    bool SetPosition(DWORD Position);
    bool SetFrequency(std::int32_t Value);
    bool SetPan(std::int32_t Value);
    bool SetVolume(std::int32_t Value);
    bool IsPlaying();

    // One lock at a time: a second one while locked fails.
    bool Lock(DWORD LockPosition, DWORD LockSize, void*& AudioPtr1, DWORD& AudioSize1,
              void*& AudioPtr2, DWORD& AudioSize2);
    void UnLock();
    int LockCount() const { return FLockCount; }

    TDirectSound* DSound() const { return FDSound; }
    // The interface or null.
    IDirectSoundBuffer* IBuffer() const { return FIDSBuffer; }
    // The interface; "%s not made" ("IDirectSoundBuffer") when there is none.
    IDirectSoundBuffer* IDSBuffer() const;
    // Takes over an interface reference (null drops the current one).
    void SetIBuffer(IDirectSoundBuffer* Value);
    const DSBCAPS& Caps() const { return FCaps; }
    // The buffer's wave format as the platform reports it (empty without an interface).
    const std::vector<std::uint8_t>& Format() const { return FFormat; }
    int FormatSize() const { return static_cast<int>(FFormat.size()); }

protected:
    // A lost buffer: unless the device is already restoring, it restores (for the sound
    // component's device: every listener rebuilds its buffers). Other failures are only recorded.
    void CheckResult() override;

private:
    TDirectSound* FDSound;
    IDirectSoundBuffer* FIDSBuffer = nullptr;
    DSBCAPS FCaps{};
    std::vector<std::uint8_t> FFormat;
    void* FLockAudioPtr1 = nullptr;
    void* FLockAudioPtr2 = nullptr;
    DWORD FLockAudioSize1 = 0;
    DWORD FLockAudioSize2 = 0;
    int FLockCount = 0;
};
