// The idle-driven frame timer TDXTimer.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui/Components.h"
#include "platform/ui/Forms.h"

using TDXTimerEvent = std::function<void(QObject* Sender, int LagCount)>;

// A timer that ticks from the application's idle processing rather than from a clock: on every
// idle pass once at least Interval milliseconds have passed since the previous tick. While it runs
// it keeps the idle loop from blocking. With ActiveOnly it rests while the application is in the
// background. Needs the application object (created before the timer, destroyed after it).
class TCustomDXTimer : public TComponent {
public:
    explicit TCustomDXTimer(QObject* Owner = nullptr);
    ~TCustomDXTimer() override;

    bool ActiveOnly() const { return FActiveOnly; }
    void SetActiveOnly(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // Ticks per second over the last window of at least one second; 0 until first measured.
    int FrameRate() const { return FFrameRate; }
    int Interval() const { return FInterval; }
    void SetInterval(int Value);

    // State, readable for the owner and for tests.
    bool Started() const { return FStarted; }
    // True while the timer's tick is installed in the application's idle slot.
    bool Running() const;
    int IntervalStep() const { return FIntervalStep; }
    uint32_t LastTickTime() const { return FLastTickTime; }

    void Loaded() override;

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TDXTimerEvent OnTimer;

    // One idle pass: ticks when the interval has passed; asks for more idle processing unless
    // the tick's handler called WaitForNextFrame.
    void IdleTick(QObject* Sender, bool& Done);

    // Called by an OnTimer handler whose tick made no frame because none would differ from the
    // last: instead of spinning, the idle loop may sleep until the screen's next refresh, when a
    // wake-up message brings the next tick (any other message brings it sooner). The timer keeps
    // running; the request holds for the tick being handled only.
    void WaitForNextFrame() { FWaitRequested = true; }
    // One refresh period of the screen, in milliseconds.
    int FramePeriod() const;
    // Milliseconds the idle loop sleeps after such a tick: the refresh period measured when the
    // timer last resumed, or RestPeriod once no tick has made a frame for RestAfter milliseconds.
    // Messages still end the sleep at once, so input is answered as quickly; only a change that
    // comes with no message at all (a sprite moving by itself after a long rest) waits longer, at
    // most RestPeriod. Every wake-up costs about as much as a still tick, so a resting program
    // wakes twice a second.
    int WakeDelay() const;
    static constexpr int RestAfter = 1000;
    static constexpr int RestPeriod = 500;

protected:
    virtual void HandleActivate();
    virtual void HandleDeactivate();
    virtual void HandleTimer(int LagCount);

private:
    void Start();
    void Stop();
    void Resume();
    void Suspend();
    bool AppProc(TMessage& Message);

    bool FActiveOnly = true;
    bool FEnabled = true;
    int FFrameRate = 0;
    bool FStarted = false;
    int FInterval = 1000;
    int FIntervalStep = 1000;
    int FRateTickCount = 0;
    uint32_t FLastTickTime = 0;
    uint32_t FRateWindowStart = 0;
    int FHook = 0;
    bool FWaitRequested = false;
    int FFramePeriod = 16;        // FramePeriod() as of the last Resume
    uint32_t FLastFrameTime = 0;  // the last tick that made a frame, or the last Resume
    class QTimer* FWake = nullptr; // child of this timer

};

// The timer as placed on a form.
class TDXTimer : public TCustomDXTimer {
public:
    using TCustomDXTimer::TCustomDXTimer;
};
