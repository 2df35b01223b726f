// The display control's window side: its form hook, window events, paints and mouse events.
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>


#include "display/DXDraws.Control.h"
#include "display/DXDraws.Driver.h"

namespace {

TShiftState ShiftOf(const QMouseEvent* Event) {
    TShiftState s = 0;
    const Qt::KeyboardModifiers m = Event->modifiers();
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    const Qt::MouseButtons b = Event->buttons();
    if (b & Qt::LeftButton) s |= ssLeft;
    if (b & Qt::RightButton) s |= ssRight;
    if (b & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

bool ButtonOf(const QMouseEvent* Event, TMouseButton& Button) {
    switch (Event->button()) {
    case Qt::LeftButton:
        Button = mbLeft;
        return true;
    case Qt::RightButton:
        Button = mbRight;
        return true;
    case Qt::MiddleButton:
        Button = mbMiddle;
        return true;
    default:
        return false;
    }
}

} // namespace

void TCustomDXDraw::ReportError(QObject* Sender, const std::exception& E) {
    ReportException(Sender, E);
}

// ---- Window
// --------------------------------------------------------------------------------------

void TCustomDXDraw::ParentChanged() {
    FForm = nullptr;
    FFormHook.reset();
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (w->isWindow()) {
            FForm = w;
            break;
        }
    }
    if (FForm)
        FFormHook = std::make_unique<TControlSubClass>(
            FForm, [this](TMessage& Message, const TWndMethod& DefWindowProc) {
                FormWndProc(Message, DefWindowProc);
            });
}

void TCustomDXDraw::FormWndProc(TMessage& Message, const TWndMethod& DefWindowProc) {
    switch (Message.Msg) {
    case wmDestroy:
        try {
            Finalize();
        } catch (const std::exception& E) {
            ReportError(this, E);
        }
        DefWindowProc(Message);
        return;
    case QEvent::WindowDeactivate:
        if (TDirectDraw* device = Device(); FInitialized && FNowOptions.Contains(doFullScreen) &&
                                            FNowOptions.Contains(doFlip) && device &&
                                            device->DrawInterface())
            device->SetLastResult(device->DrawInterface()->FlipToGDISurface());
        DefWindowProc(Message);
        return;
    case QEvent::Show:
        DefWindowProc(Message);
        if (FAutoInitialize && !FCalledDoInitialize) {
            try {
                Initialize();
            } catch (const std::exception& E) {
                ReportError(this, E);
            }
        }
        return;
    default:
        DefWindowProc(Message);
    }
}

void TCustomDXDraw::WindowRecreated() {
    if (!FInitialized || FUpdating) return;
    FFrameDue = true;
    if (TDirectDrawClipper* clipper = Clipper()) clipper->SetHandle(this);
    ApplyCooperativeLevel();
}

bool TCustomDXDraw::event(QEvent* Event) {
    const bool result = QWidget::event(Event);
    if (Event->type() == QEvent::ParentChange)
        ParentChanged();
    else if (Event->type() == QEvent::WinIdChange)
        WindowRecreated();
    return result;
}

void TCustomDXDraw::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (FAutoSize && !FUpdating) {
        try {
            SetSize(width(), height());
        } catch (const std::exception& E) {
            ReportError(this, E);
        }
    }
}

void TCustomDXDraw::paintEvent(QPaintEvent* Event) {
    // A paint asked for after a frame changed the window's pixels only shows them; any other
    // paint (the window uncovered or invalidated) presents the back surface again first, never
    // waiting for the vertical blank, and has the next frame drawn afresh.
    if (FPresented) {
        FPresented = false;
    } else {
        const bool wait = FNowOptions.Contains(doWaitVBlank);
        FNowOptions.Exclude(doWaitVBlank);
        FPainting = true; // this paint shows the frame: nothing to put in the window besides
        try {
            Flip();
        } catch (const std::exception& E) {
            ReportError(this, E);
        }
        FPainting = false;
        if (wait) FNowOptions.Include(doWaitVBlank);
        FPresented = false; // this paint shows what that Flip changed
        FFrameDue = true;
        if (parentWidget() && FInitialized && Surface() &&
            (Surface()->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY))
            // The parent repaints what lies around the control, not the control itself.
            parentWidget()->update(QRegion(parentWidget()->rect()) - QRegion(geometry()));
    }
    QPainter painter(this);
    // Painted straight from the presentation's pixels and let go of at the end of the paint, so
    // the next frame writes into them without a copy.
    const QImage screen = Screen();
    if (!screen.isNull()) {
        const QRegion outside = Event->region() - screen.rect();
        for (const QRect& r : Event->region() & screen.rect())
            painter.drawImage(r.topLeft(), screen, r);
        for (const QRect& r : outside)
            painter.fillRect(r, Qt::black);
    } else {
        painter.fillRect(Event->rect(),
                         QColor(GetRValue(ColorToRGB(FColor)), GetGValue(ColorToRGB(FColor)),
                                GetBValue(ColorToRGB(FColor))));
    }
}

namespace {
// The part of a control's region not covered by sibling widgets stacked above it: a control lying
// over the display (a panel, a text box) is neither drawn over nor repainted with every frame.
QRegion VisiblePart(QWidget* Control, const QRegion& Changed) {
    QRegion region = Changed;
    QWidget* parent = Control->isWindow() ? nullptr : Control->parentWidget();
    if (!parent) return region;
    const QObjectList& siblings = parent->children();
    for (qsizetype k = siblings.indexOf(Control) + 1; k < siblings.size(); ++k) {
        auto* sibling = qobject_cast<QWidget*>(siblings[k]);
        if (sibling && !sibling->isWindow() && sibling->isVisible())
            region -= sibling->geometry().translated(-Control->pos());
    }
    return region;
}
} // namespace

QImage TCustomDXDraw::Screen() const {
    return FDriver ? FDriver->PresentedImage() : QImage();
}

void TCustomDXDraw::ShowPresented(const QImage& Image, const QRegion& Changed, int Segment) {
    if (Image.isNull() || Changed.isEmpty()) return;
    const QRegion visible = VisiblePart(this, Changed & rect() & Image.rect());
    if (visible.isEmpty()) return;
    // A frame's few changed rows go straight to the window where they can; the toolkit's
    // repaint takes the rest (whole frames, other window systems) and every exposure.
    if (!FDirect) FDirect = std::make_unique<TDirectPresenter>();
    if (!FPainting && FDirect->Show(this, Image, visible, Segment)) {
        FPresented = false; // no paint follows for this frame
        ++FShownDirectly;
        return;
    }
    update(visible);
}

void TCustomDXDraw::mousePressEvent(QMouseEvent* Event) {
    TMouseButton button;
    if (OnMouseDown && ButtonOf(Event, button)) {
        const QPoint p = Event->position().toPoint();
        OnMouseDown(this, button, ShiftOf(Event), p.x(), p.y());
    }
}

void TCustomDXDraw::mouseDoubleClickEvent(QMouseEvent* Event) {
    TMouseButton button;
    if (OnMouseDown && ButtonOf(Event, button)) {
        const QPoint p = Event->position().toPoint();
        OnMouseDown(this, button, ShiftOf(Event) | ssDouble, p.x(), p.y());
    }
}

void TCustomDXDraw::mouseMoveEvent(QMouseEvent* Event) {
    if (OnMouseMove) {
        const QPoint p = Event->position().toPoint();
        OnMouseMove(this, ShiftOf(Event), p.x(), p.y());
    }
}

void TCustomDXDraw::mouseReleaseEvent(QMouseEvent* Event) {
    TMouseButton button;
    if (OnMouseUp && ButtonOf(Event, button)) {
        const QPoint p = Event->position().toPoint();
        OnMouseUp(this, button, ShiftOf(Event), p.x(), p.y());
    }
}
