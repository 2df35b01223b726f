// A thin grip along a window's edge or corner that hands resizing to the window system.
#pragma once

#include <QWidget>

// A child of a frameless top-level window lying over the given edge or corner of it (a strip
// along an edge, an L along two edges at a corner, the rest of its square left to the content
// below). It draws nothing, shows the matching resize cursor, and on a left press asks the window
// system to resize the window by that edge or corner (under Wayland only the compositor can).
// Its owner keeps it placed (Place) and stacked above the window's content.
class TResizeGrip : public QWidget {
    Q_OBJECT
public:
    // How far a grip reaches into the window from its edge, and how far a corner's L runs
    // along each of its two edges.
    static constexpr int Thickness = 5;
    static constexpr int CornerLength = 16;

    TResizeGrip(Qt::Edges Edges, QWidget* Window);

    Qt::Edges Edges() const { return FEdges; }

    // Lays the grip over its edge or corner of a window of the given size.
    void Place(const QSize& WindowSize);

protected:
    void mousePressEvent(QMouseEvent* Event) override;

private:
    Qt::Edges FEdges;
};
