// Playing on the real main window: SCRAMBLE and drags as synthetic mouse events through Qt, the
// sounds recorded by OpenAL Soft's wave-file output.
#include "tests/game/MainWindowHarness.h"

#include "controls/brixColorButton.h"
#include "platform/rtl/Random.h"
#include "shell/HighScore.h"
#include "shell/Winner.h"
#include "sound/DXSounds.h"
#include "tests/support/DialogKeys.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaveOutputRecording.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <tuple>
#include <vector>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new WaveOutputEnvironment("period_size = 64\n"));

// The sounds in a recording where no two overlap, told apart by their audible length at 8,000 Hz:
// about 300 samples for Click, about 550 for Blip (recorded from 11,025 Hz). A sound ends at 40
// silent samples; anything of another length counts as Other.
struct TSoundCount {
    int Clicks = 0, Blips = 0, Other = 0;
};
TSoundCount CountSounds(const std::vector<int16_t>& recorded) {
    TSoundCount count;
    long start = -1, last = -1;
    auto finish = [&] {
        const long length = last - start + 1;
        if (length >= 250 && length <= 380)
            ++count.Clicks;
        else if (length >= 450 && length <= 650)
            ++count.Blips;
        else
            ++count.Other;
    };
    for (long i = 0; i < long(recorded.size()); ++i) {
        if (std::abs(recorded[size_t(i)]) <= 384) continue;
        if (start >= 0 && i - last > 40) {
            finish();
            start = -1;
        }
        if (start < 0) start = i;
        last = i;
    }
    if (start >= 0) finish();
    return count;
}

class MainWindowGesture : public MainWindowTest {
protected:
    // Press with the given button, one movement event per point, release. Paced, each event
    // waits for the sounds it played to end, so no two overlap in the recording.
    void Drag(Qt::MouseButton button, QPoint from, const std::vector<QPoint>& path) {
        QTest::mousePress(Form->DXDraw1, button, {}, from);
        for (const QPoint& p : path) {
            QTest::mouseMove(Form->DXDraw1, p);
            if (Paced) AwaitSilence();
        }
        QTest::mouseRelease(Form->DXDraw1, button, {}, path.empty() ? from : path.back());
        if (Paced) AwaitSilence();
    }
    void AwaitSilence() {
        auto playing = [this] {
            for (const char* name : {"Click", "Blip"}) {
                TWaveCollectionItem* wave = Form->DXWaveList1->Items().Find(name);
                for (int i = 0; i < wave->PlayBufferCount(); ++i)
                    if (wave->PlayBuffers(i)->IsPlaying()) return true;
            }
            return false;
        };
        for (int i = 0; i < 1000 && playing(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
    }
    // A key event on the board, which has the keyboard; what it leaves unused goes to the window.
    void Key(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(type, key, modifiers);
        QApplication::sendEvent(Form->DXDraw1, &event);
    }
    void Arrow(int key, Qt::KeyboardModifiers modifiers = {}) {
        Key(QEvent::KeyPress, key, modifiers);
        Key(QEvent::KeyRelease, key, modifiers);
    }
    // Arrows alone until the board cursor stands on cell (c, r).
    void CursorTo(int c, int r) {
        for (int i = 0; i < 10 && Form->CursorColumn() != c; ++i)
            Arrow(Qt::Key_Right);
        for (int i = 0; i < 10 && Form->CursorRow() != r; ++i)
            Arrow(Qt::Key_Down);
    }
    // Shift pressed, the arrows with Shift held, Shift released.
    void KeyDrag(const std::vector<int>& arrows) {
        Key(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
        for (int arrow : arrows)
            Arrow(arrow, Qt::ShiftModifier);
        Key(QEvent::KeyRelease, Qt::Key_Shift);
    }
    std::string Caption() const { return Form->lblMoves->text().toStdString(); }
    bool Paced = false;
    std::vector<int> TopRow() const {
        std::vector<int> row;
        for (int c = 1; c <= 10; ++c)
            row.push_back(Form->Puzzle().TileIn(c, 1));
        return row;
    }
};

TEST_F(MainWindowGesture, DealThenEveryButtonDragsAndEachMovementIsDrawnAtTheNextFrame) {
    RandSeed = 0;
    Start();
    RunTicks(1);
    // Before the first deal the board does not move and the caption keeps its design text.
    Drag(Qt::LeftButton, {100, 200}, {{150, 200}});
    EXPECT_EQ(TopRow(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(Form->lblMoves->text(), "Moves:");

    // The deal reads the stored record again: a record stored since start-up shows.
    StoreValue("TopPlayer", "Cy");
    StoreValue("HighScore", "42");
    QTest::mouseClick(Form->btnScramble, Qt::LeftButton);
    EXPECT_EQ(TopRow(), (std::vector<int>{10, 72, 8, 71, 94, 20, 100, 97, 62, 35}));
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 0");
    EXPECT_TRUE(Form->Puzzle().GameActive());
    EXPECT_EQ(Form->lblTop->text(), "Top Player: Cy");
    EXPECT_EQ(Form->HighScoreMoves, 42);

    // Halfway through a drag with the right button the next frame shows the row 20 pixels along.
    const int before = Form->Puzzle().TileIn(1, 3);
    QTest::mousePress(Form->DXDraw1, Qt::RightButton, {}, {100, 180});
    QTest::mouseMove(Form->DXDraw1, {120, 181});
    RunTicks(1);
    EXPECT_EQ(Form->Tiles(before)->X, 54);
    std::string where;
    EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;
    QTest::mouseMove(Form->DXDraw1, {590, 181}); // off the board: the drag goes on, one step
    QTest::mouseRelease(Form->DXDraw1, Qt::RightButton, {}, {590, 181});
    EXPECT_EQ(Form->Puzzle().TileIn(2, 3), before);
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 1");
    RunTicks(1);
    EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;

    // Releasing another button than the one pressed ends the drag all the same.
    QTest::mousePress(Form->DXDraw1, Qt::LeftButton, {}, {100, 400});
    QTest::mouseMove(Form->DXDraw1, {140, 400});
    QTest::mouseRelease(Form->DXDraw1, Qt::RightButton, {}, {140, 400});
    EXPECT_FALSE(Form->Puzzle().Dragging());
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 2");
    const int row9 = Form->Puzzle().TileIn(1, 9);
    QTest::mouseMove(Form->DXDraw1, {200, 400});
    EXPECT_EQ(Form->Puzzle().TileIn(1, 9), row9);

    // 16 pixels with the middle button spring back; the caption is written again all the same.
    const auto grid = TopRow();
    Form->lblMoves->setText("x");
    Drag(Qt::MiddleButton, {300, 120}, {{316, 120}});
    EXPECT_EQ(TopRow(), grid);
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 2");
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowGesture, AKeyboardDragFollowsTheMouseRulesAndTheCursorItsTile) {
    RandSeed = 0;
    Start();
    RunTicks(1);
    // Before a deal Shift takes nothing and the arrows only move the cursor, wrapping at the edges.
    EXPECT_FALSE(Form->CursorShown());
    KeyDrag({Qt::Key_Left});
    EXPECT_TRUE(Form->CursorShown());
    EXPECT_EQ(Form->CursorColumn(), 10);
    Arrow(Qt::Key_Up);
    EXPECT_EQ(Form->CursorRow(), 10);
    Arrow(Qt::Key_Down);
    Arrow(Qt::Key_Right);
    EXPECT_EQ(Form->CursorColumn() * 10 + Form->CursorRow(), 11);
    EXPECT_EQ(TopRow(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(Caption(), "Moves:");

    QTest::mouseClick(Form->btnScramble, Qt::LeftButton);
    const TPuzzle& puzzle = Form->Puzzle();
    CursorTo(3, 2);
    const int tile = puzzle.TileIn(3, 2), below = puzzle.TileIn(3, 3);
    // Two cells right, an arrow across the row (ignored), two cells back: nothing counts.
    Key(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    Arrow(Qt::Key_Right, Qt::ShiftModifier);
    Arrow(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(puzzle.TileIn(5, 2), tile);
    EXPECT_EQ(Form->CursorColumn(), 5); // the cursor moves with its tile
    Arrow(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(puzzle.TileIn(5, 2), tile);
    EXPECT_EQ(puzzle.TileIn(3, 3), below);
    EXPECT_EQ(Form->CursorRow(), 2);
    QTest::mouseMove(Form->DXDraw1, {300, 300}); // hovering does not pull the line
    EXPECT_EQ(puzzle.TileIn(5, 2), tile);
    Arrow(Qt::Key_Left, Qt::ShiftModifier);
    Arrow(Qt::Key_Left, Qt::ShiftModifier);
    Key(QEvent::KeyRelease, Qt::Key_Shift);
    EXPECT_FALSE(puzzle.Dragging());
    EXPECT_EQ(puzzle.TileIn(3, 2), tile);
    EXPECT_EQ(Caption(), "Moves: 0");
    EXPECT_TRUE(Form->Puzzle().GameActive());

    // One cell up is one move; the cursor wraps with its tile from row 1 to row 10.
    CursorTo(3, 1);
    const int top = puzzle.TileIn(3, 1);
    KeyDrag({Qt::Key_Up});
    EXPECT_EQ(puzzle.TileIn(3, 10), top);
    EXPECT_EQ(Form->CursorRow(), 10);
    EXPECT_EQ(Caption(), "Moves: 1");
    RunTicks(1);
    EXPECT_EQ(Form->Tiles(top)->Y, 411); // the sprites show it at the next frame
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowGesture, TheBoardCursorIsDrawnDescribedAndHiddenByTheMouse) {
    RandSeed = 0;
    Start();
    RunTicks(1);
    QAccessibleInterface* board = QAccessible::queryAccessibleInterface(Form->DXDraw1);
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->text(QAccessible::Name), "Board");
    EXPECT_EQ(board->role(), QAccessible::Canvas);

    // The first key shows the cursor: a frame two pixels wide inside its cell, the tile within.
    Arrow(Qt::Key_Right);
    RunTicks(1);
    std::string where;
    const QImage shot = Shown();
    EXPECT_EQ(Differences(shot, Expected(false), where), 34 * 34 - 30 * 30) << where;
    const int left = 34 + 34, top = 105;
    EXPECT_EQ(shot.pixel(left, top) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shot.pixel(left + 33, top + 20) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shot.pixel(left + 2, top + 2) & 0xFFFFFF, SheetPixel(101, 2, 2));
    EXPECT_EQ(board->text(QAccessible::Description), "row 1, column 2: tile 2, at home");

    QTest::mouseClick(Form->btnScramble, Qt::LeftButton);
    EXPECT_EQ(board->text(QAccessible::Description), "row 1, column 2: tile 72, not at home");
    KeyDrag({Qt::Key_Left});
    EXPECT_EQ(board->text(QAccessible::Description), "row 1, column 1: tile 72, not at home");
    // The count's label names the new count.
    QAccessibleInterface* moves = QAccessible::queryAccessibleInterface(Form->lblMoves);
    EXPECT_EQ(moves->text(QAccessible::Name), "Moves: 1");

    // A press on the board hides the cursor again.
    QTest::mouseClick(Form->DXDraw1, Qt::LeftButton, {}, {200, 200});
    EXPECT_FALSE(Form->CursorShown());
    RunTicks(1);
    EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;
}

class MainWindowWin : public MainWindowGesture {
protected:
    // The main window first, as the program body creates them: the first window is the main one.
    // ByMouse: the dialogs of a win are answered with the mouse here; otherwise the test answers
    // them itself (by keys).
    void StartWithDialogs(bool ByMouse = true) {
        Start();
        frmHighScore = new TfrmHighScore;
        frmWinner = new TfrmWinner;
        // Answers the dialogs of a win inside their modal loops: a name and OK, then CLOSE. Ten
        // seconds without an answer close them, so a wrong path fails instead of hanging.
        if (ByMouse) QObject::connect(&Poll, &QTimer::timeout, [this] {
            if (frmHighScore->isVisible() && !RecordShown) {
                RecordShown = true;
                QTest::keyClicks(frmHighScore->txtHighName, "Ada");
                QTest::mouseClick(frmHighScore->btnOK, Qt::LeftButton);
            } else if (frmWinner->isVisible() && !WinnerShown) {
                WinnerShown = true;
                RecordBeforeWinner = RecordShown;
                QTest::mouseClick(frmWinner->btnClose, Qt::LeftButton);
            }
        });
        Poll.start(5);
        Guard.setSingleShot(true);
        QObject::connect(&Guard, &QTimer::timeout, [] {
            frmHighScore->close();
            frmWinner->close();
        });
        Guard.start(20000);
        RunTicks(1);
    }
    void TearDown() override {
        Poll.stop();
        Guard.stop();
        delete frmHighScore;
        frmHighScore = nullptr;
        delete frmWinner;
        frmWinner = nullptr;
        MainWindowGesture::TearDown();
    }

    // The first deal again from the same generator: line, count and axis (true: a row) of each of
    // its 100 passes.
    static std::vector<std::tuple<int, int, bool>> FirstDealPasses() {
        uint32_t seed = 0;
        std::swap(seed, RandSeed);
        std::vector<std::tuple<int, int, bool>> passes;
        for (int i = 0; i < 100; ++i) {
            const int line = Random(10) + 1, count = Random(10) + 1;
            passes.emplace_back(line, count, Random(2) == 0);
        }
        std::swap(seed, RandSeed);
        return passes;
    }

    // Deals the first game, then undoes its passes from the last to the first, one drag each.
    // Returns the moves counted.
    int UndoTheDeal() {
        RandSeed = 0;
        QTest::mouseClick(Form->btnScramble, Qt::LeftButton);
        const auto passes = FirstDealPasses();
        // A drag back along a whole turn changes nothing and counts nothing.
        std::vector<QPoint> turn;
        for (int k = 1; k <= 10; ++k)
            turn.push_back({200 - 34 * k, 200});
        Drag(Qt::LeftButton, {200, 200}, turn);
        EXPECT_EQ(Form->lblMoves->text(), "Moves: 0");
        // 16 pixels spring back: no step, no move.
        Drag(Qt::LeftButton, {200, 200}, {{200, 216}});
        EXPECT_EQ(Form->lblMoves->text(), "Moves: 0");
        Steps = 10;

        int counted = 0;
        for (auto it = passes.rbegin(); it != passes.rend(); ++it) {
            const auto [line, count, row] = *it;
            if (count == 10) continue;
            const QPoint from = row ? QPoint(200, 105 + (line - 1) * 34 + 17)
                                    : QPoint(34 + (line - 1) * 34 + 17, 300);
            // Back by the count, or on round by the rest of the turn when that is shorter.
            const int steps = count <= 5 ? count : 10 - count, sign = count <= 5 ? -1 : 1;
            std::vector<QPoint> path;
            for (int k = 1; k <= steps; ++k)
                path.push_back(from + sign * (row ? QPoint(34 * k, 0) : QPoint(0, 34 * k)));
            Steps += steps;
            EXPECT_TRUE(Form->Puzzle().GameActive()) << "solved early";
            Drag(Qt::LeftButton, from, path);
            ++counted;
            EXPECT_EQ(Form->lblMoves->text().toStdString(), "Moves: " + std::to_string(counted));
        }
        return counted;
    }

    // After a win: the start layout, highlighted, and no longer taking presses.
    void ExpectClosedSolvedBoard(int counted) {
        EXPECT_FALSE(Form->Puzzle().GameActive());
        for (int n = 1; n <= 100; ++n) {
            ASSERT_EQ(Form->Puzzle().TileIn((n - 1) % 10 + 1, (n - 1) / 10 + 1), n);
            ASSERT_EQ(Form->Tiles(n)->PatternBase, n + 99);
        }
        Drag(Qt::LeftButton, {100, 200}, {{150, 200}});
        EXPECT_EQ(Form->Puzzle().TileIn(1, 3), 21);
        EXPECT_EQ(Form->lblMoves->text().toStdString(), "Moves: " + std::to_string(counted));
        RunTicks(1);
        std::string where;
        EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;
        EXPECT_TRUE(Reported.empty());
    }

    QTimer Poll, Guard;
    int Steps = 0; // steps completed while undoing the deal
    bool RecordShown = false, WinnerShown = false, RecordBeforeWinner = false;
};

TEST_F(MainWindowWin, ANewBestAsksForTheNameThenCongratulatesAndClosesTheBoard) {
    StoreValue("Sound", "1");
    StartWithDialogs();
    ASSERT_TRUE(Form->DXSound1->Initialized());
    Paced = true;
    const int counted = UndoTheDeal();
    EXPECT_TRUE(RecordShown);
    EXPECT_TRUE(WinnerShown);
    EXPECT_TRUE(RecordBeforeWinner);
    EXPECT_EQ(StoredValue("TopPlayer"), "Ada");
    EXPECT_EQ(StoredValue("HighScore"), std::to_string(counted));
    EXPECT_EQ(Form->HighScoreMoves, counted);
    EXPECT_EQ(Form->lblTop->text(), "Top Player: Ada");
    ExpectClosedSolvedBoard(counted);

    // Closing the window closes the output and completes the recording: a Click per step, a
    // Blip per counted move, nothing for the drags that did not count or the ignored press.
    delete Form;
    Form = nullptr;
    Form1 = nullptr;
    const TSoundCount sounds = CountSounds(Recording());
    EXPECT_EQ(sounds.Blips, counted);
    EXPECT_EQ(sounds.Clicks, Steps);
    EXPECT_EQ(sounds.Other, 0);
}

TEST_F(MainWindowWin, KeysAlonePlayTheFirstDealToTheWin) {
    StartWithDialogs(false);
    TWinDialogsByKeys dialogs(QStringLiteral("Ada"));
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    RandSeed = 0;
    PressKey(Form, Qt::Key_N);
    ASSERT_TRUE(Form->Puzzle().GameActive()) << "N dealt no game";
    const auto passes = FirstDealPasses();
    int counted = 0;
    for (auto it = passes.rbegin(); it != passes.rend(); ++it) {
        const auto [line, count, row] = *it;
        if (count == 10) continue;
        const int steps = count <= 5 ? count : 10 - count;
        const int arrow = row ? (count <= 5 ? Qt::Key_Left : Qt::Key_Right)
                              : (count <= 5 ? Qt::Key_Up : Qt::Key_Down);
        CursorTo(row ? Form->CursorColumn() : line, row ? line : Form->CursorRow());
        EXPECT_TRUE(Form->Puzzle().GameActive()) << "solved early";
        KeyDrag(std::vector<int>(size_t(steps), arrow));
        ++counted;
        EXPECT_EQ(Caption(), "Moves: " + std::to_string(counted));
    }
    EXPECT_EQ(dialogs.RecordsAnswered, 1);
    EXPECT_EQ(dialogs.WinnersClosed, 1);
    EXPECT_EQ(StoredValue("TopPlayer"), "Ada");
    EXPECT_EQ(StoredValue("HighScore"), std::to_string(counted));
    EXPECT_EQ(counted, 93);
    ExpectClosedSolvedBoard(counted);
}

TEST_F(MainWindowWin, AsManyMovesAsTheRecordOnlyCongratulate) {
    StoreValue("TopPlayer", "Bo");
    StoreValue("HighScore", "93"); // the moves of undoing the first deal pass by pass
    StartWithDialogs();
    const int counted = UndoTheDeal();
    ASSERT_EQ(counted, 93);
    EXPECT_FALSE(RecordShown);
    EXPECT_TRUE(WinnerShown);
    EXPECT_EQ(StoredValue("TopPlayer"), "Bo");
    EXPECT_EQ(Form->HighScoreMoves, 93);
    ExpectClosedSolvedBoard(counted);
}

} // namespace
