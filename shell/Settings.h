// The settings store: reading and writing one string value of a key, and the start-up loading of
// the preferences and the high-score record built on them.
#pragma once

#include "platform/registry/Registry.h"
#include "platform/rtl/Exceptions.h"

#include <cstdint>
#include <string>
#include <vector>

// A value that is not a string, cannot be fetched or cannot be stored.
class ERegistryError : public Exception {
public:
    using Exception::Exception;
};

// The game's key under HKEY_CURRENT_USER.
inline constexpr const char* ZelvanKeyPath = "Software\\Marrowby\\ZelvanFree";

// The value's text up to its first zero byte; "" when the key cannot be opened or created or the
// value is missing or empty. Creates a missing key. Raises ERegistryError "Invalid data type for
// '%s'" for a value that is not a string and "Failed to get data for '%s'" when its data cannot be
// fetched.
std::string ReadRegistryString(HKEY root, const std::string& path, const std::string& name);

// Stores text as a string value, creating a missing key; does nothing when the key cannot be opened
// or created. Raises ERegistryError "Failed to set data for '%s'" when the store refuses the write.
void WriteRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& text);

// The three preferences as loaded at start-up.
struct TPreferences {
    std::string Sound;
    std::string Highlight;
    std::string Numbered;
    std::vector<std::string> Errors; // store errors met while loading, for the caller to report
};

// Start-up loading of "Sound" (default "1"), "Highlight" ("1") and "Numbered" ("0"), in this order:
// read, take the default when the text is empty, write the working copy back. Never raises: a value
// that cannot be read gets its default and is left untouched in the store (it is not overwritten),
// and a refused write-back leaves the working copy in use; each such error is listed in Errors.
TPreferences LoadPreferences();

// The high-score record as shown on the panel.
struct THighScore {
    std::string TopPlayer; // stored name, "" when none
    int32_t Moves = 1000;  // stored score, 1000 when none or unusable
    std::string TopLabel;  // "Top Player: Zelvan" or "Top Player: " + name
    std::string HighLabel; // "High Score: " + Moves + " moves"
    std::vector<std::string> Errors;
};

// Reads "TopPlayer" and "HighScore". Never raises: a score that is not integer text or cannot be
// read counts as 1000, a name that cannot be read as none; each such error is listed in Errors.
THighScore LoadHighScore();
