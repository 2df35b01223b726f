// Fixed colours for text controls, set through their palettes.
#pragma once

#include <QColor>

class QWidget;

// Draws the control's text (label, edit or button text, in every state) in the given colour.
void SetTextColour(QWidget* control, const QColor& colour);

// Fills the control's background (its window, base and button areas, in every state) with the
// given colour, and its text as SetTextColour does.
void SetTextColours(QWidget* control, const QColor& text, const QColor& background);
