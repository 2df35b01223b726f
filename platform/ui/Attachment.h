// A component's attachment to a source component that tells (callback, data) listeners about
// itself.
#pragma once

#include <QObject>

#include <functional>

// One component listening to another: the image list and the sprite engine to the display
// control, the wave list to the sound component. The source keeps listeners as (callback, data)
// pairs through its Register / Unregister member functions and calls every callback with
// (data, source, kind); a newly registered listener is told the source's current state at once
// and one that unregisters is told the source's teardown.
//
// Attach(source) unregisters from the previous source (its teardown notices still reach OnNotify)
// and registers with the new one. The source's Destroying notice detaches; so does the source's
// QObject destruction, as a backstop for a source that goes without its notice, after which
// OnSourceGone runs so the listener drops whatever it holds of the source. The attachment never
// keeps a pointer to a destroyed source, and detaches when it is destroyed itself.
//
// Use it as a member of the listening component, e.g.
//   using TDXDrawAttachment = TListenerAttachment<TCustomDXDraw, TDXDrawNotifyKind,
//       &TCustomDXDraw::RegisterListener, &TCustomDXDraw::UnregisterListener, dnDestroying>;
template <class TSource, class TKind, auto Register, auto Unregister, TKind Destroying>
class TListenerAttachment {
public:
    using TNotify = std::function<void(TSource* Sender, TKind Kind)>;
    using TGone = std::function<void()>;

    // OnNotify gets every notice but Destroying; OnSourceGone runs when the source is destroyed
    // without having sent Destroying.
    TListenerAttachment(TNotify OnNotify, TGone OnSourceGone)
        : FOnNotify(std::move(OnNotify)), FOnSourceGone(std::move(OnSourceGone)) {}
    ~TListenerAttachment() { Attach(nullptr); }
    TListenerAttachment(const TListenerAttachment&) = delete;
    TListenerAttachment& operator=(const TListenerAttachment&) = delete;

    TSource* Source() const { return FSource; }

    void Attach(TSource* Value) {
        if (FSource) {
            QObject::disconnect(FSourceGone);
            TSource* old = FSource;
            FSource = nullptr; // forgotten first: unregistering reports the teardown back to us
            (old->*Unregister)(&Notify, this);
        }
        FSource = Value;
        if (FSource) {
            FSourceGone = QObject::connect(FSource, &QObject::destroyed, [this] {
                FSource = nullptr;
                if (FOnSourceGone) FOnSourceGone();
            });
            (FSource->*Register)(&Notify, this);
        }
    }

private:
    static void Notify(void* Data, TSource* Sender, TKind Kind) {
        auto* self = static_cast<TListenerAttachment*>(Data);
        if (Kind == Destroying)
            self->Attach(nullptr);
        else if (self->FOnNotify)
            self->FOnNotify(Sender, Kind);
    }

    TNotify FOnNotify;
    TGone FOnSourceGone;
    TSource* FSource = nullptr;
    QMetaObject::Connection FSourceGone;
};
