// The flat colour button without a mouse: its caption's accelerator and what accessibility tools
// see of it.
#include <QAccessible>

#include "tests/controls/ButtonHarness.h"

namespace {

TEST_F(ButtonTest, AcceleratorOfTheCaptionPressesTheButtonOnlyWhileItCanBeClicked) {
    int clicks = 0;
    Button->onclick = [&](QObject* sender) {
        EXPECT_EQ(sender, Button);
        ++clicks;
    };
    Host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Host));
    auto key = [&](Qt::Key k, Qt::KeyboardModifiers m) {
        QTest::keyClick(Host, k, m);
        QApplication::processEvents();
    };

    Button->SetCaption("&Go");
    EXPECT_EQ(Button->Accelerator(), QKeySequence(Qt::ALT | Qt::Key_G));
    key(Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    key(Qt::Key_G, Qt::NoModifier);
    EXPECT_EQ(clicks, 1) << "the letter alone is not the accelerator";
    EXPECT_FALSE(Button->Pressed()) << "the look does not change";
    EXPECT_FALSE(Button->hasFocus());

    // Hidden or disabled, the button is not worked by its accelerator either.
    Button->setEnabled(false);
    key(Qt::Key_G, Qt::AltModifier);
    Button->setEnabled(true);
    Button->hide();
    key(Qt::Key_G, Qt::AltModifier);
    Button->show();
    EXPECT_EQ(clicks, 1);

    // A new caption brings its own accelerator and drops the old one; a doubled ampersand and a
    // caption without one have none.
    Button->SetCaption("Go &back");
    key(Qt::Key_G, Qt::AltModifier);
    key(Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
    Button->SetCaption("A&&B");
    EXPECT_TRUE(Button->Accelerator().isEmpty());
    key(Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, AccessibilityToolsSeeANamedPushButtonThatCanBePressed) {
    int clicks = 0;
    Button->onclick = [&](QObject*) { ++clicks; };
    Button->SetCaption("&OK");

    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(Button);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role(), QAccessible::PushButton);
    EXPECT_EQ(button->text(QAccessible::Name), QLatin1String("OK"));
    EXPECT_FALSE(button->state().focusable);
    EXPECT_FALSE(button->state().invisible);

    QAccessibleActionInterface* actions = button->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    EXPECT_EQ(actions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{QKeySequence(Qt::ALT | Qt::Key_O).toString(QKeySequence::NativeText)});
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);

    // The name follows the caption; the host lists the button among its children.
    Button->SetCaption("A&&B");
    EXPECT_EQ(button->text(QAccessible::Name), QLatin1String("A&B"));
    QAccessibleInterface* host = QAccessible::queryAccessibleInterface(Host);
    ASSERT_NE(host, nullptr);
    EXPECT_GE(host->indexOfChild(button), 0);
    EXPECT_EQ(button->parent(), host);

    // A latching button reports its latch.
    Button->SetLatching(true);
    Button->SetDown(true);
    EXPECT_TRUE(button->state().checkable);
    EXPECT_TRUE(button->state().checked);
}

} // namespace
