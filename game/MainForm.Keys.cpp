// The main window's keyboard play: the board cursor, drags by Shift and the arrows, and what the
// board tells assistive technology.
#include "game/MainForm.h"

#include "display/DXDraws.Control.h"
#include "platform/rtl/Conversions.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>

#include <algorithm>

namespace {

// The arrow keys as a movement of one cell: the axis of the line it moves and its direction.
struct TArrow {
    TAxis Axis = TAxis::None;
    int32_t Step = 0;
};

TArrow ArrowOf(int Key) {
    switch (Key) {
    case Qt::Key_Left:
        return {TAxis::Row, -1};
    case Qt::Key_Right:
        return {TAxis::Row, 1};
    case Qt::Key_Up:
        return {TAxis::Col, -1};
    case Qt::Key_Down:
        return {TAxis::Col, 1};
    default:
        return {};
    }
}

int32_t Wrapped(int32_t Index) {
    return ((Index - 1) % 10 + 10) % 10 + 1;
}

// The cursor frame: two pixels wide, inside the cell, in a colour no tile uses.
constexpr int CursorWidth = 2;
constexpr TColor CursorColour = clRed;

// Marks the widget the board is drawn on.
constexpr const char* BoardProperty = "zelvanBoard";

// The board for assistive technology: a canvas with its name and description, where a plain
// widget would be an anonymous filler.
QAccessibleInterface* BoardAccessible(const QString& ClassName, QObject* Object) {
    (void)ClassName;
    auto* widget = qobject_cast<QWidget*>(Object);
    if (!widget || !widget->property(BoardProperty).toBool()) return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Canvas);
}

} // namespace

void TForm1::PresentBoard() {
    static const bool installed = (QAccessible::installFactory(BoardAccessible), true);
    (void)installed;
    DXDraw1->setProperty(BoardProperty, true);
    // The board takes the keyboard (its keys reach this window).
    DXDraw1->setFocusPolicy(Qt::StrongFocus);
    DXDraw1->setAccessibleName(QStringLiteral("Board"));
}

void TForm1::keyPressEvent(QKeyEvent* Event) {
    const int key = Event->key();
    if (key == Qt::Key_Shift) {
        if (!Event->isAutoRepeat() && !FPuzzle.Dragging()) {
            MoveCursor(0, 0);
            // Pressing Shift is a press on the cursor's cell, taken only while a game is in play.
            FKeyDrag = FPuzzle.PressCell(FCursorColumn, FCursorRow);
        }
        Event->accept();
        return;
    }
    const TArrow arrow = ArrowOf(key);
    if (arrow.Axis == TAxis::None) {
        TDXForm::keyPressEvent(Event);
        return;
    }
    Event->accept();
    if (FKeyDrag && FPuzzle.Dragging())
        KeyStep(arrow.Axis, arrow.Step);
    else if (!FPuzzle.Dragging())
        MoveCursor(arrow.Axis == TAxis::Row ? arrow.Step : 0,
                   arrow.Axis == TAxis::Col ? arrow.Step : 0);
}

void TForm1::keyReleaseEvent(QKeyEvent* Event) {
    if (Event->key() != Qt::Key_Shift) {
        TDXForm::keyReleaseEvent(Event);
        return;
    }
    Event->accept();
    if (!Event->isAutoRepeat() && FKeyDrag) ReleaseDrag();
}

void TForm1::changeEvent(QEvent* Event) {
    TDXForm::changeEvent(Event);
    if (Event->type() == QEvent::ActivationChange && !isActiveWindow() && FKeyDrag) ReleaseDrag();
}

void TForm1::KeyStep(TAxis LineAxis, int32_t Step) {
    const bool stepped = FPuzzle.MoveCell(LineAxis, Step);
    // The cursor moves with its tile.
    if (stepped) {
        if (FPuzzle.Axis() == TAxis::Row)
            FCursorColumn = Wrapped(FCursorColumn + FPuzzle.Direction());
        else
            FCursorRow = Wrapped(FCursorRow + FPuzzle.Direction());
    }
    ApplyTiles();
    if (stepped) PlayWave("Click");
}

void TForm1::MoveCursor(int32_t Columns, int32_t Rows) {
    FCursorColumn = Wrapped(FCursorColumn + Columns);
    FCursorRow = Wrapped(FCursorRow + Rows);
    FCursorShown = true;
    DescribeBoard();
}

std::string TForm1::CursorCellText() const {
    const int32_t tile = FPuzzle.TileIn(FCursorColumn, FCursorRow);
    const bool home = tile == (FCursorRow - 1) * 10 + FCursorColumn;
    return "row " + IntToStr(FCursorRow) + ", column " + IntToStr(FCursorColumn) + ": tile " +
           IntToStr(tile) + (home ? ", at home" : ", not at home");
}

void TForm1::DescribeBoard() {
    if (!DXDraw1) return;
    const QString text = QString::fromStdString(CursorCellText());
    // Setting the description tells assistive technology of the change.
    if (DXDraw1->accessibleDescription() != text) DXDraw1->setAccessibleDescription(text);
}

void TForm1::DrawCursor(TDirectDrawSurface* Surface) {
    if (!FCursorShown) return;
    const int left = BoardLeft + (FCursorColumn - 1) * CellSize;
    const int top = BoardTop + (FCursorRow - 1) * CellSize;
    const int right = left + CellSize, bottom = top + CellSize;
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = Surface->MatchColor(CursorColour);
    // Only inside the part of the surface being redrawn, as every other drawing of the frame.
    const TRect clip = Surface->ClipRect();
    for (const TRect& edge : {TRect{left, top, right, top + CursorWidth},
                              TRect{left, bottom - CursorWidth, right, bottom},
                              TRect{left, top, left + CursorWidth, bottom},
                              TRect{right - CursorWidth, top, right, bottom}}) {
        TRect dest{std::max(edge.Left, clip.Left), std::max(edge.Top, clip.Top),
                   std::min(edge.Right, clip.Right), std::min(edge.Bottom, clip.Bottom)};
        if (dest.Left >= dest.Right || dest.Top >= dest.Bottom) continue;
        Surface->Blt(&dest, nullptr, nullptr, fx, DDBLT_COLORFILL | DDBLT_WAIT);
    }
}
