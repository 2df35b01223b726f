// The drawn title bar: when a window gets one, making room for it, and its painting and input.
#include "platform/ui/DrawnTitleBar.h"

#include "platform/ui/ResizeGrip.h"
#include "platform/ui/WaylandGlobals.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace {

// The compositor-side decoration protocol: a compositor advertising it draws the title bars of
// the windows that ask for them, and Qt asks for every window that is not frameless.
constexpr char DecorationManager[] = "zxdg_decoration_manager_v1";

constexpr int IconSize = 16;
constexpr int Gap = 6;

QPalette BarPalette() {
    // The window's own palette may be the game's black; the bar keeps the desktop's colours.
    return QApplication::palette();
}

// A title-bar button drawn as a plain glyph over a hover or pressed shade.
class TTitleBarButton : public QAbstractButton {
public:
    enum TGlyph { Minimise, Close };

    TTitleBarButton(TGlyph Glyph, QWidget* Parent) : QAbstractButton(Parent), FGlyph(Glyph) {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
        const QString name =
            Glyph == Minimise ? QStringLiteral("Minimise") : QStringLiteral("Close");
        setObjectName(name.toLower());
        setAccessibleName(name);
        setToolTip(name);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette palette = BarPalette();
        if (isDown())
            painter.fillRect(rect(), palette.color(QPalette::Dark));
        else if (underMouse())
            painter.fillRect(rect(), palette.color(QPalette::Midlight));
        const bool active = window()->isActiveWindow();
        QPen pen(
            palette.color(active ? QPalette::Active : QPalette::Inactive, QPalette::WindowText));
        pen.setWidthF(1.5);
        painter.setPen(pen);
        painter.setRenderHint(QPainter::Antialiasing);
        const int side = std::min(width(), height()) * 3 / 8;
        const QRectF glyph(QPointF(0, 0), QSizeF(side, side));
        const QRectF box = QRectF(glyph).translated(rect().center() - glyph.center());
        if (FGlyph == Minimise) {
            painter.drawLine(box.bottomLeft(), box.bottomRight());
        } else {
            painter.drawLine(box.topLeft(), box.bottomRight());
            painter.drawLine(box.topRight(), box.bottomLeft());
        }
    }

private:
    TGlyph FGlyph;
};

bool SizeIsFixed(const QWidget* Window) {
    return Window->minimumSize() == Window->maximumSize();
}

} // namespace

bool TDrawnTitleBar::CompositorDecorates() {
    static const bool decorates = [] {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return false;
        return WaylandAdvertises(nullptr, DecorationManager).value_or(false);
    }();
    return decorates;
}

bool TDrawnTitleBar::Wanted(const QWidget* Window) {
    if (!Window || !Window->isWindow()) return false;
    if (Window->windowFlags().testFlag(Qt::FramelessWindowHint)) return false;
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return false;
    return !CompositorDecorates();
}

TDrawnTitleBar* TDrawnTitleBar::AttachIfWanted(QWidget* Window) {
    if (TDrawnTitleBar* bar = Of(Window)) return bar;
    return Wanted(Window) ? Attach(Window) : nullptr;
}

TDrawnTitleBar* TDrawnTitleBar::Of(const QWidget* Window) {
    return Window ? Window->findChild<TDrawnTitleBar*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

TDrawnTitleBar* TDrawnTitleBar::Attach(QWidget* Window) {
    if (!Window) return nullptr;
    if (TDrawnTitleBar* bar = Of(Window)) return bar;
    auto* bar = new TDrawnTitleBar(Window);
    bar->MakeRoomIn(Window);
    return bar;
}

int TDrawnTitleBar::BarHeight() {
    return std::max(24, QFontMetrics(QApplication::font()).height() + 10);
}

TDrawnTitleBar::TDrawnTitleBar(QWidget* Window) : QWidget(Window), FWindow(Window) {
    setObjectName(QStringLiteral("drawnTitleBar"));
    setAccessibleName(QStringLiteral("Title bar"));
    setFont(QApplication::font());
    // Which buttons the platform's bar would carry: a window that customises its bar lists
    // them; otherwise a main window has minimise and close, a dialog close alone.
    const Qt::WindowFlags flags = Window->windowFlags();
    const bool customised = flags.testFlag(Qt::CustomizeWindowHint);
    const bool dialog = (flags & Qt::WindowType_Mask) == Qt::Dialog;
    const bool minimise = customised ? flags.testFlag(Qt::WindowMinimizeButtonHint) : !dialog;
    const bool close = customised ? flags.testFlag(Qt::WindowCloseButtonHint) : true;
    if (minimise) {
        FMinimise = new TTitleBarButton(TTitleBarButton::Minimise, this);
        connect(FMinimise, &QAbstractButton::clicked, Window, &QWidget::showMinimized);
    }
    if (close) {
        FClose = new TTitleBarButton(TTitleBarButton::Close, this);
        connect(FClose, &QAbstractButton::clicked, Window, &QWidget::close);
    }
    // Without a frame the platform neither draws a bar nor asks the compositor for one. The
    // title-bar hints go (the buttons are this bar's now): Qt drops the frameless hint again from
    // a window that keeps them.
    constexpr Qt::WindowFlags kept = Qt::WindowType_Mask | Qt::WindowStaysOnTopHint |
                                     Qt::WindowStaysOnBottomHint | Qt::WindowDoesNotAcceptFocus |
                                     Qt::MSWindowsFixedSizeDialogHint;
    Window->setWindowFlags((flags & kept) | Qt::FramelessWindowHint);
    Window->installEventFilter(this);
}

void TDrawnTitleBar::MakeRoomIn(QWidget* Window) {
    const int height = BarHeight();
    if (Window->layout()) {
        // The layout works inside the contents rectangle, and counts its margins into the size it
        // asks for.
        QMargins margins = Window->contentsMargins();
        margins.setTop(margins.top() + height);
        Window->setContentsMargins(margins);
    } else {
        // Children placed by hand all move down; the window grows by the bar.
        for (QObject* child : Window->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (!widget || widget == this || widget->isWindow()) continue;
            widget->move(widget->pos() + QPoint(0, height));
        }
        const QSize grown = Window->size() + QSize(0, height);
        if (SizeIsFixed(Window)) {
            Window->setFixedSize(grown);
        } else {
            Window->setMinimumHeight(Window->minimumHeight() + height);
            Window->resize(grown);
        }
    }
    LayOut();
    Restack();
    show();
}

void TDrawnTitleBar::LayOut() {
    const int height = BarHeight();
    setGeometry(0, 0, FWindow->width(), height);
    int right = width();
    for (QAbstractButton* button : {FClose.data(), FMinimise.data()}) {
        if (!button) continue;
        right -= height;
        button->setGeometry(right, 0, height, height);
    }
    PlaceGrips();
}

void TDrawnTitleBar::PlaceGrips() {
    const bool sizeable = !SizeIsFixed(FWindow);
    if (sizeable && FGrips.empty()) {
        for (Qt::Edges edges :
             {Qt::Edges(Qt::LeftEdge), Qt::Edges(Qt::TopEdge), Qt::Edges(Qt::RightEdge),
              Qt::Edges(Qt::BottomEdge), Qt::TopEdge | Qt::LeftEdge, Qt::TopEdge | Qt::RightEdge,
              Qt::BottomEdge | Qt::LeftEdge, Qt::BottomEdge | Qt::RightEdge})
            FGrips.emplace_back(new TResizeGrip(edges, FWindow));
        Restack();
    }
    for (TResizeGrip* grip : Grips()) {
        grip->Place(FWindow->size());
        grip->setVisible(sizeable);
    }
}

void TDrawnTitleBar::Restack() {
    raise();
    for (TResizeGrip* grip : Grips())
        grip->raise();
}

std::vector<TResizeGrip*> TDrawnTitleBar::Grips() const {
    std::vector<TResizeGrip*> grips;
    for (const QPointer<TResizeGrip>& grip : FGrips)
        if (grip) grips.push_back(grip);
    return grips;
}

bool TDrawnTitleBar::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FWindow) {
        switch (Event->type()) {
        case QEvent::Resize:
            LayOut();
            break;
        case QEvent::Show:
            // A window that fixes its size as it is shown does so after this event reaches it.
            QMetaObject::invokeMethod(this, &TDrawnTitleBar::PlaceGrips, Qt::QueuedConnection);
            break;
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
        case QEvent::ActivationChange:
            update();
            if (FMinimise) FMinimise->update();
            if (FClose) FClose->update();
            break;
        case QEvent::ChildAdded:
            // Children that come later must not cover the bar or the grips.
            QMetaObject::invokeMethod(this, &TDrawnTitleBar::Restack, Qt::QueuedConnection);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

void TDrawnTitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette palette = BarPalette();
    const bool active = FWindow->isActiveWindow();
    const QPalette::ColorGroup group = active ? QPalette::Active : QPalette::Inactive;
    // A shade off the window's own colour, so the bar stands apart from a plain dialog's body;
    // deeper while the window is active.
    const QColor background = palette.color(group, QPalette::Window).darker(active ? 115 : 105);
    painter.fillRect(rect(), background);
    painter.setPen(palette.color(group, QPalette::Mid));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);

    int left = Gap;
    const QIcon icon = FWindow->windowIcon();
    if (!icon.isNull()) {
        const QRect place(left, (height() - IconSize) / 2, IconSize, IconSize);
        icon.paint(&painter, place);
        left = place.right() + 1 + Gap;
    }
    int right = width() - Gap;
    if (FMinimise) right = std::min(right, FMinimise->x() - Gap);
    if (FClose) right = std::min(right, FClose->x() - Gap);
    QColor text = palette.color(group, QPalette::WindowText);
    if (!active) text = palette.color(QPalette::Disabled, QPalette::WindowText);
    painter.setPen(text);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QRect textRect(left, 0, std::max(0, right - left), height());
    const QString title =
        QFontMetrics(bold).elidedText(FWindow->windowTitle(), Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, title);
}

void TDrawnTitleBar::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(Event);
        return;
    }
    // The compositor moves the window: a Wayland client cannot place its own windows.
    if (QWindow* handle = FWindow->windowHandle()) handle->startSystemMove();
    Event->accept();
}

void TDrawnTitleBar::mouseDoubleClickEvent(QMouseEvent* Event) {
    // No maximising: the bar offers none.
    Event->accept();
}
