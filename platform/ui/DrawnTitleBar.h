// A title bar the program draws itself, for windows whose platform bar would offer to maximise
// them, with resize grips along the edges of the sizeable ones.
#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

#include <vector>

class TResizeGrip;

// Under Wayland a compositor without server-side decorations leaves the title bar to the client,
// and Qt's own client-side bar offers a maximise button whatever the window's size constraints.
// A window that gets this bar instead is made frameless before its native window exists (so no
// other decoration is drawn or asked for) and carries the bar as a child across its top: its
// icon and title, a minimise button and a close button where the window's flags ask for them
// (never a maximise button). Pressing and dragging the bar moves the window through the window
// system; a double click does nothing. The window's content moves down by the bar's height and
// the window grows by it: a window with a layout gets a top contents margin, a window whose
// children are placed by hand has them moved down and its size (fixed or not) grown. While the
// window is sizeable (minimum size other than maximum), thin grips along its edges and corners,
// above all its other children, resize it through the window system.
class TDrawnTitleBar : public QWidget {
    Q_OBJECT
public:
    // Whether Window, a top-level about to be shown for the first time, wants a drawn bar: the
    // platform is Wayland, the compositor draws no decorations of its own and the window is not
    // frameless.
    static bool Wanted(const QWidget* Window);
    // Attaches a bar when Wanted and none is attached yet; returns the window's bar, if any.
    static TDrawnTitleBar* AttachIfWanted(QWidget* Window);
    // Attaches a bar whatever the platform (once: a second call returns the first bar). Call it
    // before the window's native window is created.
    static TDrawnTitleBar* Attach(QWidget* Window);
    // The bar attached to Window, or null.
    static TDrawnTitleBar* Of(const QWidget* Window);

    // Whether the compositor of this Wayland session draws window decorations itself (asked
    // once per process; false off Wayland or when the compositor cannot be asked).
    static bool CompositorDecorates();

    // Null where the window's flags ask for no such button.
    QAbstractButton* MinimiseButton() const { return FMinimise; }
    QAbstractButton* CloseButton() const { return FClose; }
    // The resize grips, made once the window is first seen sizeable and hidden while its size is
    // fixed (a window may fix its size only as it is shown, as a message box does).
    std::vector<TResizeGrip*> Grips() const;

    // The bar's height: one line of the application's font with some room.
    static int BarHeight();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    explicit TDrawnTitleBar(QWidget* Window);
    void MakeRoomIn(QWidget* Window);
    void LayOut();
    void PlaceGrips();
    // The bar above the window's content, the grips above the bar.
    void Restack();

    QWidget* FWindow;
    QPointer<QAbstractButton> FMinimise;
    QPointer<QAbstractButton> FClose;
    std::vector<QPointer<TResizeGrip>> FGrips;
};
