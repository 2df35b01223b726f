// The frame timer: tick arithmetic on an injected clock, foreground changes, loading, real loop.
#include <gtest/gtest.h>

#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "display/DXClass.Forms.h"
#include "display/DXClass.Timer.h"
#include "platform/rtl/Clock.h"

namespace {

uint32_t g_Now = 0;

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_Now = 0;
        SetClockSource([] { return g_Now; });
        App = std::make_unique<TApplication>();
        Timer = std::make_unique<TDXTimer>();
        Timer->OnTimer = [this](QObject* sender, int lag) {
            EXPECT_EQ(sender, Timer.get());
            Lags.push_back(lag);
        };
    }
    void TearDown() override {
        Timer.reset();
        App.reset();
        SetClockSource({});
    }

    // Starts the timer the way a running program does: stopped, then enabled.
    void StartAt(uint32_t now, int interval) {
        g_Now = now;
        Timer->SetInterval(interval);
        Timer->SetEnabled(false);
        Timer->SetEnabled(true);
    }

    // One pass of the application's idle processing at the given clock value; returns Done.
    bool IdleAt(uint32_t now) {
        g_Now = now;
        bool done = true;
        if (App->OnIdle)
            App->OnIdle(App.get(), done);
        return done;
    }

    std::unique_ptr<TApplication> App;
    std::unique_ptr<TDXTimer> Timer;
    std::vector<int> Lags;
};

TEST_F(TimerTest, NewTimerHasItsDefaultsAndIsNotRunning) {
    EXPECT_TRUE(Timer->ActiveOnly());
    EXPECT_TRUE(Timer->Enabled());
    EXPECT_EQ(Timer->Interval(), 1000);
    EXPECT_EQ(Timer->IntervalStep(), 1000);
    EXPECT_EQ(Timer->FrameRate(), 0);
    EXPECT_FALSE(Timer->Started());
    EXPECT_FALSE(App->OnIdle);
}

TEST_F(TimerTest, IntervalZeroTicksOnEveryPassWithLagInMilliseconds) {
    StartAt(1000, 0);
    EXPECT_FALSE(IdleAt(1000)); // no time passed: still a tick, lag 1
    EXPECT_FALSE(IdleAt(1016));
    EXPECT_FALSE(IdleAt(1017));
    EXPECT_FALSE(IdleAt(1050));
    EXPECT_EQ(Lags, (std::vector<int>{1, 16, 1, 33}));
}

TEST_F(TimerTest, IntervalFiftyCountsWholeIntervalsAndDropsTheRemainder) {
    StartAt(0, 50);
    EXPECT_FALSE(IdleAt(49)); // Done is cleared even when no tick follows
    EXPECT_TRUE(Lags.empty());
    IdleAt(120);
    EXPECT_EQ(Lags, std::vector<int>{2});
    EXPECT_EQ(Timer->LastTickTime(), 120u);
    IdleAt(169); // 49 ms after the last tick: the 20 ms left over before it are not carried
    EXPECT_EQ(Lags.size(), 1u);
    IdleAt(170);
    EXPECT_EQ(Lags, (std::vector<int>{2, 1}));
}

TEST_F(TimerTest, NegativeIntervalStoresZeroWithStepOne) {
    Timer->SetInterval(-5);
    EXPECT_EQ(Timer->Interval(), 0);
    EXPECT_EQ(Timer->IntervalStep(), 1);
    Timer->SetInterval(30);
    EXPECT_EQ(Timer->IntervalStep(), 30);
}

TEST_F(TimerTest, ClockWrapBetweenTicksGivesTheTrueElapsedTime) {
    StartAt(0xFFFFFFF0u, 10);
    IdleAt(0xFFFFFFF5u); // 5 ms: no tick
    EXPECT_TRUE(Lags.empty());
    IdleAt(0x00000010u); // 32 ms across the wrap
    EXPECT_EQ(Lags, std::vector<int>{3});
    EXPECT_EQ(Timer->LastTickTime(), 0x10u);
}

TEST_F(TimerTest, FrameRateWaitsForAWholeSecondOfTicks) {
    StartAt(5000, 0);
    // 60 ticks evenly over one second: the first 59 fall inside the window.
    for (int i = 1; i < 60; ++i)
        IdleAt(5000 + i * 1000 / 60);
    EXPECT_EQ(Timer->FrameRate(), 0);
    IdleAt(6000);
    EXPECT_EQ(Timer->FrameRate(), 60);
    // The next window starts at that tick; the rate holds until it is a second long.
    for (int i = 1; i <= 30; ++i)
        IdleAt(6000 + i * 10);
    EXPECT_EQ(Timer->FrameRate(), 60);
    IdleAt(7000); // 31 ticks over 1000 ms
    EXPECT_EQ(Timer->FrameRate(), 31);
}

TEST_F(TimerTest, FrameRateRoundsHalvesToEven) {
    StartAt(0, 0);
    for (int i = 1; i <= 4; ++i)
        IdleAt(i);
    IdleAt(2000); // 5 ticks over 2000 ms = 2.5
    EXPECT_EQ(Timer->FrameRate(), 2);
    for (int i = 1; i <= 6; ++i)
        IdleAt(2000 + i);
    IdleAt(4000); // 7 ticks over 2000 ms = 3.5
    EXPECT_EQ(Timer->FrameRate(), 4);
    for (int i = 1; i <= 2; ++i)
        IdleAt(4000 + i);
    IdleAt(5600); // 3 ticks over 1600 ms = 1.875
    EXPECT_EQ(Timer->FrameRate(), 2);
}

TEST_F(TimerTest, EnablingTwiceStartsOnceAndDisablingAStoppedTimerDoesNothing) {
    StartAt(0, 0);
    g_Now = 100;
    Timer->SetEnabled(true); // unchanged: no restart of the clocks
    IdleAt(100);
    EXPECT_EQ(Lags, std::vector<int>{100});
    Timer->SetEnabled(false);
    EXPECT_FALSE(Timer->Started());
    EXPECT_FALSE(App->OnIdle);
    // Someone else's idle handler is left alone by a stopped timer being disabled again.
    int other = 0;
    App->OnIdle = [&](QObject*, bool&) { ++other; };
    Timer->SetEnabled(false);
    IdleAt(200);
    EXPECT_EQ(other, 1);
}

TEST_F(TimerTest, StartRestartsBothClocksButKeepsTheGatheredTickCount) {
    StartAt(0, 0);
    IdleAt(10);
    IdleAt(20);
    Timer->SetEnabled(false);
    g_Now = 5000;
    Timer->SetEnabled(true);
    IdleAt(5004);
    EXPECT_EQ(Lags.back(), 4); // from the restart, not from the tick at 20
    IdleAt(6000);               // 4 ticks (2 before the stop) over the new window of 1000 ms
    EXPECT_EQ(Timer->FrameRate(), 4);
}

TEST_F(TimerTest, ActiveOnlyTimerRestsInTheBackgroundWithEventsFirst) {
    std::vector<std::string> log;
    Timer->OnDeactivate = [&](QObject* s) {
        EXPECT_EQ(s, Timer.get());
        log.push_back(Timer->Running() ? "deactivate while running" : "deactivate while resting");
    };
    Timer->OnActivate = [&](QObject*) {
        log.push_back(Timer->Running() ? "activate while running" : "activate while resting");
    };
    StartAt(0, 0);
    IdleAt(10);
    App->ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(Timer->Running());
    EXPECT_TRUE(Timer->Started());
    EXPECT_TRUE(IdleAt(500)); // the slot is empty: the loop may block
    g_Now = 1000;
    App->ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(Timer->Running());
    IdleAt(1007);
    EXPECT_EQ(Lags, (std::vector<int>{10, 7})); // lag counted from the return, not from the pause
    EXPECT_EQ(log, (std::vector<std::string>{"deactivate while running", "activate while resting"}));
}

TEST_F(TimerTest, WithoutActiveOnlyTicksGoOnInTheBackgroundAndOnlyTheEventsFire) {
    int activations = 0, deactivations = 0;
    Timer->OnActivate = [&](QObject*) { ++activations; };
    Timer->OnDeactivate = [&](QObject*) { ++deactivations; };
    Timer->SetActiveOnly(false);
    StartAt(0, 0);
    App->ApplicationStateChanged(Qt::ApplicationInactive);
    IdleAt(20);
    App->ApplicationStateChanged(Qt::ApplicationActive);
    IdleAt(30);
    EXPECT_EQ(Lags, (std::vector<int>{20, 10}));
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(deactivations, 1);
}

TEST_F(TimerTest, EnablingInTheBackgroundArmsWithoutTickingUntilTheReturn) {
    App->ApplicationStateChanged(Qt::ApplicationInactive);
    StartAt(0, 0);
    EXPECT_TRUE(Timer->Started());
    EXPECT_FALSE(Timer->Running());
    EXPECT_TRUE(IdleAt(50));
    EXPECT_TRUE(Lags.empty());
    g_Now = 300;
    App->ApplicationStateChanged(Qt::ApplicationActive);
    IdleAt(302);
    EXPECT_EQ(Lags, std::vector<int>{2});
}

TEST_F(TimerTest, ActiveOnlySwitchedWhileStarted) {
    Timer->SetActiveOnly(false);
    StartAt(0, 0);
    App->ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_TRUE(Timer->Running());
    Timer->SetActiveOnly(true); // now in the background with ActiveOnly: rest
    EXPECT_FALSE(Timer->Running());
    g_Now = 100;
    Timer->SetActiveOnly(false); // no longer bound to the foreground: run again at once
    EXPECT_TRUE(Timer->Running());
    IdleAt(103);
    EXPECT_EQ(Lags, std::vector<int>{3});
}

TEST_F(TimerTest, ChangesDuringLoadingWaitForTheEndOfLoading) {
    Timer.reset();
    auto loaded = std::make_unique<TDXTimer>();
    loaded->BeginLoading();
    loaded->SetEnabled(false);
    loaded->SetEnabled(true);
    loaded->SetInterval(0);
    EXPECT_FALSE(loaded->Started());
    EXPECT_FALSE(App->OnIdle);
    loaded->Loaded();
    EXPECT_TRUE(loaded->Started());
    EXPECT_TRUE(loaded->Running());

    // The game's timer: defined disabled, so it stays stopped after loading.
    auto game = std::make_unique<TDXTimer>();
    game->BeginLoading();
    game->SetEnabled(false);
    game->SetInterval(0);
    game->Loaded();
    EXPECT_FALSE(game->Started());
    EXPECT_EQ(game->IntervalStep(), 1);
}

TEST_F(TimerTest, ASecondTimerOwningTheSlotIsNotStoppedByTheFirstOneResting) {
    StartAt(0, 0);
    auto second = std::make_unique<TDXTimer>();
    second->SetActiveOnly(false);
    second->SetInterval(0);
    second->SetEnabled(false);
    second->SetEnabled(true); // takes the slot over
    Timer->SetEnabled(false); // the first one stops: the second keeps the slot
    EXPECT_TRUE(second->Running());
    second.reset(); // destruction stops it and empties the slot
    EXPECT_FALSE(App->OnIdle);
}

TEST_F(TimerTest, DestroyingARunningTimerEmptiesTheSlotAndUnhooks) {
    StartAt(0, 0);
    Timer.reset();
    EXPECT_FALSE(App->OnIdle);
    App->ApplicationStateChanged(Qt::ApplicationInactive); // no hook left to call into a dead timer
    App->ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(App->OnIdle);
}

// The real loop with the real clock.
class TimerLoopTest : public ::testing::Test {
protected:
    void SetUp() override { App = std::make_unique<TApplication>(); }
    void TearDown() override { App.reset(); }
    std::unique_ptr<TApplication> App;
};

TEST_F(TimerLoopTest, ExceptionFromOnTimerIsReportedAndTicksGoOn) {
    TDXTimer timer;
    std::vector<std::string> reports;
    App->OnException = [&](QObject*, const std::exception& e) { reports.push_back(e.what()); };
    int ticks = 0;
    timer.SetInterval(0);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    timer.OnTimer = [&](QObject*, int) {
        if (++ticks == 3)
            App->Terminate();
        throw Exception("frame failed");
    };
    QTimer::singleShot(5000, App.get(), [&] { App->Terminate(); });
    App->Run();
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(reports, std::vector<std::string>(3, "frame failed"));
    EXPECT_TRUE(timer.Running());
}

TEST_F(TimerLoopTest, TicksGoOnUnderAModalDialog) {
    TDXTimer timer;
    TDXForm main; // the first form is the main window, which Run shows
    TDXForm dialog;
    timer.SetInterval(0);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    int ticks = 0, modalTicks = 0, modalResult = -1;
    timer.OnTimer = [&](QObject*, int lag) {
        EXPECT_GE(lag, 1);
        ++ticks;
        if (App->ModalLevel() > 0 && ++modalTicks == 200)
            dialog.SetModalResult(mrOk);
        if (ticks == 5)
            modalResult = dialog.ShowModal(); // nested loop inside a tick
        if (ticks > 5 && App->ModalLevel() == 0)
            App->Terminate();
    };
    QTimer::singleShot(10000, App.get(), [&] { App->Terminate(); });
    App->Run();
    EXPECT_EQ(modalResult, mrOk);
    EXPECT_EQ(modalTicks, 200);
}

} // namespace
