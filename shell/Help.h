// TfrmHelp: the help dialog with its three pages of text.
#pragma once

#include "shell/DialogForm.h"

#include <memory>

class QLabel;
class QTabWidget;
class QTextEdit;
class QWidget;
class TbrixColorButton;
namespace Ui {
class TfrmHelp;
}

// Fixed, with a close box; opens on "Object of the game" at every showing; Escape closes it.
class TfrmHelp : public TDialogForm {
    Q_OBJECT
public:
    explicit TfrmHelp(QWidget* parent = nullptr);
    ~TfrmHelp() override;

    // Makes the first tab the current one.
    void FormShow() override;
    void btnCloseclick(QObject* Sender);

    QTabWidget* pgeHelp = nullptr;
    QWidget* tabObject = nullptr;
    QWidget* tabPrize = nullptr;
    QWidget* tabLegal = nullptr;
    QTextEdit* rtfObject = nullptr;
    QTextEdit* rtfPrize = nullptr;
    QTextEdit* rtfLegal = nullptr;
    QLabel* Label1 = nullptr;
    TbrixColorButton* btnClose = nullptr;

protected:
    // Escape works CLOSE.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TfrmHelp> FUi;
};

// The one instance, created hidden at start-up by the program body.
extern TfrmHelp* frmHelp;
