// The congratulation dialog: its definition, the text box following the width, and CLOSE.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global frmWinner declared by the header below.
#include "ui_Winner.h"

#include "shell/Winner.h"

#include "controls/FontSubstitutes.h"
#include "controls/brixColorButton.h"

#include <QMargins>
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

void TfrmWinner::SizeByFrame(const QMargins& Frame) {
    // The outer size is the window's until the player resizes it: the frame the window system
    // adds (none on a bare display, the manager's once it has framed the window) comes off the
    // client area. A title bar drawn by the program lies inside the client area and is the
    // frame: none is reported then. A size the player chose is kept, at later showings too.
    if (FSizedTo.isValid() && size() != FSizedTo) return;
    resize(OuterWidth - Frame.left() - Frame.right(), OuterHeight - Frame.top() - Frame.bottom());
    FSizedTo = size();
}

void TfrmWinner::resizeEvent(QResizeEvent* event) {
    // Full width, at the top of the content: below a drawn title bar, which moved it down.
    RichEdit1->setGeometry(0, RichEdit1->y(), width(), TextHeight);
    TDialogForm::resizeEvent(event);
}
