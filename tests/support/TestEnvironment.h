// Puts every test process in its own headless world: offscreen Qt and a private settings home.
#pragma once

#include <string>

// Sets QT_QPA_PLATFORM=offscreen (unless set) and points XDG_CONFIG_HOME at a fresh temporary
// directory that is removed when the process exits. Called by both test mains before anything else.
void PrepareTestEnvironment();

// The temporary XDG_CONFIG_HOME of this process.
const std::string& TestConfigHome();
