// The sound component TDXSound, the sound device and buffer wrappers, and the wave list
// TDXWaveList.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMetaObject>
#include <QWidget>

#include "platform/dsound/dsound.h"
#include "platform/rtl/HashCollections.h"
#include "platform/ui/Components.h"
#include "platform/ui/DirectX.h"
#include "platform/ui/Forms.h"
#include "sound/Wave.h"

class TDirectSoundBuffer;
class TCustomDXSound;
class TCustomDXWaveList;
class TWaveCollection;

// ---- Errors ----------------------------------------------------------------------------------

class EDirectSoundError : public EDirectXError {
public:
    using EDirectXError::EDirectXError;
};
class EDirectSoundBufferError : public EDirectSoundError {
public:
    using EDirectSoundError::EDirectSoundError;
};
class EDXSoundError : public Exception {
public:
    using Exception::Exception;
};
class EWaveCollectionError : public Exception {
public:
    using Exception::Exception;
};

// ---- Device and buffer wrappers --------------------------------------------------------------

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

// A sound buffer on a device. Ordinary calls record the platform's result in LastResult and
// return success; a lost buffer makes the device restore (see CheckResult).
class TDirectSoundBuffer : public TDirectX {
public:
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

// ---- Sound component -------------------------------------------------------------------------

enum TDXSoundOption { soGlobalFocus, soStickyFocus, soExclusive };

// A set of TDXSoundOption (bit n = option n).
class TDXSoundOptions {
public:
    constexpr TDXSoundOptions() = default;
    constexpr TDXSoundOptions(std::initializer_list<TDXSoundOption> Items) {
        for (TDXSoundOption o : Items)
            Include(o);
    }
    constexpr std::uint8_t Bits() const { return FBits; }
    constexpr bool Contains(TDXSoundOption o) const { return (FBits & Bit(o)) != 0; }
    constexpr void Include(TDXSoundOption o) { FBits = static_cast<std::uint8_t>(FBits | Bit(o)); }
    constexpr void Exclude(TDXSoundOption o) { FBits = static_cast<std::uint8_t>(FBits & ~Bit(o)); }
    constexpr bool operator==(const TDXSoundOptions&) const = default;

private:
    static constexpr std::uint8_t Bit(TDXSoundOption o) {
        return static_cast<std::uint8_t>(1u << o);
    }
    std::uint8_t FBits = 0;
};

enum TDXSoundNotifyType {
    dsntDestroying,
    dsntInitializing,
    dsntInitialize,
    dsntFinalize,
    dsntRestore
};
using TDXSoundNotifyEvent = void (*)(void* Data, TCustomDXSound* Sender,
                                     TDXSoundNotifyType NotifyType);

// The sound component's device: restoring a lost buffer restores the whole component.
class TDXSoundDirectSound : public TDirectSound {
public:
    TDXSoundDirectSound(const GUID* DriverGUID, TCustomDXSound* DXSound)
        : TDirectSound(DriverGUID), FDXSound(DXSound) {}

protected:
    void DoRestoreBuffer() override;

private:
    TCustomDXSound* FDXSound;
};

// Opens the sound device for the form it belongs to and tells its listeners when the device
// comes (initialising, initialise, restore), goes (finalise) or has to be rebuilt (restore).
class TCustomDXSound : public TComponent {
public:
    explicit TCustomDXSound(QObject* Owner = nullptr);
    ~TCustomDXSound() override;

    // With AutoInitialize, initialises; a device that cannot be opened leaves the component not
    // initialised (EDirectSoundError is swallowed), other errors propagate.
    void Loaded() override;

    void Initialize();
    void Finalize();
    // Listeners get restore, then OnRestore runs (only while initialised).
    void Restore();

    // A listener registered while initialised is told initialise, then restore, at once;
    // unregistering it while initialised tells it finalise.
    void RegisterNotifyEvent(TDXSoundNotifyEvent NotifyEvent, void* Data);
    void UnRegisterNotifyEvent(TDXSoundNotifyEvent NotifyEvent, void* Data);

    bool AutoInitialize() const { return FAutoInitialize; }
    void SetAutoInitialize(bool Value) { FAutoInitialize = Value; }
    TDXSoundOptions Options() const { return FOptions; }
    // Exclusivity only changes at initialisation: while initialised, the focus options take
    // effect at once and soExclusive stays as it was.
    void SetOptions(TDXSoundOptions Value);
    TDXSoundOptions EffectiveOptions() const { return FNowOptions; }

    bool Initialized() const { return FInitialized; }
    TDirectSound* DSound() const { return FDSound.get(); }
    TDirectSoundBuffer* Primary() const { return FPrimary.get(); }
    // The window the device is bound to (while initialised).
    QWidget* Form() const { return FForm; }

    TNotifyEvent OnFinalize;
    TNotifyEvent OnInitialize;
    TNotifyEvent OnInitializing;
    TNotifyEvent OnRestore;

private:
    void NotifyEventList(TDXSoundNotifyType NotifyType);
    void BindToForm();

    struct TListener {
        TDXSoundNotifyEvent Callback;
        void* Data;
    };
    bool FAutoInitialize = true;
    bool FCalledDoInitialize = false;
    std::unique_ptr<TDXSoundDirectSound> FDSound;
    QWidget* FForm = nullptr;
    bool FInitialized = false;
    bool FInitializing = false;
    std::vector<TListener> FNotifyEventList;
    TDXSoundOptions FNowOptions;
    TDXSoundOptions FOptions;
    std::unique_ptr<TDirectSoundBuffer> FPrimary;
    std::unique_ptr<QObject> FFormHook;
};

class TDXSound : public TCustomDXSound {
public:
    using TCustomDXSound::TCustomDXSound;
};

// ---- Wave list -------------------------------------------------------------------------------

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

    std::unique_ptr<TDirectSoundBuffer> FBuffer;
    std::vector<std::unique_ptr<TDirectSoundBuffer>> FBufferList;
    std::int32_t FFrequency = 0;
    bool FInitialized = false;
    bool FLooped = false;
    int FMaxPlayingCount = 0;
    int FPlayCount = 0;
    std::int32_t FPan = 0;
    std::int32_t FVolume = 0;
    TWave FWave;
};

class TWaveCollection : public THashCollection {
public:
    explicit TWaveCollection(TCustomDXWaveList* Owner = nullptr) : FOwner(Owner) {}
    ~TWaveCollection() override;

    TWaveCollectionItem* Add() { return new TWaveCollectionItem(this); }
    TWaveCollectionItem* Items(int Index) const {
        return static_cast<TWaveCollectionItem*>(THashCollection::Items(Index));
    }
    // "Wave '%s' not found" (EWaveCollectionError) for an unknown name; case is ignored.
    TWaveCollectionItem* Find(const std::string& Name) const;
    // Copies the items of Source, one by one.
    void Assign(const TWaveCollection& Source);

    // The sound component is set and initialised.
    bool Initialized() const;
    void Initialize(TCustomDXSound* DXSound);
    void Finalize();
    void Restore();
    TCustomDXSound* DXSound() const { return FDXSound; }
    TCustomDXWaveList* Owner() const { return FOwner; }

private:
    TCustomDXSound* FDXSound = nullptr;
    TCustomDXWaveList* FOwner;
};

// The named sounds of a window, played through a sound component.
class TCustomDXWaveList : public TComponent {
public:
    explicit TCustomDXWaveList(QObject* Owner = nullptr);
    ~TCustomDXWaveList() override;

    TCustomDXSound* DXSound() const { return FDXSound; }
    void SetDXSound(TCustomDXSound* Value);
    TWaveCollection& Items() { return *FItems; }
    const TWaveCollection& Items() const { return *FItems; }
    void SetItems(const TWaveCollection& Value) { FItems->Assign(Value); }

private:
    static void DXSoundNotify(void* Data, TCustomDXSound* Sender, TDXSoundNotifyType NotifyType);
    void DXSoundNotifyEvent(TCustomDXSound* Sender, TDXSoundNotifyType NotifyType);

    TCustomDXSound* FDXSound = nullptr;
    QMetaObject::Connection FDXSoundGone;
    std::unique_ptr<TWaveCollection> FItems;
};

class TDXWaveList : public TCustomDXWaveList {
public:
    using TCustomDXWaveList::TCustomDXWaveList;
};
