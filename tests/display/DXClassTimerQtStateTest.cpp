// The frame timer against real application-state changes delivered by Qt's window-system layer.
#include <gtest/gtest.h>

#include <QApplication>
#include <qpa/qwindowsysteminterface.h>

#include <memory>
#include <string>
#include <vector>

#include "display/DXClass.Timer.h"
#include "platform/rtl/Clock.h"
#include "platform/ui/Forms.h"

namespace {

uint32_t g_Now = 0;

// Delivers a state change the way a platform plugin does: through the window-system interface,
// so QGuiApplication updates its state and emits applicationStateChanged.
void DeliverState(Qt::ApplicationState state) {
    QWindowSystemInterface::handleApplicationStateChanged<
        QWindowSystemInterface::SynchronousDelivery>(state);
    QCoreApplication::processEvents();
}

bool Idle(TApplication& app) {
    bool done = true;
    if (app.OnIdle) app.OnIdle(&app, done);
    return done;
}

} // namespace

TEST(TimerQtState, ActiveOnlyRestsWhileQtReportsTheApplicationInactiveAndResumesAfter) {
    SetClockSource([] { return g_Now; });
    DeliverState(Qt::ApplicationActive);
    TApplication app;
    TDXTimer timer;
    std::vector<int> lags;
    std::vector<std::string> events;
    timer.OnTimer = [&](QObject*, int lag) { lags.push_back(lag); };
    timer.OnDeactivate = [&](QObject*) { events.push_back("deactivate"); };
    timer.OnActivate = [&](QObject*) { events.push_back("activate"); };
    timer.SetInterval(0); // the game's setting: a tick on every idle pass
    timer.SetEnabled(false);
    timer.SetEnabled(true);

    g_Now = 16;
    EXPECT_FALSE(Idle(app)); // running: keeps the loop from blocking
    ASSERT_EQ(lags, std::vector<int>{16});

    g_Now = 20;
    DeliverState(Qt::ApplicationInactive);
    ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationInactive);
    EXPECT_FALSE(timer.Running());
    g_Now = 500;
    EXPECT_TRUE(Idle(app)); // resting: no tick, the loop may block
    EXPECT_EQ(lags.size(), 1u);

    g_Now = 1000;
    DeliverState(Qt::ApplicationActive);
    EXPECT_TRUE(timer.Running());
    g_Now = 1010;
    Idle(app);
    EXPECT_EQ(lags, (std::vector<int>{16, 10})); // the lag counts from the return, not the rest
    EXPECT_EQ(events, (std::vector<std::string>{"deactivate", "activate"}));
    SetClockSource({});
}
