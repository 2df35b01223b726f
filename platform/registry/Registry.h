// Per-user key/value store with the shape of the old platform's registry calls, kept in INI files.
//
// HKEY_CURRENT_USER\Software\<A>\<B>...\<Z> lives in $XDG_CONFIG_HOME/<A>/<B>/.../<Z>.conf (so
// Software\Marrowby\ZelvanFree is Marrowby/ZelvanFree.conf); any other path under the root lives in
// $XDG_CONFIG_HOME/Zelvan-registry/<path>.conf. Every key handle reads the file afresh when opened
// and writes are saved atomically (temporary file + rename, under a lock file, or in place in steps
// that each read as the old or the new values), so a reader never sees a half-written store and
// concurrent writers end with the last write winning.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/rtl/Types.h"

using REGSAM = uint32_t;

struct TRegistryKey;
using HKEY = TRegistryKey*;

// Predefined root keys (handle values of the old platform).
extern const HKEY HKEY_CLASSES_ROOT;  // 0x80000000
extern const HKEY HKEY_CURRENT_USER;  // 0x80000001
extern const HKEY HKEY_LOCAL_MACHINE; // 0x80000002

// Result codes.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_MORE_DATA = 234;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// Options, access rights and dispositions accepted by RegCreateKeyEx.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens the key subKey under root, creating it (its file and directories) when missing.
// subKey is backslash-separated without a leading backslash. disposition may be null. A file far
// larger than any store (over 1 MiB) is renamed to "<file>.unreadable-<time>" unread and the key
// starts empty; where it cannot be renamed the key reads as empty and refuses writes.
// Fails with ERROR_ACCESS_DENIED when the store's directory cannot be made,
// ERROR_BAD_PATHNAME for an empty, "."/".." or '/'-containing path component and
// ERROR_INVALID_HANDLE for an unknown root.
LONG RegCreateKeyEx(HKEY root, const char* subKey, DWORD options, REGSAM access, HKEY* result,
                    DWORD* disposition);

// Reads a value. With data null, only *type and *dataSize are filled in (either may be null).
// With data set, *dataSize is the buffer size on entry and the data size on return; a buffer too
// small gives ERROR_MORE_DATA with the needed size. A missing value gives ERROR_FILE_NOT_FOUND.
// String values come back as their bytes plus one terminating zero. Value names are compared
// without regard to case.
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, uint8_t* data, DWORD* dataSize);

// Stores a REG_SZ value: the bytes up to a final terminating zero (if any) are kept; embedded zeros
// are kept as data. The value is saved to the file at once, a save cut short at any instant leaving
// every value old or new; a store that cannot be written, or whose lock beside it can be neither
// taken nor cleared (the store is then read-only for the rest of the run), gives
// ERROR_ACCESS_DENIED and leaves the file as it was. Bytes that are not UTF-8 text and types other
// than REG_SZ give ERROR_INVALID_PARAMETER. A store file with lines that do not parse (comments,
// stray text, zero bytes left by a crash) is rewritten with the lines that do, and the original is
// copied to "<file>.unreadable-<time>"; a file that is not a settings file at all is copied there
// and the store starts afresh. Temporary files of killed saves beside the store are removed.
LONG RegSetValueEx(HKEY key, const char* valueName, DWORD type, const uint8_t* data,
                   DWORD dataSize);

// Saves anything pending and releases the handle.
LONG RegCloseKey(HKEY key);

// Path of the file that holds a key (for diagnostics and tests); empty for an invalid path/root.
std::string RegistryKeyFileName(HKEY root, const std::string& subKey);

// Test seam: called at the start of every RegQueryValueEx with the value name (null to remove).
void RegSetQueryHook(std::function<void(const std::string& valueName)> hook);
// Test seam: in-place saves (in a folder that refuses new files) write at most this many more
// bytes, the final cut of the file counting as one, and then stop where they are, as a save killed
// at that instant would. Negative: no limit.
void RegSetSaveByteLimit(long long bytes);
