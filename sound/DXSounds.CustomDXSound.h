// TCustomDXSound: the sound component, its device and its listeners.
#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "platform/ui/Components.h"
#include "platform/ui/Events.h"
#include "platform/ui/Forms.h"
#include "sound/DXSounds.DXSoundDirectSound.h"
#include "sound/DXSounds.DXSoundError.h"
#include "sound/DXSounds.DirectSoundBuffer.h"
#include "sound/DXSounds.Options.h"

class TCustomDXSound;

enum TDXSoundNotifyType {
    dsntDestroying,
    dsntInitializing,
    dsntInitialize,
    dsntFinalize,
    dsntRestore
};
using TDXSoundNotifyEvent = void (*)(void* Data, TCustomDXSound* Sender,
                                     TDXSoundNotifyType NotifyType);

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
    TDirectSoundBufferPtr FPrimary{nullptr, &ReleaseDirectSoundBuffer};
    std::unique_ptr<QObject> FFormHook;
};
