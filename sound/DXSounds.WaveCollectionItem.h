// TWaveCollectionItem: one named sound of a wave list, and the buffers that play it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/HashCollections.h"
#include "sound/DXSounds.DirectSoundBuffer.h"
#include "sound/Wave.h"

class TWaveCollection;

// One named sound: its wave, and the buffers that play it once the sound component is up.
class TWaveCollectionItem : public THashCollectionItem {
public:
    explicit TWaveCollectionItem(TWaveCollection* Collection);
    ~TWaveCollectionItem() override;

    // Copies looping, name, limits, frequency, pan, volume and wave; rebuilds when it was ready.
    void Assign(const THashCollectionItem& Source) override;

    // Plays without reloading samples: a finished copy is reused, or the loaded master buffer is
    // duplicated. Does nothing while the sound component is not initialised.
    void Play(bool Wait = false);
    // Plays asked of this item while it was ready, whether or not the device could take each one.
    int PlayCount() const { return FPlayCount; }
    void Stop();
    void Initialize();
    void Finalize();
    void Restore();
    bool Initialized() const { return FInitialized; }

    TDirectSoundBuffer* MasterBuffer() const { return FBuffer.get(); }
    int PlayBufferCount() const { return static_cast<int>(FBufferList.size()); }
    TDirectSoundBuffer* PlayBuffers(int Index) const {
        return FBufferList.at(static_cast<size_t>(Index)).get();
    }

    std::int32_t Frequency() const { return FFrequency; }
    void SetFrequency(std::int32_t Value) { FFrequency = Value; }
    std::int32_t Pan() const { return FPan; }
    void SetPan(std::int32_t Value) { FPan = Value; }
    std::int32_t Volume() const { return FVolume; }
    void SetVolume(std::int32_t Value) { FVolume = Value; }
    bool Looped() const { return FLooped; }
    void SetLooped(bool Value);
    int MaxPlayingCount() const { return FMaxPlayingCount; }
    // Negative values count as 0 (no limit).
    void SetMaxPlayingCount(int Value);
    const TWave& Wave() const { return FWave; }
    TWave& Wave() { return FWave; }
    void SetWave(const TWave& Value) { FWave.Assign(Value); }

    TWaveCollection* WaveCollection() const;

private:
    void ClearPlayBuffers();
    TDirectSoundBuffer* CreateBuffer();
    // The master buffer, restored first when missing; false when there is still none.
    bool MasterReady();
    // The buffer a one-shot play uses: a finished copy, else a new duplicate while the limit
    // allows, else the least recently started copy (moved to the end of the list). Null when the
    // device cannot give one.
    TDirectSoundBuffer* PlayBufferForNextPlay();
    TDirectSoundBuffer* FinishedPlayBuffer();
    TDirectSoundBuffer* NewPlayBuffer();
    TDirectSoundBuffer* OldestPlayBufferMovedLast();
    // From the start: a looped play on the master as it is, a one-shot play with the item's
    // frequency, pan and volume.
    void Start(TDirectSoundBuffer& Buffer, bool Loop);

    TDirectSoundBufferPtr FBuffer{nullptr, &ReleaseDirectSoundBuffer};
    std::vector<TDirectSoundBufferPtr> FBufferList;
    std::int32_t FFrequency = 0;
    bool FInitialized = false;
    bool FLooped = false;
    int FMaxPlayingCount = 0;
    int FPlayCount = 0;
    std::int32_t FPan = 0;
    std::int32_t FVolume = 0;
    TWave FWave;
};
