// The main window's OPTIONS and HELP buttons: each opens its dialog modally.
#include "game/MainForm.h"

#include "shell/Help.h"
#include "shell/Options.h"

void TForm1::btnOptionsclick(QObject* Sender) {
    (void)Sender;
    if (frmOptions) {
        frmOptions->SetWorkingCopies(SoundSetting, HighlightSetting, NumberedSetting);
        frmOptions->ShowModal();
    }
    // However the dialog closed, the tiles take the highlighting now in force, game or no game.
    CheckSolution();
}

void TForm1::btnHelpclick(QObject* Sender) {
    (void)Sender;
    if (frmHelp) frmHelp->ShowModal();
}
