// Playing on the real main window: SCRAMBLE and drags as synthetic mouse events through Qt.
#include "tests/game/MainWindowHarness.h"

#include "controls/brixColorButton.h"
#include "platform/rtl/Random.h"

#include <QLabel>
#include <QTest>

#include <tuple>
#include <vector>

namespace {

class MainWindowGesture : public MainWindowTest {
protected:
    // Press with the given button, one movement event per point, release.
    void Drag(Qt::MouseButton button, QPoint from, const std::vector<QPoint>& path) {
        QTest::mousePress(Form->DXDraw1, button, {}, from);
        for (const QPoint& p : path)
            QTest::mouseMove(Form->DXDraw1, p);
        QTest::mouseRelease(Form->DXDraw1, button, {}, path.empty() ? from : path.back());
    }
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
    EXPECT_TRUE(Reported.empty());
}

TEST_F(MainWindowGesture, UndoingTheDealDragByDragWinsAndClosesTheBoard) {
    RandSeed = 0;
    Start();
    RunTicks(1);
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
    Drag(Qt::LeftButton, {200, 200}, {{166, 200}, {132, 200}, {98, 200}, {64, 200}, {30, 200}, {-4, 200},
                                      {-38, 200}, {-72, 200}, {-106, 200}, {-140, 200}});
    EXPECT_EQ(Form->lblMoves->text(), "Moves: 0");

    int counted = 0;
    for (auto it = passes.rbegin(); it != passes.rend(); ++it) {
        const auto [line, count, row] = *it;
        if (count == 10)
            continue;
        const QPoint from = row ? QPoint(200, 105 + (line - 1) * 34 + 17) : QPoint(34 + (line - 1) * 34 + 17, 300);
        std::vector<QPoint> path;
        for (int k = 1; k <= count; ++k)
            path.push_back(row ? from - QPoint(34 * k, 0) : from - QPoint(0, 34 * k));
        Drag(Qt::LeftButton, from, path);
        ++counted;
        if (it + 1 != passes.rend()) {
            ASSERT_TRUE(Form->Puzzle.GameActive) << "solved early";
        }
        ASSERT_EQ(Form->lblMoves->text().toStdString(), "Moves: " + std::to_string(counted));
    }
    // Solved: the board is back in the start layout, highlighted, and no longer takes presses.
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

} // namespace
