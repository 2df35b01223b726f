// TfrmHighScore: the dialog in which a player who has beaten the record enters a name.
#pragma once

#include "shell/DialogForm.h"

#include <cstdint>
#include <memory>

class QLabel;
class QLineEdit;
class TbrixColorButton;
namespace Ui {
class TfrmHighScore;
}

// Fixed, without title-bar buttons, and with no default or cancel button: Enter and Escape leave
// it open, and only OK ends it, clicked or by its accelerator Alt+O (the button takes no focus).
// The name box takes at most 10 characters.
class TfrmHighScore : public TDialogForm {
    Q_OBJECT
public:
    explicit TfrmHighScore(QWidget* parent = nullptr);
    ~TfrmHighScore() override;

    // The record OK stores. The caller sets it to the new move count before showing the dialog.
    int32_t HighScoreMoves = 1000;

    // Empties the name box, so a previous name never shows.
    void FormShow() override;
    // Stores the name (a single space, put into the box, when it is empty) under "TopPlayer", then
    // HighScoreMoves under "HighScore", then closes. A refused write raises ERegistryError there:
    // nothing after it is stored and the dialog stays open.
    void btnOKclick(QObject* Sender);

    TbrixColorButton* btnOK = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtHighName = nullptr;

private:
    std::unique_ptr<Ui::TfrmHighScore> FUi;
};

// The one instance, created hidden at start-up by the program body.
extern TfrmHighScore* frmHighScore;
