// The application object over a real Qt event loop: idle Done semantics, hooks, modal loops.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override { App = std::make_unique<TApplication>(); }
    void TearDown() override {
        App.reset();
        QCoreApplication::processEvents();
    }

    // Ends the loop after Ms milliseconds whatever happens, so a broken loop fails instead of hanging.
    void Watchdog(int Ms) {
        QTimer::singleShot(Ms, App.get(), [this] {
            WatchdogFired = true;
            App->Terminate();
        });
    }

    std::unique_ptr<TApplication> App;
    bool WatchdogFired = false;
};

// Counts the custom events it receives; each one may post a follow-up.
class Receiver : public QObject {
public:
    int Received = 0;
    int FollowUps = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++Received;
        if (FollowUps > 0) {
            --FollowUps;
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        }
        return true;
    }
};

TEST_F(ApplicationTest, GlobalPointerFollowsTheObjectAndASecondOneIsRefused) {
    EXPECT_EQ(Application, App.get());
    EXPECT_THROW(TApplication second, EInvalidOperation);
    EXPECT_EQ(Application, App.get());
    App.reset();
    EXPECT_EQ(Application, nullptr);
}

TEST_F(ApplicationTest, HandlerLeavingDoneFalseIsCalledAgainWithoutAnyEvent) {
    int calls = 0;
    App->OnIdle = [&](QObject* sender, bool& done) {
        EXPECT_EQ(sender, App.get());
        EXPECT_TRUE(done); // preset on every call
        done = false;
        if (++calls == 2000)
            App->Terminate();
    };
    Watchdog(10000);
    QElapsedTimer clock;
    clock.start();
    App->Run();
    EXPECT_FALSE(WatchdogFired);
    EXPECT_EQ(calls, 2000);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(ApplicationTest, HandlerLeavingDoneTrueLetsTheLoopBlockUntilTheNextEvent) {
    int calls = 0;
    App->OnIdle = [&](QObject*, bool&) { ++calls; };
    int atFirstTimer = -1, atSecondTimer = -1;
    QTimer::singleShot(150, App.get(), [&] { atFirstTimer = calls; });
    QTimer::singleShot(300, App.get(), [&] {
        atSecondTimer = calls;
        App->Terminate();
    });
    App->Run();
    // Blocked between the events: a loop that spun would have called the handler thousands of times.
    EXPECT_GE(atFirstTimer, 1);
    EXPECT_LE(atFirstTimer, 4);
    // Called again once the first timer's event had been handled, then blocked again.
    EXPECT_GT(atSecondTimer, atFirstTimer);
    EXPECT_LE(atSecondTimer - atFirstTimer, 4);
}

TEST_F(ApplicationTest, IdleRunsOnlyAfterEveryPendingEventAndItsFollowUpsAreHandled) {
    Receiver r;
    r.FollowUps = 300;
    for (int i = 0; i < 50; ++i)
        QCoreApplication::postEvent(&r, new QEvent(QEvent::User));
    int seenAtFirstIdle = -1;
    App->OnIdle = [&](QObject*, bool&) {
        if (seenAtFirstIdle < 0)
            seenAtFirstIdle = r.Received;
        App->Terminate();
    };
    Watchdog(5000);
    App->Run();
    EXPECT_EQ(seenAtFirstIdle, 350);
}

TEST_F(ApplicationTest, ProcessMessagesHandlesWaitingEventsWithoutIdleAndReturnsWhenNoneWait) {
    Receiver r;
    r.FollowUps = 20;
    QCoreApplication::postEvent(&r, new QEvent(QEvent::User));
    int idle = 0;
    App->OnIdle = [&](QObject*, bool& done) {
        ++idle;
        done = false;
    };
    App->ProcessMessages();
    EXPECT_EQ(r.Received, 21);
    EXPECT_EQ(idle, 0);
    QElapsedTimer clock;
    clock.start();
    App->ProcessMessages(); // nothing waits: must not block
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(ApplicationTest, ExceptionFromIdleHandlerIsReportedAndTheHandlerStaysInstalled) {
    std::vector<std::string> reports;
    int calls = 0;
    App->OnException = [&](QObject* sender, const std::exception& e) {
        EXPECT_EQ(sender, App.get());
        reports.push_back(e.what());
    };
    App->OnIdle = [&](QObject*, bool& done) {
        done = false;
        if (++calls == 3)
            App->Terminate();
        throw Exception("tick failed " + std::to_string(calls));
    };
    Watchdog(5000);
    App->Run();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0], "tick failed 1");
    EXPECT_EQ(reports[2], "tick failed 3");
    EXPECT_TRUE(static_cast<bool>(App->OnIdle));
}

TEST_F(ApplicationTest, DeferredDeletionRequestedFromIdleHappensInTheMainLoop) {
    QPointer<QObject> doomed = new QObject;
    int calls = 0;
    App->OnIdle = [&](QObject*, bool& done) {
        done = false;
        if (++calls == 1)
            doomed->deleteLater();
        if (calls == 50)
            App->Terminate();
    };
    Watchdog(5000);
    App->Run();
    EXPECT_TRUE(doomed.isNull());
}

TEST_F(ApplicationTest, HooksSeeActivationChangesInOrderBeforeTheApplication) {
    std::vector<std::string> log;
    const int h1 = App->HookMainWindow([&](TMessage& m) {
        log.push_back(m.Msg == amActivate ? "h1 on" : "h1 off");
        EXPECT_EQ(m.Event, nullptr);
        return false;
    });
    App->HookMainWindow([&](TMessage& m) {
        log.push_back(std::string(m.Msg == amActivate ? "h2 on" : "h2 off") +
                      (App->Active() ? " (was active)" : " (was inactive)"));
        return false;
    });
    App->OnDeactivate = [&](QObject*) { log.push_back("app off"); };
    App->OnActivate = [&](QObject*) { log.push_back("app on"); };

    EXPECT_TRUE(App->Active());
    App->ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(App->Active());
    App->ApplicationStateChanged(Qt::ApplicationHidden); // still not active: nothing new
    App->ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(App->Active());
    App->UnhookMainWindow(h1);
    App->ApplicationStateChanged(Qt::ApplicationSuspended);

    const std::vector<std::string> expected = {"h1 off", "h2 off (was active)", "app off",
                                               "h1 on",  "h2 on (was inactive)", "app on",
                                               "h2 off (was active)", "app off"};
    EXPECT_EQ(log, expected);
}

TEST_F(ApplicationTest, HookMarkingAMessageHandledSkipsLaterHooksAndTheApplication) {
    int later = 0, own = 0;
    int self = 0;
    self = App->HookMainWindow([&](TMessage&) {
        App->UnhookMainWindow(self); // unhooking inside a hook is safe
        return true;
    });
    App->HookMainWindow([&](TMessage&) { return ++later, false; });
    App->OnDeactivate = [&](QObject*) { ++own; };
    App->ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(own, 0);
    EXPECT_TRUE(App->Active()); // the application never saw it
    App->ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(later, 1);
    EXPECT_EQ(own, 1);
    EXPECT_FALSE(App->Active());
}

TEST_F(ApplicationTest, RealWindowActivationReachesTheHooks) {
    // Qt's offscreen platform activates a window when it is shown; the application state follows
    // the focus window and arrives through Qt's applicationStateChanged signal.
    std::vector<int> seen;
    App->HookMainWindow([&](TMessage& m) { return seen.push_back(m.Msg), false; });
    App->ApplicationStateChanged(Qt::ApplicationInactive); // start from the background
    seen.clear();
    QWidget w;
    w.resize(50, 50);
    w.show();
    w.activateWindow();
    QElapsedTimer clock;
    clock.start();
    while (!App->Active() && clock.elapsed() < 3000)
        App->ProcessMessages();
    EXPECT_TRUE(App->Active());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), amActivate);
}

TEST_F(ApplicationTest, ModalLoopKeepsIdleProcessingAndEndsOnModalResult) {
    QWidget form;
    int modalIdle = 0;
    App->OnIdle = [&](QObject*, bool& done) {
        done = false;
        if (App->ModalLevel() == 1 && ++modalIdle == 100)
            form.setProperty("ModalResult", mrOk);
    };
    Watchdog(5000);
    EXPECT_EQ(App->ShowModal(&form), mrOk);
    EXPECT_EQ(modalIdle, 100);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(App->ModalLevel(), 0);
    EXPECT_FALSE(WatchdogFired);
}

TEST_F(ApplicationTest, ModalFormClosedWithoutResultGivesCancelAndIsModalWhileShown) {
    QWidget form;
    Qt::WindowModality during = Qt::NonModal;
    QTimer::singleShot(50, &form, [&] {
        during = form.windowModality();
        form.close();
    });
    Watchdog(5000);
    EXPECT_EQ(App->ShowModal(&form), mrCancel);
    EXPECT_EQ(during, Qt::ApplicationModal);
    EXPECT_EQ(form.windowModality(), Qt::NonModal);
}

TEST_F(ApplicationTest, ModalDialogEndedByDoneReturnsItsResult) {
    QDialog dialog;
    QTimer::singleShot(30, &dialog, [&] { dialog.done(7); });
    Watchdog(5000);
    EXPECT_EQ(App->ShowModal(&dialog), 7);
}

TEST_F(ApplicationTest, NestedModalLoopsUnwindInOrder) {
    QWidget outer, inner;
    std::vector<std::string> log;
    QTimer::singleShot(20, &outer, [&] {
        log.push_back("inner " + std::to_string(App->ShowModal(&inner)));
        outer.setProperty("ModalResult", 5);
    });
    QTimer::singleShot(60, &inner, [&] {
        log.push_back("level " + std::to_string(App->ModalLevel()));
        inner.setProperty("ModalResult", 4);
        App->WakeUp();
    });
    Watchdog(5000);
    log.push_back("outer " + std::to_string(App->ShowModal(&outer)));
    const std::vector<std::string> expected = {"level 2", "inner 4", "outer 5"};
    EXPECT_EQ(log, expected);
}

TEST_F(ApplicationTest, ShowingAVisibleFormModallyIsRefusedAndLeavesItAlone) {
    QWidget form;
    form.show();
    try {
        App->ShowModal(&form);
        FAIL() << "a visible form was shown modally";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Cannot make a visible window modal");
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);
    EXPECT_THROW(App->ShowModal(nullptr), EInvalidOperation);
}

TEST_F(ApplicationTest, TerminateEndsModalLoopsAndTheMainLoop) {
    QWidget form;
    int result = -1;
    QTimer::singleShot(20, App.get(), [&] {
        result = App->ShowModal(&form);
    });
    QTimer::singleShot(60, App.get(), [&] { App->Terminate(); });
    App->Run();
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(App->Terminated());
}

TEST_F(ApplicationTest, RunShowsTheMainFormFirstAndRefusesToNest) {
    QWidget first, second;
    App->RegisterForm(&first);
    App->RegisterForm(&second);
    EXPECT_EQ(App->MainForm(), &first);
    bool visibleInLoop = false;
    bool nestedRefused = false;
    QTimer::singleShot(20, App.get(), [&] {
        visibleInLoop = first.isVisible();
        try {
            App->Run();
        } catch (const EInvalidOperation&) {
            nestedRefused = true;
        }
        App->Terminate();
    });
    App->Run();
    EXPECT_TRUE(visibleInLoop);
    EXPECT_TRUE(nestedRefused);
    EXPECT_FALSE(second.isVisible());
}

TEST_F(ApplicationTest, TitleIsStored) {
    App->SetTitle("Zelvan Free");
    EXPECT_EQ(App->Title(), "Zelvan Free");
}

} // namespace
