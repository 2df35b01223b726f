// The dialogs' shared base: centring, error reporting of handlers, closing with a modal result.
#include "shell/DialogForm.h"

#include "platform/ui/Forms.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>

#include <cstdio>

TDialogForm::TDialogForm(QWidget* parent) : TDXForm(parent) {}

void TDialogForm::RunHandler(const std::function<void()>& Handler) {
    try {
        Handler();
    } catch (const std::exception& E) {
        if (Application)
            Application->HandleException(this, E);
        else
            std::fprintf(stderr, "%s\n", E.what());
    }
}

void TDialogForm::UseSystemColours(QWidget* Control) {
    // Every role is set explicitly: a palette left partly unresolved would inherit the form's.
    const QPalette system = QApplication::palette();
    QPalette own;
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            if (r == QPalette::NoRole) continue;
            own.setBrush(g, r, system.brush(g, r));
        }
    Control->setPalette(own);
}

void TDialogForm::CloseWith(int Result) {
    SetModalResult(Result);
    close();
}

void TDialogForm::CentreOnScreen() {
    QScreen* screen = this->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame is known only once the window system has decorated the window; before that the
    // client rectangle stands for it.
    const QRect outer = frameGeometry();
    const QPoint corner(area.x() + (area.width() - outer.width()) / 2,
                        area.y() + (area.height() - outer.height()) / 2);
    move(corner);
}

void TDialogForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        RunHandler([this] { FormShow(); });
        CentreOnScreen();
    }
    TDXForm::showEvent(event);
}
