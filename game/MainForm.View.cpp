// The board view: start-up of the tiles, the frame drawn on every timer tick, display events.
#include "game/MainForm.h"

#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "graphics/DXImageList.h"
#include "graphics/DXSpriteEngine.h"
#include "platform/rtl/Conversions.h"
#include "shell/Settings.h"
#include "shell/SplashScreen.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

void TForm1::PopulateHighScore() {
    const THighScore record = LoadHighScore();
    HighScoreMoves = record.Moves;
    lblTop->setText(QString::fromStdString(record.TopLabel));
    lblTop->adjustSize();
    lblHigh->setText(QString::fromStdString(record.HighLabel));
    lblHigh->adjustSize();
    ReportErrors(record.Errors);
}

void TForm1::FormShow() {
    ShowSplash();
    // Each step goes ahead whatever the one before met, so the board always comes up with usable
    // defaults; what went wrong is reported once the window shows.
    ReportErrors(LoadPreferences());
    PopulateHighScore();
    try {
        TPictureCollectionItem* tile = DXImageList1->Items().Find("Tile");
        CreateSprites(&DXSpriteEngine1->Root(), tile, tile->Width(), tile->Height());
    } catch (const std::exception& E) {
        ReportErrors({E.what()});
    }
    // The board has the keyboard from the start; the buttons take no focus.
    DXDraw1->setFocus();
}

void TForm1::ShowSplash() {
    QPointer<TfrmSplash> splash = frmSplash;
    if (!splash) return;
    splash->show();
    bool canClose = false;
    splash->FormCloseQuery(canClose);
    while (splash && !canClose) {
        // Sleeps until a message arrives (the splash's painting, its timer's tick) rather than
        // spinning; the timer's tick is what lets the splash go.
        if (Application)
            Application->WaitMessage();
        else
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (splash) splash->FormCloseQuery(canClose);
    }
    if (!splash) return;
    splash->hide();
    const std::string error = splash->PictureError();
    delete splash.data();
    if (!error.empty()) ReportErrors({error});
}

void TForm1::FormDestroy() {
    FreeSprites();
    if (Application) Application->Terminate();
}

namespace {
// Limits the drawing on a surface to a rectangle for the guard's lifetime.
class TClipGuard {
public:
    TClipGuard(TDirectDrawSurface* Surface, const TRect& Rect) : FSurface(Surface) {
        FSurface->SetClipRect(&Rect);
    }
    ~TClipGuard() { FSurface->SetClipRect(nullptr); }
    TClipGuard(const TClipGuard&) = delete;
    TClipGuard& operator=(const TClipGuard&) = delete;

private:
    TDirectDrawSurface* FSurface;
};
} // namespace

void TForm1::DXTimer1Timer(QObject* Sender, int LagCount) {
    (void)Sender;
    (void)LagCount;
    if (!DXDraw1->CanDraw()) {
        DXTimer1->WaitForNextFrame();
        return;
    }
    DXSpriteEngine1->Move(1);
    const TOverlay overlay{NumberedSetting == "1" ? 2 : 0, FCursorShown, FCursorColumn, FCursorRow};
    TDirectDrawSurface* back = DXDraw1->Surface();
    // Only the part of the surface that can differ from the last frame is redrawn and presented:
    // while a line moves, that is the line's band. A due frame or a changed overlay is made whole;
    // a frame that would show what the window already shows is not made at all.
    TRect part;
    const bool spritesChanged = DXSpriteEngine1->Changes(part);
    const bool whole = DXDraw1->FrameDue() || !(overlay == ShownOverlay);
    if (!whole && !spritesChanged) {
        DXTimer1->WaitForNextFrame();
        return;
    }
    if (whole) part = back->ClientRect();
    {
        TClipGuard clip(back, part);
        back->Fill(0);
        DXSpriteEngine1->Draw();
        DXImageList1->Items().Items(overlay.FramePicture)->Draw(back, 0, 0, 0);
        DrawCursor(back);
    }
    ShownOverlay = overlay;
    if (part.Width() <= 0 || part.Height() <= 0) {
        DXTimer1->WaitForNextFrame(); // only sprites of no size changed: no pixel did
        return;
    }
    if (whole)
        DXDraw1->Flip();
    else
        DXDraw1->Flip(part);
}

void TForm1::DXDraw1Initialize(QObject* Sender) {
    (void)Sender;
    DXTimer1->SetEnabled(true);
}

void TForm1::DXDraw1Finalize(QObject* Sender) {
    (void)Sender;
    DXTimer1->SetEnabled(false);
}
