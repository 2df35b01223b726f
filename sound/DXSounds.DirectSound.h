// TDirectSound: the sound device wrapper, keeping the buffers made on it.
#pragma once

#include <memory>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/ui/DirectX.h"
#include "sound/DXSounds.DirectSoundError.h"

class TDirectSoundBuffer;

// Gives a buffer back to the device that made it (TDirectSound::ReleaseBuffer).
void ReleaseDirectSoundBuffer(TDirectSoundBuffer* Buffer);
// A buffer made by a device, released to it when the pointer goes.
using TDirectSoundBufferPtr = std::unique_ptr<TDirectSoundBuffer, void (*)(TDirectSoundBuffer*)>;

// The sound device. It owns the buffers made on it until their users release them, and destroys
// those still there when it goes, the last made first.
class TDirectSound : public TDirectX {
public:
    // Opens the device (nullptr = the default one); "%s cannot be initialized" ("DirectSound")
    // when it cannot, "%s not loaded" when the sound module is missing.
    explicit TDirectSound(const GUID* DriverGUID = nullptr);
    ~TDirectSound() override;
    TDirectSound(const TDirectSound&) = delete;
    TDirectSound& operator=(const TDirectSound&) = delete;
    const char* ClassName() const override { return "TDirectSound"; }

    // A new buffer on this device, without an interface until it is created or loaded.
    TDirectSoundBufferPtr NewBuffer();
    // Destroys a buffer this device made (nothing for any other).
    void ReleaseBuffer(TDirectSoundBuffer* Buffer);
    int BufferCount() const { return static_cast<int>(FBuffers.size()); }
    TDirectSoundBuffer* Buffers(int Index) const {
        return FBuffers.at(static_cast<size_t>(Index)).get();
    }
    // A buffer reported its contents lost: restores (DoRestoreBuffer) unless a restore is already
    // under way, so a loss met while restoring starts no second one.
    void BufferLost();
    // The device interface; "%s not made" ("IDirectSound") when there is none.
    IDirectSound* IDSound() const;

    bool GlobalFocus() const { return FGlobalFocus; }
    void SetGlobalFocus(bool Value) { FGlobalFocus = Value; }
    bool StickyFocus() const { return FStickyFocus; }
    void SetStickyFocus(bool Value) { FStickyFocus = Value; }

protected:
    // Run when a buffer reports that its contents were lost; empty here.
    virtual void DoRestoreBuffer() {}

private:
    std::vector<std::unique_ptr<TDirectSoundBuffer>> FBuffers;
    bool FGlobalFocus = false;
    IDirectSound* FIDSound = nullptr;
    bool FInRestoreBuffer = false;
    bool FStickyFocus = false;
};
