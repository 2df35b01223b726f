// The form base TDXForm and window procedure replacement TControlSubClass.
#pragma once

#include <QWidget>

#include <functional>

#include "platform/ui/Forms.h"

// The window's handling one step further down: the previous replacement, or in the end the
// widget's own event handling. Calling it with the message passes the message on.
using TWndMethod = std::function<void(TMessage& Message)>;
// A replacement procedure: receives every message of the control (Qt events, and wmDestroy when a
// form is being destroyed) together with the previous handling, which it calls itself — before,
// after or not at all. A message it does not pass on is swallowed.
using TControlSubClassProc =
    std::function<void(TMessage& Message, const TWndMethod& DefWindowProc)>;

// Replaces a control's message handling by Proc for the life of this object. Several replacements
// on one control chain: the newest sees a message first and its DefWindowProc leads to the one
// installed before it. Freeing a replacement takes it out of the chain wherever it sits, so the
// handling it replaced is restored. A replacement may outlive its control; it then does nothing.
class TControlSubClass {
public:
    TControlSubClass(QWidget* Control, TControlSubClassProc Proc);
    ~TControlSubClass();
    TControlSubClass(const TControlSubClass&) = delete;
    TControlSubClass& operator=(const TControlSubClass&) = delete;

    QWidget* Control() const;

    // Sends a message without a Qt event (wmDestroy) through the control's replacements; the
    // final default handling does nothing with it. Returns the message's Result.
    static bool Perform(QWidget* Control, TMessage& Message);

private:
    friend class TSubClassChain;
    class TSubClassChain* FChain = nullptr;
    TControlSubClassProc FProc;
};

// The form base of the main window and the dialogs. A form is always a top-level window, even
// when given a parent (the parent then only owns it). Forms count themselves process-wide; the
// first form created becomes the application's main window, and closing the main window ends
// the application's message loop. Destroying a form sends wmDestroy through its window procedure
// replacements while the widget is still whole.
//
// A Qt top-level window carries its own task-bar entry and follows the window manager's minimise
// itself, so nothing beyond the count is needed for those behaviours of the old form base.
class TDXForm : public QWidget {
    Q_OBJECT
public:
    explicit TDXForm(QWidget* parent = nullptr);
    ~TDXForm() override;

    // Number of TDXForm windows in existence.
    static int FormCount();

    // The modal result: setting a non-zero value ends a modal showing of the form.
    int ModalResult() const;
    void SetModalResult(int Value);
    // Shows the form modally through the application object (see TApplication::ShowModal).
    int ShowModal();

    // The first showing gives the form the program's own title bar where the platform's would
    // offer to maximise it (see TDrawnTitleBar), before the native window is created.
    void setVisible(bool Visible) override;

protected:
    bool event(QEvent* Event) override;
    // Decides on the drawn title bar, once; a form whose first showing creates its native window
    // before passing the showing on here calls it first itself.
    void PrepareTitleBar();

private:
    bool FTitleBarChecked = false;
};
