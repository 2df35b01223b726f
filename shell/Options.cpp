// The options dialog: its definition, the boxes set from the working copies and the OK handler.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global frmOptions declared by the header below.
#include "ui_Options.h"

#include "shell/Options.h"

#include "controls/FontSubstitutes.h"
#include "controls/brixColorButton.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QKeyEvent>

TfrmOptions* frmOptions = nullptr;

TfrmOptions::TfrmOptions(QWidget* parent)
    : TDialogForm(parent), FUi(std::make_unique<Ui::TfrmOptions>()) {
    // The form's font first: controls that carry a style of their own take it when they are made.
    setFont(MakeFont("MS Sans Serif", 13));
    FUi->setupUi(this);
    chkSound = FUi->chkSound;
    chkHighlight = FUi->chkHighlight;
    chkNumbered = FUi->chkNumbered;
    btnCancel = FUi->btnCancel;
    btnOK = FUi->btnOK;

    // A fixed dialog frame whose only title-bar button is the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(379, 207);
    for (QCheckBox* box : {chkSound, chkHighlight, chkNumbered})
        box->setFont(MakeFont("MS Sans Serif", 17));
    for (TbrixColorButton* button : {btnCancel, btnOK})
        ApplyCommonButtonLook(button);
    btnOK->onclick = [this](QObject* Sender) { RunHandler([&] { btnOKclick(Sender); }); };
    btnCancel->onclick = [this](QObject* Sender) { RunHandler([&] { btnCancelclick(Sender); }); };
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::SetWorkingCopies(std::string& Sound, std::string& Highlight,
                                   std::string& Numbered) {
    FSound = &Sound;
    FHighlight = &Highlight;
    FNumbered = &Numbered;
}

void TfrmOptions::FormShow() {
    chkSound->setChecked(*FSound == "1");
    chkHighlight->setChecked(*FHighlight == "1");
    chkNumbered->setChecked(*FNumbered == "1");
    chkSound->setFocus();
}

void TfrmOptions::btnOKclick(QObject* Sender) {
    (void)Sender;
    *FSound = chkSound->isChecked() ? "1" : "0";
    *FHighlight = chkHighlight->isChecked() ? "1" : "0";
    *FNumbered = chkNumbered->isChecked() ? "1" : "0";
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "Sound", *FSound);
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "Highlight", *FHighlight);
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "Numbered", *FNumbered);
    CloseWith(mrOk);
}

void TfrmOptions::btnCancelclick(QObject* Sender) {
    (void)Sender;
    CloseWith(mrCancel);
}

void TfrmOptions::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        RunHandler([this] { btnOKclick(btnOK); });
    } else if (plain && event->key() == Qt::Key_Escape) {
        RunHandler([this] { btnCancelclick(btnCancel); });
    } else {
        TDialogForm::keyPressEvent(event);
    }
}
