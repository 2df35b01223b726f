// The component base: ownership through the QObject owner, and the loading state of a definition.
#pragma once

#include <QObject>

// A non-visual component. Its owner (the QObject parent) destroys it. While a form applies the
// properties of its definition the component is "loading": property setters with side effects only
// store their values, and Loaded() — called once per component, in definition order, when all
// properties are in place — performs what was held back.
class TComponent : public QObject {
public:
    explicit TComponent(QObject* Owner = nullptr) : QObject(Owner) {}

    bool Loading() const { return FLoading; }

    // Marks the component as being read from a definition.
    void BeginLoading() { FLoading = true; }

    // Ends loading. Overrides call the base first, then act on the stored properties.
    virtual void Loaded() { FLoading = false; }

private:
    bool FLoading = false;
};
