// A component's attachment to the display control as one of its listeners.
#pragma once

#include "display/DXDraws.Control.h"
#include "platform/ui/Attachment.h"

// Held by a component that follows a display control (the image list, the sprite engine): it
// registers the component's notice handler with the control and detaches when the control goes.
using TDXDrawAttachment =
    TListenerAttachment<TCustomDXDraw, TDXDrawNotifyKind, &TCustomDXDraw::RegisterListener,
                        &TCustomDXDraw::UnregisterListener, dnDestroying>;
