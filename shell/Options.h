// TfrmOptions: the dialog that switches sounds, highlighting and row/column numbers on and off.
#pragma once

#include "shell/DialogForm.h"

#include <memory>
#include <string>

class QCheckBox;
class TbrixColorButton;
namespace Ui {
class TfrmOptions;
}

// Edits the main window's working copies of "Sound", "Highlight" and "Numbered". The main window
// lives in a layer above this one, so it hands the dialog references to its three strings
// (SetWorkingCopies) instead of the dialog reaching for the window.
class TfrmOptions : public TDialogForm {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);
    ~TfrmOptions() override;

    // The strings the dialog shows and changes; they must outlive the dialog's use of them. Until
    // they are set the dialog works on three empty strings of its own.
    void SetWorkingCopies(std::string& Sound, std::string& Highlight, std::string& Numbered);

    // Checks each box exactly when its working copy is "1" (any other text leaves it unchecked).
    void FormShow() override;
    // Sets each working copy to "1" or "0" from its box, stores the three under "Sound",
    // "Highlight" and "Numbered" in this order, and closes. A refused write raises ERegistryError
    // there: the working copies keep their new values, the values after it are not stored, and the
    // dialog stays open.
    void btnOKclick(QObject* Sender);
    // Closes; nothing changes (the close box does the same).
    void btnCancelclick(QObject* Sender);

    QCheckBox* chkSound = nullptr;
    QCheckBox* chkHighlight = nullptr;
    QCheckBox* chkNumbered = nullptr;
    TbrixColorButton* btnCancel = nullptr;
    TbrixColorButton* btnOK = nullptr;

protected:
    // Enter (either key) works OK and Escape CANCEL; Space on the focused box toggles it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TfrmOptions> FUi;
    std::string FOwnSound, FOwnHighlight, FOwnNumbered;
    std::string* FSound = &FOwnSound;
    std::string* FHighlight = &FOwnHighlight;
    std::string* FNumbered = &FOwnNumbered;
};

// The one instance, created hidden at start-up by the program body.
extern TfrmOptions* frmOptions;
