// Showing a widget's changed pixels straight in its X window, past the toolkit's paint and flush.
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <memory>

// Puts rectangles of an image into the X window that holds a widget, through shared memory on
// the toolkit's own X connection: one request per rectangle and no round trip, where a repaint
// would go through an event, a paint, the backing store and a synchronous flush.
//
// An image that lies in a System V shared-memory segment of its own (Segment, from its first
// byte) is put from there, whatever its size, with no copy and no wait: the server reads it when
// it handles the request, and a write that lands in between only shows newer pixels a moment
// early, which the next put shows anyway. Any other image has its rectangles copied into a
// segment of the presenter's (at most MaxBytes), and the next copy waits until the server has
// read the last one.
//
// It only works where the pixels can go as they are: the xcb platform with MIT-SHM on a server
// reached through a local socket, a window of depth 24 with 8-bit red, green and blue masks, no
// scaling between widget and device pixels and a 32-bit RGB image. Show returns false otherwise
// and the caller repaints through the toolkit; a server that refuses the presenter's segment
// turns it off for good.
//
// The toolkit's backing store does not see these pixels. So that it never shows older ones, the
// presenter keeps the widget's parts it has shown since the widget last painted them and asks the
// widget to repaint those whenever the window is exposed.
class TDirectPresenter : public QObject {
public:
    // The largest set of rectangles one Show copies (bytes of 32-bit pixels). A row or column of
    // a 600 x 480 display fits; a whole frame of an image outside shared memory goes through the
    // toolkit.
    static constexpr int MaxBytes = 256 * 1024;

    TDirectPresenter();
    ~TDirectPresenter() override;

    // Shows Region (widget coordinates, pixel (0, 0) of Image at the widget's top-left) of Image
    // in Widget's window. True when the pixels were sent to the X server.
    bool Show(QWidget* Widget, const QImage& Image, const QRegion& Region, int Segment = -1);

    // Parts of the widget shown here that the toolkit's backing store has not painted since.
    QRegion Unpainted() const { return FUnpainted; }
    // Whether Show can work at all in this process (checked on first use; false once refused).
    bool Usable();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TState;
    bool WindowFits(QWidget* Window);
    bool SegmentFor(size_t Bytes);
    bool AttachImageSegment(int Segment);
    // One put of Part (widget pixels, at Origin in the window) from the pixels of size Whole at
    // Offset in a segment, reading from From in them.
    void Put(uint32_t Segment, uint32_t Offset, QSize Whole, QPoint From, const QRect& Part,
             QPoint Origin);
    void PutFromImage(const QImage& Image, const QRegion& Shown, QPoint Origin);
    bool PutCopies(const QImage& Image, const QRegion& Shown, QPoint Origin);
    void ReleaseSegment();
    void WaitForLastPut();
    void Watch(QWidget* Widget);

    std::unique_ptr<TState> F;
    QPointer<QWidget> FWidget;
    QPointer<QWindow> FWindow;
    QRegion FUnpainted;
};
