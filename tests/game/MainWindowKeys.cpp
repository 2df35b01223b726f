// The main window without a mouse: its shortcuts, inert under a modal dialog, and the panel as
// accessibility tools read it.
#include "tests/game/MainWindowHarness.h"
#include "tests/support/DialogKeys.h"
#include "tests/support/InsideModal.h"

#include "controls/brixColorButton.h"
#include "shell/Help.h"
#include "shell/Options.h"

#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

namespace {

class MainWindowKeys : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Start();
        frmOptions = new TfrmOptions;
        frmHelp = new TfrmHelp;
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
        auto deal = Form->btnScramble->onclick;
        Form->btnScramble->onclick = [this, deal](QObject* Sender) {
            ++Deals;
            deal(Sender);
        };
    }
    void TearDown() override {
        delete frmOptions;
        frmOptions = nullptr;
        delete frmHelp;
        frmHelp = nullptr;
        MainWindowTest::TearDown();
    }

    // Presses Key on the main window; Steps run inside the modal loop of Dialog once it is up. A
    // dialog still open ten seconds later is closed, so a fault fails instead of hanging. Returns
    // whether the dialog came up.
    bool KeyOpens(Qt::Key Key, QWidget* Dialog, const std::function<void()>& Steps) {
        return RunInsideModalOf(Dialog, [this, Key] { PressKey(Form, Key); }, Steps);
    }

    int Deals = 0;
};

TEST_F(MainWindowKeys, ShortcutsWorkThePanelButtonsAndNothingWhileADialogIsModal) {
    PressKey(Form, Qt::Key_N);
    EXPECT_EQ(Deals, 1);
    EXPECT_EQ(Form->lblMoves->text(), QLatin1String("Moves: 0"));
    PressKey(Form, Qt::Key_F2);
    EXPECT_EQ(Deals, 2);

    // Under each modal dialog the main window's keys do nothing: no deal, no second dialog.
    auto inert = [&](QWidget* dialog, QWidget* other) {
        for (Qt::Key key : {Qt::Key_N, Qt::Key_F2, Qt::Key_O, Qt::Key_H, Qt::Key_F1}) {
            PressKey(Form, key);
            PressKey(dialog, key);
        }
        EXPECT_EQ(Deals, 2);
        EXPECT_FALSE(other->isVisible());
        EXPECT_TRUE(dialog->isVisible());
        PressKey(dialog, Qt::Key_Escape);
    };
    for (Qt::Key key : {Qt::Key_H, Qt::Key_F1}) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        EXPECT_TRUE(KeyOpens(key, frmHelp, [&] { inert(frmHelp, frmOptions); }));
        EXPECT_FALSE(frmHelp->isVisible());
    }
    EXPECT_TRUE(KeyOpens(Qt::Key_O, frmOptions, [&] { inert(frmOptions, frmHelp); }));
    EXPECT_FALSE(frmOptions->isVisible());

    // Back at the main window its keys work again; the buttons never took the focus.
    PressKey(Form, Qt::Key_N);
    EXPECT_EQ(Deals, 3);
    for (TbrixColorButton* button : {Form->btnOptions, Form->btnScramble, Form->btnHelp})
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(Reported.empty());
}

// Every accessible object under Root, as a screen reader walks the tree.
void Walk(QAccessibleInterface* Root, std::vector<QAccessibleInterface*>& Out) {
    for (int i = 0; i < Root->childCount(); ++i)
        if (QAccessibleInterface* child = Root->child(i)) {
            Out.push_back(child);
            Walk(child, Out);
        }
}

TEST_F(MainWindowKeys, PanelReadsAsANamedGroupOfLabelsAndButtonsWithoutTheHiddenStartList) {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(Form);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->text(QAccessible::Name), QLatin1String("Zelvan Free v1.0"));

    QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(Form->Panel1);
    ASSERT_NE(panel, nullptr);
    EXPECT_GE(window->indexOfChild(panel), 0);
    EXPECT_EQ(panel->role(), QAccessible::Grouping);
    EXPECT_FALSE(panel->text(QAccessible::Name).isEmpty());

    using Entry = std::pair<QAccessible::Role, QString>;
    std::vector<Entry> children;
    for (int i = 0; i < panel->childCount(); ++i)
        children.emplace_back(panel->child(i)->role(), panel->child(i)->text(QAccessible::Name));
    const std::vector<Entry> expected = {
        {QAccessible::PushButton, "OPTIONS"},
        {QAccessible::PushButton, "SCRAMBLE"},
        {QAccessible::PushButton, "HELP"},
        {QAccessible::StaticText, "Moves:"},
        {QAccessible::StaticText, "High Score: 1000 moves"},
        {QAccessible::StaticText, "Top Player: Zelvan"},
    };
    EXPECT_EQ(children, expected);

    // The start layout list is nowhere in the tree, neither as a list nor as its 101 rows.
    std::vector<QAccessibleInterface*> all;
    Walk(window, all);
    for (QAccessibleInterface* node : all) {
        EXPECT_NE(node->object(), Form->StartPos.Control);
        EXPECT_NE(node->role(), QAccessible::List);
        EXPECT_NE(node->role(), QAccessible::ListItem);
    }
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(Form->StartPos.Control);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(panel->indexOfChild(list), -1);

    // SCRAMBLE's press action deals, and the moves label reads the new count.
    QAccessibleInterface* scramble = QAccessible::queryAccessibleInterface(Form->btnScramble);
    ASSERT_NE(scramble->actionInterface(), nullptr);
    scramble->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(Deals, 1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Form->lblMoves)->text(QAccessible::Name),
              QLatin1String("Moves: 0"));
}

} // namespace
