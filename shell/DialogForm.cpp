// The dialogs' shared base: centring, error reporting of handlers, closing with a modal result.
#include "shell/DialogForm.h"

#include "platform/ui/Forms.h"
#include "shell/GameIcon.h"
#include "shell/WindowPlacement.h"

#include <QApplication>
#include <QPalette>
#include <QShowEvent>

#include <cstdio>

TDialogForm::TDialogForm(QWidget* parent)
    : TDXForm(parent),
      FPlacement(new TFramedPlacement(this, [this](const QMargins& Frame) { SizeByFrame(Frame); })) {
    setWindowIcon(GameIcon());
}

void TDialogForm::SizeByFrame(const QMargins&) {}

void TDialogForm::RunHandler(const std::function<void()>& Handler) {
    try {
        Handler();
    } catch (const std::exception& E) {
        ReportException(this, E);
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

void TDialogForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        RunHandler([this] { FormShow(); });
        FPlacement->Place();
    }
    TDXForm::showEvent(event);
}
