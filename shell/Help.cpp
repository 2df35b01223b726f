// The help dialog: its definition, the first tab at every showing, and CLOSE.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global frmHelp declared by the header below.
#include "ui_Help.h"

#include "shell/Help.h"

#include "controls/FontSubstitutes.h"
#include "controls/TextColours.h"
#include "controls/brixColorButton.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QTextEdit>

TfrmHelp* frmHelp = nullptr;

TfrmHelp::TfrmHelp(QWidget* parent) : TDialogForm(parent), FUi(std::make_unique<Ui::TfrmHelp>()) {
    // The form's font first: controls that carry a style of their own take it when they are made.
    setFont(MakeFont("MS Sans Serif", 13));
    FUi->setupUi(this);
    pgeHelp = FUi->pgeHelp;
    tabObject = FUi->tabObject;
    tabPrize = FUi->tabPrize;
    tabLegal = FUi->tabLegal;
    rtfObject = FUi->rtfObject;
    rtfPrize = FUi->rtfPrize;
    rtfLegal = FUi->rtfLegal;
    Label1 = FUi->Label1;
    btnClose = FUi->btnClose;

    // A fixed dialog frame whose only title-bar button is the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(509, 412);
    UseSystemColours(pgeHelp);
    Label1->setFont(MakeFont("Arial Rounded MT Bold", 17));
    SetTextColour(Label1, Qt::white);
    ApplyCommonButtonLook(btnClose);
    btnClose->onclick = [this](QObject* Sender) { RunHandler([&] { btnCloseclick(Sender); }); };
}

TfrmHelp::~TfrmHelp() = default;

void TfrmHelp::FormShow() {
    pgeHelp->setCurrentIndex(0);
}

void TfrmHelp::btnCloseclick(QObject* Sender) {
    (void)Sender;
    CloseWith(mrOk);
}

void TfrmHelp::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        RunHandler([this] { btnCloseclick(btnClose); });
    else
        TDialogForm::keyPressEvent(event);
}
