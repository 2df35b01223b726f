// Run-time loading of the platform modules with dlopen.
#include "platform/rtl/Modules.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return ".";
    std::string full(path, static_cast<size_t>(n));
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : full.substr(0, slash));
}

std::string InstalledModuleDirectory() {
    return ExecutableDirectory() + "/../lib/zelvan";
}

void* LoadModule(const std::string& fileName) {
    // Only plain file names: a name with a path could reach outside the two module directories.
    if (fileName.empty() || fileName.find('/') != std::string::npos) return nullptr;
    for (const std::string& dir : {ExecutableDirectory(), InstalledModuleDirectory()}) {
        std::string path = dir + "/" + fileName;
        if (access(path.c_str(), F_OK) != 0) continue;
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    }
    return nullptr;
}

void* ModuleEntry(void* module, const std::string& entryName) {
    if (!module || entryName.empty()) return nullptr;
    return dlsym(module, entryName.c_str());
}
