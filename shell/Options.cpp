// The options dialog: its definition, the boxes set from the working copies and the OK handler.
#include "shell/Options.h"

#include "ui_Options.h"

#include "controls/FontSubstitutes.h"
#include "controls/brixColorButton.h"
#include "shell/Settings.h"

#include <QCheckBox>

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
