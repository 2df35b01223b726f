// The record and options dialogs as players use them, against the real store file of the process.
#include "shell/HighScore.h"
#include "shell/Options.h"

#include "tests/shell/DialogHarness.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using RecordDialog = DialogTest;
using OptionsDialog = DialogTest;

TEST_F(RecordDialog, NameIsLimitedToTenCharactersTypedOrPastedAndKeepsItsBlanks) {
    TfrmHighScore dialog;
    dialog.HighScoreMoves = 57;
    const int result = ShowModalWith(&dialog, [&] {
        QLineEdit* name = dialog.txtHighName;
        QTest::keyClicks(name, QStringLiteral("Abcdefghijk"));
        EXPECT_EQ(name->text(), QLatin1String("Abcdefghij"));
        name->clear();
        QApplication::clipboard()->setText(QStringLiteral("  Pasted name too long"));
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(name->text(), QLatin1String("  Pasted n"));
        // A character that would be cut in half at the limit is left out whole.
        name->clear();
        QApplication::clipboard()->setText(QString::fromUtf8("abcdefghi\xF0\x9F\x98\x80xyz"));
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(name->text(), QLatin1String("abcdefghi"));
        name->clear();
        QTest::keyClicks(name, QStringLiteral(" Bo b  "));
        // Neither key ends the dialog: it has no default or cancel button.
        QTest::keyClick(name, Qt::Key_Return);
        QTest::keyClick(name, Qt::Key_Enter);
        QTest::keyClick(name, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(Stored("TopPlayer"), "");
        // OK is worked with the mouse and leaves the focus where it was.
        name->setFocus();
        Click(dialog.btnOK);
        EXPECT_FALSE(dialog.btnOK->hasFocus());
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(Stored("TopPlayer"), " Bo b  ");
    EXPECT_EQ(Stored("HighScore"), "57");
    EXPECT_TRUE(Reported.empty());
}

TEST_F(RecordDialog, EveryShowingStartsEmptyAndAnEmptyNameIsStoredAsOneSpace) {
    Store("TopPlayer", "Ann");
    Store("HighScore", "80");
    TfrmHighScore dialog;
    dialog.txtHighName->setText(QStringLiteral("Old"));
    dialog.HighScoreMoves = 12;
    ShowModalWith(&dialog, [&] {
        EXPECT_EQ(dialog.txtHighName->text(), QString());
        Click(dialog.btnOK);
        EXPECT_EQ(dialog.txtHighName->text(), QLatin1String(" "));
    });
    EXPECT_EQ(Stored("TopPlayer"), " ");
    EXPECT_EQ(Stored("HighScore"), "12");

    // Closed other than through OK (the window system's close), it stores nothing.
    dialog.HighScoreMoves = 3;
    ShowModalWith(&dialog, [&] {
        EXPECT_EQ(dialog.txtHighName->text(), QString());
        QTest::keyClicks(dialog.txtHighName, QStringLiteral("Zed"));
        dialog.close();
    });
    EXPECT_EQ(Stored("TopPlayer"), " ");
    EXPECT_EQ(Stored("HighScore"), "12");
}

TEST_F(OptionsDialog, BoxesFollowTheWorkingCopiesAndOkStoresAllThree) {
    std::string sound = "1", highlight = "yes", numbered = "0";
    TfrmOptions dialog;
    dialog.SetWorkingCopies(sound, highlight, numbered);
    const int result = ShowModalWith(&dialog, [&] {
        // Only "1" checks a box; text other than "1" and "0" shows unchecked.
        EXPECT_TRUE(dialog.chkSound->isChecked());
        EXPECT_FALSE(dialog.chkHighlight->isChecked());
        EXPECT_FALSE(dialog.chkNumbered->isChecked());
        Click(dialog.chkNumbered, QPoint(8, 12));
        EXPECT_TRUE(dialog.chkNumbered->isChecked());
        Click(dialog.btnOK);
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(sound, "1");
    EXPECT_EQ(highlight, "0"); // untouched, but rewritten as "0"
    EXPECT_EQ(numbered, "1");
    EXPECT_EQ(Stored("Sound"), "1");
    EXPECT_EQ(Stored("Highlight"), "0");
    EXPECT_EQ(Stored("Numbered"), "1");
}

TEST_F(OptionsDialog, CancelAndTheCloseBoxChangeNothingAndTicksDoNotSurvive) {
    Store("Sound", "0");
    Store("Highlight", "1");
    Store("Numbered", "x");
    const std::string before = ReadFile(StoreFile());
    std::string sound = "0", highlight = "1", numbered = "x";
    TfrmOptions dialog;
    dialog.SetWorkingCopies(sound, highlight, numbered);
    for (bool viaCloseBox : {false, true}) {
        SCOPED_TRACE(viaCloseBox ? "close box" : "CANCEL");
        ShowModalWith(&dialog, [&] {
            EXPECT_FALSE(dialog.chkSound->isChecked());
            EXPECT_TRUE(dialog.chkHighlight->isChecked());
            EXPECT_FALSE(dialog.chkNumbered->isChecked());
            for (QCheckBox* box : {dialog.chkSound, dialog.chkHighlight, dialog.chkNumbered})
                Click(box, QPoint(8, 12));
            if (viaCloseBox)
                dialog.close();
            else
                Click(dialog.btnCancel);
        });
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(sound, "0");
        EXPECT_EQ(highlight, "1");
        EXPECT_EQ(numbered, "x");
        EXPECT_EQ(ReadFile(StoreFile()), before);
    }
    EXPECT_TRUE(App->Terminated() == false);
}

// Runs check in a child process that may not change the store (root may write anywhere, so the
// child gives up its rights); the child's verdict is its exit status.
template <typename Check> void WithReadOnlyStore(Check check) {
    const fs::path dir = StoreFile().parent_path();
    fs::permissions(TestConfigHome(), fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    fs::permissions(StoreFile(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        check();
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    fs::permissions(dir, fs::perms::owner_all);
    fs::permissions(StoreFile(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the check failed in the child process";
}

TEST_F(DialogTest, RefusedStoreKeepsTheDialogOpenAndShowsTheMessage) {
    Store("Sound", "1");
    Store("Highlight", "1");
    Store("Numbered", "0");
    Store("TopPlayer", "Ann");
    Store("HighScore", "80");
    const std::string before = ReadFile(StoreFile());
    WithReadOnlyStore([&] {
        TfrmHighScore record;
        record.HighScoreMoves = 40;
        record.show();
        QTest::keyClicks(record.txtHighName, QStringLiteral("Bob"));
        Click(record.btnOK);
        EXPECT_TRUE(record.isVisible());
        EXPECT_EQ(Reported, std::vector<std::string>{"Failed to set data for 'TopPlayer'"});
        EXPECT_EQ(record.txtHighName->text(), QLatin1String("Bob"));

        Reported.clear();
        std::string sound = "1", highlight = "1", numbered = "0";
        TfrmOptions options;
        options.SetWorkingCopies(sound, highlight, numbered);
        options.show();
        Click(options.chkNumbered, QPoint(8, 12));
        Click(options.btnOK);
        EXPECT_TRUE(options.isVisible());
        EXPECT_EQ(Reported, std::vector<std::string>{"Failed to set data for 'Sound'"});
        // The new preferences are in force for this run even though none could be stored.
        EXPECT_EQ(numbered, "1");
    });
    EXPECT_EQ(ReadFile(StoreFile()), before);
}

} // namespace
