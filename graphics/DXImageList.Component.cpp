// The image list component: attachment to the display control and its notifications.
#include "graphics/DXImageList.h"

TCustomDXImageList::TCustomDXImageList(QObject* Owner)
    : TComponent(Owner), FItems(std::make_unique<TPictureCollection>(this)),
      FDXDraw([this](TCustomDXDraw* Sender,
                     TDXDrawNotifyKind Kind) { DXDrawNotifyEvent(Sender, Kind); },
              [this] { FItems->Finalize(); }) {}

TCustomDXImageList::~TCustomDXImageList() {
    SetDXDraw(nullptr);
    FItems.reset(); // each item finalises, freeing its surfaces
}

void TCustomDXImageList::DXDrawNotifyEvent(TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind) {
    switch (NotifyKind) {
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
