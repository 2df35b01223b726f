// A container's accessible interface that names it as a group and skips its hidden children.
#include "controls/AccessibleGroup.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

const char* const GroupProperty = "accessibleGroup";

class TGroupAccessible : public QAccessibleWidget {
public:
    explicit TGroupAccessible(QWidget* container)
        : QAccessibleWidget(container, QAccessible::Grouping) {}

    int childCount() const override { return int(Shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> shown = Shown();
        if (index < 0 || index >= shown.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(shown[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child || !child->object() || !child->object()->isWidgetType()) return -1;
        return int(Shown().indexOf(static_cast<QWidget*>(child->object())));
    }

private:
    // The child widgets in creation order, less separate windows and those that stay hidden when the
    // container shows.
    QList<QWidget*> Shown() const {
        QList<QWidget*> out;
        for (QObject* o : widget()->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !w->isWindow() && w->isVisibleTo(widget())) out.append(w);
        }
        return out;
    }
};

QAccessibleInterface* GroupFactory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(GroupProperty).toBool())
        return nullptr;
    return new TGroupAccessible(static_cast<QWidget*>(object));
}

} // namespace

void MakeAccessibleGroup(QWidget* Container) {
    static const bool installed = [] {
        QAccessible::installFactory(&GroupFactory);
        return true;
    }();
    (void)installed;
    if (!Container) return;
    Container->setProperty(GroupProperty, true);
    // An interface made earlier (a name change may already have asked for one) is dropped, so the
    // next request goes through the factory.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(Container);
    if (made && !dynamic_cast<TGroupAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}
