// The record dialog: its definition, the cleared name box at every showing and the OK handler.
#include "shell/HighScore.h"

#include "ui_HighScore.h"

#include "controls/FontSubstitutes.h"
#include "controls/brixColorButton.h"
#include "platform/rtl/Conversions.h"
#include "shell/Settings.h"

#include <QLineEdit>

TfrmHighScore* frmHighScore = nullptr;

TfrmHighScore::TfrmHighScore(QWidget* parent) : TDialogForm(parent), FUi(std::make_unique<Ui::TfrmHighScore>()) {
    // The form's font first: controls that carry a style of their own take it when they are made.
    setFont(MakeFont("MS Sans Serif", 13));
    FUi->setupUi(this);
    btnOK = FUi->btnOK;
    Label1 = FUi->Label1;
    Label2 = FUi->Label2;
    txtHighName = FUi->txtHighName;

    // A fixed dialog frame with a caption and nothing else: no system menu, so no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(486, 204);
    UseSystemColours(txtHighName);
    ApplyCommonButtonLook(btnOK);
    btnOK->onclick = [this](QObject* Sender) { RunHandler([&] { btnOKclick(Sender); }); };
}

TfrmHighScore::~TfrmHighScore() = default;

void TfrmHighScore::FormShow() {
    txtHighName->clear();
    txtHighName->setFocus();
}

void TfrmHighScore::btnOKclick(QObject* Sender) {
    (void)Sender;
    if (txtHighName->text().isEmpty())
        txtHighName->setText(QStringLiteral(" "));
    const std::string name = txtHighName->text().toStdString();
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "TopPlayer", name);
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "HighScore", IntToStr(HighScoreMoves));
    CloseWith(mrOk);
}
