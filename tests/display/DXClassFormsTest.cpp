// The form base and window procedure replacement over real Qt widgets and events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "display/DXClass.Forms.h"

namespace {

// A widget logging what its own handling sees of custom events.
struct Probe : QWidget {
    std::vector<std::string> Log;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) Log.push_back("widget");
        return QWidget::event(e);
    }
    void Send() {
        QEvent e(QEvent::User);
        QCoreApplication::sendEvent(this, &e);
    }
};

// A replacement logging its name, then passing the message on.
std::unique_ptr<TControlSubClass> Named(Probe& w, const std::string& name) {
    return std::make_unique<TControlSubClass>(&w, [&w, name](TMessage& m, const TWndMethod& def) {
        if (m.Msg == QEvent::User) w.Log.push_back(name);
        def(m);
    });
}

TEST(ControlSubClass, ActsBeforeAndAfterTheWidgetAndMaySwallow) {
    Probe w;
    bool swallow = false;
    TControlSubClass sub(&w, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg != QEvent::User) return def(m);
        EXPECT_EQ(m.Event->type(), QEvent::User);
        w.Log.push_back("before");
        if (swallow) return;
        def(m);
        w.Log.push_back(m.Result ? "after, handled" : "after, not handled");
    });
    w.Send();
    swallow = true;
    w.Send();
    EXPECT_EQ(w.Log, (std::vector<std::string>{"before", "widget", "after, handled", "before"}));
}

TEST(ControlSubClass, ChainsNewestFirstAndFreeingAnyRestoresTheHandlingBelow) {
    Probe w;
    auto a = Named(w, "a");
    auto b = Named(w, "b");
    auto c = Named(w, "c");
    w.Send();
    b.reset(); // out of the middle
    w.Send();
    c.reset();
    a.reset();
    w.Send();
    EXPECT_EQ(w.Log,
              (std::vector<std::string>{"c", "b", "a", "widget", "c", "a", "widget", "widget"}));
}

TEST(ControlSubClass, ProcedureMayFreeItsOwnReplacementWhileHandling) {
    Probe w;
    std::unique_ptr<TControlSubClass> sub;
    sub = std::make_unique<TControlSubClass>(&w, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg == QEvent::User) {
            sub.reset();
            w.Log.push_back("freed");
        }
        def(m);
    });
    w.Send();
    w.Send();
    EXPECT_EQ(w.Log, (std::vector<std::string>{"freed", "widget", "widget"}));
}

TEST(ControlSubClass, MouseEventsReachTheWidgetOnceWithTheirAcceptance) {
    struct Clicks : QWidget {
        int Presses = 0;
        void mousePressEvent(QMouseEvent* e) override { ++Presses, e->accept(); }
    } w;
    int seen = 0;
    TControlSubClass sub(&w, [&](TMessage& m, const TWndMethod& def) {
        seen += m.Msg == QEvent::MouseButtonPress;
        def(m);
    });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(w.Presses, 1);
    EXPECT_TRUE(press.isAccepted());
}

TEST(ControlSubClass, OutlivingTheControlIsHarmlessAndBadArgumentsAreRefused) {
    auto w = std::make_unique<Probe>();
    auto sub = Named(*w, "sub");
    w.reset();
    EXPECT_EQ(sub->Control(), nullptr);
    Probe fresh; // perhaps at the same address: starts without replacements
    fresh.Send();
    EXPECT_EQ(fresh.Log, std::vector<std::string>{"widget"});
    sub.reset();
    EXPECT_THROW(TControlSubClass(nullptr, [](TMessage&, const TWndMethod&) {}), EInvalidOperation);
    EXPECT_THROW(TControlSubClass(&fresh, nullptr), EInvalidOperation);
}

class FormTest : public ::testing::Test {
protected:
    TApplication App;
};

TEST_F(FormTest, FormsCountThemselvesTheFirstIsTheMainWindowAndDestroyIsSent) {
    const int base = TDXForm::FormCount();
    auto main = std::make_unique<TDXForm>();
    auto dialog = std::make_unique<TDXForm>(main.get());
    EXPECT_EQ(TDXForm::FormCount(), base + 2);
    EXPECT_TRUE(dialog->isWindow()); // a form with a parent is still a window of its own
    EXPECT_EQ(App.MainForm(), main.get());
    TDXForm* raw = dialog.get();
    std::vector<std::string> log;
    TControlSubClass hook(raw, [&](TMessage& m, const TWndMethod& def) {
        if (m.Msg == wmDestroy) // sent while the form is still whole
            log.push_back(raw->isWindow() && m.Event == nullptr ? "destroy" : "broken");
        def(m);
    });
    dialog.reset();
    EXPECT_EQ(log, std::vector<std::string>{"destroy"});
    EXPECT_EQ(TDXForm::FormCount(), base + 1);
    main.reset();
    EXPECT_EQ(TDXForm::FormCount(), base);
    EXPECT_EQ(App.MainForm(), nullptr);
}

TEST_F(FormTest, ReplacementCanActAfterTheFormsOwnShowHandling) {
    struct ShowForm : TDXForm {
        std::vector<std::string> Log;
        void showEvent(QShowEvent*) override { Log.push_back("form show"); }
    } form;
    TControlSubClass hook(&form, [&](TMessage& m, const TWndMethod& def) {
        def(m); // pass on first, then act: how the display control waits for the first show
        if (m.Msg == QEvent::Show) form.Log.push_back("after show");
    });
    form.show();
    EXPECT_EQ(form.Log, (std::vector<std::string>{"form show", "after show"}));
}

TEST_F(FormTest, ClosingTheMainFormEndsTheLoopUnlessRefusedAndDialogsDoNot) {
    struct Stubborn : TDXForm {
        bool Refuse = true;
        void closeEvent(QCloseEvent* e) override { e->setAccepted(!Refuse); }
    } main;
    TDXForm dialog;
    std::vector<std::string> log;
    QTimer::singleShot(20, &main, [&] {
        dialog.show();
        dialog.close();
        main.close();
    });
    QTimer::singleShot(60, &main, [&] {
        log.push_back(App.Terminated() ? "ended" : "running");
        main.Refuse = false;
        main.close();
        log.push_back(App.Terminated() ? "ended" : "running");
    });
    QTimer::singleShot(5000, &App, [&] { App.Terminate(); });
    App.Run();
    EXPECT_EQ(log, (std::vector<std::string>{"running", "ended"}));
}

TEST_F(FormTest, ModalResultEndsTheModalShowingAndTheCloseBoxCancels) {
    TDXForm main, dialog;
    QTimer::singleShot(30, &dialog, [&] { dialog.SetModalResult(mrOk); });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    QTimer::singleShot(30, &dialog, [&] {
        EXPECT_EQ(dialog.ModalResult(), mrNone); // each showing starts without a result
        dialog.close();
    });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_FALSE(App.Terminated());
}

} // namespace
