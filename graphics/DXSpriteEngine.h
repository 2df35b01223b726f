// The sprite engine component: owns the root of a sprite tree and paints it on a display.
#pragma once

#include <cstdint>
#include <memory>

#include "display/DXDraws.Attachment.h"
#include "display/DXDraws.Control.h"
#include "graphics/DXSprite.h"
#include "platform/ui/Components.h"

class TCustomDXSpriteEngine : public TComponent {
public:
    // Creates the root sprite (no parent).
    explicit TCustomDXSpriteEngine(QObject* Owner = nullptr);
    // Detaches from the display, then destroys the root and every sprite still in the tree.
    ~TCustomDXSpriteEngine() override;

    TSpriteEngine& Root() { return *FEngine; }
    const TSpriteEngine& Root() const { return *FEngine; }

    // Runs the move pass over the whole tree.
    void Move(int32_t MoveCount);
    // Paints the tree on the display's back surface; nothing while the display is missing or not
    // initialised (PaintedCount keeps its value then).
    void Draw();
    // Whether a Draw now would paint anything other than the last one did (see TSpriteEngine).
    bool Changed() { return FEngine->Changed(); }
    // Whether, and where on the back surface, a Draw now would paint differently (see
    // TSpriteEngine::Changes).
    bool Changes(TRect& Damage) { return FEngine->Changes(Damage); }

    TCustomDXDraw* DXDraw() const { return FDXDraw.Source(); }
    // Detaches from the previous display (unregistering) and attaches to Value; an initialised
    // display hands over its back surface at once.
    void SetDXDraw(TCustomDXDraw* Value) { FDXDraw.Attach(Value); }

    // The display listener: the root follows the back surface between initialise and finalise.
    void DXDrawNotifyEvent(TCustomDXDraw* Sender, TDXDrawNotifyKind NotifyKind);

private:
    std::unique_ptr<TSpriteEngine> FEngine;
    TDXDrawAttachment FDXDraw;
};

class TDXSpriteEngine : public TCustomDXSpriteEngine {
public:
    using TCustomDXSpriteEngine::TCustomDXSpriteEngine;
};
