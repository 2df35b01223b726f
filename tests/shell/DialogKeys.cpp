// The dialogs without a mouse: the keys each one answers, the accelerators of the two that ignore
// Enter and Escape, and what accessibility tools read of them.
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"
#include "shell/Winner.h"

#include "tests/shell/DialogHarness.h"
#include "tests/support/DialogKeys.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextEdit>

#include <set>
#include <utility>

namespace {

using DialogKeys = DialogTest;

TEST_F(DialogKeys, OptionsTickWithSpaceAcceptWithEnterAndCancelWithEscape) {
    TfrmOptions dialog;
    std::string sound = "1", highlight = "0", numbered = "0";
    dialog.SetWorkingCopies(sound, highlight, numbered);

    // Space ticks the focused box, Tab moves on to the next, Enter stores like OK.
    int result = ShowModalWith(&dialog, [&] {
        ASSERT_EQ(dialog.focusWidget(), dialog.chkSound);
        PressKey(&dialog, Qt::Key_Space);
        PressKey(&dialog, Qt::Key_Tab);
        EXPECT_EQ(dialog.focusWidget(), dialog.chkHighlight) << "the buttons take no focus";
        PressKey(&dialog, Qt::Key_Space);
        EXPECT_FALSE(dialog.chkSound->isChecked());
        EXPECT_TRUE(dialog.chkHighlight->isChecked());
        EXPECT_EQ(Stored("Sound"), "") << "nothing stored before Enter";
        PressKey(&dialog, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(std::make_pair(sound, highlight), std::make_pair(std::string("0"), std::string("1")));
    EXPECT_EQ(Stored("Sound"), "0");
    EXPECT_EQ(Stored("Highlight"), "1");
    EXPECT_EQ(Stored("Numbered"), "0");

    // Escape is CANCEL: ticks are dropped, nothing changes.
    result = ShowModalWith(&dialog, [&] {
        PressKey(&dialog, Qt::Key_Space);
        EXPECT_TRUE(dialog.chkSound->isChecked());
        PressKey(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(sound, "0");
    EXPECT_EQ(Stored("Sound"), "0");

    // The keypad's Enter stores too.
    result = ShowModalWith(&dialog, [&] {
        PressKey(&dialog, Qt::Key_Tab);
        PressKey(&dialog, Qt::Key_Tab);
        PressKey(&dialog, Qt::Key_Space);
        PressKey(&dialog, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(Stored("Numbered"), "1");
    EXPECT_TRUE(Reported.empty());
}

TEST_F(DialogKeys, HelpClosesWithEscapeFromAnyPage) {
    TfrmHelp help;
    const int result = ShowModalWith(&help, [&] {
        help.pgeHelp->setCurrentIndex(2);
        help.rtfLegal->setFocus();
        PressKey(&help, Qt::Key_Escape);
        EXPECT_FALSE(help.isVisible());
    });
    EXPECT_EQ(result, mrOk);
}

TEST_F(DialogKeys, RecordAndWinnerIgnoreEnterAndEscapeButAnswerTheirAccelerators) {
    TfrmHighScore record;
    record.HighScoreMoves = 41;
    EXPECT_EQ(record.btnOK->VisibleCaption(), QLatin1String("OK"));
    int result = ShowModalWith(&record, [&] {
        EXPECT_EQ(record.focusWidget(), record.txtHighName);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_O})
            PressKey(&record, key);
        EXPECT_TRUE(record.isVisible());
        EXPECT_EQ(Stored("TopPlayer"), "");
        record.txtHighName->clear();
        AnswerRecordByKeys(&record, QStringLiteral("Kay"));
        EXPECT_FALSE(record.isVisible());
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(Stored("TopPlayer"), "Kay");
    EXPECT_EQ(Stored("HighScore"), "41");

    TfrmWinner winner;
    EXPECT_EQ(winner.btnClose->VisibleCaption(), QLatin1String("CLOSE"));
    result = ShowModalWith(&winner, [&] {
        PressKey(&winner, Qt::Key_Escape);
        PressKey(&winner, Qt::Key_Return);
        EXPECT_TRUE(winner.isVisible());
        CloseWinnerByKeys(&winner);
        EXPECT_FALSE(winner.isVisible());
    });
    EXPECT_EQ(result, mrOk);

    // The helper a win uses answers each showing of the program's two dialogs once, by keys.
    frmHighScore = &record;
    frmWinner = &winner;
    {
        TWinDialogsByKeys keys(QStringLiteral("Lee"));
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            record.close();
            winner.close();
        });
        guard.start(10000);
        for (int round = 0; round < 2; ++round) {
            record.HighScoreMoves = 30 - round;
            EXPECT_EQ(record.ShowModal(), mrOk);
            EXPECT_EQ(winner.ShowModal(), mrOk);
        }
        EXPECT_EQ(keys.RecordsAnswered, 2);
        EXPECT_EQ(keys.WinnersClosed, 2);
    }
    frmHighScore = nullptr;
    frmWinner = nullptr;
    EXPECT_EQ(Stored("TopPlayer"), "Lee");
    EXPECT_EQ(Stored("HighScore"), "29");
    EXPECT_TRUE(Reported.empty());
}

// Role and name of every accessible object under Root, walking the tree as a screen reader does.
std::set<std::pair<QAccessible::Role, QString>> Tree(QAccessibleInterface* Root) {
    std::set<std::pair<QAccessible::Role, QString>> out;
    for (int i = 0; i < Root->childCount(); ++i) {
        QAccessibleInterface* child = Root->child(i);
        if (!child) continue;
        out.emplace(child->role(), child->text(QAccessible::Name));
        out.merge(Tree(child));
    }
    return out;
}

TEST_F(DialogKeys, DialogsAndTheirControlsAreNamedForAccessibilityTools) {
    TfrmOptions options;
    TfrmHelp help;
    TfrmHighScore record;
    TfrmWinner winner;
    using Entry = std::pair<QAccessible::Role, QString>;
    const struct {
        QWidget* Dialog;
        const char* Name;
        std::vector<Entry> Contains;
    } dialogs[] = {
        {&options,
         "Options",
         {{QAccessible::CheckBox, "Play sounds"},
          {QAccessible::CheckBox, "Highlight correct tiles"},
          {QAccessible::CheckBox, "Show row/col numbers"},
          {QAccessible::PushButton, "CANCEL"},
          {QAccessible::PushButton, "OK"}}},
        {&help,
         "Help",
         {{QAccessible::PageTab, "Object of the game"},
          {QAccessible::PageTab, "Prize fund"},
          {QAccessible::PushButton, "CLOSE"}}},
        {&record,
         "You have beaten the High Score!",
         {{QAccessible::EditableText, "Name:"}, {QAccessible::PushButton, "OK"}}},
        {&winner,
         "Congratulations!",
         {{QAccessible::EditableText, "Congratulations"}, {QAccessible::PushButton, "CLOSE"}}},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.Name);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(d.Dialog);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->text(QAccessible::Name), QLatin1String(d.Name));
        const auto tree = Tree(window);
        for (const Entry& e : d.Contains)
            EXPECT_TRUE(tree.count(e)) << "missing " << e.second.toStdString();
    }
}

} // namespace
