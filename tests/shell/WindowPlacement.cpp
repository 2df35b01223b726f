// Centring by the framed geometry, on a display with no window manager: the frame never comes, so
// the placement must stop looking at the window's events once the player has taken it over.
#include "shell/WindowPlacement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

TEST(WindowPlacement, WatchingEndsAtThePlayersFirstPressOrKeyAndStartsAgainAtTheNextShowing) {
    // A frameless window stands for any window on a display with no manager: its frame stays
    // unknown however long it is watched.
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setFixedSize(200, 100);
    TFramedPlacement placement(&window);

    placement.Place();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Events with no frame to be learnt from them keep the watch going: nothing is known yet.
    for (int i = 0; i < 5; ++i) {
        QTest::mouseMove(&window, QPoint(10 + i, 10));
        QApplication::processEvents();
    }
    EXPECT_TRUE(placement.Watching());

    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(20, 20));
    QApplication::processEvents();
    EXPECT_FALSE(placement.Watching()) << "a press leaves the window to the player";

    window.hide();
    placement.Place();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(placement.Watching()) << "each showing is placed and watched again";
    QTest::keyClick(&window, Qt::Key_A);
    QApplication::processEvents();
    EXPECT_FALSE(placement.Watching()) << "a key leaves the window to the player";
}
