// Board model: start layout, solution test with highlighting, line rotation, sprite lifetime.
#include "tests/game/BoardHarness.h"

#include "platform/rtl/Exceptions.h"
#include "shell/Settings.h"

#include <fstream>

#include <gtest/gtest.h>

namespace {

TEST(BoardModel, SpritesAreCreatedInOrderAndLaidOutSolved) {
    TBoard board;
    EXPECT_EQ(board.Engine.SpriteCount, 102);
    for (int i = 1; i <= 102; ++i) {
        ASSERT_NE(Tiles[i], nullptr);
        EXPECT_EQ(board.Engine.Items(i - 1), Tiles[i]); // creation order: tiles, then the two dummies
        EXPECT_EQ(Tiles[i]->Width, 34);
        EXPECT_EQ(Tiles[i]->Height, 34);
        EXPECT_EQ(Tiles[i]->Z, 0);
    }
    // Paint order: trailing dummy first, then leading dummy, then tiles from 100 down to 1.
    EXPECT_EQ(board.Engine.PaintOrderItems(0), Tiles[102]);
    EXPECT_EQ(board.Engine.PaintOrderItems(1), Tiles[101]);
    EXPECT_EQ(board.Engine.PaintOrderItems(101), Tiles[1]);
    EXPECT_EQ(Grid[1][1], 1);
    EXPECT_EQ(Grid[10][1], 10);
    EXPECT_EQ(Grid[1][2], 11);
    EXPECT_EQ(Grid[10][10], 100);
    EXPECT_EQ(Tiles[100]->X, 340);
    EXPECT_EQ(Tiles[100]->Y, 411);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    for (int i : {101, 102}) {
        EXPECT_EQ(Tiles[i]->X, 0);
        EXPECT_EQ(Tiles[i]->Y, 0);
        EXPECT_EQ(Tiles[i]->PatternBase, 0);
    }
    EXPECT_TRUE(board.Form->CheckSolution());
    for (int n = 1; n <= 100; ++n)
        EXPECT_EQ(Tiles[n]->PatternBase, n + 99);
}

TEST(BoardModel, SetStartPosResetsTheGameStateButNotTheStep) {
    TBoard board;
    Moves = 7;
    Dragging = true;
    GameActive = true;
    ColIndex = 3;
    RowIndex = 4;
    LastX = 100;
    LastY = 200;
    NetShift = 5;
    Axis = "Row";
    StepDone = false;
    Direction = -1;
    RotateLine("Row", 2, 1);
    board.Form->SetStartPos();
    EXPECT_EQ(Moves, 0);
    EXPECT_FALSE(Dragging);
    EXPECT_FALSE(GameActive);
    EXPECT_EQ(ColIndex, 0);
    EXPECT_EQ(RowIndex, 0);
    EXPECT_EQ(LastX, 0);
    EXPECT_EQ(LastY, 0);
    EXPECT_EQ(NetShift, 0);
    EXPECT_EQ(Axis, "");
    EXPECT_FALSE(StepDone);
    EXPECT_EQ(Direction, -1);
    EXPECT_TRUE(board.Form->CheckSolution());
    StepDone = true;
    Direction = 0;
}

TEST(BoardModel, HighlightFollowsTheSettingAndTheHomeCellOnly) {
    TBoard board;
    board.Form->HighlightSetting = "yes"; // anything but "1" is off
    EXPECT_TRUE(board.Form->CheckSolution());
    for (int n = 1; n <= 100; ++n)
        ASSERT_EQ(Tiles[n]->PatternBase, n - 1);

    board.Form->HighlightSetting = "1";
    RotateLine("Row", 3, 1); // row 3: tiles 21..30 each one column right
    EXPECT_FALSE(board.Form->CheckSolution());
    for (int n = 21; n <= 30; ++n)
        EXPECT_EQ(Tiles[n]->PatternBase, n - 1) << n; // in its home row, wrong column
    EXPECT_EQ(Tiles[20]->PatternBase, 119);
    EXPECT_EQ(Tiles[31]->PatternBase, 130);

    // Switching off turns every placed tile back without changing the result.
    board.Form->HighlightSetting = "0";
    EXPECT_FALSE(board.Form->CheckSolution());
    EXPECT_EQ(Tiles[20]->PatternBase, 19);
}

TEST(BoardModel, PatternChangesOnlyAtTheNextCheck) {
    TBoard board;
    board.Form->CheckSolution();
    RotateLine("Col", 1, -1);
    EXPECT_EQ(Tiles[1]->PatternBase, 100); // not refreshed yet
    board.Form->CheckSolution();
    EXPECT_EQ(Tiles[1]->PatternBase, 0);
    EXPECT_EQ(Tiles[2]->PatternBase, 101);
}

TEST(RotateLine, TurnsOnlyTheGivenLineInTheGivenDirection) {
    TBoard board;
    const auto start = TBoard::Snapshot();
    RotateLine("Row", 4, 1);
    EXPECT_EQ(Grid[1][4], 40);
    EXPECT_EQ(Grid[2][4], 31);
    EXPECT_EQ(Grid[10][4], 39);
    auto now = TBoard::Snapshot();
    for (int i = 0; i < 100; ++i)
        if (i / 10 != 3) {
            EXPECT_EQ(now[size_t(i)], start[size_t(i)]) << i;
        }
    RotateLine("Row", 4, -1);
    EXPECT_EQ(TBoard::Snapshot(), start);

    RotateLine("Col", 7, 1);
    EXPECT_EQ(Grid[7][1], 97);
    EXPECT_EQ(Grid[7][2], 7);
    now = TBoard::Snapshot();
    for (int i = 0; i < 100; ++i)
        if (i % 10 != 6) {
            EXPECT_EQ(now[size_t(i)], start[size_t(i)]) << i;
        }
    RotateLine("anything", 7, 5); // not "Row": a column; not +1: upwards
    EXPECT_EQ(TBoard::Snapshot(), start);
    RotateLine("row", 1, -1); // the axis text is compared exactly: this is a column
    EXPECT_EQ(Grid[1][1], 11);
    EXPECT_EQ(Grid[1][10], 1);
}

TEST(RotateLine, TenTurnsRestoreTheLine) {
    TBoard board;
    const auto start = TBoard::Snapshot();
    for (const char* axis : {"Row", "Col"})
        for (int dir : {1, -1}) {
            for (int i = 0; i < 10; ++i) {
                RotateLine(axis, 5, dir);
                if (i < 9) {
                    ASSERT_NE(TBoard::Snapshot(), start);
                }
            }
            EXPECT_EQ(TBoard::Snapshot(), start) << axis << dir;
        }
}

TEST(RotateLine, IndexOutsideTheBoardIsRefused) {
    TBoard board;
    const auto start = TBoard::Snapshot();
    EXPECT_THROW(RotateLine("Row", 0, 1), EListError);
    EXPECT_THROW(RotateLine("Col", 11, -1), EListError);
    EXPECT_EQ(TBoard::Snapshot(), start);
}

TEST(StartPos, OtherLayoutsArePlacedAndBadListsChangeNothing) {
    TBoard board;
    // Reverse order: cell k + 1 holds tile 100 - k.
    for (int k = 0; k < 100; ++k)
        board.Form->StartPos.Items[size_t(k)] = std::to_string(100 - k);
    board.Form->SetStartPos();
    EXPECT_EQ(Grid[1][1], 100);
    EXPECT_EQ(Grid[10][10], 1);
    EXPECT_EQ(Tiles[100]->X, 34);
    EXPECT_EQ(Tiles[100]->Y, 105);
    EXPECT_EQ(Tiles[1]->PatternBase, 0);
    EXPECT_TRUE(TBoard::SpritesOnTheirCells());
    EXPECT_FALSE(board.Form->CheckSolution());
    const auto reversed = TBoard::Snapshot();
    const double x100 = Tiles[100]->X;

    auto refused = [&](int index, const std::string& item) {
        const std::string kept = board.Form->StartPos.Items[size_t(index)];
        board.Form->StartPos.Items[size_t(index)] = item;
        Moves = 3;
        EXPECT_THROW(board.Form->SetStartPos(), EConvertError) << item;
        board.Form->StartPos.Items[size_t(index)] = kept;
        EXPECT_EQ(TBoard::Snapshot(), reversed) << item;
        EXPECT_EQ(Tiles[100]->X, x100);
        EXPECT_EQ(Moves, 3);
    };
    refused(99, "0");
    refused(99, "101");
    refused(50, "abc");
    refused(50, "");
    refused(50, "100"); // tile 100 twice, tile 50 nowhere
    board.Form->StartPos.Items.resize(60);
    EXPECT_THROW(board.Form->SetStartPos(), EListError);
    EXPECT_EQ(TBoard::Snapshot(), reversed);
}

TEST(BoardSprites, FreeingClearsEveryEntryAndTheEngineCount) {
    TSpriteEngine engine;
    {
        TForm1 form;
        form.CreateSprites(&engine, nullptr, 34, 34);
        form.CreateSprites(&engine, nullptr, 34, 34); // a second call replaces, not adds
        EXPECT_EQ(engine.SpriteCount, 102);
        form.FreeSprites();
        for (int i = 0; i <= 102; ++i)
            EXPECT_EQ(Tiles[i], nullptr);
        EXPECT_EQ(engine.SpriteCount, 0);
        EXPECT_EQ(engine.Count(), 0);
        form.CreateSprites(&engine, nullptr, 34, 34);
    }
    EXPECT_EQ(engine.SpriteCount, 0); // the window frees its sprites when destroyed
}

TEST(BoardSprites, StartUpPreferencesFillTheWorkingCopiesEvenFromABadStore) {
    TForm1 form;
    EXPECT_TRUE(form.LoadPreferences().empty());
    EXPECT_EQ(form.SoundSetting, "1");
    EXPECT_EQ(form.HighlightSetting, "1");
    EXPECT_EQ(form.NumberedSetting, "0");

    // A list under "Sound" cannot be read: the default is used and the board still comes up.
    const std::string file = RegistryKeyFileName(HKEY_CURRENT_USER, ZelvanKeyPath);
    std::ofstream(file, std::ios::trunc) << "[General]\nSound=1, 0\nHighlight=0\nNumbered=2\n";
    form.SoundSetting.clear();
    EXPECT_EQ(form.LoadPreferences(), (std::vector<std::string>{"Invalid data type for 'Sound'"}));
    EXPECT_EQ(form.SoundSetting, "1");
    EXPECT_EQ(form.HighlightSetting, "0");
    EXPECT_EQ(form.NumberedSetting, "2");
    TSpriteEngine engine;
    form.CreateSprites(&engine, nullptr, 34, 34);
    EXPECT_TRUE(form.CheckSolution());
    EXPECT_EQ(Tiles[1]->PatternBase, 0); // highlighting off
    form.FreeSprites();
}

} // namespace
