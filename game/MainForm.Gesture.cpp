// The main window's side of play: mouse handlers on the display, the deal, sounds and a won game.
#include "game/MainForm.h"

#include "platform/rtl/Conversions.h"
#include "shell/HighScore.h"
#include "shell/Winner.h"
#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"

#include <QLabel>

#include <cstdio>

void TForm1::DXDraw1MouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                              int Y) {
    (void)Sender;
    (void)Button;
    (void)Shift;
    Puzzle.MouseDown(X, Y);
}

void TForm1::DXDraw1MouseMove(QObject* Sender, TShiftState Shift, int X, int Y) {
    if (!Puzzle.Dragging) return;
    if ((Shift & (ssLeft | ssRight | ssMiddle)) == 0) {
        // The release went elsewhere (a modal box took it): the drag ends here as it would have.
        DXDraw1MouseUp(Sender, mbLeft, Shift, X, Y);
        return;
    }
    const bool stepped = Puzzle.MouseMove(X, Y);
    ApplyTiles();
    if (stepped) PlayWave("Click");
}

void TForm1::DXDraw1MouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Sender;
    (void)Button;
    (void)Shift;
    (void)X;
    (void)Y;
    const TRelease release = Puzzle.MouseUp(HighlightSetting == "1");
    if (!release.Handled) return;
    ApplyTiles();
    if (release.Counted) PlayWave("Blip");
    ShowMoves();
    if (release.Solved) WinSequence();
    // Only now, after the dialogs of a win have closed, does the gesture come to rest.
    Puzzle.EndDrag();
}

void TForm1::btnScrambleclick(QObject* Sender) {
    (void)Sender;
    // The layout is read first, so a broken list leaves the game under way untouched.
    const TStartLayout layout = ParseStartLayout(StartPosItems());
    Puzzle.Scramble(layout, HighlightSetting == "1");
    ApplyTiles();
    PopulateHighScore();
    ShowMoves();
}

void TForm1::ShowMoves() {
    lblMoves->setText(QString::fromStdString("Moves: " + IntToStr(Puzzle.Moves)));
    lblMoves->adjustSize();
}

void TForm1::PlayWave(const char* Name) {
    if (SoundSetting != "1" || !DXWaveList1) return;
    // Never waits for the sound; without a sound device the wave plays nothing, silently. A
    // device that fails during play turns the sound off: play goes on without it.
    try {
        DXWaveList1->Items().Find(Name)->Play(false);
    } catch (const std::exception& E) {
        SoundOff(E);
    }
}

void TForm1::SoundOff(const std::exception& Reason) {
    std::fprintf(stderr, "Sound is off for this run: %s\n", Reason.what());
    // Every wave stays silent from now on: their buffers go and they are no longer ready.
    try {
        DXSound1->Finalize();
    } catch (const std::exception&) {
        // Finalising releases the device whatever its handlers raise.
    }
}

void TForm1::WinSequence() {
    // Strictly fewer moves than the record: the record dialog asks for the name and stores both.
    if (Puzzle.Moves < HighScoreMoves) {
        HighScoreMoves = Puzzle.Moves;
        if (frmHighScore) {
            frmHighScore->HighScoreMoves = HighScoreMoves;
            frmHighScore->ShowModal();
        }
        PopulateHighScore();
    }
    if (frmWinner) frmWinner->ShowModal();
    SetStartPos();
}
