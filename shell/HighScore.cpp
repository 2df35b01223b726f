// The record dialog: its definition, the cleared name box at every showing and the OK handler.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global frmHighScore declared by the header below.
#include "ui_HighScore.h"

#include "shell/HighScore.h"

#include "controls/FontSubstitutes.h"
#include "controls/TextColours.h"
#include "controls/brixColorButton.h"
#include "platform/rtl/Conversions.h"
#include "shell/Settings.h"

#include <QLineEdit>
#include <QValidator>

TfrmHighScore* frmHighScore = nullptr;

namespace {

// The box's limit counts 16-bit units, so a character outside the basic plane that does not fit
// whole is cut in half; the half left over is dropped rather than stored as a broken character.
class TWholeCharacters : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        for (qsizetype i = 0; i < input.size();) {
            const bool pair =
                i + 1 < input.size() && input[i].isHighSurrogate() && input[i + 1].isLowSurrogate();
            if (pair) {
                i += 2;
            } else if (input[i].isSurrogate()) {
                input.remove(i, 1);
                if (pos > i) --pos;
            } else {
                ++i;
            }
        }
        return Acceptable;
    }
};

} // namespace

TfrmHighScore::TfrmHighScore(QWidget* parent)
    : TDialogForm(parent), FUi(std::make_unique<Ui::TfrmHighScore>()) {
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
    SetTextColour(Label1, Qt::yellow);
    SetTextColour(Label2, Qt::white);
    txtHighName->setValidator(new TWholeCharacters(txtHighName));
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
    if (txtHighName->text().isEmpty()) txtHighName->setText(QStringLiteral(" "));
    const std::string name = txtHighName->text().toStdString();
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "TopPlayer", name);
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "HighScore", IntToStr(HighScoreMoves));
    CloseWith(mrOk);
}
