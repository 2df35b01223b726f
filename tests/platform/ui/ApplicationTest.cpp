// The application object over a real Qt event loop: idle Done semantics, hooks, modal loops.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        App = std::make_unique<TApplication>();
        // Ends a broken loop instead of hanging the test (long enough for any busy machine).
        QTimer::singleShot(120000, App.get(), [this] { App->Terminate(); });
    }
    std::unique_ptr<TApplication> App;
};

// Counts custom events; each one posts a follow-up while FollowUps last.
struct Receiver : QObject {
    int Received = 0, FollowUps = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++Received;
        if (FollowUps > 0 && FollowUps--)
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        return true;
    }
};

TEST_F(ApplicationTest, IdleHandlerLeavingDoneFalseIsCalledAgainWithoutEvents) {
    int calls = 0;
    App->OnIdle = [&](QObject* sender, bool& done) {
        EXPECT_EQ(sender, App.get());
        EXPECT_TRUE(done); // preset on every call
        done = false;
        if (++calls == 2000) App->Terminate();
    };
    App->Run();
    // A loop that waited for an event between calls would have met only the watchdog.
    EXPECT_EQ(calls, 2000);
}

TEST_F(ApplicationTest, IdleHandlerLeavingDoneTrueLetsTheLoopBlockUntilTheNextEvent) {
    int calls = 0, atFirst = -1, atSecond = -1;
    bool secondArmed = false;
    // The second timer is started by the first idle pass after the first timer's event, so the two
    // events never arrive together however late the process is scheduled.
    App->OnIdle = [&](QObject*, bool&) {
        ++calls;
        if (atFirst < 0 || secondArmed) return;
        secondArmed = true;
        QTimer::singleShot(150, App.get(), [&] {
            atSecond = calls;
            App->Terminate();
        });
    };
    QTimer::singleShot(150, App.get(), [&] { atFirst = calls; });
    App->Run();
    // A spinning loop would have called the handler thousands of times in between.
    EXPECT_GE(atFirst, 1);
    EXPECT_LE(atFirst, 4);
    EXPECT_GT(atSecond, atFirst); // called again after the timer's event, then blocked again
    EXPECT_LE(atSecond - atFirst, 4);
}

TEST_F(ApplicationTest, IdleWaitsForPendingEventsAndFollowUpsWhileProcessMessagesSkipsIdle) {
    Receiver r;
    r.FollowUps = 300;
    for (int i = 0; i < 50; ++i)
        QCoreApplication::postEvent(&r, new QEvent(QEvent::User));
    int seenAtFirstIdle = -1;
    App->OnIdle = [&](QObject*, bool&) {
        if (seenAtFirstIdle < 0) seenAtFirstIdle = r.Received;
        App->Terminate();
    };
    App->Run();
    EXPECT_EQ(seenAtFirstIdle, 350);

    r.FollowUps = 20;
    QCoreApplication::postEvent(&r, new QEvent(QEvent::User));
    App->ProcessMessages();
    EXPECT_EQ(r.Received, 371);
    EXPECT_EQ(App->IdleCalls(), 1u);
    // Nothing waiting: returns at once rather than waiting for the next message, which here would be
    // a timer a minute away.
    bool late = false;
    QTimer lateTimer;
    lateTimer.setSingleShot(true);
    QObject::connect(&lateTimer, &QTimer::timeout, [&] { late = true; });
    lateTimer.start(60000);
    QElapsedTimer clock;
    clock.start();
    App->ProcessMessages();
    EXPECT_FALSE(late);
    lateTimer.stop();
    bool fired = false;
    QTimer::singleShot(100, App.get(), [&] { fired = true; });
    while (!fired)
        App->WaitMessage(); // sleeps until the timer's message instead of spinning
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_EQ(App->IdleCalls(), 1u);
}

TEST_F(ApplicationTest, DeferredDeletionRequestedFromIdleHappensInTheMainLoop) {
    QPointer<QObject> doomed = new QObject;
    int calls = 0;
    App->OnIdle = [&](QObject*, bool& done) {
        done = false;
        if (++calls == 1) doomed->deleteLater();
        if (calls == 50) App->Terminate();
    };
    App->Run();
    EXPECT_TRUE(doomed.isNull());
}

TEST_F(ApplicationTest, HooksSeeActivationChangesInOrderBeforeTheApplication) {
    std::vector<std::string> log;
    auto name = [](const TMessage& m) { return m.Msg == amActivate ? " on" : " off"; };
    const int h1 = App->HookMainWindow(
        [&](TMessage& m) { return log.push_back("h1" + std::string(name(m))), false; });
    App->HookMainWindow([&](TMessage& m) {
        return log.push_back("h2" + std::string(name(m)) +
                             (App->Active() ? " from active" : " from inactive")),
               false;
    });
    App->OnDeactivate = [&](QObject*) { log.push_back("app off"); };
    App->OnActivate = [&](QObject*) { log.push_back("app on"); };

    App->ApplicationStateChanged(Qt::ApplicationInactive);
    App->ApplicationStateChanged(Qt::ApplicationHidden); // still in the background: nothing new
    App->ApplicationStateChanged(Qt::ApplicationActive);
    App->UnhookMainWindow(h1);
    App->ApplicationStateChanged(Qt::ApplicationSuspended);
    EXPECT_EQ(log, (std::vector<std::string>{"h1 off", "h2 off from active", "app off", "h1 on",
                                             "h2 on from inactive", "app on", "h2 off from active",
                                             "app off"}));
    EXPECT_FALSE(App->Active());

    // A hook that marks the message handled (and unhooks itself meanwhile) stops the rest.
    int self = 0;
    self = App->HookMainWindow([&](TMessage&) { return App->UnhookMainWindow(self), true; });
    App->HookMainWindow([&](TMessage&) { return log.push_back("h3"), false; });
    log.clear();
    App->ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(log, std::vector<std::string>{"h2 on from inactive"});
    EXPECT_FALSE(App->Active());
    log.clear();
    App->ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(log, (std::vector<std::string>{"h2 on from inactive", "h3", "app on"}));
}

TEST_F(ApplicationTest, RealWindowActivationReachesTheHooks) {
    std::vector<int> seen;
    App->ApplicationStateChanged(Qt::ApplicationInactive); // start from the background
    App->HookMainWindow([&](TMessage& m) { return seen.push_back(m.Msg), false; });
    QWidget w;
    w.show();
    w.activateWindow(); // the offscreen platform activates it; Qt's state follows the focus window
    QElapsedTimer clock;
    clock.start();
    while (!App->Active() && clock.elapsed() < 60000)
        App->ProcessMessages();
    EXPECT_EQ(seen, std::vector<int>{amActivate});
}

TEST_F(ApplicationTest, ModalLoopsKeepIdleProcessingAndEndOnResultCloseOrDone) {
    QWidget form, inner;
    int modalIdle = 0;
    std::vector<std::string> log;
    App->OnIdle = [&](QObject*, bool& done) {
        done = false;
        if (App->ModalLevel() == 1 && ++modalIdle == 100) form.setProperty("ModalResult", mrOk);
    };
    EXPECT_EQ(App->ShowModal(&form), mrOk);
    EXPECT_EQ(modalIdle, 100);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);

    App->OnIdle = nullptr;
    QTimer::singleShot(20, &form, [&] {
        log.push_back(form.windowModality() == Qt::ApplicationModal ? "modal" : "not modal");
        log.push_back("inner " + std::to_string(App->ShowModal(&inner)));
        form.close(); // closed without a result
    });
    QTimer::singleShot(60, &inner, [&] {
        log.push_back("level " + std::to_string(App->ModalLevel()));
        inner.setProperty("ModalResult", 4);
        App->WakeUp();
    });
    log.push_back("outer " + std::to_string(App->ShowModal(&form)));
    EXPECT_EQ(log, (std::vector<std::string>{"modal", "level 2", "inner 4", "outer 2"}));

    QDialog dialog;
    QTimer::singleShot(20, &dialog, [&] { dialog.done(7); });
    EXPECT_EQ(App->ShowModal(&dialog), 7);
}

TEST_F(ApplicationTest, RunShowsTheFirstRegisteredFormAndTerminateEndsEveryLoop) {
    QWidget first, second, dialog;
    App->RegisterForm(&first);
    App->RegisterForm(&second);
    bool visibleInLoop = false, nestedRefused = false;
    int modal = -1;
    QTimer::singleShot(20, App.get(), [&] {
        visibleInLoop = first.isVisible() && !second.isVisible();
        try {
            App->Run();
        } catch (const EInvalidOperation&) {
            nestedRefused = true;
        }
        modal = App->ShowModal(&dialog);
    });
    QTimer::singleShot(60, App.get(), [&] { App->Terminate(); });
    App->Run();
    EXPECT_TRUE(visibleInLoop);
    EXPECT_TRUE(nestedRefused);
    EXPECT_EQ(modal, mrCancel);
    // A visible form cannot be shown modally; it is left as it was.
    try {
        App->ShowModal(&first);
        FAIL() << "a visible form was shown modally";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Cannot make a visible window modal");
    }
    EXPECT_TRUE(first.isVisible());
    EXPECT_EQ(first.windowModality(), Qt::NonModal);
    EXPECT_THROW(App->ShowModal(nullptr), EInvalidOperation);
    EXPECT_THROW(TApplication second, EInvalidOperation); // one application object at a time
}

} // namespace
