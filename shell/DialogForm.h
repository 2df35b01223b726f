// TDialogForm: the base the program's dialogs share (centring, reported handler errors, closing).
#pragma once

#include "display/DXClass.Forms.h"

#include <functional>

class QMargins;
class TFramedPlacement;

class TDialogForm : public TDXForm {
    Q_OBJECT
public:
    explicit TDialogForm(QWidget* parent = nullptr);

    // Runs on every showing, before the window becomes visible (each dialog refreshes what it
    // shows).
    virtual void FormShow() {}

    // Runs a handler. An error it raises stops it at that point and goes to the application's error
    // report (a message box); the dialog stays as the handler left it, open if it was open.
    void RunHandler(const std::function<void()>& Handler);

    // Ends the showing: a modal showing returns Result; the window is hidden either way.
    void CloseWith(int Result);

    // Gives a control the system's colours instead of the dialog's black: text boxes and page tabs
    // are drawn as the platform draws them, whatever the form's colour.
    static void UseSystemColours(QWidget* Control);

protected:
    // Runs FormShow, then centres the window, frame included, on its screen at every showing
    // (again once the window manager has framed it).
    void showEvent(QShowEvent* event) override;

    // Runs before each centring with the frame margins then known (none before the window
    // manager has framed the window): a dialog whose outer size is fixed sizes itself here.
    virtual void SizeByFrame(const QMargins& Frame);

private:
    TFramedPlacement* FPlacement;
};
