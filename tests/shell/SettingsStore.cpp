// Reading and writing the game's settings, the start-up loading of preferences and high score.
#include "shell/Settings.h"

#include "tests/support/StoreFiles.h"
#include "tests/support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& name) {
    return ReadRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name);
}
void Write(const std::string& name, const std::string& text) {
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name, text);
}

// Stores raw REG_SZ bytes, as another program might have left them.
void WriteRaw(const char* name, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, ZelvanKeyPath, 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name, REG_SZ, reinterpret_cast<const uint8_t*>(bytes.data()),
                            DWORD(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string Expect(const std::function<void()>& action) {
    try {
        action();
    } catch (const ERegistryError& e) {
        return e.Message;
    }
    return "<no error>";
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(TestConfigHome()))
            fs::remove_all(entry.path());
    }
    void TearDown() override { RegSetQueryHook(nullptr); }
};

TEST_F(Settings, FirstRunCreatesTheKeyWithTheThreeDefaultsOnly) {
    const TPreferences prefs = LoadPreferences();
    EXPECT_EQ(prefs.Sound, "1");
    EXPECT_EQ(prefs.Highlight, "1");
    EXPECT_EQ(prefs.Numbered, "0");
    EXPECT_TRUE(prefs.Errors.empty());
    EXPECT_EQ(Read("Sound"), "1");
    EXPECT_EQ(Read("Highlight"), "1");
    EXPECT_EQ(Read("Numbered"), "0");

    const THighScore record = LoadHighScore();
    EXPECT_EQ(record.TopLabel, "Top Player: Zelvan");
    EXPECT_EQ(record.HighLabel, "High Score: 1000 moves");
    EXPECT_EQ(record.Moves, 1000);
    const std::string file = ReadFile(StoreFile());
    EXPECT_EQ(file.find("TopPlayer"), std::string::npos) << file;
    EXPECT_EQ(file.find("HighScore"), std::string::npos) << file;
}

TEST_F(Settings, EmptyPreferenceTakesItsDefaultAndOtherTextIsKeptAsIs) {
    Write("Sound", "");
    Write("Highlight", "yes");
    Write("Numbered", "1");
    const TPreferences prefs = LoadPreferences();
    EXPECT_EQ(prefs.Sound, "1");
    EXPECT_EQ(prefs.Highlight, "yes"); // off, but held and written back unchanged
    EXPECT_EQ(prefs.Numbered, "1");
    EXPECT_EQ(Read("Sound"), "1");
    EXPECT_EQ(Read("Highlight"), "yes");
}

TEST_F(Settings, ReadingAValueNeverWrittenCreatesTheKeyButNoValue) {
    ASSERT_FALSE(fs::exists(StoreFile()));
    EXPECT_EQ(Read("TopPlayer"), "");
    EXPECT_TRUE(fs::exists(StoreFile()));
    EXPECT_EQ(ReadFile(StoreFile()), "");
}

TEST_F(Settings, TextEndsAtTheFirstZeroWithOrWithoutATerminator) {
    WriteRaw("Bare", "1");                            // no terminating zero
    WriteRaw("Padded", std::string("1\0\0\0", 4));    // trailing zeros
    WriteRaw("Embedded", std::string("ab\0cd\0", 6)); // text behind an embedded zero is dropped
    WriteRaw("Empty", std::string("\0", 1));
    EXPECT_EQ(Read("Bare"), "1");
    EXPECT_EQ(Read("Padded"), "1");
    EXPECT_EQ(Read("Embedded"), "ab");
    EXPECT_EQ(Read("Empty"), "");
}

TEST_F(Settings, WrittenTextReadsBackTheSame) {
    for (const std::string text : {"a,b", "a, b", ";x", "#x", " lead ", "@Variant(1)", "x=y",
                                   "\"q\"", "back\\slash", "J\xC3\xBCrgen", " "}) {
        Write("TopPlayer", text);
        EXPECT_EQ(Read("TopPlayer"), text);
    }
}

TEST_F(Settings, NonStringValueFailsTheReadAndSurvivesStartUp) {
    WriteFile(StoreFile(), "[General]\nSound=a, b\nHighlight=@ByteArray(1)\nNumbered=1\n");
    EXPECT_EQ(Expect([] { Read("Sound"); }), "Invalid data type for 'Sound'");
    EXPECT_EQ(Expect([] { Read("Highlight"); }), "Invalid data type for 'Highlight'");

    const TPreferences prefs = LoadPreferences();
    EXPECT_EQ(prefs.Sound, "1");
    EXPECT_EQ(prefs.Highlight, "1");
    EXPECT_EQ(prefs.Numbered, "1");
    EXPECT_EQ(prefs.Errors, (std::vector<std::string>{"Invalid data type for 'Sound'",
                                                      "Invalid data type for 'Highlight'"}));
    // What could not be read is left for the user, not overwritten with the default.
    const std::string file = ReadFile(StoreFile());
    EXPECT_NE(file.find("Sound=a, b"), std::string::npos) << file;
    EXPECT_NE(file.find("Highlight=@ByteArray(1)"), std::string::npos) << file;
}

TEST_F(Settings, DataThatChangesBetweenSizeAndFetchFailsTheRead) {
    Write("TopPlayer", "Al");
    int queries = 0;
    RegSetQueryHook([&](const std::string&) {
        if (++queries == 2) // after the size was learned, someone stores a longer name
            Write("TopPlayer", "Alexandra");
    });
    EXPECT_EQ(Expect([] { Read("TopPlayer"); }), "Failed to get data for 'TopPlayer'");
    RegSetQueryHook(nullptr);

    queries = 0;
    RegSetQueryHook([&](const std::string&) {
        if (++queries == 2) Write("TopPlayer", "Al");
    });
    EXPECT_EQ(Read("TopPlayer"), "Al"); // shorter data fits the buffer
    RegSetQueryHook(nullptr);

    queries = 0;
    RegSetQueryHook([&](const std::string&) {
        if (++queries == 2) Write("TopPlayer", "");
    });
    const THighScore record = LoadHighScore(); // TopPlayer read fails mid-way; start-up goes on
    EXPECT_EQ(record.TopLabel, "Top Player: Zelvan");
    EXPECT_EQ(record.Errors.size(), 0u); // an empty value simply fits
}

TEST_F(Settings, HighScoreThatIsNotIntegerTextCountsAsNoRecord) {
    Write("TopPlayer", "Ann ");
    Write("HighScore", "12x");
    THighScore record = LoadHighScore();
    EXPECT_EQ(record.Moves, 1000);
    EXPECT_EQ(record.TopLabel, "Top Player: Ann "); // the name is read normally
    EXPECT_EQ(record.HighLabel, "High Score: 1000 moves");
    EXPECT_EQ(record.Errors, (std::vector<std::string>{"'12x' is not a valid integer value"}));
    EXPECT_EQ(Read("HighScore"), "12x"); // left as stored

    Write("HighScore", "57");
    Write("TopPlayer", " ");
    record = LoadHighScore();
    EXPECT_EQ(record.Moves, 57);
    EXPECT_EQ(record.TopLabel, "Top Player:  ");
    EXPECT_EQ(record.HighLabel, "High Score: 57 moves");
    EXPECT_TRUE(record.Errors.empty());
}

TEST_F(Settings, StoreWhoseDirectoryCannotBeMadeReadsEmptyAndSkipsWrites) {
    WriteFile(fs::path(TestConfigHome()) / "Marrowby", "a file in the way");
    EXPECT_EQ(Read("Sound"), "");
    EXPECT_NO_THROW(Write("Sound", "1"));
    const TPreferences prefs = LoadPreferences();
    EXPECT_EQ(prefs.Sound, "1");
    EXPECT_EQ(prefs.Numbered, "0");
    EXPECT_TRUE(prefs.Errors.empty());
    EXPECT_EQ(LoadHighScore().Moves, 1000);
    EXPECT_EQ(ReadFile(fs::path(TestConfigHome()) / "Marrowby"), "a file in the way");
}

// Runs the check in a child process, as an unprivileged user when the tests run as root (root may
// write anywhere). A child still running after a minute has hung and is ended.
template <typename Check> void InChild(bool unprivileged, Check check) {
    if (unprivileged && geteuid() == 0)
        fs::permissions(TestConfigHome(), fs::perms::owner_all | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read |
                                              fs::perms::others_exec);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        check();
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 6000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            FAIL() << "the store hung the child process for a minute";
        }
        usleep(10000);
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the check failed in the child process";
}

template <typename Check> void AsUnprivileged(Check check) {
    InChild(true, check);
}

// A lock file naming a process that has ended: made by a child that takes the lock and dies.
void LeaveLockOfEndedProcess(const fs::path& lockName) {
    fs::create_directories(lockName.parent_path());
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        QLockFile lock(QString::fromStdString(lockName.string()));
        _exit(lock.tryLock(0) ? 0 : 1); // no unlock: the lock outlives its owner
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(fs::exists(lockName));
    ASSERT_EQ(ReadFile(lockName).rfind(std::to_string(pid) + "\n", 0), 0u) << ReadFile(lockName);
}

void StoreRecord() {
    Write("Sound", "0");
    Write("Highlight", "1");
    Write("Numbered", "0");
    Write("TopPlayer", "Ann");
    Write("HighScore", "57");
}

void ExpectRecordReadWithoutStoring() {
    const TPreferences prefs = LoadPreferences();
    EXPECT_EQ(prefs.Sound, "0");
    EXPECT_EQ(prefs.Highlight, "1");
    // Every preference is stored already: start-up has nothing to write and nothing to report.
    EXPECT_TRUE(prefs.Errors.empty()) << prefs.Errors.front();
    const THighScore record = LoadHighScore();
    EXPECT_EQ(record.TopLabel, "Top Player: Ann");
    EXPECT_EQ(record.Moves, 57);
    EXPECT_EQ(Expect([] { Write("TopPlayer", "Bob"); }), "Failed to set data for 'TopPlayer'");
    EXPECT_EQ(Read("TopPlayer"), "Ann");
}

TEST_F(Settings, RefusedWriteIsReportedAndChangesNothing) {
    Write("Sound", "0");
    Write("TopPlayer", "Ann");
    const std::string before = ReadFile(StoreFile());
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_read | fs::perms::owner_exec |
                                                   fs::perms::group_read | fs::perms::group_exec |
                                                   fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(StoreFile(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    AsUnprivileged([] {
        EXPECT_EQ(Read("Sound"), "0");
        EXPECT_EQ(Expect([] { Write("TopPlayer", "Bob"); }), "Failed to set data for 'TopPlayer'");
        EXPECT_EQ(Read("TopPlayer"), "Ann");
        // Start-up still comes up with what was stored.
        const TPreferences prefs = LoadPreferences();
        EXPECT_EQ(prefs.Sound, "0");
        EXPECT_EQ(prefs.Highlight, "1");
        // Only the defaults that were not stored yet fail to be written back.
        EXPECT_EQ(prefs.Errors.size(), 2u);
        if (!prefs.Errors.empty()) {
            EXPECT_EQ(prefs.Errors[0], "Failed to set data for 'Highlight'");
        }
    });
    EXPECT_EQ(ReadFile(StoreFile()), before);
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_all);
}

// What a killed program leaves behind (an empty lock, one naming its ended process, temporary
// files of a save) is cleared at the next start; a lock held by a live process holds start-up up
// for a moment at most (never the lock's half-minute stale time).
TEST_F(Settings, LeftoversOfKilledSavesAreClearedAndAHeldLockDoesNotHoldStartUpUp) {
    const fs::path lockName = StoreFile().string() + ".lock";
    for (const std::string lock : {"empty", "ended", "held"}) {
        fs::remove_all(StoreFile().parent_path());
        WriteFile(StoreFile().string() + ".k3Xq9Z", "[General]\nSound=0\n");
        WriteFile(StoreFile().string() + ".unreadable-20260101", "kept");
        WriteFile(StoreFile().parent_path() / "Other.conf.k3Xq9Z", "not ours");
        std::unique_ptr<QLockFile> holder;
        if (lock == "held") {
            holder = std::make_unique<QLockFile>(QString::fromStdString(lockName.string()));
            ASSERT_TRUE(holder->tryLock(0));
        } else if (lock == "ended") {
            LeaveLockOfEndedProcess(lockName);
        } else {
            WriteFile(lockName, "");
        }
        QElapsedTimer clock;
        clock.start();
        const TPreferences prefs = LoadPreferences();
        EXPECT_LT(clock.elapsed(), 10000) << "lock: " << lock;
        EXPECT_TRUE(prefs.Errors.empty()) << "lock: " << lock;
        EXPECT_EQ(Read("Numbered"), "0") << "lock: " << lock;
        EXPECT_FALSE(fs::exists(StoreFile().string() + ".k3Xq9Z")) << "lock: " << lock;
        EXPECT_TRUE(fs::exists(StoreFile().string() + ".unreadable-20260101"));
        EXPECT_TRUE(fs::exists(StoreFile().parent_path() / "Other.conf.k3Xq9Z"));
        if (lock != "held") {
            EXPECT_FALSE(fs::exists(lockName)) << "lock: " << lock;
        }
    }
}

// A lock that can be neither taken nor cleared leaves the store read-only for the run: the record
// is read, writes are refused at once, and nothing waits on the lock.
TEST_F(Settings, LockThatCannotBeTakenOrClearedLeavesTheStoreReadOnly) {
    const fs::path lockName = StoreFile().string() + ".lock";
    StoreRecord();
    fs::create_directory(lockName); // a directory in the lock's place
    std::string before = ReadFile(StoreFile());
    InChild(false, [] { ExpectRecordReadWithoutStoring(); });
    EXPECT_EQ(ReadFile(StoreFile()), before);

    fs::remove(lockName);
    LeaveLockOfEndedProcess(lockName); // in a folder the user may not write
    fs::permissions(StoreFile(), fs::perms::owner_read | fs::perms::owner_write |
                                     fs::perms::others_read | fs::perms::others_write);
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_read | fs::perms::owner_exec |
                                                   fs::perms::others_read | fs::perms::others_exec);
    before = ReadFile(StoreFile());
    AsUnprivileged([] { ExpectRecordReadWithoutStoring(); });
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(StoreFile()), before);
}

TEST_F(Settings, ReadOnlyFolderWithoutAFileReadsEmptyAndSkipsWritesSilently) {
    fs::create_directories(StoreFile().parent_path());
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_read | fs::perms::owner_exec |
                                                   fs::perms::group_read | fs::perms::group_exec |
                                                   fs::perms::others_read | fs::perms::others_exec);
    AsUnprivileged([] {
        EXPECT_EQ(Read("Sound"), "");
        EXPECT_EQ(Expect([] { Write("Sound", "0"); }), "<no error>");
        const TPreferences prefs = LoadPreferences();
        EXPECT_EQ(prefs.Sound, "1");
        EXPECT_TRUE(prefs.Errors.empty()) << prefs.Errors.front();
    });
    EXPECT_FALSE(fs::exists(StoreFile()));
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_all);
}

TEST_F(Settings, ReadOnlyFolderWithAWritableFileIsWrittenInPlace) {
    Write("TopPlayer", "Ann");
    fs::permissions(StoreFile(), fs::perms::owner_read | fs::perms::owner_write |
                                     fs::perms::group_read | fs::perms::group_write |
                                     fs::perms::others_read | fs::perms::others_write);
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_read | fs::perms::owner_exec |
                                                   fs::perms::group_read | fs::perms::group_exec |
                                                   fs::perms::others_read | fs::perms::others_exec);
    AsUnprivileged([] {
        const TPreferences prefs = LoadPreferences();
        EXPECT_TRUE(prefs.Errors.empty()) << prefs.Errors.front();
        EXPECT_EQ(Expect([] { Write("TopPlayer", "Bob"); }), "<no error>");
        EXPECT_EQ(Read("TopPlayer"), "Bob");
    });
    fs::permissions(StoreFile().parent_path(), fs::perms::owner_all);
    const std::string file = ReadFile(StoreFile());
    EXPECT_NE(file.find("TopPlayer=Bob"), std::string::npos) << file;
    EXPECT_NE(file.find("Highlight=1"), std::string::npos) << file;
}

TEST_F(Settings, FileOfRandomBytesIsSetAsideAndAFreshStoreStarted) {
    std::string junk(1 << 20, '\0');
    std::mt19937 random(11);
    for (char& c : junk)
        c = char(random());
    WriteFile(StoreFile(), junk);
    LoadPreferences();
    const std::string fresh = ReadFile(StoreFile());
    EXPECT_LT(fresh.size(), 200u) << "junk carried over into the new store";
    EXPECT_NE(fresh.find("Sound=1"), std::string::npos) << fresh;
    int copies = 0;
    for (const auto& entry : fs::directory_iterator(StoreFile().parent_path()))
        if (entry.path().filename().string().rfind("ZelvanFree.conf.unreadable-", 0) == 0) {
            ++copies;
            EXPECT_TRUE(ReadFile(entry.path()) == junk);
        }
    EXPECT_EQ(copies, 1);
    LoadPreferences();
    EXPECT_EQ(ReadFile(StoreFile()), fresh);
}

// Serialised variants are typed data, whatever they decode to, and reading them prints nothing.
TEST_F(Settings, SerialisedVariantsAreNotStringsAndStayQuiet) {
    WriteFile(StoreFile(), "[General]\n"
                           "Sound=@Variant(\\0\\0\\0\\n\\0\\0\\0\\0\\x2\\0\\x31)\n"
                           "Highlight=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\0\\x8NoSuchTy\\0)\n"
                           "Numbered=0\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Expect([] { Read("Sound"); }), "Invalid data type for 'Sound'");
    EXPECT_EQ(Expect([] { Read("Highlight"); }), "Invalid data type for 'Highlight'");
    EXPECT_EQ(Read("Numbered"), "0");
    const TPreferences prefs = LoadPreferences();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "");
    EXPECT_EQ(prefs.Sound, "1");
    EXPECT_EQ(prefs.Errors.size(), 2u);
}

// A crash or power loss can leave zeros where the end of the file was: every value that still
// parses is kept, and only then is the damaged original set aside.
TEST_F(Settings, StoreWithADamagedTailKeepsEveryValueThatStillParses) {
    const std::string damaged = std::string("[General]\nHighScore=57\nSound=0\nTopPlayer=Ann\nNu") +
                                std::string(4096, '\0');
    WriteFile(StoreFile(), damaged);
    const TPreferences prefs = LoadPreferences();
    EXPECT_EQ(prefs.Sound, "0");
    const THighScore record = LoadHighScore();
    EXPECT_EQ(record.TopLabel, "Top Player: Ann");
    EXPECT_EQ(record.Moves, 57);
    const std::string repaired = ReadFile(StoreFile());
    EXPECT_EQ(repaired.find('\0'), std::string::npos);
    EXPECT_NE(repaired.find("Numbered=0"), std::string::npos) << repaired;
    int copies = 0;
    for (const auto& entry : fs::directory_iterator(StoreFile().parent_path()))
        if (entry.path().filename().string().rfind("ZelvanFree.conf.unreadable-", 0) == 0)
            copies += ReadFile(entry.path()) == damaged ? 1 : 100;
    EXPECT_EQ(copies, 1);
}

// A store far larger than any real one is moved aside whole (the same file, never read or copied)
// and a fresh store is started.
TEST_F(Settings, StoreFarLargerThanAnyRealOneIsSetAsideUnread) {
    WriteFile(StoreFile(), "[General]\nSound=0\nJunk=");
    fs::resize_file(StoreFile(), 50u << 20);
    struct stat original {};
    ASSERT_EQ(stat(StoreFile().c_str(), &original), 0);
    const TPreferences prefs = LoadPreferences();
    EXPECT_EQ(prefs.Sound, "1");
    EXPECT_TRUE(prefs.Errors.empty());
    EXPECT_LT(fs::file_size(StoreFile()), 200u);
    int copies = 0;
    for (const auto& entry : fs::directory_iterator(StoreFile().parent_path()))
        if (entry.path().filename().string().rfind("ZelvanFree.conf.unreadable-", 0) == 0) {
            struct stat aside {};
            ASSERT_EQ(stat(entry.path().c_str(), &aside), 0);
            EXPECT_EQ(aside.st_ino, original.st_ino) << "the store was copied, not moved";
            ++copies;
        }
    EXPECT_EQ(copies, 1);
}

} // namespace
