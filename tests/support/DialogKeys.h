// Works the game's modal dialogs by keys alone, as a player without a mouse does: the record
// dialog's name typed and OK worked by its accelerator Alt+O, the congratulation closed by Alt+C.
#pragma once

#include "shell/HighScore.h"
#include "shell/Winner.h"

#include <QApplication>
#include <QString>
#include <QTest>
#include <QTimer>

#include <utility>

// One key press and release for whatever has the keyboard in Window (its focused control, else the
// window itself), window shortcuts first, as the window system delivers a key.
inline void PressKey(QWidget* Window, Qt::Key Key, Qt::KeyboardModifiers Modifiers = {}) {
    QWidget* target = Window->focusWidget() ? Window->focusWidget() : Window;
    QTest::keyClick(target, Key, Modifiers);
    QApplication::processEvents();
}

// Types Name where the record dialog has put the keyboard, then works OK by Alt+O.
inline void AnswerRecordByKeys(TfrmHighScore* Dialog, const QString& Name) {
    if (!Name.isEmpty())
        QTest::keyClicks(Dialog->focusWidget() ? Dialog->focusWidget() : Dialog, Name);
    PressKey(Dialog, Qt::Key_O, Qt::AltModifier);
}

inline void CloseWinnerByKeys(TfrmWinner* Dialog) {
    PressKey(Dialog, Qt::Key_C, Qt::AltModifier);
}

// While it exists, answers frmHighScore (with Name) and closes frmWinner by keys each time one of
// them is up as the modal dialog. It looks every few milliseconds of the event loop, so it acts
// inside the dialogs' own modal loops; each showing is answered once.
class TWinDialogsByKeys {
public:
    explicit TWinDialogsByKeys(QString Name = QStringLiteral("Keys")) : FName(std::move(Name)) {
        QObject::connect(&FPoll, &QTimer::timeout, [this] { Look(); });
        FPoll.start(5);
    }

    int RecordsAnswered = 0;
    int WinnersClosed = 0;

private:
    void Look() {
        QWidget* modal = QApplication::activeModalWidget();
        // A dialog takes keys once the window system has made it the active window; a key sent
        // before that reaches nobody.
        if (!modal || modal == FAnswered || !modal->isActiveWindow()) return;
        if (modal == frmHighScore) {
            FAnswered = modal;
            ++RecordsAnswered;
            AnswerRecordByKeys(frmHighScore, FName);
        } else if (modal == frmWinner) {
            FAnswered = modal;
            ++WinnersClosed;
            CloseWinnerByKeys(frmWinner);
        }
        // A dialog that closed may come up again later as a new showing.
        if (FAnswered && !FAnswered->isVisible()) FAnswered = nullptr;
    }

    QString FName;
    QTimer FPoll;
    QWidget* FAnswered = nullptr;
};
