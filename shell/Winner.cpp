// The congratulation dialog: its definition, the text box following the width, and CLOSE.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global frmWinner declared by the header below.
#include "ui_Winner.h"

#include "shell/Winner.h"

#include "controls/FontSubstitutes.h"
#include "controls/brixColorButton.h"

#include <QShowEvent>
#include <QTextEdit>

TfrmWinner* frmWinner = nullptr;

namespace {
constexpr int TextHeight = 209;
}

TfrmWinner::TfrmWinner(QWidget* parent)
    : TDialogForm(parent), FUi(std::make_unique<Ui::TfrmWinner>()) {
    // The form's font first: controls that carry a style of their own take it when they are made.
    setFont(MakeFont("MS Sans Serif", 13));
    FUi->setupUi(this);
    RichEdit1 = FUi->RichEdit1;
    btnClose = FUi->btnClose;

    // A sizeable frame with a caption but no system menu, hence no title-bar buttons.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    UseSystemColours(RichEdit1);
    ApplyCommonButtonLook(btnClose);
    btnClose->onclick = [this](QObject* Sender) { RunHandler([&] { btnCloseclick(Sender); }); };
}

TfrmWinner::~TfrmWinner() = default;

void TfrmWinner::btnCloseclick(QObject* Sender) {
    (void)Sender;
    CloseWith(mrOk);
}

void TfrmWinner::showEvent(QShowEvent* event) {
    // The first showing gives the window its outer size; the frame the window system adds (none
    // on a bare display) comes off the client area. Later showings keep the player's size.
    if (!FSized && !event->spontaneous()) {
        FSized = true;
        const QSize frame = frameGeometry().size() - geometry().size();
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
    }
    TDialogForm::showEvent(event);
}

void TfrmWinner::resizeEvent(QResizeEvent* event) {
    RichEdit1->setGeometry(0, 0, width(), TextHeight);
    TDialogForm::resizeEvent(event);
}
