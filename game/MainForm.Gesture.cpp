// The main window's side of play: mouse handlers on the display, the deal, sounds and a won game.
#include "game/MainForm.h"

#include "platform/rtl/Conversions.h"
#include "shell/HighScore.h"
#include "shell/Winner.h"
#include "sound/DXSounds.h"

#include <QLabel>

void TForm1::DXDraw1MouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                              int Y) {
    (void)Sender;
    (void)Button;
    (void)Shift;
    if (X >= BoardLeft && X < BoardRight && Y >= BoardTop && Y < BoardBottom && FCursorShown) {
        FCursorShown = false; // the mouse has taken over the board
    }
    // A press the puzzle takes during a keyboard drag makes it the mouse's drag from here on.
    if (FPuzzle.MouseDown(X, Y)) FKeyDrag = false;
}

void TForm1::DXDraw1MouseMove(QObject* Sender, TShiftState Shift, int X, int Y) {
    (void)Sender;
    (void)Shift;
    // The pointer merely hovering must not pull a line that Shift holds.
    if (!FPuzzle.Dragging() || FKeyDrag) return;
    const bool stepped = FPuzzle.MouseMove(X, Y);
    ApplyTiles();
    if (stepped) PlayWave("Click");
}

void TForm1::DXDraw1MouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Sender;
    (void)Button;
    (void)Shift;
    (void)X;
    (void)Y;
    // A button released during a keyboard drag was not pressed on the board: Shift ends that drag.
    if (FKeyDrag) return;
    ReleaseDrag();
}

void TForm1::ReleaseDrag() {
    FKeyDrag = false;
    // The release ends the drag in the puzzle; a win's dialogs follow on a gesture at rest.
    const TRelease release = FPuzzle.MouseUp(HighlightSetting == "1");
    if (!release.Handled) return;
    ApplyTiles();
    if (release.Counted) PlayWave("Blip");
    ShowMoves();
    if (release.Solved) WinSequence();
}

void TForm1::btnScrambleclick(QObject* Sender) {
    (void)Sender;
    // The layout is read first, so a broken list leaves the game under way untouched.
    const TStartLayout layout = ParseStartLayout(StartPosItems());
    FPuzzle.Scramble(layout, HighlightSetting == "1");
    ApplyTiles();
    PopulateHighScore();
    ShowMoves();
}

void TForm1::ShowMoves() {
    lblMoves->setText(QString::fromStdString("Moves: " + IntToStr(FPuzzle.Moves())));
    lblMoves->adjustSize();
}

void TForm1::PlayWave(const char* Name) {
    if (SoundSetting != "1") return;
    // Never waits for the sound; without a sound device the wave plays nothing, silently.
    if (DXWaveList1) DXWaveList1->Items().Find(Name)->Play(false);
}

void TForm1::WinSequence() {
    // Strictly fewer moves than the record: the record dialog asks for the name and stores both.
    if (FPuzzle.Moves() < HighScoreMoves) {
        HighScoreMoves = FPuzzle.Moves();
        if (frmHighScore) {
            frmHighScore->HighScoreMoves = HighScoreMoves;
            frmHighScore->ShowModal();
        }
        PopulateHighScore();
    }
    if (frmWinner) frmWinner->ShowModal();
    SetStartPos();
}
