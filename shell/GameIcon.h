// The game's window icon, shared by every window of the program.
#pragma once

#include <QIcon>

// The 32 x 32 sixteen-colour icon the main window is defined with, together with the menu
// icon's other sizes (16 to 256 pixels) for the places where the desktop takes a larger or
// smaller one.
QIcon GameIcon();
