// Writing and reading one string value of the game's key through the registry API, for the tests
// of the settings store shared by processes and their writer process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry/Registry.h"

inline const char* const RegistryTestKeyPath = "Software\\Marrowby\\ZelvanFree";

inline bool WriteValue(const std::string& name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, RegistryTestKeyPath, 0, KEY_ALL_ACCESS, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result =
        RegSetValueEx(key, name.c_str(), REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                      DWORD(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// The value's text, or "<missing>" / "<type N>" when it is absent or not a string.
inline std::string ReadValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, RegistryTestKeyPath, 0, KEY_ALL_ACCESS, &key, nullptr) !=
        ERROR_SUCCESS)
        return "<no key>";
    DWORD type = 0, size = 0;
    std::string result = "<missing>";
    if (RegQueryValueEx(key, name.c_str(), &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<uint8_t> buffer(size);
        if (RegQueryValueEx(key, name.c_str(), &type, buffer.data(), &size) == ERROR_SUCCESS) {
            result = type == REG_SZ && size > 0
                         ? std::string(buffer.begin(), buffer.begin() + size - 1)
                         : "<type " + std::to_string(type) + ">";
        }
    }
    RegCloseKey(key);
    return result;
}
