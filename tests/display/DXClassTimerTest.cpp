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
        SetClockSource([] { return g_Now; });
        App = std::make_unique<TApplication>();
        Timer = std::make_unique<TDXTimer>();
        Timer->OnTimer = [this](QObject*, int lag) { Lags.push_back(lag); };
    }
    void TearDown() override {
        Timer.reset();
        App.reset();
        SetClockSource({});
    }
    // Starts the timer as a running program does: stopped, then enabled.
    void StartAt(uint32_t now, int interval) {
        g_Now = now;
        Timer->SetInterval(interval);
        Timer->SetEnabled(false);
        Timer->SetEnabled(true);
    }
    // One idle pass of the application at the given clock value; returns Done.
    bool IdleAt(uint32_t now) {
        g_Now = now;
        bool done = true;
        if (App->OnIdle) App->OnIdle(App.get(), done);
        return done;
    }
    void State(Qt::ApplicationState s, uint32_t now) {
        g_Now = now;
        App->ApplicationStateChanged(s);
    }
    std::unique_ptr<TApplication> App;
    std::unique_ptr<TDXTimer> Timer;
    std::vector<int> Lags;
};

TEST_F(TimerTest, IntervalZeroTicksOnEveryPassWithLagInMilliseconds) {
    EXPECT_FALSE(Timer->Started()); // a new timer is enabled but not started until loaded
    StartAt(1000, 0);
    for (uint32_t t : {1000u, 1016u, 1017u, 1050u})
        EXPECT_FALSE(IdleAt(t));
    EXPECT_EQ(Lags, (std::vector<int>{1, 16, 1, 33}));
}

// A tick that made no frame lets the loop sleep; a wake-up message at the next refresh brings
// the next tick, and the tick count and lags go on as before.
TEST_F(TimerTest, ATickWithoutAFrameLetsTheLoopSleepUntilTheNextRefresh) {
    bool still = true;
    Timer->OnTimer = [this, &still](QObject*, int lag) {
        Lags.push_back(lag);
        if (still) Timer->WaitForNextFrame();
    };
    StartAt(1000, 0);
    EXPECT_TRUE(IdleAt(1016)); // the handler made no frame: the loop may block
    EXPECT_TRUE(Timer->Running());
    still = false;
    EXPECT_FALSE(IdleAt(1020)); // the request held for that one tick only
    still = true;
    EXPECT_TRUE(IdleAt(1037));
    EXPECT_EQ(Lags, (std::vector<int>{16, 4, 17}));
    EXPECT_GE(Timer->FramePeriod(), 2);
    EXPECT_LE(Timer->FramePeriod(), 50);

    // Through the real loop: each HandleMessage either handles the wake-up or ticks, so a handful
    // of turns gives a few ticks, and the loop never spins in between.
    const size_t before = Lags.size();
    const unsigned long idle = App->IdleCalls();
    for (int turn = 0; turn < 6; ++turn)
        App->HandleMessage();
    EXPECT_GE(Lags.size() - before, 2u);
    EXPECT_LE(App->IdleCalls() - idle, 6u);
    // Stopping the timer takes the pending wake-up with it.
    Timer->SetEnabled(false);
    EXPECT_FALSE(Timer->Running());
}

// After a second of ticks that made no frame the loop sleeps longer between ticks; the first tick
// that makes a frame, and a restart, bring back one tick per refresh.
TEST_F(TimerTest, ASecondWithoutAFrameLengthensTheSleepUntilTheNextFrame) {
    bool still = true;
    Timer->OnTimer = [this, &still](QObject*, int lag) {
        Lags.push_back(lag);
        if (still) Timer->WaitForNextFrame();
    };
    StartAt(1000, 0);
    const int refresh = Timer->FramePeriod();
    EXPECT_TRUE(IdleAt(1500));
    EXPECT_EQ(Timer->WakeDelay(), refresh);
    EXPECT_TRUE(IdleAt(1999)); // not yet a whole second since the start
    EXPECT_EQ(Timer->WakeDelay(), refresh);
    EXPECT_TRUE(IdleAt(2000));
    EXPECT_EQ(Timer->WakeDelay(), TCustomDXTimer::RestPeriod);
    EXPECT_TRUE(IdleAt(2100));
    EXPECT_EQ(Timer->WakeDelay(), TCustomDXTimer::RestPeriod);
    EXPECT_EQ(Lags.size(), 4u); // every wake still ticks

    still = false;
    EXPECT_FALSE(IdleAt(2150)); // a frame: the loop keeps going
    still = true;
    EXPECT_TRUE(IdleAt(2160));
    EXPECT_EQ(Timer->WakeDelay(), refresh);
    EXPECT_TRUE(IdleAt(3200));
    EXPECT_EQ(Timer->WakeDelay(), TCustomDXTimer::RestPeriod);
    State(Qt::ApplicationInactive, 3300);
    State(Qt::ApplicationActive, 5000); // resuming counts as a fresh start
    EXPECT_TRUE(IdleAt(5016));
    EXPECT_EQ(Timer->WakeDelay(), refresh);
}

TEST_F(TimerTest, LongerIntervalCountsWholeIntervalsDropsTheRemainderAndSurvivesTheClockWrap) {
    StartAt(0, 50);
    EXPECT_FALSE(IdleAt(49)); // Done is cleared even when no tick follows
    IdleAt(120);
    EXPECT_EQ(Timer->LastTickTime(), 120u);
    IdleAt(169); // 49 ms after that tick: the 20 ms before it are not carried over
    IdleAt(170);
    EXPECT_EQ(Lags, (std::vector<int>{2, 1}));

    Lags.clear();
    StartAt(0xFFFFFFF0u, 10);
    IdleAt(0xFFFFFFF5u);
    IdleAt(0x00000010u); // 32 ms across the wrap
    EXPECT_EQ(Lags, std::vector<int>{3});

    Timer->SetInterval(-5);
    EXPECT_EQ(Timer->Interval(), 0);
    EXPECT_EQ(Timer->IntervalStep(), 1);
}

TEST_F(TimerTest, FrameRateNeedsAWholeSecondAndRoundsHalvesToEven) {
    StartAt(5000, 0);
    for (int i = 1; i < 60; ++i)
        IdleAt(5000 + i * 1000 / 60);
    EXPECT_EQ(Timer->FrameRate(), 0);
    IdleAt(6000); // 60 ticks over 1000 ms
    EXPECT_EQ(Timer->FrameRate(), 60);
    // {ticks before the closing one, window end, expected}: 2.5 → 2, 3.5 → 4, 1.875 → 2
    const int cases[][3] = {{4, 8000, 2}, {6, 10000, 4}, {2, 11600, 2}};
    uint32_t start = 6000;
    int held = 60;
    for (const auto& c : cases) {
        for (int i = 1; i <= c[0]; ++i)
            IdleAt(start + i);
        EXPECT_EQ(Timer->FrameRate(), held); // unchanged inside a window
        IdleAt(c[1]);
        EXPECT_EQ(Timer->FrameRate(), c[2]) << "window ending at " << c[1];
        start = c[1];
        held = c[2];
    }
}

TEST_F(TimerTest, EnablingTwiceStartsOnceAndARestartKeepsTheGatheredTickCount) {
    StartAt(0, 0);
    IdleAt(10);
    g_Now = 100;
    Timer->SetEnabled(true); // unchanged: the clocks are not restarted
    IdleAt(100);
    EXPECT_EQ(Lags, (std::vector<int>{10, 90}));
    Timer->SetEnabled(false);
    EXPECT_FALSE(App->OnIdle);
    int other = 0;
    App->OnIdle = [&](QObject*, bool&) { ++other; };
    Timer->SetEnabled(false); // stopped already: someone else's handler stays
    IdleAt(150);
    EXPECT_EQ(other, 1);

    StartAt(5000, 0);
    IdleAt(5004);
    EXPECT_EQ(Lags.back(), 4); // from the restart
    IdleAt(6000);              // 2 ticks before the stop + 2 since, over the fresh window
    EXPECT_EQ(Timer->FrameRate(), 4);
}

TEST_F(TimerTest, ActiveOnlyTimerRestsInTheBackgroundWithItsEventsFirst) {
    std::vector<std::string> log;
    Timer->OnDeactivate = [&](QObject* s) {
        EXPECT_EQ(s, Timer.get());
        log.push_back(Timer->Running() ? "off, was running" : "off, was resting");
    };
    Timer->OnActivate = [&](QObject*) {
        log.push_back(Timer->Running() ? "on, was running" : "on, was resting");
    };
    StartAt(0, 0);
    IdleAt(10);
    State(Qt::ApplicationInactive, 20);
    EXPECT_TRUE(Timer->Started());
    EXPECT_TRUE(IdleAt(500)); // the slot is empty: the loop may block
    State(Qt::ApplicationActive, 1000);
    IdleAt(1007);
    EXPECT_EQ(Lags, (std::vector<int>{10, 7})); // lag counted from the return
    EXPECT_EQ(log, (std::vector<std::string>{"off, was running", "on, was resting"}));
}

TEST_F(TimerTest, WithoutActiveOnlyTicksGoOnInTheBackgroundAndOnlyTheEventsFire) {
    int events = 0;
    Timer->OnActivate = Timer->OnDeactivate = [&](QObject*) { ++events; };
    Timer->SetActiveOnly(false);
    StartAt(0, 0);
    State(Qt::ApplicationInactive, 5);
    IdleAt(20);
    State(Qt::ApplicationActive, 25);
    IdleAt(30);
    EXPECT_EQ(Lags, (std::vector<int>{20, 10}));
    EXPECT_EQ(events, 2);
}

TEST_F(TimerTest, EnablingInTheBackgroundArmsWithoutTickingUntilTheReturn) {
    State(Qt::ApplicationInactive, 0);
    StartAt(0, 0);
    EXPECT_TRUE(Timer->Started());
    EXPECT_TRUE(IdleAt(50));
    State(Qt::ApplicationActive, 300);
    IdleAt(302);
    EXPECT_EQ(Lags, std::vector<int>{2});
}

TEST_F(TimerTest, SwitchingActiveOnlyWhileStartedRestsOrResumesAtOnce) {
    Timer->SetActiveOnly(false);
    StartAt(0, 0);
    State(Qt::ApplicationInactive, 0);
    Timer->SetActiveOnly(true); // in the background with ActiveOnly: rest
    EXPECT_FALSE(Timer->Running());
    g_Now = 100;
    Timer->SetActiveOnly(false); // no longer bound to the foreground: run again
    IdleAt(103);
    EXPECT_EQ(Lags, std::vector<int>{3});
}

TEST_F(TimerTest, EnabledChangesDuringLoadingWaitForTheEndOfLoading) {
    Timer->BeginLoading();
    Timer->SetEnabled(false);
    Timer->SetEnabled(true);
    EXPECT_FALSE(Timer->Started());
    Timer->Loaded();
    EXPECT_TRUE(Timer->Running());

    TDXTimer game; // defined disabled, as the main window's: stays stopped after loading
    game.BeginLoading();
    game.SetEnabled(false);
    game.SetInterval(0);
    game.Loaded();
    EXPECT_FALSE(game.Started());
}

TEST_F(TimerTest, RestingOrDestroyedTimersLeaveOtherTimersAndTheHooksAlone) {
    StartAt(0, 0);
    auto second = std::make_unique<TDXTimer>();
    second->SetEnabled(false);
    second->SetEnabled(true); // takes the slot over
    Timer->SetEnabled(false); // stopping the first must not stop the second
    EXPECT_TRUE(second->Running());
    second.reset();
    EXPECT_FALSE(App->OnIdle);
    StartAt(0, 0);
    Timer.reset();
    EXPECT_FALSE(App->OnIdle);
    State(Qt::ApplicationInactive, 0); // no hook left calling into the destroyed timer
    State(Qt::ApplicationActive, 0);
    EXPECT_FALSE(App->OnIdle);
}

// The real loop and the real clock.
TEST(TimerLoop, OnTimerExceptionIsReportedTicksGoOnAndModalDialogsKeepTicking) {
    TApplication app;
    TDXTimer timer;
    TDXForm main, dialog; // the first form is the main window, which Run shows
    timer.SetInterval(0);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    std::vector<std::string> reports;
    app.OnException = [&](QObject*, const std::exception& e) { reports.push_back(e.what()); };
    int ticks = 0, modalTicks = 0, modalResult = -1;
    timer.OnTimer = [&](QObject*, int lag) {
        EXPECT_GE(lag, 1);
        if (++ticks <= 2) throw Exception("frame failed");
        if (app.ModalLevel() > 0 && ++modalTicks == 200) dialog.SetModalResult(mrOk);
        if (ticks == 5) modalResult = dialog.ShowModal(); // a nested loop inside a tick
        if (ticks > 5 && app.ModalLevel() == 0) app.Terminate();
    };
    QTimer::singleShot(10000, &app, [&] { app.Terminate(); });
    app.Run();
    EXPECT_EQ(reports, std::vector<std::string>(2, "frame failed"));
    EXPECT_EQ(modalResult, mrOk);
    EXPECT_EQ(modalTicks, 200);
}

} // namespace
