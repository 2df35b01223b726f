#include "controls/TextColours.h"

#include <QPalette>
#include <QWidget>

namespace {

void SetRoles(QPalette& palette, std::initializer_list<QPalette::ColorRole> roles,
              const QColor& colour) {
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        for (QPalette::ColorRole role : roles)
            palette.setColor(QPalette::ColorGroup(group), role, colour);
}

} // namespace

void SetTextColour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    SetRoles(palette, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, colour);
    control->setPalette(palette);
}

void SetTextColours(QWidget* control, const QColor& text, const QColor& background) {
    QPalette palette = control->palette();
    SetRoles(palette, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, text);
    SetRoles(palette, {QPalette::Window, QPalette::Base, QPalette::Button}, background);
    control->setPalette(palette);
}
