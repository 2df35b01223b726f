// The settings store's file in a test process's private XDG_CONFIG_HOME, and whole-file access.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/TestEnvironment.h"

// $XDG_CONFIG_HOME/Marrowby/ZelvanFree.conf of this test process.
inline std::filesystem::path StoreFile() {
    return std::filesystem::path(TestConfigHome()) / "Marrowby" / "ZelvanFree.conf";
}

// The file's bytes; empty when it does not exist.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the file's bytes, making its directory first.
inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}
