// TbrixColorButton: the flat colour push button used on every window of the program.
#pragma once

#include <functional>
#include <string>

#include <QImage>
#include <QKeySequence>
#include <QWidget>

#include "platform/ui/Events.h"
#include "platform/ui/Graphics.h"

class QEnterEvent;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A rectangle in its own colour with a caption in its own colour: flat while the pointer is
// elsewhere, raised while it is over the button, sunken while a mouse button is held on it or while
// latched down. It never takes the keyboard focus: besides the mouse, a caption with an accelerator
// ("&OK") is worked by Alt and that letter while its window is active. Each state change paints at
// once; the look is chosen afresh at every paint from the current properties. To accessibility
// tools it is a push button named by its caption, with a press action.
class TbrixColorButton : public QWidget {
    Q_OBJECT
    // What a window definition (.ui) can set directly; colours are 0x00BBGGRR integers.
    Q_PROPERTY(QString Caption READ QtCaption WRITE SetQtCaption)
    Q_PROPERTY(int Alignment READ AlignmentValue WRITE SetAlignmentValue)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool Latching READ Latching WRITE SetLatching)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(bool HotTrack READ HotTrack WRITE SetHotTrack)
    Q_PROPERTY(int MarginHorizontal READ MarginHorizontal WRITE SetMarginHorizontal)
    Q_PROPERTY(int MarginVertical READ MarginVertical WRITE SetMarginVertical)
    Q_PROPERTY(uint Color READ Color WRITE SetColor)
    Q_PROPERTY(uint HotColor READ HotColor WRITE SetHotColor)
    Q_PROPERTY(uint DownColor READ DownColor WRITE SetDownColor)
    Q_PROPERTY(uint HotFontColor READ HotFontColor WRITE SetHotFontColor)
    Q_PROPERTY(uint DownFontColor READ DownFontColor WRITE SetDownFontColor)
    Q_PROPERTY(uint FontColor READ FontColor WRITE SetFontColor)

public:
    explicit TbrixColorButton(QWidget* parent = nullptr);
    ~TbrixColorButton() override;

    // Mouse state, changed only by the mouse events.
    bool Pressed() const { return FPressed; }
    bool MouseInside() const { return FMouseInside; }

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    // The caption as drawn: a single ampersand left out, a doubled one drawn as one.
    QString VisibleCaption() const;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    bool Latching() const { return FLatching; }
    void SetLatching(bool value) { FLatching = value; }
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool value) { FHotTrack = value; }
    int MarginHorizontal() const { return FMarginHorizontal; }
    void SetMarginHorizontal(int value);
    int MarginVertical() const { return FMarginVertical; }
    void SetMarginVertical(int value);

    // Background of the normal look; a change repaints.
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    // These four show at the next paint, whatever causes it.
    TColor HotColor() const { return FHotColor; }
    void SetHotColor(TColor value) { FHotColor = value; }
    TColor DownColor() const { return FDownColor; }
    void SetDownColor(TColor value) { FDownColor = value; }
    TColor HotFontColor() const { return FHotFontColor; }
    void SetHotFontColor(TColor value) { FHotFontColor = value; }
    TColor DownFontColor() const { return FDownFontColor; }
    void SetDownFontColor(TColor value) { FDownFontColor = value; }

    // The caption colour of the normal look: the colour half of the control's font (the face and
    // size are the widget's QFont). A change repaints, as any font change does.
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);

    // The owned background picture, tiled unscaled from the top left when it has a non-zero width
    // and height. Setting copies the picture; a null image empties it.
    const QImage& BackBitmap() const { return FBackBitmap; }
    void SetBackBitmap(const QImage& value);

    // Hint text shown as a tool tip when ShowHint is on.
    std::string Hint() const { return FHint; }
    void SetHint(const std::string& value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);

    // Makes the control wide and tall enough for its caption with the margins; it only grows.
    // Runs at every paint and when the control is shown.
    void GrowToFitCaption();

    // Called with the button as sender after a left click that both began and ended on it.
    TNotifyEvent onclick;

    // Calls onclick as a left click would, when the button is enabled and a handler is set; the look
    // does not change. The caption's accelerator and the accessibility press action work this way.
    void Press();

    // The key sequence that presses the button: Alt and the letter after the caption's single
    // ampersand; empty when the caption marks none.
    QKeySequence Accelerator() const;

    // Accessors for the meta-object properties above.
    QString QtCaption() const { return QString::fromStdString(FCaption); }
    void SetQtCaption(const QString& value) { SetCaption(value.toStdString()); }
    int AlignmentValue() const { return static_cast<int>(FAlignment); }
    void SetAlignmentValue(int value);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // The steps of the mouse handling, in the order the events arrive for a left click: down,
    // click check, up.
    virtual void MouseDown();
    virtual void Click();
    virtual void MouseUp();

private:
    void UpdateToolTip();
    // Registers the caption's accelerator with the window, replacing the previous one.
    void UpdateAccelerator();

    bool FPressed = false;
    bool FMouseInside = false;
    bool FHotTrack = true;
    TColor FColor = 0x00C0C0C0;
    TColor FHotColor = 0x0000FFFF;
    TColor FHotFontColor = 0x000000FF;
    TColor FFontColor = clWindowText;
    int FMarginHorizontal = 8;
    TAlignment FAlignment = taCenter;
    int FMarginVertical = 4;
    bool FWordWrap = false;
    QImage FBackBitmap;
    bool FLatching = false;
    bool FDown = false;
    TColor FDownColor = 0x00A9A9A9;
    TColor FDownFontColor = 0x00000000;
    bool FFlat = true;
    std::string FCaption;
    std::string FHint;
    bool FShowHint = false;

    // The left button went down on this control and has not come up yet; the release then counts
    // as a click when it happens over the control.
    bool FLeftDownHere = false;
    // The press was the second of a double click, whose release gives no click.
    bool FDoubleClickPress = false;
    // The window shortcut of the accelerator; 0 while there is none.
    int FAcceleratorId = 0;
};

// The look every push button of the program shares: centred caption, no wrap or latch, flat, blue
// with a white rounded 12-pixel bold caption, light orange (0x008AC6F7) hot and down backgrounds
// with white captions, margins 8 and 4, hot-tracking on.
void ApplyCommonButtonLook(TbrixColorButton* button);
