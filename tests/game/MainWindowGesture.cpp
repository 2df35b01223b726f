// Playing on the real main window: SCRAMBLE and drags as synthetic mouse events through Qt, the
// sounds counted by the sound module and, once, recorded by OpenAL Soft's wave-file output.
#include "tests/game/MainWindowHarness.h"

#include "controls/brixColorButton.h"
#include "platform/rtl/Random.h"
#include "shell/HighScore.h"
#include "shell/Winner.h"
#include "sound/DXSounds.DXSound.h"
#include "sound/DXSounds.DXWaveList.h"
#include "tests/support/StderrCapture.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaveOutputRecording.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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
    // waits for the sounds it played to end and leaves a pause, so no two meet in the recording.
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
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    // Plays of a wave the game asked for.
    int Plays(const char* name) const { return Form->DXWaveList1->Items().Find(name)->PlayCount(); }
    // A movement with no button down, as after a release that went to another window.
    void Hover(QPoint at) {
        QMouseEvent hover(QEvent::MouseMove, at, Form->DXDraw1->mapToGlobal(at), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Form->DXDraw1, &hover);
    }
    bool Paced = false;
    std::vector<int> TopRow() const {
        std::vector<int> row;
        for (int c = 1; c <= 10; ++c)
            row.push_back(Form->Puzzle.Grid[c][1]);
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

    QTest::mouseClick(Form->btnScramble, Qt::LeftButton);
    EXPECT_EQ(TopRow(), (std::vector<int>{10, 72, 8, 71, 94, 20, 100, 97, 62, 35}));
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 0");
    EXPECT_TRUE(Form->Puzzle.GameActive);

    // Halfway through a drag with the right button the next frame shows the row 20 pixels along.
    const int before = Form->Puzzle.Grid[1][3];
    QTest::mousePress(Form->DXDraw1, Qt::RightButton, {}, {100, 180});
    QTest::mouseMove(Form->DXDraw1, {120, 181});
    RunTicks(1);
    EXPECT_EQ(Form->Tiles[before]->X, 54);
    std::string where;
    EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;
    QTest::mouseMove(Form->DXDraw1, {590, 181}); // off the board: the drag goes on, one step
    QTest::mouseRelease(Form->DXDraw1, Qt::RightButton, {}, {590, 181});
    EXPECT_EQ(Form->Puzzle.Grid[2][3], before);
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 1");
    RunTicks(1);
    EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;

    // 16 pixels with the middle button spring back; the caption is written again all the same.
    const auto grid = TopRow();
    Form->lblMoves->setText("x");
    Drag(Qt::MiddleButton, {300, 120}, {{316, 120}});
    EXPECT_EQ(TopRow(), grid);
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 1");

    // A release that never arrived (a modal box took it) ends the drag at the next movement that
    // shows no button down: the step counts, and hovering afterwards moves nothing.
    const int third = Form->Puzzle.Grid[1][3];
    QTest::mousePress(Form->DXDraw1, Qt::LeftButton, {}, {100, 180});
    QTest::mouseMove(Form->DXDraw1, {140, 180});
    Hover({150, 180});
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 2");
    EXPECT_EQ(Form->Tiles[third]->X, 68);
    Hover({250, 180});
    EXPECT_EQ(Form->Tiles[third]->X, 68);
    QTest::mouseRelease(Form->DXDraw1, Qt::LeftButton, {}, {250, 180});
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 2");
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowGesture, StepsClickAndACountedMoveBlipsAsRecorded) {
    StoreValue("Sound", "1");
    RandSeed = 0;
    Start();
    RunTicks(1);
    ASSERT_TRUE(Form->DXSound1->Initialized());
    QTest::mouseClick(Form->btnScramble, Qt::LeftButton);
    Paced = true;
    Drag(Qt::LeftButton, {100, 180}, {{134, 180}, {168, 180}}); // two steps, one move
    Drag(Qt::LeftButton, {100, 180}, {{110, 180}});             // springs back: silent
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 1");
    // Closing the window closes the output and completes the recording.
    delete Form;
    Form = nullptr;
    Form1 = nullptr;
    const TSoundCount sounds = CountSounds(Recording());
    EXPECT_EQ(sounds.Clicks, 2);
    EXPECT_EQ(sounds.Blips, 1);
    EXPECT_EQ(sounds.Other, 0);
}

class MainWindowWin : public MainWindowGesture {
protected:
    // The main window first, as the program body creates them: the first window is the main one.
    void StartWithDialogs() {
        Start();
        frmHighScore = new TfrmHighScore;
        frmWinner = new TfrmWinner;
        // Answers the dialogs of a win inside their modal loops: a name and OK, then CLOSE. Ten
        // seconds without an answer close them, so a wrong path fails instead of hanging.
        QObject::connect(&Poll, &QTimer::timeout, [this] {
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

    // Deals the first game, then undoes its passes from the last to the first, one drag each.
    // Returns the moves counted.
    int UndoTheDeal() {
        RandSeed = 0;
        QTest::mouseClick(Form->btnScramble, Qt::LeftButton);
        // The deal again from the same generator: line, count, axis for each of the 100 passes.
        uint32_t seed = 0;
        std::swap(seed, RandSeed);
        std::vector<std::tuple<int, int, bool>> passes;
        for (int i = 0; i < 100; ++i) {
            const int line = Random(10) + 1, count = Random(10) + 1;
            passes.emplace_back(line, count, Random(2) == 0);
        }
        std::swap(seed, RandSeed);
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
            if (counted == LoseSoundAt) {
                // Lost for good: the device cannot be opened again either.
                LoadPlatformFunctionAs<TDirectSoundSetFaults>("DSound.dll", "DirectSoundSetFaults")(
                    DSFAULT_NO_DEVICE);
                LoadPlatformFunctionAs<TDirectSoundDisconnectAll>("DSound.dll",
                                                                  "DirectSoundDisconnectAll")();
            }
            EXPECT_TRUE(Form->Puzzle.GameActive) << "solved early";
            Drag(Qt::LeftButton, from, path);
            ++counted;
            EXPECT_EQ(Form->lblMoves->text().toStdString(), "Moves: " + std::to_string(counted));
        }
        return counted;
    }

    // After a win: the start layout, highlighted, and no longer taking presses.
    void ExpectClosedSolvedBoard(int counted) {
        EXPECT_FALSE(Form->Puzzle.GameActive);
        for (int n = 1; n <= 100; ++n) {
            ASSERT_EQ(Form->Puzzle.Grid[(n - 1) % 10 + 1][(n - 1) / 10 + 1], n);
            ASSERT_EQ(Form->Tiles[n]->PatternBase, n + 99);
        }
        Drag(Qt::LeftButton, {100, 200}, {{150, 200}});
        EXPECT_EQ(Form->Puzzle.Grid[1][3], 21);
        EXPECT_EQ(Form->lblMoves->text().toStdString(), "Moves: " + std::to_string(counted));
        RunTicks(1);
        std::string where;
        EXPECT_EQ(Differences(Shown(), Expected(false), where), 0) << where;
        EXPECT_TRUE(Reported.empty());
    }

    QTimer Poll, Guard;
    int Steps = 0;        // steps completed while undoing the deal
    int LoseSoundAt = -1; // the sound device goes after this many counted moves
    bool RecordShown = false, WinnerShown = false, RecordBeforeWinner = false;
};

TEST_F(MainWindowWin, ANewBestAsksForTheNameThenCongratulatesAndClosesTheBoard) {
    StoreValue("Sound", "1");
    StartWithDialogs();
    ASSERT_TRUE(Form->DXSound1->Initialized());
    const int counted = UndoTheDeal();
    EXPECT_TRUE(RecordShown);
    EXPECT_TRUE(WinnerShown);
    EXPECT_TRUE(RecordBeforeWinner);
    EXPECT_EQ(StoredValue("TopPlayer"), "Ada");
    EXPECT_EQ(StoredValue("HighScore"), std::to_string(counted));
    EXPECT_EQ(Form->HighScoreMoves, counted);
    EXPECT_EQ(Form->lblTop->text(), "Top Player: Ada");
    ExpectClosedSolvedBoard(counted);
    // A Click per step, a Blip per counted move, nothing for the drags that did not count or the
    // ignored press.
    EXPECT_EQ(Plays("Click"), Steps);
    EXPECT_EQ(Plays("Blip"), counted);
}

TEST_F(MainWindowWin, ASoundDeviceLostForGoodSilencesTheGameAndTheWinStillComes) {
    StoreValue("Sound", "1");
    StartWithDialogs();
    ASSERT_TRUE(Form->DXSound1->Initialized());
    StderrCapture printed;
    LoseSoundAt = 3;
    const int counted = UndoTheDeal();
    const std::string text = printed.Text();
    EXPECT_TRUE(RecordShown);
    EXPECT_TRUE(WinnerShown);
    EXPECT_EQ(StoredValue("HighScore"), std::to_string(counted));
    ExpectClosedSolvedBoard(counted);
    // Nothing shown; at most one line said.
    EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

TEST_F(MainWindowWin, AsManyMovesAsTheRecordOnlyCongratulateAndSoundOffPlaysNothing) {
    StoreValue("Sound", "0");
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
    EXPECT_EQ(Plays("Click"), 0);
    EXPECT_EQ(Plays("Blip"), 0);
}

} // namespace
