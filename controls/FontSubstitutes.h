// The window definitions' font names and the installed families that stand in for them.
#pragma once

#include <string>

#include <QFont>
#include <QString>

// Family that draws the named font here: "Arial Rounded MT Bold" → "Quicksand" (bold weight),
// "MS Sans Serif" → "Liberation Sans"; any other name is returned unchanged. Case is ignored.
QString SubstituteFontFamily(const std::string& name);

// A font by its old name and character height in pixels (the em size, not the cell height), with
// the weight the old name implies (bold for the rounded face) unless bold is asked for anyway.
QFont MakeFont(const std::string& name, int pixelHeight, bool bold = false);

// Registers both old names as family substitutions with Qt, so a font that still carries an old
// name (in a stored window definition, say) resolves to its stand-in. Safe to call repeatedly.
void InstallFontSubstitutes();
