// The main window's tile sprites: creation, layout from the StartPos list box, freeing.
#include "tests/game/BoardHarness.h"

#include "platform/rtl/Exceptions.h"
#include "shell/Settings.h"

#include <fstream>

#include <gtest/gtest.h>

namespace {

TEST(BoardSprites, CreatedInOrderAndShowingThePuzzle) {
    TBoard board;
    TForm1& form = *board.Form;
    EXPECT_EQ(board.Engine.SpriteCount, 102);
    for (int i = 1; i <= 102; ++i) {
        ASSERT_NE(form.Tiles(i), nullptr);
        EXPECT_EQ(board.Engine.Items(i - 1),
                  form.Tiles(i)); // creation order: tiles, then the two dummies
        EXPECT_EQ(form.Tiles(i)->Width, 34);
        EXPECT_EQ(form.Tiles(i)->Height, 34);
        EXPECT_EQ(form.Tiles(i)->Z, 0);
    }
    // Paint order: trailing dummy first, then leading dummy, then tiles from 100 down to 1.
    EXPECT_EQ(board.Engine.PaintOrderItems(0), form.Tiles(102));
    EXPECT_EQ(board.Engine.PaintOrderItems(1), form.Tiles(101));
    EXPECT_EQ(board.Engine.PaintOrderItems(101), form.Tiles(1));
    EXPECT_EQ(form.Tiles(100)->X, 340);
    EXPECT_EQ(form.Tiles(100)->Y, 411);
    EXPECT_EQ(form.Tiles(100)->PatternBase, 199);
    for (int i : {101, 102}) {
        EXPECT_EQ(form.Tiles(i)->X, 0);
        EXPECT_EQ(form.Tiles(i)->Y, 0);
        EXPECT_EQ(form.Tiles(i)->PatternBase, 0);
    }
    // Every handler of the window shows the puzzle's result on the sprites at once.
    form.btnScrambleclick(nullptr);
    EXPECT_TRUE(board.SpritesFollowThePuzzle());
    const int first = form.Puzzle().TileIn(1, 4);
    form.DXDraw1MouseDown(nullptr, mbLeft, 0, 100, 224);
    form.DXDraw1MouseMove(nullptr, 0, 120, 224);
    EXPECT_EQ(form.Tiles(first)->X, 54);
    EXPECT_TRUE(board.SpritesFollowThePuzzle());
    form.DXDraw1MouseMove(nullptr, 0, 140, 224);
    EXPECT_EQ(form.Tiles(first)->X, 68);
    EXPECT_TRUE(board.SpritesFollowThePuzzle());
    form.DXDraw1MouseMove(nullptr, 0, 150, 224);
    form.DXDraw1MouseUp(nullptr, mbLeft, 0, 150, 224);
    EXPECT_EQ(form.Tiles(first)->X, 68);
    EXPECT_TRUE(board.SpritesFollowThePuzzle());
    form.HighlightSetting = "0";
    EXPECT_FALSE(form.CheckSolution());
    EXPECT_EQ(form.Tiles(100)->PatternBase, 99);
    EXPECT_TRUE(board.SpritesFollowThePuzzle());
}

TEST(BoardSprites, TheListBoxGivesTheLayoutAndABadListChangesNothing) {
    TBoard board;
    TForm1& form = *board.Form;
    for (int k = 0; k < 100; ++k)
        form.StartPos.Items[size_t(k)] = std::to_string(100 - k);
    form.SetStartPos();
    EXPECT_EQ(form.Puzzle().TileIn(1, 1), 100);
    EXPECT_EQ(form.Tiles(100)->X, 34);
    EXPECT_EQ(form.Tiles(1)->Y, 411);
    // A game dealt from that list with one counted move, which a broken list must leave alone.
    form.btnScrambleclick(nullptr);
    form.DXDraw1MouseDown(nullptr, mbLeft, 0, 100, 224);
    form.DXDraw1MouseMove(nullptr, 0, 140, 224);
    form.DXDraw1MouseUp(nullptr, mbLeft, 0, 140, 224);
    ASSERT_EQ(form.Puzzle().Moves(), 1);
    const int corner = form.Puzzle().TileIn(1, 1);
    const double x = form.Tiles(100)->X;
    form.StartPos.Items[50] = "abc";
    EXPECT_THROW(form.SetStartPos(), EConvertError);
    EXPECT_THROW(form.btnScrambleclick(nullptr), EConvertError);
    EXPECT_EQ(form.Puzzle().TileIn(1, 1), corner);
    EXPECT_EQ(form.Puzzle().Moves(), 1);
    EXPECT_TRUE(form.Puzzle().GameActive());
    EXPECT_EQ(form.Tiles(100)->X, x);
    form.StartPos.Items.resize(60);
    EXPECT_THROW(form.SetStartPos(), EListError);
}

TEST(BoardSprites, FreeingClearsEveryEntryAndTheEngineCount) {
    TSpriteEngine engine;
    {
        TForm1 form;
        form.CreateSprites(&engine, nullptr, 34, 34);
        form.CreateSprites(&engine, nullptr, 34, 34); // a second call replaces, not adds
        EXPECT_EQ(engine.SpriteCount, 102);
        form.FreeSprites();
        for (int i = 1; i <= 102; ++i)
            EXPECT_EQ(form.Tiles(i), nullptr);
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
    EXPECT_EQ(form.Tiles(1)->PatternBase, 0); // highlighting off
    form.FreeSprites();
}

} // namespace
