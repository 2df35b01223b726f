// TDirectSound: the sound device wrapper, keeping the buffers made on it.
#pragma once

#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/ui/DirectX.h"
#include "sound/DXSounds.DirectSoundError.h"

class TDirectSoundBuffer;

// The sound device. It keeps the buffers made on it and destroys those still there when it goes.
class TDirectSound : public TDirectX {
public:
    // Opens the device (nullptr = the default one); "%s cannot be initialized" ("DirectSound")
    // when it cannot, "%s not loaded" when the sound module is missing.
    explicit TDirectSound(const GUID* DriverGUID = nullptr);
    ~TDirectSound() override;
    TDirectSound(const TDirectSound&) = delete;
    TDirectSound& operator=(const TDirectSound&) = delete;
    const char* ClassName() const override { return "TDirectSound"; }

    int BufferCount() const { return static_cast<int>(FBuffers.size()); }
    TDirectSoundBuffer* Buffers(int Index) const { return FBuffers.at(static_cast<size_t>(Index)); }
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
    friend class TDirectSoundBuffer;
    std::vector<TDirectSoundBuffer*> FBuffers;
    bool FGlobalFocus = false;
    IDirectSound* FIDSound = nullptr;
    bool FInRestoreBuffer = false;
    bool FStickyFocus = false;
};
