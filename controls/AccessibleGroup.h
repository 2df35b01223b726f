// Panels as accessibility tools see them: a named group that leaves out the children kept hidden.
#pragma once

class QWidget;

// Makes Container a group for accessibility tools, named by its accessible name, whose children are
// only those of its child widgets that are not hidden: a list the program keeps out of sight for its
// own use does not show up as content a screen reader reads out. A child shown later counts again.
void MakeAccessibleGroup(QWidget* Container);
