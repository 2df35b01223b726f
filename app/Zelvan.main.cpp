// Program body: creates the application and its main window, then runs the message loop.
#include "controls/FontSubstitutes.h"
#include "game/MainForm.h"
#include "platform/ui/Forms.h"
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"
#include "shell/Winner.h"

int main(int argc, char** argv) {
    TQtApplication app(argc, argv);
    TApplication application;
    Application->Initialize();
    Application->SetTitle("Zelvan Free");
    InstallFontSubstitutes();
    // The first form created is the application's main window; closing it ends the loop.
    Form1 = new TForm1;
    // The dialogs, all hidden, each shown modally when needed and kept for the whole run.
    frmOptions = new TfrmOptions;
    frmHelp = new TfrmHelp;
    frmWinner = new TfrmWinner;
    frmHighScore = new TfrmHighScore;
    // Shows the main window (its first showing builds the board) and runs the loop, whose idle
    // processing drives the frame timer, until the main window is closed.
    Application->Run();
    delete Form1;
    Form1 = nullptr;
    delete frmHighScore;
    frmHighScore = nullptr;
    delete frmWinner;
    frmWinner = nullptr;
    delete frmHelp;
    frmHelp = nullptr;
    delete frmOptions;
    frmOptions = nullptr;
    return 0;
}
