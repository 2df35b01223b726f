// The resize grips: where each lies, its cursor, and the resize it starts.
#include "platform/ui/ResizeGrip.h"

#include <QMouseEvent>
#include <QRegion>
#include <QWindow>

#include <algorithm>

namespace {

Qt::CursorShape CursorFor(Qt::Edges Edges) {
    const bool horizontal = Edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = Edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling =
            Edges == (Qt::TopEdge | Qt::LeftEdge) || Edges == (Qt::BottomEdge | Qt::RightEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

bool IsCorner(Qt::Edges Edges) {
    return (Edges & (Qt::LeftEdge | Qt::RightEdge)) && (Edges & (Qt::TopEdge | Qt::BottomEdge));
}

} // namespace

TResizeGrip::TResizeGrip(Qt::Edges Edges, QWidget* Window) : QWidget(Window), FEdges(Edges) {
    setObjectName(QStringLiteral("resizeGrip"));
    setCursor(CursorFor(Edges));
    setFocusPolicy(Qt::NoFocus);
    if (IsCorner(Edges)) {
        // Only the L along the two edges takes the pointer; the content inside the corner stays
        // reachable.
        constexpr int c = CornerLength, t = Thickness;
        const QRect across(0, (Edges & Qt::TopEdge) ? 0 : c - t, c, t);
        const QRect down((Edges & Qt::LeftEdge) ? 0 : c - t, 0, t, c);
        setMask(QRegion(across) + QRegion(down));
    }
}

void TResizeGrip::Place(const QSize& WindowSize) {
    const int w = WindowSize.width(), h = WindowSize.height();
    constexpr int c = CornerLength, t = Thickness;
    const int right = (FEdges & Qt::RightEdge) ? w - (IsCorner(FEdges) ? c : t) : 0;
    const int bottom = (FEdges & Qt::BottomEdge) ? h - (IsCorner(FEdges) ? c : t) : 0;
    if (IsCorner(FEdges)) {
        setGeometry((FEdges & Qt::LeftEdge) ? 0 : right, (FEdges & Qt::TopEdge) ? 0 : bottom, c, c);
    } else if (FEdges & (Qt::LeftEdge | Qt::RightEdge)) {
        // Between the corners.
        setGeometry((FEdges & Qt::LeftEdge) ? 0 : right, c, t, std::max(0, h - 2 * c));
    } else {
        setGeometry(c, (FEdges & Qt::TopEdge) ? 0 : bottom, std::max(0, w - 2 * c), t);
    }
}

void TResizeGrip::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(Event);
        return;
    }
    if (QWindow* handle = window()->windowHandle()) handle->startSystemResize(FEdges);
    Event->accept();
}
