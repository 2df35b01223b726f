// The main window's shortcuts, and what accessibility tools read on its panel.
#include "game/MainForm.h"

#include "controls/AccessibleGroup.h"
#include "controls/brixColorButton.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QShortcut>
#include <QTextEdit>

#include <initializer_list>

void TForm1::CreateKeysAndNames() {
    struct TBinding {
        std::initializer_list<QKeySequence> Keys;
        TbrixColorButton* Button;
        const char* Description;
    };
    const TBinding bindings[] = {
        {{QKeySequence(Qt::Key_N), QKeySequence(Qt::Key_F2)}, btnScramble, "Deals a new game (N or F2)"},
        {{QKeySequence(Qt::Key_O)}, btnOptions, "Opens the options (O)"},
        {{QKeySequence(Qt::Key_H), QKeySequence(Qt::Key_F1)}, btnHelp, "Opens the help (H or F1)"},
    };
    for (const TBinding& binding : bindings) {
        TbrixColorButton* button = binding.Button;
        for (const QKeySequence& keys : binding.Keys) {
            // Works the button as its click does. The window's shortcuts only reach it while it is
            // the active window; the check stands for the case where a dialog is modal but this
            // window still gets the key.
            auto* shortcut = new QShortcut(keys, this);
            QObject::connect(shortcut, &QShortcut::activated, this, [button] {
                if (!QApplication::activeModalWidget()) button->Press();
            });
        }
        button->setAccessibleDescription(QString::fromLatin1(binding.Description));
    }

    // The panel reads as one group; the start layout list is the program's own store and is never
    // seen, so it is left out of what a screen reader walks.
    Panel1->setAccessibleName(QStringLiteral("Scores and commands"));
    MakeAccessibleGroup(Panel1);
    RichEdit1->setAccessibleName(QStringLiteral("Information"));
}
