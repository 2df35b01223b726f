// Runs test steps inside the modal loop of a dialog that some action opens, without hanging when
// the dialog never opens or never closes.
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

// Calls Open (a click, a key) and, once Dialog is visible inside its own modal loop, Steps. A
// dialog still open ten seconds later is closed, so a fault fails the test instead of hanging it.
// Returns whether the steps ran, that is whether the dialog came up.
inline bool RunInsideModalOf(QWidget* Dialog, const std::function<void()>& Open,
                             const std::function<void()>& Steps) {
    bool ran = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!ran && Dialog->isVisible()) {
            ran = true;
            Steps();
        }
    });
    poll.start(5);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, Dialog, [Dialog] { Dialog->close(); });
    guard.start(10000);
    Open();
    return ran;
}
