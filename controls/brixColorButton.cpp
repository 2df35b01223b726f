// The flat colour push button: state, mouse handling, growing to its caption, painting.
#include "controls/brixColorButton.h"

#include <algorithm>
#include <cstdint>

#include <QAccessible>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcutEvent>

#include "controls/FontSubstitutes.h"
#include "controls/brixColorButton.Internal.h"

namespace {

constexpr TColor kEdgeLight = 0x00FFFFFF;
constexpr TColor kEdgeDark = 0x00808080;

Qt::Alignment HorizontalFlag(TAlignment alignment) {
    switch (alignment) {
    case taLeftJustify:
        return Qt::AlignLeft;
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        break;
    }
    return Qt::AlignHCenter;
}

// A rectangle given by its edges, the right and bottom ones exclusive.
QRect EdgeRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

// System colours resolve to the fixed classic scheme, as every other drawing of the program does.
QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// The caption as drawn: a single ampersand only marks the next character, a doubled one is one.
QString VisibleText(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && ++i == caption.size()) break;
        out += caption[i];
    }
    return out;
}

int ClampSize(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, QWIDGETSIZE_MAX));
}

} // namespace

TbrixColorButton::TbrixColorButton(QWidget* parent) : QWidget(parent) {
    // Worked with the mouse only: neither a click nor Tab gives it the focus.
    setFocusPolicy(Qt::NoFocus);
    // Every paint covers the whole rectangle (colour or tiled picture).
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(24, 24);
    InstallButtonAccessibility();
}

TbrixColorButton::~TbrixColorButton() = default;

void TbrixColorButton::SetCaption(const std::string& value) {
    if (value == FCaption) return;
    FCaption = value;
    UpdateAccelerator();
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    update();
}

QString TbrixColorButton::VisibleCaption() const {
    return VisibleText(QString::fromStdString(FCaption));
}

QKeySequence TbrixColorButton::Accelerator() const {
    return QKeySequence::mnemonic(QString::fromStdString(FCaption));
}

void TbrixColorButton::UpdateAccelerator() {
    if (FAcceleratorId != 0) releaseShortcut(FAcceleratorId);
    const QKeySequence keys = Accelerator();
    // Only while the button's window is the active one, and only while the button is visible and
    // enabled (hidden dialogs keep their buttons).
    FAcceleratorId = keys.isEmpty() ? 0 : grabShortcut(keys, Qt::WindowShortcut);
}

bool TbrixColorButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(event)->shortcutId() == FAcceleratorId && FAcceleratorId) {
        Press();
        return true;
    }
    return QWidget::event(event);
}

void TbrixColorButton::Press() {
    if (isEnabled() && onclick) onclick(this);
}

void TbrixColorButton::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    update();
}

void TbrixColorButton::SetAlignmentValue(int value) {
    // Anything but the three known values would leave the caption unplaced; centre it instead.
    if (value != taLeftJustify && value != taRightJustify) value = taCenter;
    SetAlignment(static_cast<TAlignment>(value));
}

void TbrixColorButton::SetWordWrap(bool value) {
    if (value == FWordWrap) return;
    FWordWrap = value;
    update();
}

void TbrixColorButton::SetDown(bool value) {
    if (value == FDown) return;
    FDown = value;
    update();
}

void TbrixColorButton::SetFlat(bool value) {
    if (value == FFlat) return;
    FFlat = value;
    update();
}

void TbrixColorButton::SetMarginHorizontal(int value) {
    if (value == FMarginHorizontal) return;
    FMarginHorizontal = value;
    update();
}

void TbrixColorButton::SetMarginVertical(int value) {
    if (value == FMarginVertical) return;
    FMarginVertical = value;
    update();
}

void TbrixColorButton::SetColor(TColor value) {
    if (value == FColor) return;
    FColor = value;
    update();
}

void TbrixColorButton::SetFontColor(TColor value) {
    if (value == FFontColor) return;
    FFontColor = value;
    update();
}

void TbrixColorButton::SetBackBitmap(const QImage& value) {
    // The button keeps its own copy; a picture carries no transparency, so the copy is opaque.
    FBackBitmap = value.isNull() ? QImage() : value.convertToFormat(QImage::Format_RGB32);
    update();
}

void TbrixColorButton::SetHint(const std::string& value) {
    FHint = value;
    UpdateToolTip();
}

void TbrixColorButton::SetShowHint(bool value) {
    FShowHint = value;
    UpdateToolTip();
}

void TbrixColorButton::UpdateToolTip() {
    setToolTip(FShowHint ? QString::fromStdString(FHint) : QString());
}

void TbrixColorButton::GrowToFitCaption() {
    const QFontMetrics metrics(font());
    const QString text = QString::fromStdString(FCaption);
    const int64_t mh = FMarginHorizontal;
    const int64_t mv = FMarginVertical;
    int64_t width = this->width();
    int64_t height = this->height();
    if (!FWordWrap) {
        const int64_t textWidth = metrics.horizontalAdvance(VisibleText(text));
        width = std::max(width, textWidth + 2 * mh);
        height = std::max(height, metrics.height() + 2 * mv);
    } else {
        const int lineWidth = ClampSize(width - 2 * mh);
        const QRect measured = metrics.boundingRect(
            QRect(0, 0, lineWidth, QWIDGETSIZE_MAX),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, text);
        height = std::max(height, measured.height() + mv + 1);
    }
    const int newWidth = ClampSize(width);
    const int newHeight = ClampSize(height);
    if (newWidth > this->width() || newHeight > this->height())
        resize(std::max(newWidth, this->width()), std::max(newHeight, this->height()));
}

void TbrixColorButton::showEvent(QShowEvent* event) {
    GrowToFitCaption();
    QWidget::showEvent(event);
}

void TbrixColorButton::paintEvent(QPaintEvent*) {
    const bool useBitmap = FBackBitmap.width() > 0 && FBackBitmap.height() > 0;
    // A grown control is painted again over its new area by the resize.
    GrowToFitCaption();

    const int w = width();
    const int h = height();
    const bool down = FPressed || FDown;

    QRect captionRect = FWordWrap ? EdgeRect(FMarginHorizontal, FMarginVertical,
                                             w - FMarginHorizontal, h - FMarginVertical)
                                  : EdgeRect(FMarginHorizontal, 0, w - FMarginHorizontal, h);
    if (down) captionRect.translate(1, 1);

    enum { EdgeNone, EdgeRaised, EdgeSunken } edge;
    TColor background;
    TColor captionColor;
    if (down) {
        background = FDownColor;
        edge = EdgeSunken;
        captionColor = FDownFontColor;
    } else if (FMouseInside && FHotTrack) {
        background = FHotColor;
        edge = EdgeRaised;
        captionColor = FHotFontColor;
    } else if (!FMouseInside && FFlat) {
        background = FColor;
        edge = EdgeNone;
        captionColor = FFontColor;
    } else {
        background = FColor;
        edge = EdgeRaised;
        captionColor = FFontColor;
    }

    QPainter painter(this);
    painter.setFont(font());

    if (useBitmap) {
        const int bw = FBackBitmap.width();
        const int bh = FBackBitmap.height();
        for (int i = 0; i <= w / bw; ++i)
            for (int j = 0; j <= h / bh; ++j)
                painter.drawImage(i * bw, j * bh, FBackBitmap);
    } else {
        painter.fillRect(rect(), ToQColor(background));
    }

    if (edge != EdgeNone && w > 0 && h > 0) {
        // A path of four lines, each leaving out its end point: (w-1,0) → (0,0) → (0,h-1) in the
        // first colour, then → (w-1,h-1) → (w-1,0) in the second.
        const QColor first = ToQColor(edge == EdgeRaised ? kEdgeLight : kEdgeDark);
        const QColor second = ToQColor(edge == EdgeRaised ? kEdgeDark : kEdgeLight);
        painter.fillRect(EdgeRect(1, 0, w, 1), first);
        painter.fillRect(EdgeRect(0, 0, 1, h - 1), first);
        painter.fillRect(EdgeRect(0, h - 1, w - 1, h), second);
        painter.fillRect(EdgeRect(w - 1, 1, w, h), second);
    }

    if (!FCaption.empty() && captionRect.width() > 0 && captionRect.height() > 0) {
        painter.setPen(ToQColor(captionColor));
        const int flags = FWordWrap ? int(Qt::AlignTop | HorizontalFlag(FAlignment) |
                                          Qt::TextWordWrap | Qt::TextShowMnemonic)
                                    : int(Qt::AlignVCenter | HorizontalFlag(FAlignment) |
                                          Qt::TextSingleLine | Qt::TextShowMnemonic);
        painter.setClipRect(captionRect);
        painter.drawText(captionRect, flags, QString::fromStdString(FCaption));
    }
}

void TbrixColorButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        FLeftDownHere = true;
        FDoubleClickPress = false;
    }
    MouseDown();
    event->accept();
}

void TbrixColorButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click: a press like any other, but its release is no click.
    if (event->button() == Qt::LeftButton) {
        FLeftDownHere = true;
        FDoubleClickPress = true;
    }
    MouseDown();
    event->accept();
}

void TbrixColorButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        const bool clicked =
            FLeftDownHere && !FDoubleClickPress && rect().contains(event->position().toPoint());
        FLeftDownHere = false;
        FDoubleClickPress = false;
        if (clicked) {
            // The handler may close and free the window this button is on.
            QPointer<TbrixColorButton> self(this);
            Click();
            if (!self) return;
        }
    }
    MouseUp();
}

void TbrixColorButton::MouseDown() {
    FPressed = true;
    repaint();
}

void TbrixColorButton::Click() {
    if (FPressed && onclick) onclick(this);
}

void TbrixColorButton::MouseUp() {
    if (FLatching) FDown = !FDown;
    FPressed = false;
    repaint();
}

void TbrixColorButton::enterEvent(QEnterEvent* event) {
    FMouseInside = true;
    repaint();
    QWidget::enterEvent(event);
}

void TbrixColorButton::leaveEvent(QEvent* event) {
    FMouseInside = false;
    repaint();
    QWidget::leaveEvent(event);
}

void TbrixColorButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) update();
    QWidget::changeEvent(event);
}

void ApplyCommonButtonLook(TbrixColorButton* button) {
    if (!button) return;
    button->SetAlignment(taCenter);
    button->SetWordWrap(false);
    button->SetLatching(false);
    button->SetDown(false);
    button->SetFlat(true);
    button->setFont(MakeFont("Arial Rounded MT Bold", 12));
    button->SetFontColor(clWhite);
    button->SetMarginHorizontal(8);
    button->SetMarginVertical(4);
    button->SetColor(clBlue);
    button->SetHotTrack(true);
    button->SetHotColor(0x008AC6F7);
    button->SetDownColor(0x008AC6F7);
    button->SetHotFontColor(clWhite);
    button->SetDownFontColor(clWhite);
}
