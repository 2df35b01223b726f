// The idle-driven frame timer: tick arithmetic on the wrapping millisecond clock, foreground hook.
#include "display/DXClass.Timer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <climits>
#include <cmath>

#include "platform/rtl/Clock.h"

namespace {
bool ApplicationActive() {
    return !Application || Application->Active();
}

// Count × 1000 / Window rounded to the nearest integer, ties to the even neighbour.
int RoundedRate(int Count, int Window) {
    const long long num = static_cast<long long>(Count) * 1000;
    long long q = num / Window;
    const long long twice = (num % Window) * 2;
    if (twice > Window || (twice == Window && (q & 1))) ++q;
    return static_cast<int>(q);
}
} // namespace

TCustomDXTimer::TCustomDXTimer(QObject* Owner) : TComponent(Owner) {
    // The wake-up only has to reach the message loop: its arrival lets the next idle pass tick.
    FWake = new QTimer(this);
    FWake->setSingleShot(true);
    FWake->setTimerType(Qt::PreciseTimer);
    if (Application)
        FHook = Application->HookMainWindow([this](TMessage& m) { return AppProc(m); });
}

TCustomDXTimer::~TCustomDXTimer() {
    Stop();
    if (Application && FHook) Application->UnhookMainWindow(FHook);
}

void TCustomDXTimer::SetActiveOnly(bool Value) {
    if (FActiveOnly == Value) return;
    FActiveOnly = Value;
    if (!FStarted) return;
    if (FActiveOnly && !ApplicationActive())
        Suspend();
    else if (!FActiveOnly && !Running())
        Resume(); // resting for the background only because of ActiveOnly: run again
}

void TCustomDXTimer::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    if (Loading()) return;
    if (FEnabled)
        Start();
    else
        Stop();
}

void TCustomDXTimer::SetInterval(int Value) {
    if (Value == FInterval) return;
    FInterval = Value < 0 ? 0 : Value;
    FIntervalStep = Value < 1 ? 1 : Value;
}

void TCustomDXTimer::Loaded() {
    TComponent::Loaded();
    if (FEnabled) Start();
}

bool TCustomDXTimer::Running() const {
    return Application && Application->IdleOwner == this && Application->OnIdle;
}

void TCustomDXTimer::Start() {
    Stop();
    if (!FActiveOnly || ApplicationActive()) Resume();
    FStarted = true;
}

void TCustomDXTimer::Stop() {
    if (!FStarted) return;
    Suspend();
    FStarted = false;
}

void TCustomDXTimer::Resume() {
    FLastTickTime = TimeGetTime();
    FRateWindowStart = FLastTickTime;
    FLastFrameTime = FLastTickTime;
    // Asked of the screen once here rather than on every sleep.
    FFramePeriod = FramePeriod();
    if (Application) {
        Application->OnIdle = [this](QObject* Sender, bool& Done) { IdleTick(Sender, Done); };
        Application->IdleOwner = this;
    }
}

void TCustomDXTimer::Suspend() {
    // Only this timer's own handler is taken out: a second timer that took the slot over keeps
    // running instead of being silently stopped by the first one resting.
    if (Application && Application->IdleOwner == this) {
        Application->OnIdle = nullptr;
        Application->IdleOwner = nullptr;
    }
    FWake->stop();
}

int TCustomDXTimer::FramePeriod() const {
    double rate = 60;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            if (screen->refreshRate() >= 20 && screen->refreshRate() <= 500)
                rate = screen->refreshRate();
    return static_cast<int>(std::lround(1000.0 / rate));
}

int TCustomDXTimer::WakeDelay() const {
    return FLastTickTime - FLastFrameTime >= static_cast<uint32_t>(RestAfter) ? RestPeriod
                                                                              : FFramePeriod;
}

void TCustomDXTimer::IdleTick(QObject*, bool& Done) {
    Done = false;
    const uint32_t now = TimeGetTime();
    const uint32_t elapsed = now - FLastTickTime;
    if (elapsed < static_cast<uint32_t>(FInterval)) return;
    FLastTickTime = now;
    uint32_t lag = elapsed / static_cast<uint32_t>(FIntervalStep);
    if (lag < 1) lag = 1;
    ++FRateTickCount;
    int window = static_cast<int32_t>(now - FRateWindowStart);
    if (window < 1) window = 1;
    if (window >= 1000) {
        FFrameRate = RoundedRate(FRateTickCount, window);
        FRateTickCount = 0;
        FRateWindowStart = now;
    }
    FWaitRequested = false;
    HandleTimer(lag > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(lag));
    if (!FWaitRequested) {
        FLastFrameTime = now;
        return;
    }
    FWaitRequested = false;
    // Still running (the handler may have stopped the timer): sleep until the next refresh, or
    // longer when nothing has been drawn for a while.
    if (Running()) {
        Done = true;
        FWake->start(WakeDelay());
    }
}

void TCustomDXTimer::HandleActivate() {
    if (OnActivate) OnActivate(this);
}

void TCustomDXTimer::HandleDeactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomDXTimer::HandleTimer(int LagCount) {
    if (OnTimer) OnTimer(this, LagCount);
}

bool TCustomDXTimer::AppProc(TMessage& Message) {
    switch (Message.Msg) {
    case amActivate:
        HandleActivate();
        if (FStarted && FActiveOnly) Resume();
        break;
    case amDeactivate:
        HandleDeactivate();
        if (FStarted && FActiveOnly) Suspend();
        break;
    default:
        break;
    }
    return false;
}
