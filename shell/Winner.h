// TfrmWinner: the congratulation dialog shown after every solved grid.
#pragma once

#include "shell/DialogForm.h"

#include <memory>

class QTextEdit;
class TbrixColorButton;
namespace Ui {
class TfrmWinner;
}

// Sizeable, above every other window, without title-bar buttons: CLOSE, clicked or by its
// accelerator Alt+C, is the way out; Escape does nothing. The text box spans the width at the top
// and keeps what the player typed into it for the rest of the run; the button keeps its place
// whatever the size.
class TfrmWinner : public TDialogForm {
    Q_OBJECT
public:
    explicit TfrmWinner(QWidget* parent = nullptr);
    ~TfrmWinner() override;

    // The window's size frame included, as first shown.
    static constexpr int OuterWidth = 414;
    static constexpr int OuterHeight = 310;

    void btnCloseclick(QObject* Sender);

    QTextEdit* RichEdit1 = nullptr;
    TbrixColorButton* btnClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<Ui::TfrmWinner> FUi;
    bool FSized = false;
};

// The one instance, created hidden at start-up by the program body.
extern TfrmWinner* frmWinner;
