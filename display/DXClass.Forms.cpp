// The form base and window procedure replacement as a chain of procedures behind one Qt event
// filter.
#include "display/DXClass.Forms.h"

#include "platform/ui/DrawnTitleBar.h"

#include <QEvent>
#include <QPointer>

#include <algorithm>
#include <unordered_map>
#include <vector>

// The replacements of one control, oldest first, behind a single event filter on the control.
class TSubClassChain : public QObject {
public:
    explicit TSubClassChain(QWidget* Control) : FControl(Control), FKey(Control) {
        Control->installEventFilter(this);
        connect(Control, &QObject::destroyed, this, [this] { ControlDestroyed(); });
    }

    static TSubClassChain* Of(QWidget* Control) {
        auto it = Registry().find(Control);
        return it == Registry().end() ? nullptr : it->second;
    }

    static TSubClassChain* Attach(QWidget* Control) {
        TSubClassChain*& chain = Registry()[Control];
        if (!chain) chain = new TSubClassChain(Control);
        return chain;
    }

    void Add(TControlSubClass* Item) { FItems.push_back(Item); }

    void Remove(TControlSubClass* Item) {
        std::erase(FItems, Item);
        if (FItems.empty()) {
            Retire();
            if (FDepth == 0) delete this;
        }
    }

    QWidget* Control() const { return FControl; }

    void Deliver(TMessage& Message) {
        const std::vector<TControlSubClass*> snapshot = FItems;
        ++FDepth;
        Invoke(snapshot, static_cast<int>(snapshot.size()) - 1, Message);
        --FDepth;
        if (FRetired && FDepth == 0) delete this;
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched != FControl || FItems.empty() || FRetired) return false;
        TMessage message;
        message.Msg = static_cast<int>(Event->type());
        message.Event = Event;
        Deliver(message); // may delete this chain; nothing below touches it
        // The chain handled the event completely (the widget's own handling ran inside it if the
        // procedures passed it on), so Qt must not deliver it a second time.
        return true;
    }

private:
    static std::unordered_map<QWidget*, TSubClassChain*>& Registry() {
        static std::unordered_map<QWidget*, TSubClassChain*> registry;
        return registry;
    }

    // Calls the replacement at position Index of the snapshot (skipping those freed meanwhile);
    // below the oldest one lies the widget's own handling.
    void Invoke(const std::vector<TControlSubClass*>& Snapshot, int Index, TMessage& Message) {
        while (Index >= 0 &&
               std::find(FItems.begin(), FItems.end(), Snapshot[Index]) == FItems.end())
            --Index;
        if (Index < 0) {
            if (Message.Event && FControl)
                Message.Result = static_cast<QObject*>(FControl.data())->event(Message.Event);
            return;
        }
        // A copy: the procedure may free its own replacement while it runs.
        const TControlSubClassProc proc = Snapshot[Index]->FProc;
        proc(Message, [this, &Snapshot, Index](TMessage& m) { Invoke(Snapshot, Index - 1, m); });
    }

    // Leaves the registry and the control; the object itself goes once no delivery runs in it.
    void Retire() {
        if (FRetired) return;
        FRetired = true;
        auto it = Registry().find(FKey);
        if (it != Registry().end() && it->second == this) Registry().erase(it);
        if (FControl) FControl->removeEventFilter(this);
        for (TControlSubClass* item : FItems)
            item->FChain = nullptr;
        FItems.clear();
    }

    void ControlDestroyed() {
        Retire();
        if (FDepth == 0) delete this;
    }

    QPointer<QWidget> FControl;
    QWidget* FKey;
    std::vector<TControlSubClass*> FItems;
    int FDepth = 0;
    bool FRetired = false;
};

TControlSubClass::TControlSubClass(QWidget* Control, TControlSubClassProc Proc)
    : FProc(std::move(Proc)) {
    if (!Control) throw EInvalidOperation("No control to replace the window procedure of");
    if (!FProc) throw EInvalidOperation("No window procedure given");
    FChain = TSubClassChain::Attach(Control);
    FChain->Add(this);
}

TControlSubClass::~TControlSubClass() {
    if (FChain) FChain->Remove(this);
}

QWidget* TControlSubClass::Control() const {
    return FChain ? FChain->Control() : nullptr;
}

bool TControlSubClass::Perform(QWidget* Control, TMessage& Message) {
    if (TSubClassChain* chain = TSubClassChain::Of(Control)) chain->Deliver(Message);
    return Message.Result;
}

namespace {
int g_FormCount = 0;
}

TDXForm::TDXForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    ++g_FormCount;
    if (Application) Application->RegisterForm(this);
}

TDXForm::~TDXForm() {
    TMessage message;
    message.Msg = wmDestroy;
    TControlSubClass::Perform(this, message);
    --g_FormCount;
}

int TDXForm::FormCount() {
    return g_FormCount;
}

int TDXForm::ModalResult() const {
    return property("ModalResult").toInt();
}

void TDXForm::SetModalResult(int Value) {
    setProperty("ModalResult", Value);
    if (Value != mrNone && Application) Application->WakeUp();
}

int TDXForm::ShowModal() {
    if (!Application) throw EInvalidOperation("No application object to show the form modally");
    return Application->ShowModal(this);
}

void TDXForm::setVisible(bool Visible) {
    if (Visible) PrepareTitleBar();
    QWidget::setVisible(Visible);
}

void TDXForm::PrepareTitleBar() {
    if (FTitleBarChecked) return;
    FTitleBarChecked = true;
    TDrawnTitleBar::AttachIfWanted(this);
}

bool TDXForm::event(QEvent* Event) {
    const bool result = QWidget::event(Event);
    if (Event->type() == QEvent::Close && Event->isAccepted() && Application &&
        Application->MainForm() == this)
        Application->Terminate();
    return result;
}
