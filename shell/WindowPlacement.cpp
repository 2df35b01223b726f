// Placing top-level windows on their screen, by their framed geometry once it is known.
#include "shell/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

QPoint CentredPosition(const QRect& Area, const QSize& Outer) {
    // QRect::center() rounds towards the top left ((left + right) / 2 with right = left + width -
    // 1), which puts an even-sized window one pixel off on an even-sized screen; work with sizes
    // instead.
    const int x = Area.x() + (Area.width() - Outer.width()) / 2;
    const int y = Area.y() + (Area.height() - Outer.height()) / 2;
    // Halving a negative room rounds towards zero, which would leave the odd pixel at the top
    // left; the clamping below decides those cases anyway.
    return {std::max(Area.x(), std::min(x, Area.x() + Area.width() - Outer.width())),
            std::max(Area.y(), std::min(y, Area.y() + Area.height() - Outer.height()))};
}

namespace {
// A Wayland client cannot place its top-level windows: the compositor does. Moves are left out
// there rather than sent for nothing (and retried as if refused).
bool CanPlaceWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
} // namespace

void CentreOnScreen(QWidget* window) {
    if (!CanPlaceWindows()) return;
    QScreen* screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    window->move(CentredPosition(screen->availableGeometry(), window->frameGeometry().size()));
}

TFramedPlacement::TFramedPlacement(QWidget* Window, TSizeByFrame SizeByFrame)
    : QObject(Window), FWindow(Window), FSizeByFrame(std::move(SizeByFrame)) {
    FWindow->installEventFilter(this);
}

QMargins TFramedPlacement::FrameOf(const QWidget* Window) {
    const QWindow* handle = Window->windowHandle();
    if (!handle) return {};
    const QMargins frame = handle->frameMargins();
    // Read in the middle of the manager's reparenting, the margins can come out as the window's
    // size negated: no frame is known yet.
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) return {};
    return frame;
}

void TFramedPlacement::Place() {
    // The native window is made first (still hidden) so that whatever frame is known is used.
    if (!FWindow->testAttribute(Qt::WA_WState_Created)) (void)FWindow->winId();
    // The native window's exposures come after the manager has framed and mapped it.
    if (QWindow* handle = FWindow->windowHandle()) {
        handle->removeEventFilter(this);
        handle->installEventFilter(this);
    }
    FWatching = true;
    FRetries = 0;
    PlaceWith(FrameOf(FWindow));
}

void TFramedPlacement::PlaceWith(const QMargins& Frame) {
    FFrame = Frame;
    if (FSizeByFrame) FSizeByFrame(Frame);
    QScreen* screen = FWindow->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize outer = FWindow->size().grownBy(Frame);
    FIntended = CentredPosition(screen->availableGeometry(), outer);
    FConfirmed = false;
    MoveFrameTo(FIntended);
}

void TFramedPlacement::MoveFrameTo(const QPoint& TopLeft) {
    if (!CanPlaceWindows()) {
        // Nothing to confirm: only the sizing by the frame applies.
        FConfirmed = true;
        return;
    }
    // The client area is placed, from the margins the window system reports now: QWidget::move()
    // would go by the frame it last heard of, which lags behind while the manager frames the
    // window.
    const QMargins frame = FrameOf(FWindow);
    FWindow->setGeometry(QRect(TopLeft + QPoint(frame.left(), frame.top()), FWindow->size()));
}

namespace {
// Enough for a manager that misreads one or two moves made during its framing, few enough that a
// manager insisting on its own place is not fought for long.
constexpr int MaxRetries = 3;
} // namespace

bool TFramedPlacement::eventFilter(QObject* Watched, QEvent* Event) {
    if (!FWatching) return QObject::eventFilter(Watched, Event);
    const QEvent::Type type = Event->type();
    if (Watched == FWindow && type == QEvent::Hide) {
        FWatching = false;
    } else if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress) {
        // The player has taken the window over: a manager has framed it long before, and without
        // one no frame will ever come, so watching on would only queue a check at every event.
        FWatching = false;
    } else if (Watched == FWindow || Watched == FWindow->windowHandle()) {
        // The window system learns the frame from the manager's messages after the mapping, and
        // tells no event of it: at whatever event comes next, the margins are compared with those
        // the placement was made with. Nothing is moved from inside an event, though: the check
        // runs once the event is done.
        if (!FCheckQueued) {
            FCheckQueued = true;
            QMetaObject::invokeMethod(
                this, [this] { Check(); }, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(Watched, Event);
}

void TFramedPlacement::Check() {
    FCheckQueued = false;
    if (!FWatching) return;
    const QMargins frame = FrameOf(FWindow);
    if (frame != FFrame) {
        PlaceWith(frame);
    } else if (!FConfirmed && !frame.isNull()) {
        // The frame is known and unchanged: the window is either where it was sent, or a move made
        // while the manager was still framing it was taken for the client area.
        if (FWindow->geometry().topLeft() - QPoint(frame.left(), frame.top()) == FIntended) {
            // Framed and in place: the window is left to the player until its next showing.
            FConfirmed = true;
            FWatching = false;
        } else if (FRetries < MaxRetries) {
            ++FRetries;
            MoveFrameTo(FIntended);
        }
    }
}
