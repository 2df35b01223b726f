// The main window's start-up, layout, status labels, start-up problems and destruction.
#include "tests/game/MainWindowHarness.h"

#include "controls/brixColorButton.h"
#include "graphics/DXImageList.h"
#include "graphics/DXSpriteEngine.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTextEdit>

#include <filesystem>
#include <fstream>

#include "tests/support/TestEnvironment.h"

namespace {

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

TEST_F(MainWindowTest, FirstRunStartsSolvedWithDefaultsStoredAndDesignTexts) {
    Start();
    EXPECT_EQ(StoredValue("Sound"), "1");
    EXPECT_EQ(StoredValue("Highlight"), "1");
    EXPECT_EQ(StoredValue("Numbered"), "0");
    EXPECT_EQ(Form->SoundSetting, "1");
    EXPECT_EQ(Form->NumberedSetting, "0");
    EXPECT_EQ(Form->lblTop->text(), "Top Player: Zelvan");
    EXPECT_EQ(Form->lblHigh->text(), "High Score: 1000 moves");
    EXPECT_EQ(Form->HighScoreMoves, 1000);
    EXPECT_EQ(Form->lblMoves->text(), "Moves:");
    EXPECT_EQ(Form->DXSpriteEngine1->Root().SpriteCount, 102);
    EXPECT_TRUE(Form->CheckSolution());
    EXPECT_FALSE(Form->Puzzle().GameActive());
    for (int i = 1; i <= 102; ++i)
        ASSERT_EQ(Form->Tiles(i)->Image, Form->DXImageList1->Items().Find("Tile"));
    App->ProcessMessages();
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowTest, StoredRecordIsShownExactly) {
    StoreValue("TopPlayer", " ");
    StoreValue("HighScore", "1");
    Start();
    EXPECT_EQ(Form->lblTop->text(), "Top Player:  ");
    EXPECT_EQ(Form->lblHigh->text(), "High Score: 1 moves");
    EXPECT_EQ(Form->HighScoreMoves, 1);
    // The labels grow to fit their text.
    EXPECT_GE(Form->lblHigh->width(), Form->lblHigh->sizeHint().width());
    StoreValue("TopPlayer", " Ann  ");
    StoreValue("HighScore", "-0");
    Form->PopulateHighScore();
    EXPECT_EQ(Form->lblTop->text(), "Top Player:  Ann  ");
    EXPECT_EQ(Form->lblHigh->text(), "High Score: 0 moves");
}

TEST_F(MainWindowTest, UnreadableStoreStillBringsTheGameUpAndReportsAfterShowing) {
    namespace fs = std::filesystem;
    const fs::path store = fs::path(TestConfigHome()) / "Marrowby" / "ZelvanFree.conf";
    fs::create_directories(store.parent_path());
    std::ofstream(store, std::ios::binary)
        << "[General]\nSound=a, b\nHighlight=1\nNumbered=1\nHighScore=lots\nTopPlayer=Bo\n";
    Start();
    // The board comes up whole with usable values.
    EXPECT_EQ(Form->DXSpriteEngine1->Root().SpriteCount, 102);
    EXPECT_TRUE(Form->CheckSolution());
    EXPECT_EQ(Form->SoundSetting, "1");
    EXPECT_EQ(Form->NumberedSetting, "1");
    EXPECT_EQ(Form->HighScoreMoves, 1000);
    EXPECT_EQ(Form->lblHigh->text(), "High Score: 1000 moves");
    EXPECT_EQ(Form->lblTop->text(), "Top Player: Bo");
    // Nothing is reported before the window is up; then everything at once.
    EXPECT_TRUE(Reported.empty());
    EXPECT_EQ(Form->PendingErrors().size(), 2u);
    RunTicks(1);
    ASSERT_EQ(Reported.size(), 1u);
    EXPECT_NE(Reported[0].find("Invalid data type for 'Sound'"), std::string::npos) << Reported[0];
    EXPECT_NE(Reported[0].find("lots"), std::string::npos) << Reported[0];
    EXPECT_TRUE(Form->PendingErrors().empty());
}

TEST_F(MainWindowTest, WindowLayoutAndLooks) {
    Start();
    EXPECT_EQ(Form->windowTitle(), "Zelvan Free v1.0");
    EXPECT_EQ(Form->size(), QSize(600, 480));
    EXPECT_EQ(Form->minimumSize(), Form->maximumSize());
    EXPECT_FALSE(Form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(Form->windowIcon().isNull());
    EXPECT_EQ(Form->font().pixelSize(), 10);
    // Centred on the screen at the first showing, exactly (an odd pixel left over goes right/down).
    if (QScreen* screen = Form->screen()) {
        const QRect area = screen->availableGeometry(), frame = Form->frameGeometry();
        EXPECT_EQ(frame.left() - area.left(), (area.width() - frame.width()) / 2) << area.width();
        EXPECT_EQ(frame.top() - area.top(), (area.height() - frame.height()) / 2) << area.height();
    }

    EXPECT_EQ(Form->DXDraw1->geometry(), QRect(0, 0, 600, 480));
    EXPECT_EQ(Form->DXDraw1->SurfaceWidth(), 600);
    EXPECT_EQ(Form->DXDraw1->SurfaceHeight(), 480);
    EXPECT_EQ(Form->Panel1->geometry(), QRect(400, 16, 185, 185));
    EXPECT_EQ(Form->btnOptions->geometry(), QRect(40, 88, 105, 26));
    EXPECT_EQ(Form->btnScramble->geometry(), QRect(40, 119, 105, 26));
    EXPECT_EQ(Form->btnHelp->geometry(), QRect(40, 151, 105, 26));
    for (auto [button, caption] : {std::pair{Form->btnOptions, "OPTIONS"},
                                   {Form->btnScramble, "SCRAMBLE"},
                                   {Form->btnHelp, "HELP"}}) {
        EXPECT_EQ(button->parentWidget(), Form->Panel1);
        EXPECT_EQ(button->Caption(), caption);
        EXPECT_EQ(button->Color(), 0x00FF0000u);
        EXPECT_EQ(button->HotColor(), 9094903u);
        EXPECT_EQ(button->DownColor(), 9094903u);
    }
    EXPECT_EQ(Form->lblTop->pos(), QPoint(8, 8));
    EXPECT_EQ(Form->lblHigh->pos(), QPoint(8, 32));
    EXPECT_EQ(Form->lblMoves->pos(), QPoint(8, 56));
    EXPECT_EQ(Form->RichEdit1->geometry(), QRect(400, 296, 185, 161));
    EXPECT_TRUE(Form->RichEdit1->isReadOnly());
    EXPECT_FALSE(Form->StartPos.Control->isVisible());
    ASSERT_EQ(Form->StartPos.Items.size(), 101u);
    EXPECT_EQ(Form->StartPos.Items[0], "1");
    EXPECT_EQ(Form->StartPos.Items[99], "100");
    EXPECT_EQ(Form->StartPos.Items[100], "");

    // In the window's picture the panel and the text box lie over the drawing surface.
    RunTicks(2);
    const QImage window = Form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(At(window, 400 + 20, 16 + 180), 0u);                // panel: black
    EXPECT_EQ(At(window, 400 + 40 + 4, 16 + 119 + 3), 0x0000FFu); // SCRAMBLE: blue
    EXPECT_EQ(At(window, 400 + 5, 296 + 155), 0u);                // text box: black
    EXPECT_EQ(At(window, 399, 100), At(Frame, 399, 100));   // the surface just beside the panel
    EXPECT_EQ(At(window, 200, 200), At(Shown(), 200, 200)); // the board itself
    // Lime shows only as the text box's writing, never from the surface.
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 600; ++x)
            if (!Form->RichEdit1->geometry().contains(x, y)) {
                ASSERT_NE(At(window, x, y), 0x00FF00u) << x << ", " << y;
            }
}

TEST_F(MainWindowTest, ClosingEndsTheLoopAndDestroyingFreesEverySprite) {
    Start();
    RunTicks(2);
    TSpriteEngine& root = Form->DXSpriteEngine1->Root();
    EXPECT_EQ(root.SpriteCount, 102);
    Form->close();
    EXPECT_TRUE(App->Terminated());
    delete Form;
    Form = nullptr;
}

TEST_F(MainWindowTest, ListBoxTextsReadAndWriteTheControl) {
    Start();
    TListBoxStrings& items = Form->StartPos.Items;
    items[5] = "42";
    EXPECT_EQ(Form->StartPos.Control->item(5)->text(), "42");
    EXPECT_THROW(items[101] = "x", EListError);
    EXPECT_THROW((void)std::string(items[500]), EListError);
    items.resize(3);
    EXPECT_EQ(Form->StartPos.Control->count(), 3);
    items.Add("7");
    EXPECT_EQ(std::string(items[3]), "7");
    // A start list that no longer names every tile is refused and the board stays as it was.
    EXPECT_THROW(Form->SetStartPos(), EListError);
    EXPECT_TRUE(Form->CheckSolution());
}

} // namespace
