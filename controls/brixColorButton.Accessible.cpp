// The flat button as accessibility tools see it: a push button named by its caption that can be
// pressed, never focused.
#include "controls/brixColorButton.Internal.h"

#include "controls/brixColorButton.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class TButtonAccessible : public QAccessibleWidget {
public:
    explicit TButtonAccessible(TbrixColorButton* button)
        : QAccessibleWidget(button, QAccessible::PushButton) {}

    TbrixColorButton* Button() const { return static_cast<TbrixColorButton*>(widget()); }

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name:
            // A name given on purpose wins over the caption.
            return widget()->accessibleName().isEmpty() ? Button()->VisibleCaption()
                                                        : widget()->accessibleName();
        case QAccessible::Accelerator:
            return Button()->Accelerator().toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = false;
        s.pressed = Button()->Pressed() || Button()->Down();
        s.checkable = Button()->Latching();
        s.checked = Button()->Latching() && Button()->Down();
        return s;
    }

    // Pressing is the button's one action; it takes no focus, so the widget's focus action is left
    // out.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) Button()->Press();
    }
    QStringList keyBindingsForAction(const QString& actionName) const override {
        const QKeySequence keys = Button()->Accelerator();
        if (actionName != pressAction() || keys.isEmpty()) return {};
        return {keys.toString(QKeySequence::NativeText)};
    }
};

QAccessibleInterface* ButtonAccessibleFactory(const QString& key, QObject* object) {
    if (key != QLatin1String("TbrixColorButton")) return nullptr;
    auto* button = qobject_cast<TbrixColorButton*>(object);
    return button ? new TButtonAccessible(button) : nullptr;
}

} // namespace

void InstallButtonAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&ButtonAccessibleFactory);
        return true;
    }();
    (void)installed;
}
