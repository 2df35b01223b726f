// The sprite engine component: root ownership, move and draw passes, the display listener.
#include "graphics/DXSpriteEngine.h"

TCustomDXSpriteEngine::TCustomDXSpriteEngine(QObject* Owner)
    : TComponent(Owner), FEngine(std::make_unique<TSpriteEngine>()),
      FDXDraw([this](TCustomDXDraw* Sender,
                     TDXDrawNotifyKind Kind) { DXDrawNotifyEvent(Sender, Kind); },
              // Never keep a pointer to a destroyed control's back surface.
              [this] { FEngine->SetSurface(nullptr); }) {}

TCustomDXSpriteEngine::~TCustomDXSpriteEngine() {
    SetDXDraw(nullptr);
    FEngine.reset();
}

void TCustomDXSpriteEngine::Move(int32_t MoveCount) {
    FEngine->Move(MoveCount);
}

void TCustomDXSpriteEngine::Draw() {
    if (DXDraw() && DXDraw()->Initialized()) FEngine->Draw();
}

void TCustomDXSpriteEngine::DXDrawNotifyEvent(TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind) {
    switch (NotifyKind) {
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
