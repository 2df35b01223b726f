// The main window of the game: the board, its panel and the game's state.
#pragma once

#include "display/DXClass.Forms.h"
#include "display/DXDraws.Control.h"
#include "game/model/Puzzle.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QListWidget;
class QTextEdit;
class TDXDraw;
class TDXImageList;
class TDXSpriteEngine;
class TDXSound;
class TDXWaveList;
class TFramedPlacement;
class TWaveCollectionItem;
class TDXTimer;
class TMySprite;
class TSprite;
class TPictureCollectionItem;
class TbrixColorButton;
namespace Ui {
class TForm1;
}

// The texts of a list box, read and written in place: Items[k] is the text of row k.
class TListBoxStrings {
public:
    // One row's text; reads and writes go straight to the list box.
    class TItem {
    public:
        TItem(QListWidget* List, std::size_t Index) : FList(List), FIndex(Index) {}
        operator std::string() const;
        TItem& operator=(const std::string& Value);
        friend bool operator==(const TItem& A, const std::string& B) { return std::string(A) == B; }
        friend bool operator==(const TItem& A, const char* B) { return std::string(A) == B; }

    private:
        QListWidget* FList;
        std::size_t FIndex;
    };

    explicit TListBoxStrings(QListWidget* List = nullptr) : FList(List) {}
    std::size_t size() const;
    // Drops rows past Count, or appends empty ones up to it.
    void resize(std::size_t Count);
    void Add(const std::string& Value);
    // An index past the last row raises EListError.
    TItem operator[](std::size_t Index);
    std::string operator[](std::size_t Index) const;

private:
    QListWidget* FList;
};

// A list box of the window definition with its texts.
struct TListBox {
    QListWidget* Control = nullptr;
    TListBoxStrings Items;
};

// The main window. Problems met while it is built and started (unreadable pictures, settings that
// could not be read or stored) are collected and handed to the application's error report once the
// message loop runs again, so the window still comes up and nothing is dropped silently.
class TForm1 : public TDXForm {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    // Frees the sprites (FreeSprites); the root they hang under must still exist at this point.
    ~TForm1() override;

    // Creates the 100 tile sprites under root showing tileImage, lays them out (SetStartPos), then
    // the two wrap-around sprites at (0, 0). Sprites left from an earlier call are freed first.
    void CreateSprites(TSprite* root, TPictureCollectionItem* tileImage, int patternWidth,
                       int patternHeight);
    // Frees Tiles[101], Tiles[102], then Tiles[1..100], clearing each entry first.
    void FreeSprites();

    // The puzzle's operations, each followed by showing its result on the sprites.
    // SetStartPos reads the layout from StartPos: a list that does not name each tile 1..100
    // exactly once raises an error and changes nothing.
    void SetStartPos();
    // Highlighting follows HighlightSetting ("1" is on).
    bool CheckSolution();
    void PlaceDummySprites(const std::string& LineAxis, int32_t Line);
    void ScrollRow(double Delta);
    void ScrollCol(double Delta);
    void CompleteRowMove();
    void CompleteColMove();

    // Start-up loading of the three preferences into the working copies (read, default, write
    // back). Returns the store errors met (the game goes on with defaults).
    std::vector<std::string> LoadPreferences();

    // Loads the high-score record into HighScoreMoves and shows it on lblTop and lblHigh.
    void PopulateHighScore();

    // "OPTIONS": the options dialog over this window's working copies, then, however it was
    // closed, CheckSolution, so the highlighting follows at once.
    void btnOptionsclick(QObject* Sender);
    // "HELP": the help dialog.
    void btnHelpclick(QObject* Sender);

    // ---- Handlers of the window, its display and its frame timer
    // First showing, before the window is visible: the splash until its timer has ticked (when
    // there is one), then preferences, high score, tiles.
    void FormShow();
    // Frees the 102 sprites and asks the application to end its loop.
    void FormDestroy();
    // One frame: clear, move pass, sprites, frame picture (numbered when NumberedSetting is "1"),
    // flip. Does nothing while the display cannot draw.
    void DXTimer1Timer(QObject* Sender, int LagCount);
    void DXDraw1Initialize(QObject* Sender);
    void DXDraw1Finalize(QObject* Sender);
    // The drag gesture on the display control (every mouse button drags the same way).
    void DXDraw1MouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void DXDraw1MouseMove(QObject* Sender, TShiftState Shift, int X, int Y);
    void DXDraw1MouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // Deals a new game; a game under way is abandoned.
    void btnScrambleclick(QObject* Sender);

    // Problems met while building and starting the window and not reported yet.
    const std::vector<std::string>& PendingErrors() const { return FPendingErrors; }

    // ---- Controls of the window definition
    TDXDraw* DXDraw1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* lblTop = nullptr;
    QLabel* lblHigh = nullptr;
    QLabel* lblMoves = nullptr;
    TbrixColorButton* btnOptions = nullptr;
    TbrixColorButton* btnScramble = nullptr;
    TbrixColorButton* btnHelp = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    // The start layout: item k names the tile that starts in cell k + 1 (row-major); a last,
    // empty item is never read.
    TListBox StartPos;

    // ---- Components of the window definition (owned by the window)
    TDXImageList* DXImageList1 = nullptr;
    TDXTimer* DXTimer1 = nullptr;
    TDXSpriteEngine* DXSpriteEngine1 = nullptr;
    TDXSound* DXSound1 = nullptr;
    TDXWaveList* DXWaveList1 = nullptr;

    std::string SoundSetting;
    std::string HighlightSetting;
    std::string NumberedSetting;
    int32_t HighScoreMoves = 1000;

    // The board, scrolling and gesture state; the sprites below show it.
    TPuzzle Puzzle;
    // Tiles[1..100]: the sprite of each tile; Tiles[101] the leading and Tiles[102] the trailing
    // wrap-around sprite. Index 0 is unused. Entries are null until the sprites are created.
    TMySprite* Tiles[103] = {};

    // The first showing runs FormShow before the window appears, then centres it, frame included
    // (again once the window manager has framed it).
    void setVisible(bool visible) override;

private:
    void CreateComponents();
    void ShowSplash();
    // Gives every existing sprite the place and pattern the puzzle holds for it.
    void ApplyTiles();
    // The 100 start layout texts of StartPos.
    std::vector<std::string> StartPosItems() const;
    void ShowMoves();
    // Plays a wave of the wave list when sounds are on.
    void PlayWave(const char* Name);
    // A solved grid: the record dialog for a new best, the winner dialog, the start layout again.
    void WinSequence();
    void LoadPicture(TPictureCollectionItem* Item, const char* Resource);
    void LoadWave(TWaveCollectionItem* Item, const char* Resource);
    // Queues problems for one report, posted to run once the loop regains control.
    void ReportErrors(const std::vector<std::string>& Errors);
    void FlushErrors();

    std::unique_ptr<Ui::TForm1> FUi;
    TFramedPlacement* FPlacement = nullptr;
    bool FShown = false;
    bool FReportPosted = false;
    std::vector<std::string> FPendingErrors;
};

extern TForm1* Form1;
