// The store shared by running processes: last write wins, and a writer killed mid-way leaves an
// intact old or new file, also when it had to rewrite the file in place.
#include "platform/registry/Registry.h"
#include "tests/platform/registry/RegistryValues.h"

#include "tests/support/StoreFiles.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
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

// Starts the writer process (tests/platform/registry/writer) on this test's store; VALUE is not
// passed in "loop" mode.
pid_t StartWriter(const std::string& mode, const std::string& name, const std::string& value) {
    std::string exe =
        (fs::read_symlink("/proc/self/exe").parent_path() / "registry_writer").string();
    std::vector<std::string> args{exe, mode, name};
    if (mode != "loop") args.push_back(value);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY,
                                     0); // keep the log readable
    pid_t pid = 0;
    // The environment carries this process's XDG_CONFIG_HOME, so the writer uses the same store.
    const int failed = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

// The names of the main section's values as the settings parser reads the file.
std::vector<std::string> StoredNames() {
    QSettings parsed(QString::fromStdString(StoreFile().string()), QSettings::IniFormat);
    std::vector<std::string> names;
    for (const QString& name : parsed.childKeys())
        names.push_back(name.toStdString());
    return names;
}

// A save into a folder that refuses new files rewrites the file in place; cut after any number of
// bytes, as a kill would cut it, it leaves every value old or new and no other value beside them.
TEST_F(RegistryProcesses, InPlaceSaveCutAtAnyByteLeavesEachValueOldOrNew) {
    ASSERT_TRUE(WriteValue("Sound", "1"));
    ASSERT_TRUE(WriteValue("TopPlayer", "Annabelle"));
    ASSERT_TRUE(WriteValue("HighScore", "250"));
    fs::permissions(TestConfigHome(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(StoreFile(), fs::perms::owner_read | fs::perms::owner_write |
                                     fs::perms::others_read | fs::perms::others_write);
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_read | fs::perms::owner_exec |
                                                   fs::perms::others_read | fs::perms::others_exec);
    const pid_t child = fork(); // as nobody when root, who could write the folder anyway
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        struct TChange {
            const char* Name;
            const char* Text;
        };
        // A shrinking, a growing and a new value.
        for (const TChange change : {TChange{"TopPlayer", "Bo"}, TChange{"HighScore", "98765"},
                                     TChange{"Numbered", "0"}}) {
            const std::string before = ReadFile(StoreFile());
            const std::string old = ReadValue(change.Name);
            std::vector<std::string> names = StoredNames(), added = names;
            if (old == "<missing>") added.push_back(change.Name);
            std::sort(added.begin(), added.end());
            bool done = false;
            long long cut = 0;
            for (; !done && cut < 100000; ++cut) {
                std::ofstream(StoreFile(), std::ios::binary | std::ios::trunc) << before;
                RegSetSaveByteLimit(cut);
                done = WriteValue(change.Name, change.Text);
                RegSetSaveByteLimit(-1);
                const std::string value = ReadValue(change.Name);
                EXPECT_TRUE(value == change.Text || value == old)
                    << change.Name << " holds " << value << " after a cut at " << cut;
                EXPECT_TRUE(!done || value == change.Text);
                EXPECT_EQ(ReadValue("Sound"), "1") << "cut at " << cut;
                std::vector<std::string> now = StoredNames();
                std::sort(now.begin(), now.end());
                EXPECT_TRUE(now == names || now == added) << "other values after a cut at " << cut;
                if (::testing::Test::HasFailure()) _exit(1);
            }
            EXPECT_TRUE(done);
            // The next save leaves no trace of one cut half-way.
            const long long total = cut; // bytes of a whole save
            std::ofstream(StoreFile(), std::ios::binary | std::ios::trunc) << before;
            RegSetSaveByteLimit(total / 2);
            WriteValue(change.Name, "cut");
            RegSetSaveByteLimit(-1);
            EXPECT_TRUE(WriteValue(change.Name, change.Text));
            const std::string after = ReadFile(StoreFile());
            EXPECT_EQ(after.find_first_of(";~"), std::string::npos) << after;
        }
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    EXPECT_EQ(Wait(child), 0) << "a cut save left a value that is neither old nor new";
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_all);
}

} // namespace
