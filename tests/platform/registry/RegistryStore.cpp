// Registry-shaped store over INI files: keys, value types, sizes, names and stored text.
#include "platform/registry/Registry.h"

#include "tests/support/StoreFiles.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const KeyPath = "Software\\Marrowby\\ZelvanFree";

HKEY Open(const char* path = KeyPath, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key,
                             disposition),
              ERROR_SUCCESS);
    return key;
}

LONG SetString(HKEY key, const char* name, const std::string& text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return RegSetValueEx(key, name, REG_SZ, data.data(), DWORD(data.size()));
}

// Reads a value's type and data in the two steps callers use: size first, then data.
LONG Query(HKEY key, const char* name, DWORD& type, std::string& data) {
    DWORD size = 0;
    LONG result = RegQueryValueEx(key, name, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) return result;
    std::vector<uint8_t> buffer(size);
    result = RegQueryValueEx(key, name, &type, buffer.data(), &size);
    data.assign(buffer.begin(), buffer.begin() + size);
    return result;
}

// Every test starts from an empty settings home, also when several run in one process.
class RegistryKeys : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(TestConfigHome()))
            fs::remove_all(entry.path());
    }
};
class RegistryValues : public RegistryKeys {};

TEST_F(RegistryKeys, OpeningCreatesTheStoreFileOnceAndMapsTheGamePath) {
    EXPECT_EQ(RegistryKeyFileName(HKEY_CURRENT_USER, KeyPath), StoreFile().string());
    ASSERT_FALSE(fs::exists(StoreFile()));
    DWORD disposition = 0;
    HKEY key = Open(KeyPath, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_TRUE(fs::is_regular_file(StoreFile()));
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Sound", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(StoreFile()), ""); // reading wrote no value

    key = Open(KeyPath, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    // Key paths are not case-sensitive: the same file is found.
    key = Open("software\\MARROWBY\\zelvanfree", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(SetString(key, "Sound", "1"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_NE(ReadFile(StoreFile()).find("Sound=1"), std::string::npos);
}

TEST_F(RegistryKeys, PathsThatCouldLeaveTheStoreAndBadHandlesAreRefused) {
    HKEY key = nullptr;
    for (const char* bad : {"Software\\..\\..\\etc", "Software\\a/b", "\\Software\\X",
                            "Software\\\\X", "Software\\X\\", "Software\\."}) {
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, bad, 0, KEY_ALL_ACCESS, &key, nullptr),
                  ERROR_BAD_PATHNAME)
            << bad;
        EXPECT_EQ(key, nullptr);
    }
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, KeyPath, 0, KEY_ALL_ACCESS, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    HKEY bogus = reinterpret_cast<HKEY>(uintptr_t(0x1234));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(bogus, "Sound", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
    HKEY closed = Open();
    RegCloseKey(closed);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);
    // Other paths have their own files under the same home.
    const std::string other = RegistryKeyFileName(HKEY_CURRENT_USER, "Console\\Colours");
    EXPECT_EQ(
        other,
        (fs::path(TestConfigHome()) / "Zelvan-registry" / "Console" / "Colours.conf").string());
}

TEST_F(RegistryKeys, StoreDirectoryThatCannotBeMadeFailsTheOpen) {
    WriteFile(fs::path(TestConfigHome()) / "Marrowby", "not a directory");
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, KeyPath, 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(ReadFile(fs::path(TestConfigHome()) / "Marrowby"), "not a directory");
}

TEST_F(RegistryValues, StringsComeBackExactlyWithOneTerminatingZero) {
    const std::vector<std::string> texts = {
        "1",      "",    "a,b",         "a, b, c",   "x;y",         "; comment?", " lead",
        "trail ", "@at", "@Variant(x)", "q\"uote\"", "back\\slash", "new\nline",  "J\xC3\xBCrgen",
        "#hash",  "=eq", "[General]",   "%25",       "tab\t",       "nul\0inside"};
    HKEY key = Open();
    int i = 0;
    for (const std::string& raw : texts) {
        const std::string text = raw == "nul\0inside" ? std::string("nul\0inside", 10) : raw;
        const std::string name = "v" + std::to_string(i++);
        ASSERT_EQ(SetString(key, name.c_str(), text), ERROR_SUCCESS) << text;
    }
    RegCloseKey(key);

    key = Open(); // a fresh handle reads the file
    i = 0;
    for (const std::string& raw : texts) {
        const std::string text = raw == "nul\0inside" ? std::string("nul\0inside", 10) : raw;
        const std::string name = "v" + std::to_string(i++);
        DWORD type = 0;
        std::string data;
        ASSERT_EQ(Query(key, name.c_str(), type, data), ERROR_SUCCESS) << name;
        EXPECT_EQ(type, REG_SZ) << name;
        EXPECT_EQ(data, text + std::string(1, '\0')) << name;
    }
    RegCloseKey(key);
}

TEST_F(RegistryValues, DataWithoutTerminatorOrWithSeveralZerosIsStoredAsGiven) {
    HKEY key = Open();
    const uint8_t bare[] = {'1'};
    const uint8_t padded[] = {'1', 0, 0, 0};
    ASSERT_EQ(RegSetValueEx(key, "Bare", REG_SZ, bare, 1), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Padded", REG_SZ, padded, 4), ERROR_SUCCESS);
    DWORD type = 0;
    std::string data;
    ASSERT_EQ(Query(key, "Bare", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("1\0", 2));
    ASSERT_EQ(Query(key, "Padded", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("1\0\0\0", 4));
    RegCloseKey(key);
}

TEST_F(RegistryValues, SmallBufferGetsMoreDataAndTheNeededSize) {
    HKEY key = Open();
    ASSERT_EQ(SetString(key, "TopPlayer", "Annabelle"), ERROR_SUCCESS);
    uint8_t buffer[4] = {9, 9, 9, 9};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueEx(key, "TopPlayer", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(buffer[0], 9); // nothing written past what the caller allowed
    EXPECT_EQ(RegQueryValueEx(key, "TopPlayer", &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryValues, NamesIgnoreCaseAndMayHoldSeparators) {
    HKEY key = Open();
    ASSERT_EQ(SetString(key, "Sound", "1"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, "SOUND", "0"), ERROR_SUCCESS); // the same value
    ASSERT_EQ(SetString(key, "a/b\\c%d", "sep"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, "", "default"), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string file = ReadFile(StoreFile());
    EXPECT_NE(file.find("Sound=0"), std::string::npos) << file;
    EXPECT_EQ(file.find("SOUND"), std::string::npos) << file;
    EXPECT_EQ(file.find('['), file.find("[General]")) << "separators made a group: " << file;

    key = Open();
    DWORD type = 0;
    std::string data;
    ASSERT_EQ(Query(key, "sound", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("0\0", 2));
    ASSERT_EQ(Query(key, "A/B\\C%D", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("sep\0", 4));
    ASSERT_EQ(Query(key, "", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("default\0", 8));
    EXPECT_EQ(Query(key, "b", type, data), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryValues, ValuesThatAreNotStringsReportTheirType) {
    WriteFile(StoreFile(),
              "[General]\n"
              "List=a, b\n"
              "Quoted=\"a, b\"\n"
              "Bytes=@ByteArray(xyz)\n"
              "Typed=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x12QPoint\\0\\0\\0\\0\\x1\\0\\0\\0\\x2)\n"
              "Plain=yes\n");
    HKEY key = Open();
    DWORD type = 0;
    std::string data;
    ASSERT_EQ(Query(key, "List", type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(data, std::string("a\0b\0\0", 5));
    ASSERT_EQ(Query(key, "Quoted", type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, std::string("a, b\0", 5));
    ASSERT_EQ(Query(key, "Bytes", type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(data, "xyz");
    ASSERT_EQ(Query(key, "Typed", type, data), ERROR_SUCCESS);
    EXPECT_NE(type, REG_SZ);
    EXPECT_NE(type, REG_EXPAND_SZ);
    ASSERT_EQ(Query(key, "Plain", type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    RegCloseKey(key);
}

TEST_F(RegistryValues, WritesTheStoreCannotHoldAreRefusedAndChangeNothing) {
    HKEY key = Open();
    ASSERT_EQ(SetString(key, "TopPlayer", "Ann"), ERROR_SUCCESS);
    const std::string before = ReadFile(StoreFile());
    const uint8_t notUtf8[] = {'A', 0xFF, 'b', 0};
    EXPECT_EQ(RegSetValueEx(key, "TopPlayer", REG_SZ, notUtf8, sizeof notUtf8),
              ERROR_INVALID_PARAMETER);
    const uint8_t dword[] = {1, 0, 0, 0};
    EXPECT_EQ(RegSetValueEx(key, "TopPlayer", REG_DWORD, dword, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key, "TopPlayer", REG_SZ, nullptr, 3), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
    EXPECT_EQ(ReadFile(StoreFile()), before);

    HKEY readOnly = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, KeyPath, 0, KEY_READ, &readOnly, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(SetString(readOnly, "TopPlayer", "Bob"), ERROR_ACCESS_DENIED);
    RegCloseKey(readOnly);
    EXPECT_EQ(ReadFile(StoreFile()), before);
}

TEST_F(RegistryValues, UnparsableFileIsKeptAsideBeforeTheFirstRewrite) {
    const std::string original = "[General]\nSound=0\nstray text without a value\nHighlight=yes\n";
    WriteFile(StoreFile(), original);
    HKEY key = Open();
    DWORD type = 0;
    std::string data;
    ASSERT_EQ(Query(key, "Highlight", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("yes\0", 4));
    ASSERT_EQ(SetString(key, "Numbered", "1"), ERROR_SUCCESS);
    ASSERT_EQ(Query(key, "Sound", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("0\0", 2));
    ASSERT_EQ(SetString(key, "Numbered", "0"),
              ERROR_SUCCESS); // the file parses now: no second copy
    RegCloseKey(key);
    std::vector<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(StoreFile().parent_path()))
        if (entry.path().filename().string().rfind("ZelvanFree.conf.unreadable-", 0) == 0)
            copies.push_back(entry.path());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFile(copies[0]), original);
}

TEST_F(RegistryValues, AnOpenHandleSeesWritesMadeThroughAnother) {
    HKEY reader = Open();
    HKEY writer = Open();
    DWORD type = 0;
    std::string data;
    EXPECT_EQ(Query(reader, "HighScore", type, data), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetString(writer, "HighScore", "42"), ERROR_SUCCESS);
    ASSERT_EQ(Query(reader, "HighScore", type, data), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("42\0", 3));
    RegCloseKey(writer);
    RegCloseKey(reader);
}

} // namespace
