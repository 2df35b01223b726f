// The sound component TDXSound: device lifetime, binding to its form, listeners.
#include <QEvent>

#include "platform/rtl/DXConsts.h"
#include "sound/DXSounds.CustomDXSound.h"

namespace {

// Watches the form for a new native window and binds the device to it again afterwards.
class TFormWindowWatch : public QObject {
public:
    TFormWindowWatch(QWidget* Form, std::function<void()> Rebind) : FRebind(std::move(Rebind)) {
        Form->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::WinIdChange) {
            // The form's own handling first (the filter runs before it), then the binding.
            QMetaObject::invokeMethod(
                this, [this] { FRebind(); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(Watched, Event);
    }

private:
    std::function<void()> FRebind;
};

} // namespace

void TDXSoundDirectSound::DoRestoreBuffer() {
    FDXSound->Restore();
}

TCustomDXSound::TCustomDXSound(QObject* Owner) : TComponent(Owner) {}

TCustomDXSound::~TCustomDXSound() {
    try {
        Finalize();
    } catch (...) {
        // A handler's error cannot leave a destructor; the device is released all the same.
    }
    try {
        NotifyEventList(dsntDestroying);
    } catch (...) {
    }
}

void TCustomDXSound::Loaded() {
    TComponent::Loaded();
    if (!FAutoInitialize) return;
    try {
        Initialize();
    } catch (const EDirectSoundError&) {
        // No usable sound device: the component stays not initialised and plays are ignored.
    }
}

void TCustomDXSound::Initialize() {
    Finalize();

    QWidget* form = nullptr;
    for (QObject* o = parent(); o && !form; o = o->parent()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->isWindow()) form = w;
    }
    if (!form) throw EDXSoundError(SNoForm);
    FForm = form;

    NotifyEventList(dsntInitializing);
    if (OnInitializing) OnInitializing(this);
    FInitializing = true;
    try {
        FDSound = std::make_unique<TDXSoundDirectSound>(nullptr, this);
        FDSound->SetGlobalFocus(FNowOptions.Contains(soGlobalFocus));
        FDSound->SetStickyFocus(FNowOptions.Contains(soStickyFocus));

        FPrimary = FDSound->NewBuffer();
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(DSBUFFERDESC);
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
        if (!FPrimary->CreateBuffer(desc))
            throw EDXSoundError(Format(SCannotMade, SDirectSoundPrimaryBuffer));

        FInitialized = true;
        FFormHook = std::make_unique<TFormWindowWatch>(FForm, [this] { BindToForm(); });
        BindToForm();
    } catch (...) {
        Finalize();
        throw;
    }

    NotifyEventList(dsntInitialize);
    FCalledDoInitialize = true;
    if (OnInitialize) OnInitialize(this);
    Restore();
}

void TCustomDXSound::BindToForm() {
    if (!FDSound || !FForm) return;
    const DWORD level = FNowOptions.Contains(soExclusive) ? DSSCL_EXCLUSIVE : DSSCL_NORMAL;
    FDSound->SetLastResult(FDSound->IDSound()->SetCooperativeLevel(FForm, level));
}

void TCustomDXSound::Finalize() {
    if (!FInitializing) return;
    FFormHook.reset();
    // Whatever the handlers or listeners raise, the device is released and the state reset.
    struct TRelease {
        TCustomDXSound* Self;
        ~TRelease() {
            Self->FInitialized = false;
            Self->FInitializing = false;
            Self->FNowOptions = Self->FOptions;
            Self->FPrimary.reset();
            Self->FDSound.reset();
            Self->FForm = nullptr;
        }
    } release{this};
    try {
        if (FCalledDoInitialize) {
            FCalledDoInitialize = false;
            if (OnFinalize) OnFinalize(this);
        }
    } catch (...) {
        NotifyEventList(dsntFinalize);
        throw;
    }
    NotifyEventList(dsntFinalize);
}

void TCustomDXSound::Restore() {
    if (!FInitialized) return;
    NotifyEventList(dsntRestore);
    if (OnRestore) OnRestore(this);
}

void TCustomDXSound::SetOptions(TDXSoundOptions Value) {
    FOptions = Value;
    if (!FInitialized) {
        FNowOptions = Value;
        return;
    }
    TDXSoundOptions now = Value;
    if (FNowOptions.Contains(soExclusive))
        now.Include(soExclusive);
    else
        now.Exclude(soExclusive);
    FNowOptions = now;
    FDSound->SetGlobalFocus(FNowOptions.Contains(soGlobalFocus));
    FDSound->SetStickyFocus(FNowOptions.Contains(soStickyFocus));
}

void TCustomDXSound::RegisterNotifyEvent(TDXSoundNotifyEvent NotifyEvent, void* Data) {
    UnRegisterNotifyEvent(NotifyEvent, Data);
    FNotifyEventList.push_back({NotifyEvent, Data});
    if (FInitialized) {
        NotifyEvent(Data, this, dsntInitialize);
        NotifyEvent(Data, this, dsntRestore);
    }
}

void TCustomDXSound::UnRegisterNotifyEvent(TDXSoundNotifyEvent NotifyEvent, void* Data) {
    for (auto it = FNotifyEventList.begin(); it != FNotifyEventList.end(); ++it) {
        if (it->Callback == NotifyEvent && it->Data == Data) {
            FNotifyEventList.erase(it);
            if (FInitialized) NotifyEvent(Data, this, dsntFinalize);
            return;
        }
    }
}

void TCustomDXSound::NotifyEventList(TDXSoundNotifyType NotifyType) {
    // Last registered first; a listener may leave the list while it is told.
    for (size_t i = FNotifyEventList.size(); i > 0; --i) {
        if (i > FNotifyEventList.size()) continue;
        const TListener listener = FNotifyEventList[i - 1];
        listener.Callback(listener.Data, this, NotifyType);
    }
}
