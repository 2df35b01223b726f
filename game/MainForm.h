// The main window of the game: the board, its panel and the game's state.
#pragma once

#include "display/DXClass.Forms.h"
#include "display/DXDraws.Control.h"
#include "game/model/Puzzle.h"

#include <cstddef>
#include <cstdint>
#include <functional>
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
class TDXTimer;
class TMySprite;
class TSprite;
class TPictureCollectionItem;
class TbrixColorButton;
class TStream;
class TDirectDrawSurface;
class QKeyEvent;
class QEvent;
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

    // Lays the tiles out as StartPos says and shows them: a list that does not name each tile
    // 1..100 exactly once raises an error and changes nothing.
    void SetStartPos();
    // The solution test with highlighting as HighlightSetting says ("1" is on), shown at once.
    bool CheckSolution();

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
    // the board cursor when shown, flip. Does nothing while the display cannot draw.
    void DXTimer1Timer(QObject* Sender, int LagCount);
    void DXDraw1Initialize(QObject* Sender);
    void DXDraw1Finalize(QObject* Sender);
    // The drag gesture on the display control (every mouse button drags the same way).
    void DXDraw1MouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void DXDraw1MouseMove(QObject* Sender, TShiftState Shift, int X, int Y);
    void DXDraw1MouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // Deals a new game; a game under way is abandoned.
    void btnScrambleclick(QObject* Sender);

    // ---- Keyboard play on the board
    // The board cursor: the cell the keys work on (column and row 1..10, from the top-left cell)
    // and whether it is drawn (once a key is used, until the mouse is pressed on the board).
    int32_t CursorColumn() const { return FCursorColumn; }
    int32_t CursorRow() const { return FCursorRow; }
    bool CursorShown() const { return FCursorShown; }
    // What the board tells assistive technology about the cursor's cell, for example
    // "row 3, column 7: tile 42, not at home".
    std::string CursorCellText() const;

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

    // The board, scrolling and gesture state, for reading; only the window's handlers change it.
    const TPuzzle& Puzzle() const { return FPuzzle; }
    // The sprite of tile 1..100, the leading (101) or the trailing (102) wrap-around sprite; null
    // until the sprites are created.
    TMySprite* Tiles(int32_t Index) const;

    // The first showing runs FormShow before the window appears, then centres it.
    void setVisible(bool visible) override;

protected:
    // Arrows move the board cursor; Shift held is a press on the cursor's cell, Shift with an
    // arrow one whole-cell movement of its row or column, releasing Shift the release.
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    // A window that stops being active never sees Shift released: its keyboard drag ends then.
    void changeEvent(QEvent* Event) override;

private:
    void CreateComponents();
    // The window's shortcuts (N and F2 deal, O the options, H and F1 the help; none of them while
    // a modal dialog is up) and the names and roles accessibility tools read for the panel.
    void CreateKeysAndNames();
    void ShowSplash();
    // Gives every existing sprite the place and pattern the puzzle holds for it: the one way the
    // puzzle's tile places reach the sprites, after each change of the puzzle.
    void ApplyTiles();
    // The 100 start layout texts of StartPos.
    std::vector<std::string> StartPosItems() const;
    void ShowMoves();
    // The end of a drag, by mouse button or by Shift: settle, count, show, and a win's sequence.
    void ReleaseDrag();
    // Moves the board cursor by whole cells, wrapping at the edges, and shows it.
    void MoveCursor(int32_t Columns, int32_t Rows);
    // One whole-cell step of a keyboard drag along the arrow's axis.
    void KeyStep(TAxis LineAxis, int32_t Step);
    // Gives the board the keyboard and its name and role for assistive technology.
    void PresentBoard();
    // Tells assistive technology the cursor cell's text when it changed.
    void DescribeBoard();
    void DrawCursor(TDirectDrawSurface* Surface);
    // Plays a wave of the wave list when sounds are on.
    void PlayWave(const char* Name);
    // A solved grid: the record dialog for a new best, the winner dialog, the start layout again.
    void WinSequence();
    // Reads a picture or sound of the program's resources with Read; a missing or unreadable one
    // is reported (Kind names it: "Picture", "Sound") and leaves its item empty.
    void LoadAsset(const char* Kind, const char* Resource,
                   const std::function<void(TStream&)>& Read);
    // Queues problems for one report, posted to run once the loop regains control.
    void ReportErrors(const std::vector<std::string>& Errors);
    void FlushErrors();

    std::unique_ptr<Ui::TForm1> FUi;
    TPuzzle FPuzzle;
    // Index 0 is unused.
    TMySprite* FTiles[103] = {};
    int32_t FCursorColumn = 1;
    int32_t FCursorRow = 1;
    bool FCursorShown = false;
    // The drag under way was started by Shift, not by a mouse button.
    bool FKeyDrag = false;
    bool FShown = false;
    bool FReportPosted = false;
    std::vector<std::string> FPendingErrors;
    // What a frame draws over the sprites: the frame picture (image list item) and the keyboard
    // cursor. A frame is made when it differs from the last frame's.
    struct TOverlay {
        int FramePicture = -1; // -1 before the first frame
        bool CursorShown = false;
        int32_t CursorColumn = 0;
        int32_t CursorRow = 0;
        bool operator==(const TOverlay&) const = default;
    };
    TOverlay ShownOverlay;
};

extern TForm1* Form1;
