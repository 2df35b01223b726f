// The main window of the game.
#include "game/MainForm.h"

#include "game/Sprites.h"
#include "platform/rtl/Conversions.h"
#include "shell/Settings.h"

#include <QScreen>
#include <QShowEvent>

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Zelvan Free v1.0"));
    // Single fixed border with system menu, minimise and close; no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(600, 480);

    // The start layout is the solved order.
    for (int n = 1; n <= 100; ++n)
        StartPos.Items.push_back(IntToStr(n));
    StartPos.Items.push_back(std::string());
}

TForm1::~TForm1() { FreeSprites(); }

std::vector<std::string> TForm1::LoadPreferences() {
    TPreferences prefs = ::LoadPreferences();
    SoundSetting = prefs.Sound;
    HighlightSetting = prefs.Highlight;
    NumberedSetting = prefs.Numbered;
    return prefs.Errors;
}

void TForm1::showEvent(QShowEvent* event) {
    if (!FShown) {
        FShown = true;
        if (QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
    }
    QWidget::showEvent(event);
}
