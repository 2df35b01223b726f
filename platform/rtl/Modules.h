// Run-time loading of the platform modules (shared objects beside the program or installed).
#pragma once

#include <string>

// Loads the shared object fileName (e.g. "ddraw.so"), first from the running executable's
// directory, then from the installed module directory. Returns nullptr when neither has it or it
// cannot be loaded. Loaded modules stay loaded for the life of the process.
void* LoadModule(const std::string& fileName);

// The address of an exported entry of a loaded module, or nullptr when it has none.
void* ModuleEntry(void* module, const std::string& entryName);

// The directory of the running executable (no trailing slash).
std::string ExecutableDirectory();

// The directory installed modules live in.
std::string InstalledModuleDirectory();
