// The settings store over the registry-shaped calls of the platform.
#include "shell/Settings.h"

#include "platform/rtl/Conversions.h"

#include <algorithm>
#include <vector>

namespace {

// Keeps a key handle closed on every path out of a read or write.
class TOpenKey {
public:
    TOpenKey(HKEY root, const std::string& path) {
        if (RegCreateKeyEx(root, path.c_str(), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &FKey,
                           nullptr) != ERROR_SUCCESS)
            FKey = nullptr;
    }
    ~TOpenKey() {
        if (FKey) RegCloseKey(FKey);
    }
    TOpenKey(const TOpenKey&) = delete;
    TOpenKey& operator=(const TOpenKey&) = delete;
    HKEY Key() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

} // namespace

std::string ReadRegistryString(HKEY root, const std::string& path, const std::string& name) {
    TOpenKey key(root, path);
    if (!key.Key()) return std::string();
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueEx(key.Key(), name.c_str(), &type, nullptr, &size) != ERROR_SUCCESS ||
        size == 0)
        return std::string();
    std::vector<uint8_t> buffer(size);
    DWORD got = size;
    const LONG result = RegQueryValueEx(key.Key(), name.c_str(), &type, buffer.data(), &got);
    if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryError(Format("Invalid data type for '%s'", name.c_str()));
    if (result != ERROR_SUCCESS)
        throw ERegistryError(Format("Failed to get data for '%s'", name.c_str()));
    // The text ends at the first zero byte or at the end of the data, whichever comes first: data
    // stored without its terminating zero must not be read past.
    size_t length = 0;
    const size_t limit = std::min<size_t>(got, buffer.size());
    while (length < limit && buffer[length] != 0)
        ++length;
    return std::string(reinterpret_cast<const char*>(buffer.data()), length);
}

void WriteRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& text) {
    TOpenKey key(root, path);
    if (!key.Key()) return;
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    if (RegSetValueEx(key.Key(), name.c_str(), REG_SZ, data.data(), DWORD(data.size())) !=
        ERROR_SUCCESS)
        throw ERegistryError(Format("Failed to set data for '%s'", name.c_str()));
}

namespace {

std::string LoadPreference(const char* name, const char* defaultValue,
                           std::vector<std::string>& errors) {
    std::string value;
    try {
        value = ReadRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name);
    } catch (const Exception& e) {
        // Whatever is stored is kept for the user to repair; the game runs on the default.
        errors.push_back(e.Message);
        return defaultValue;
    }
    const std::string stored = value;
    if (value.empty()) value = defaultValue;
    // Writing back what is stored already changes nothing, so a store that takes no writes (its
    // folder or file read-only, its lock unusable) starts without a box for values it holds.
    if (value == stored) return value;
    try {
        WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name, value);
    } catch (const Exception& e) {
        errors.push_back(e.Message);
    }
    return value;
}

} // namespace

TPreferences LoadPreferences() {
    TPreferences prefs;
    prefs.Sound = LoadPreference("Sound", "1", prefs.Errors);
    prefs.Highlight = LoadPreference("Highlight", "1", prefs.Errors);
    prefs.Numbered = LoadPreference("Numbered", "0", prefs.Errors);
    return prefs;
}

THighScore LoadHighScore() {
    THighScore record;
    try {
        record.TopPlayer = ReadRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "TopPlayer");
    } catch (const Exception& e) {
        record.Errors.push_back(e.Message);
        record.TopPlayer.clear();
    }
    record.TopLabel = record.TopPlayer.empty() ? std::string("Top Player: Zelvan")
                                               : "Top Player: " + record.TopPlayer;
    try {
        const std::string score = ReadRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, "HighScore");
        record.Moves = score.empty() ? 1000 : StrToInt(score);
    } catch (const Exception& e) {
        record.Errors.push_back(e.Message);
        record.Moves = 1000;
    }
    record.HighLabel = "High Score: " + IntToStr(record.Moves) + " moves";
    return record;
}
