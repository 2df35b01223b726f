// The store shared by running processes: last write wins, and a writer killed mid-way leaves an
// intact old or new file.
#include "platform/registry/Registry.h"

#include "tests/support/StoreFiles.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const KeyPath = "Software\\Marrowby\\ZelvanFree";

bool WriteValue(const std::string& name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, KeyPath, 0, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueEx(key, name.c_str(), REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                                      DWORD(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// The value's text, or "<missing>" / "<type N>" when it is absent or not a string.
std::string ReadValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, KeyPath, 0, KEY_ALL_ACCESS, &key, nullptr) != ERROR_SUCCESS)
        return "<no key>";
    DWORD type = 0, size = 0;
    std::string result = "<missing>";
    if (RegQueryValueEx(key, name.c_str(), &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<uint8_t> buffer(size);
        if (RegQueryValueEx(key, name.c_str(), &type, buffer.data(), &size) == ERROR_SUCCESS) {
            result = type == REG_SZ && size > 0 ? std::string(buffer.begin(), buffer.begin() + size - 1)
                                                : "<type " + std::to_string(type) + ">";
        }
    }
    RegCloseKey(key);
    return result;
}

// Starts this test binary again as a writer process (see the Child test below).
pid_t StartWriter(const std::string& mode, const std::string& name, const std::string& value) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.push_back("ZELVAN_CHILD_HOME=" + TestConfigHome());
    env.push_back("ZELVAN_CHILD_MODE=" + mode);
    env.push_back("ZELVAN_CHILD_NAME=" + name);
    env.push_back("ZELVAN_CHILD_VALUE=" + value);
    std::vector<char*> envp;
    for (std::string& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string exe = fs::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=RegistryChild.DISABLED_Writer";
    std::string disabled = "--gtest_also_run_disabled_tests";
    char* argv[] = {exe.data(), filter.data(), disabled.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0); // keep the log readable
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Child side: "once" writes NAME=VALUE; "count" writes NAME=VALUE-i and VALUE-only=i for i = 1..40;
// "loop" writes NAME as 200000 copies of a letter, a new letter each time, until killed.
TEST(RegistryChild, DISABLED_Writer) {
    const char* home = std::getenv("ZELVAN_CHILD_HOME");
    ASSERT_NE(home, nullptr);
    fs::remove_all(TestConfigHome()); // this process's own empty home is not needed
    setenv("XDG_CONFIG_HOME", home, 1);
    const std::string mode = std::getenv("ZELVAN_CHILD_MODE");
    const std::string name = std::getenv("ZELVAN_CHILD_NAME");
    const std::string value = std::getenv("ZELVAN_CHILD_VALUE");
    if (mode == "once") {
        ASSERT_TRUE(WriteValue(name, value));
    } else if (mode == "count") {
        for (int i = 1; i <= 40; ++i) {
            ASSERT_TRUE(WriteValue(name, value + "-" + std::to_string(i)));
            ASSERT_TRUE(WriteValue(value + "-only", std::to_string(i)));
        }
    } else {
        for (int i = 0;; ++i)
            WriteValue(name, std::string(200000, char('a' + i % 26)));
    }
}

class RegistryProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(TestConfigHome()))
            fs::remove_all(entry.path());
    }
};

TEST_F(RegistryProcesses, LastWriteWinsBetweenRunningCopies) {
    ASSERT_TRUE(WriteValue("TopPlayer", "Nobody"));
    pid_t first = StartWriter("once", "TopPlayer", "Alice");
    ASSERT_GT(first, 0);
    ASSERT_EQ(Wait(first), 0);
    EXPECT_EQ(ReadValue("TopPlayer"), "Alice");
    pid_t second = StartWriter("once", "TopPlayer", "Bob");
    ASSERT_GT(second, 0);
    ASSERT_EQ(Wait(second), 0);
    EXPECT_EQ(ReadValue("TopPlayer"), "Bob");
}

TEST_F(RegistryProcesses, ConcurrentWritersLoseNoOtherValueAndLeaveAnIntactFile) {
    ASSERT_TRUE(WriteValue("Sound", "1"));
    pid_t a = StartWriter("count", "Shared", "A");
    pid_t b = StartWriter("count", "Shared", "B");
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);
    const std::string shared = ReadValue("Shared");
    EXPECT_TRUE(shared == "A-40" || shared == "B-40") << shared;
    // Each writer's own value survived the other's saves, and so did the value neither touched.
    EXPECT_EQ(ReadValue("A-only"), "40");
    EXPECT_EQ(ReadValue("B-only"), "40");
    EXPECT_EQ(ReadValue("Sound"), "1");
}

TEST_F(RegistryProcesses, WriterKilledMidWayLeavesAnOldOrNewWholeValue) {
    ASSERT_TRUE(WriteValue("Sound", "0"));
    std::mt19937 random(12345);
    for (int round = 0; round < 6; ++round) {
        pid_t writer = StartWriter("loop", "Payload", "");
        ASSERT_GT(writer, 0);
        // Let it get going, then kill it at some point of a save.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (ReadFile(StoreFile()).find("Payload") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        kill(writer, SIGKILL);
        Wait(writer);

        const std::string payload = ReadValue("Payload");
        ASSERT_EQ(payload.size(), 200000u) << "round " << round << ": " << payload.substr(0, 40);
        EXPECT_EQ(payload.find_first_not_of(payload[0]), std::string::npos) << "mixed content";
        EXPECT_EQ(ReadValue("Sound"), "0");
    }
    // The killed writer's lock does not block the next one.
    EXPECT_TRUE(WriteValue("Sound", "1"));
    EXPECT_EQ(ReadValue("Sound"), "1");
}

} // namespace
