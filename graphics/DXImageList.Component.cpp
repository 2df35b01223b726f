// The image list component: attachment to the display control and its notifications.
#include "graphics/DXImageList.h"

TCustomDXImageList::TCustomDXImageList(QObject* Owner)
    : TComponent(Owner), FItems(std::make_unique<TPictureCollection>(this)) {}

TCustomDXImageList::~TCustomDXImageList() {
    SetDXDraw(nullptr);
    FItems.reset(); // each item finalises, freeing its surfaces
}

void TCustomDXImageList::DXDrawNotify(void* Data, TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind) {
    static_cast<TCustomDXImageList*>(Data)->DXDrawNotifyEvent(Sender, NotifyKind);
}

void TCustomDXImageList::SetDXDraw(TCustomDXDraw* Value) {
    if (FDXDraw) {
        QObject::disconnect(FDXDrawGone);
        TCustomDXDraw* old = FDXDraw;
        FDXDraw = nullptr; // forgotten first: unregistering reports finalisation back to us
        old->UnregisterListener(&DXDrawNotify, this);
    }
    FDXDraw = Value;
    if (FDXDraw) {
        // The display's own destruction notice comes first; this only guards against a display
        // that goes without it, so the list never keeps a pointer to a destroyed control.
        FDXDrawGone = QObject::connect(FDXDraw, &QObject::destroyed, this, [this] {
            FDXDraw = nullptr;
            FItems->Finalize();
        });
        FDXDraw->RegisterListener(&DXDrawNotify, this);
    }
}

void TCustomDXImageList::DXDrawNotifyEvent(TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind) {
    switch (NotifyKind) {
    case dnDestroying:
        SetDXDraw(nullptr);
        break;
    case dnInitialize:
        FItems->Initialize(Sender);
        break;
    case dnFinalize:
        FItems->Finalize();
        break;
    case dnRestore:
        FItems->Restore();
        break;
    default:
        break;
    }
}
