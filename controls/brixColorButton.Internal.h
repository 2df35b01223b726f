// What the flat button's files share inside the controls library.
#pragma once

// Makes accessibility tools see every flat button as a push button named by its caption, with a
// press action. Safe to call any number of times; the first call installs the interface factory.
void InstallButtonAccessibility();
