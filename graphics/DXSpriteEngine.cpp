// The sprite engine component: root ownership, move and draw passes, the display listener.
#include "graphics/DXSpriteEngine.h"

TCustomDXSpriteEngine::TCustomDXSpriteEngine(QObject* Owner)
    : TComponent(Owner), FEngine(std::make_unique<TSpriteEngine>()) {}

TCustomDXSpriteEngine::~TCustomDXSpriteEngine() {
    SetDXDraw(nullptr);
    FEngine.reset();
}

void TCustomDXSpriteEngine::Move(int32_t MoveCount) { FEngine->Move(MoveCount); }

void TCustomDXSpriteEngine::Draw() {
    if (FDXDraw && FDXDraw->Initialized())
        FEngine->Draw();
}

void TCustomDXSpriteEngine::DXDrawNotify(void* Data, TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind) {
    static_cast<TCustomDXSpriteEngine*>(Data)->DXDrawNotifyEvent(Sender, NotifyKind);
}

void TCustomDXSpriteEngine::SetDXDraw(TCustomDXDraw* Value) {
    if (FDXDraw) {
        QObject::disconnect(FDXDrawGone);
        TCustomDXDraw* old = FDXDraw;
        FDXDraw = nullptr;
        old->UnregisterListener(&DXDrawNotify, this);
    }
    FDXDraw = Value;
    if (FDXDraw) {
        // Backstop for a display that goes without its destruction notice: never keep a pointer
        // to a destroyed control or its back surface.
        FDXDrawGone = QObject::connect(FDXDraw, &QObject::destroyed, this, [this] {
            FDXDraw = nullptr;
            FEngine->SetSurface(nullptr);
        });
        FDXDraw->RegisterListener(&DXDrawNotify, this);
    }
}

void TCustomDXSpriteEngine::DXDrawNotifyEvent(TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind) {
    switch (NotifyKind) {
    case dnDestroying:
        SetDXDraw(nullptr);
        break;
    case dnInitialize:
        FEngine->SetSurface(Sender->Surface());
        break;
    case dnFinalize:
        FEngine->SetSurface(nullptr);
        break;
    default:
        break;
    }
}
