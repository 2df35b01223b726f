// The application object: message loop with its idle hook, activation hooks, modal loops, main
// form.
#pragma once

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/ui/Events.h"

class QEvent;

// A message as hooks and window procedure replacements see it: a Qt event, or one of the
// application's own notifications below (which carry no Qt event).
struct TMessage {
    int Msg = 0;             // the Qt event type, or one of the codes below
    QEvent* Event = nullptr; // the Qt event behind the message; null for the codes below
    bool Result = false;     // what the handling returned (for a Qt event: true when handled)
};

// Message codes beyond Qt's event types.
constexpr int wmDestroy = 0x10001;    // a form's window is being destroyed
constexpr int amActivate = 0x10002;   // the application as a whole became active
constexpr int amDeactivate = 0x10003; // the application as a whole became inactive

// Results of a modal showing.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

using TIdleEvent = std::function<void(QObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(QObject* Sender, const std::exception& E)>;
// A main-window hook: sees the application's messages before it handles them itself; returning
// true marks the message handled, which skips later hooks and the application's own handling.
using TWindowHook = std::function<bool(TMessage& Message)>;

// Clear error for misuse of the application object or of a form (showing a visible form modally,
// running without a Qt application).
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// The application object over QApplication. Create it after the QApplication; it sets the global
// Application pointer and clears it when destroyed. One instance at a time.
class TApplication : public QObject {
    Q_OBJECT
public:
    TApplication();
    ~TApplication() override;

    // Kept for the program body's start-up sequence; the Qt application is already set up.
    void Initialize() {}

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& Value);

    // The main window: the first form registered (forms register themselves when created).
    QWidget* MainForm() const { return FMainForm; }
    void RegisterForm(QWidget* Form);

    // True while the application as a whole is in the foreground. It starts true (a program is
    // started into the foreground) and follows Qt's application state from then on.
    bool Active() const { return FActive; }

    bool Terminated() const { return FTerminated; }

    // Shows the main window (if any and hidden) and runs the message loop until Terminate.
    void Run();
    // Ends the message loop and every modal loop at their next check.
    void Terminate();
    // Handles every message already waiting (several passes, so that messages posted by the
    // handlers run too), without idle processing; returns at once when none is waiting.
    void ProcessMessages();
    // Blocks until at least one message arrives and handles what has arrived (no idle processing):
    // a wait for a condition that only a message can change, without spinning.
    void WaitMessage();
    // One turn of the loop: a pass over pending messages, or, when none was pending, idle
    // processing, which blocks until the next message unless the idle handler asks for more.
    void HandleMessage();
    // Shows Form modally with its own nested loop (idle processing goes on) until its modal
    // result becomes non-zero, it is hidden or closed, or the application terminates. Returns the
    // modal result (mrCancel when the form was closed without one). The modal result of a form is
    // the integer property "ModalResult"; a QDialog's own result is used when it was ended by
    // done().
    int ShowModal(QWidget* Form);
    // Makes a loop that is about to block, or blocking, look at its end conditions again.
    void WakeUp();
    int ModalLevel() const { return FModalLevel; }

    // The idle-handler slot. Only one handler at a time; IdleOwner says who installed it so an
    // owner can clear the slot only when it still holds its own handler.
    TIdleEvent OnIdle;
    const void* IdleOwner = nullptr;

    // Application events, fired by the application's own handling after the hooks.
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    // Reporter of exceptions escaping idle handlers; without one the exception is shown in a
    // message box (written to standard error on a headless platform).
    TExceptionEvent OnException;
    void HandleException(QObject* Sender, const std::exception& E);

    // Main-window hooks, called in the order installed. HookMainWindow returns the handle that
    // UnhookMainWindow takes (handles are unique in the process); unhooking from inside a hook is
    // allowed.
    int HookMainWindow(TWindowHook Hook);
    void UnhookMainWindow(int Handle);

    // The entry point of Qt's applicationStateChanged: turns a change between foreground and
    // background into amActivate / amDeactivate for the hooks, then the application's own handling.
    void ApplicationStateChanged(Qt::ApplicationState State);
    // The application's message handling: hooks first, then its own (activation state and events).
    void Dispatch(TMessage& Message);

    // Counters of the loop's turns, for diagnostics and tests.
    unsigned long IdleCalls() const { return FIdleCalls; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool ProcessMessage();
    void Idle();

    std::string FTitle;
    QPointer<QWidget> FMainForm;
    bool FActive = true;
    bool FTerminated = false;
    bool FWakeRequested = false;
    bool FCounting = false;
    unsigned long FDelivered = 0;
    unsigned long FIdleCalls = 0;
    int FModalLevel = 0;
    int FLoopLevel = 0;
    std::vector<std::pair<int, TWindowHook>> FHooks;
};

// The application object of the process, or null before it is created.
extern TApplication* Application;

// Hands an error to the application's reporter (Application->HandleException), or writes it to
// standard error when there is no application object.
void ReportException(QObject* Sender, const std::exception& E);

// The Qt application the program body creates: an exception escaping an event handler is caught at
// delivery and reported through Application->HandleException (or standard error before there is
// an application object), so the program goes on instead of unwinding through Qt's event loop.
class TQtApplication : public QApplication {
public:
    TQtApplication(int& argc, char** argv);
    bool notify(QObject* Receiver, QEvent* Event) override;
};
