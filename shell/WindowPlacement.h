// Placing top-level windows: centred on their screen's available area.
#pragma once

class QWidget;

// Moves a top-level window so that its frame (its client area alone before the window manager has
// framed it) sits exactly in the middle of its screen's available area; an odd pixel left over
// goes to the right and bottom.
void CentreOnScreen(QWidget* window);
