// Placing top-level windows: centred on their screen's available area, frame included.
#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

// Where a window of the given outer (framed) size goes in Area: in the middle, an odd pixel left
// over going to the right and bottom, but never with its top or left edge outside the area and,
// while it fits, never with its bottom or right edge outside either. A window larger than the
// area keeps its top-left corner (and with it the start of its title bar) in the area.
QPoint CentredPosition(const QRect& Area, const QSize& Outer);

// Moves a top-level window so that its frame (its client area alone before the window manager has
// framed it) sits in the middle of its screen's available area, as CentredPosition places it.
// Under Wayland, where the compositor places windows, it does nothing.
void CentreOnScreen(QWidget* window);

// Keeps a window centred by its framed geometry. A window manager frames a window only after it
// has been mapped, so the frame is unknown at the showing; the placement is made at once with
// what is known (exact on a display without a window manager) and made again each time the
// window's frame margins turn out different from those it was made with, until the framed window
// has been seen where it was sent; later moves (the player's) are left be until the next showing.
// SizeByFrame, when given, runs before each of these placements with the margins then known, so
// a window whose outer size is fixed can resize its client area first. Under Wayland only that
// sizing is done: the compositor places the windows.
class TFramedPlacement : public QObject {
public:
    using TSizeByFrame = std::function<void(const QMargins& Frame)>;

    explicit TFramedPlacement(QWidget* Window, TSizeByFrame SizeByFrame = {});

    // Call at each showing, before the window becomes visible.
    void Place();

    // True while the placement still looks at the window's events for its frame: from each
    // showing until the frame has been seen in place, the window hides, or the player first
    // presses a button or key in it.
    bool Watching() const { return FWatching; }

    // The frame margins of a window as the window system reports them now (none before the window
    // has been framed, nor while the report is still meaningless).
    static QMargins FrameOf(const QWidget* Window);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void PlaceWith(const QMargins& Frame);
    void MoveFrameTo(const QPoint& TopLeft);
    void Check();

    QWidget* FWindow;
    TSizeByFrame FSizeByFrame;
    QMargins FFrame;
    // Where the frame's top-left corner was sent, and whether the window system has since shown
    // it there with a known frame; a manager that put it elsewhere is asked again, a few times.
    QPoint FIntended;
    bool FConfirmed = false;
    int FRetries = 0;
    bool FWatching = false;
    bool FCheckQueued = false;
};
