// The form base and window procedure replacement over real Qt widgets and events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "display/DXClass.Forms.h"

namespace {

// A widget recording what its own handling sees.
class Probe : public QWidget {
public:
    std::vector<std::string>* Log = nullptr;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User && Log)
            Log->push_back("widget");
        return QWidget::event(e);
    }
};

bool SendUser(QWidget* w) {
    QEvent e(QEvent::User);
    return QCoreApplication::sendEvent(w, &e);
}

TEST(ControlSubClass, ProcedureActsBeforeAndAfterTheWidgetsOwnHandling) {
    std::vector<std::string> log;
    Probe w;
    w.Log = &log;
    TControlSubClass sub(&w, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg != QEvent::User)
            return def(m);
        EXPECT_EQ(m.Event->type(), QEvent::User);
        log.push_back("before");
        def(m);
        log.push_back(m.Result ? "after, handled" : "after, not handled");
    });
    EXPECT_EQ(sub.Control(), &w);
    SendUser(&w);
    // a custom event handed to the widget's own handling counts as handled
    EXPECT_EQ(log, (std::vector<std::string>{"before", "widget", "after, handled"}));
}

TEST(ControlSubClass, MessageNotPassedOnIsSwallowed) {
    std::vector<std::string> log;
    Probe w;
    w.Log = &log;
    auto sub = std::make_unique<TControlSubClass>(&w, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg == QEvent::User) {
            log.push_back("swallowed");
            m.Result = true;
            return;
        }
        def(m);
    });
    EXPECT_TRUE(SendUser(&w));
    sub.reset(); // the previous handling comes back
    SendUser(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"swallowed", "widget"}));
}

TEST(ControlSubClass, ReplacementsChainNewestFirstAndFreeingOneRestoresTheRest) {
    std::vector<std::string> log;
    Probe w;
    w.Log = &log;
    auto make = [&](const std::string& name) {
        return std::make_unique<TControlSubClass>(&w, [&log, name](TMessage& m, const TWndMethod& def) {
            if (m.Msg == QEvent::User)
                log.push_back(name);
            def(m);
        });
    };
    auto a = make("a");
    auto b = make("b");
    auto c = make("c");
    SendUser(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "a", "widget"}));
    log.clear();
    b.reset(); // out of the middle
    SendUser(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "a", "widget"}));
    log.clear();
    c.reset();
    a.reset();
    SendUser(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"widget"}));
}

TEST(ControlSubClass, ProcedureMayFreeItsOwnReplacementWhileHandling) {
    std::vector<std::string> log;
    Probe w;
    w.Log = &log;
    std::unique_ptr<TControlSubClass> sub;
    sub = std::make_unique<TControlSubClass>(&w, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg == QEvent::User) {
            sub.reset();
            log.push_back("freed itself");
        }
        def(m);
    });
    SendUser(&w);
    SendUser(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"freed itself", "widget", "widget"}));
}

TEST(ControlSubClass, MouseEventsReachTheWidgetOnceWithTheirAcceptance) {
    class Clicks : public QWidget {
    public:
        int Presses = 0;
        void mousePressEvent(QMouseEvent* e) override {
            ++Presses;
            e->accept();
        }
    };
    Clicks w;
    w.resize(40, 40);
    int seen = 0;
    TControlSubClass sub(&w, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg == QEvent::MouseButtonPress)
            ++seen;
        def(m);
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(w.Presses, 1);
    EXPECT_TRUE(press.isAccepted());
}

TEST(ControlSubClass, ReplacementOutlivingItsControlDoesNothing) {
    auto w = std::make_unique<QWidget>();
    int calls = 0;
    TControlSubClass sub(w.get(), [&](TMessage& m, const TWndMethod& def) {
        ++calls;
        def(m);
    });
    w.reset();
    EXPECT_EQ(sub.Control(), nullptr);
    // A new widget (perhaps at the same address) starts without replacements.
    QWidget fresh;
    const int before = calls;
    SendUser(&fresh);
    EXPECT_EQ(calls, before);
}

TEST(ControlSubClass, RefusesMissingControlOrProcedure) {
    QWidget w;
    EXPECT_THROW(TControlSubClass(nullptr, [](TMessage&, const TWndMethod&) {}), EInvalidOperation);
    EXPECT_THROW(TControlSubClass(&w, nullptr), EInvalidOperation);
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { App = std::make_unique<TApplication>(); }
    void TearDown() override { App.reset(); }
    std::unique_ptr<TApplication> App;
};

TEST_F(FormTest, FormsCountThemselvesAndTheFirstIsTheMainWindow) {
    const int base = TDXForm::FormCount();
    auto main = std::make_unique<TDXForm>();
    {
        TDXForm dialog(main.get());
        EXPECT_EQ(TDXForm::FormCount(), base + 2);
        EXPECT_TRUE(dialog.isWindow()); // a form with a parent is still a window of its own
        EXPECT_EQ(App->MainForm(), main.get());
    }
    EXPECT_EQ(TDXForm::FormCount(), base + 1);
    main.reset();
    EXPECT_EQ(TDXForm::FormCount(), base);
    EXPECT_EQ(App->MainForm(), nullptr);
}

TEST_F(FormTest, DestroyingAFormSendsDestroyThroughItsReplacement) {
    auto form = std::make_unique<TDXForm>();
    TDXForm* raw = form.get();
    std::vector<std::string> log;
    TControlSubClass hook(raw, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg == wmDestroy) {
            EXPECT_EQ(m.Event, nullptr);
            // the form is still whole here: its window state can be asked for
            log.push_back(raw->isWindow() ? "destroy" : "destroy of a broken form");
        }
        def(m);
    });
    form.reset();
    EXPECT_EQ(log, std::vector<std::string>{"destroy"});
    EXPECT_EQ(hook.Control(), nullptr);
}

TEST_F(FormTest, ShowEventIsSeenBeforeAndAfterTheFormsOwnShowHandling) {
    class ShowForm : public TDXForm {
    public:
        std::vector<std::string> Log;
    protected:
        void showEvent(QShowEvent*) override { Log.push_back("form show"); }
    };
    ShowForm form;
    TControlSubClass hook(&form, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg == QEvent::Show) {
            def(m); // pass on first, then act: how the display control waits for the first show
            form.Log.push_back("after show");
            return;
        }
        def(m);
    });
    form.show();
    EXPECT_EQ(form.Log, (std::vector<std::string>{"form show", "after show"}));
}

TEST_F(FormTest, ClosingTheMainFormEndsTheLoopButAClosedDialogDoesNot) {
    TDXForm main;
    TDXForm dialog;
    bool stillRunningAfterDialog = false;
    QTimer::singleShot(20, &main, [&] {
        dialog.show();
        dialog.close();
    });
    QTimer::singleShot(60, &main, [&] {
        stillRunningAfterDialog = !App->Terminated();
        main.close();
    });
    QTimer::singleShot(5000, App.get(), [&] { App->Terminate(); });
    App->Run();
    EXPECT_TRUE(stillRunningAfterDialog);
    EXPECT_FALSE(main.isVisible());
}

TEST_F(FormTest, RefusedCloseOfTheMainFormKeepsTheLoopRunning) {
    class Stubborn : public TDXForm {
    protected:
        void closeEvent(QCloseEvent* e) override { e->ignore(); }
    };
    Stubborn main;
    bool runningAfterRefusal = false;
    QTimer::singleShot(20, &main, [&] { main.close(); });
    QTimer::singleShot(60, &main, [&] {
        runningAfterRefusal = !App->Terminated() && main.isVisible();
        App->Terminate();
    });
    App->Run();
    EXPECT_TRUE(runningAfterRefusal);
}

TEST_F(FormTest, ModalResultEndsTheModalShowing) {
    TDXForm main;
    TDXForm dialog;
    QTimer::singleShot(30, &dialog, [&] { dialog.SetModalResult(mrOk); });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    EXPECT_FALSE(dialog.isVisible());
    // shown again: starts without a result; the close box gives cancel
    QTimer::singleShot(30, &dialog, [&] {
        EXPECT_EQ(dialog.ModalResult(), mrNone);
        dialog.close();
    });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_FALSE(App->Terminated());
}

} // namespace
