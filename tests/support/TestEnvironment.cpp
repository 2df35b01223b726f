// Per-process headless test environment.
#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {
std::string g_home;

void RemoveHome() {
    std::error_code ec;
    if (!g_home.empty()) std::filesystem::remove_all(g_home, ec);
}
} // namespace

void PrepareTestEnvironment() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvan-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary XDG_CONFIG_HOME");
    g_home = pattern;
    setenv("XDG_CONFIG_HOME", g_home.c_str(), 1);
    std::atexit(RemoveHome);
}

const std::string& TestConfigHome() {
    return g_home;
}
