// The application object: a message loop over Qt's event dispatcher with an idle hook that blocks.
#include "platform/ui/Forms.h"

#include "platform/ui/DrawnTitleBar.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QWidget>

#include <algorithm>
#include <cstdio>

TApplication* Application = nullptr;

namespace {
// Platforms without a screen a person could look at: errors go to standard error there instead
// of a message box nobody can close.
bool HeadlessPlatform() {
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}
} // namespace

TApplication::TApplication() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw EInvalidOperation("The application object needs a running Qt application");
    if (Application) throw EInvalidOperation("An application object already exists");
    Application = this;
    // Every event delivered on this thread passes here; the count tells a loop pass whether any
    // message was waiting.
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &TApplication::ApplicationStateChanged);
}

TApplication::~TApplication() {
    if (Application == this) Application = nullptr;
}

void TApplication::SetTitle(const std::string& Value) {
    FTitle = Value;
}

void TApplication::RegisterForm(QWidget* Form) {
    if (!FMainForm && Form) FMainForm = Form;
}

bool TApplication::eventFilter(QObject*, QEvent*) {
    ++FDelivered;
    return false;
}

bool TApplication::ProcessMessage() {
    const unsigned long before = FDelivered;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return FDelivered != before;
}

void TApplication::Idle() {
    ++FIdleCalls;
    bool done = true;
    if (OnIdle) {
        // A copy: the handler may replace or clear the slot while it runs.
        const TIdleEvent handler = OnIdle;
        try {
            handler(this, done);
        } catch (const std::exception& e) {
            HandleException(this, e);
        } catch (...) {
            HandleException(this, Exception("Unknown exception in idle processing"));
        }
    }
    if (done && !FTerminated && !FWakeRequested)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) Idle();
    FWakeRequested = false;
}

void TApplication::ProcessMessages() {
    // Messages posted by handlers are handled in the following pass. The bound keeps a source that
    // posts on every pass (a zero-interval timer) from holding the caller here for ever.
    for (int pass = 0; pass < 100 && ProcessMessage(); ++pass) {
    }
}

void TApplication::WaitMessage() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::Run() {
    if (FLoopLevel > 0) throw EInvalidOperation("The message loop is already running");
    if (FMainForm && !FMainForm->isVisible()) FMainForm->show();
    ++FLoopLevel;
    while (!FTerminated) {
        HandleMessage();
        // Here nothing but this loop is on the stack, so objects whose deletion was deferred at
        // this level can go (Qt's own loops do this when they regain control).
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    --FLoopLevel;
}

void TApplication::Terminate() {
    FTerminated = true;
    WakeUp();
}

void TApplication::WakeUp() {
    FWakeRequested = true;
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
}

int TApplication::ShowModal(QWidget* Form) {
    if (!Form) throw EInvalidOperation("No form to show modally");
    if (Form->isVisible()) throw EInvalidOperation("Cannot make a visible window modal");
    QPointer<QWidget> form(Form);
    QPointer<QWidget> previous(QApplication::activeWindow());
    Form->setProperty("ModalResult", mrNone);
    if (auto* dialog = qobject_cast<QDialog*>(Form)) dialog->setResult(0);
    Form->setWindowModality(Qt::ApplicationModal);
    Form->show();
    Form->activateWindow();

    struct LevelGuard {
        int& level;
        explicit LevelGuard(int& l) : level(l) { ++level; }
        ~LevelGuard() { --level; }
    } guard(FModalLevel);

    int result = mrNone;
    for (;;) {
        if (!form) {
            result = mrCancel;
            break;
        }
        result = form->property("ModalResult").toInt();
        if (result != mrNone) break;
        if (!form->isVisible()) {
            auto* dialog = qobject_cast<QDialog*>(form.data());
            result = dialog && dialog->result() != 0 ? dialog->result() : mrCancel;
            break;
        }
        if (FTerminated) {
            result = mrCancel;
            break;
        }
        HandleMessage();
    }
    if (form) {
        form->hide();
        form->setWindowModality(Qt::NonModal);
        form->setProperty("ModalResult", result);
    }
    if (previous && previous->isVisible()) previous->activateWindow();
    return result;
}

void TApplication::HandleException(QObject* Sender, const std::exception& E) {
    if (OnException) {
        OnException(Sender, E);
        return;
    }
    if (HeadlessPlatform() || !QApplication::instance()) {
        std::fprintf(stderr, "%s\n", E.what());
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(FTitle),
                    QString::fromLocal8Bit(E.what()), QMessageBox::Ok);
    // The bar goes in before the showing, which creates the native window.
    TDrawnTitleBar::AttachIfWanted(&box);
    box.exec();
}

int TApplication::HookMainWindow(TWindowHook Hook) {
    // Unique across application objects, so a stale handle can never unhook someone else's hook.
    static int nextHandle = 1;
    const int handle = nextHandle++;
    FHooks.emplace_back(handle, std::move(Hook));
    return handle;
}

void TApplication::UnhookMainWindow(int Handle) {
    std::erase_if(FHooks, [Handle](const auto& h) { return h.first == Handle; });
}

void TApplication::ApplicationStateChanged(Qt::ApplicationState State) {
    const bool active = State == Qt::ApplicationActive;
    if (active == FActive) return;
    TMessage message;
    message.Msg = active ? amActivate : amDeactivate;
    Dispatch(message);
}

void TApplication::Dispatch(TMessage& Message) {
    std::vector<int> handles;
    handles.reserve(FHooks.size());
    for (const auto& h : FHooks)
        handles.push_back(h.first);
    for (int handle : handles) {
        auto it = std::find_if(FHooks.begin(), FHooks.end(),
                               [handle](const auto& h) { return h.first == handle; });
        if (it == FHooks.end()) continue; // unhooked by an earlier hook
        const TWindowHook hook = it->second;
        if (hook(Message)) return;
    }
    switch (Message.Msg) {
    case amActivate:
        FActive = true;
        if (OnActivate) OnActivate(this);
        break;
    case amDeactivate:
        FActive = false;
        if (OnDeactivate) OnDeactivate(this);
        break;
    default:
        break;
    }
}

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void ReportException(QObject* Sender, const std::exception& E) {
    if (Application)
        Application->HandleException(Sender, E);
    else
        std::fprintf(stderr, "%s\n", E.what());
}

bool TQtApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& e) {
        ReportException(Receiver, e);
    } catch (...) {
        ReportException(Receiver, Exception("Unknown exception in an event handler"));
    }
    return false;
}
