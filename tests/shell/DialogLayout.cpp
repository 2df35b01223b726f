// The four dialogs against their window definitions, the winner's resizing, help's first page.
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"
#include "shell/Winner.h"

#include "tests/shell/DialogHarness.h"

#include <QCheckBox>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextEdit>

namespace {

QString Lines(std::initializer_list<const char*> lines) {
    QStringList out;
    for (const char* line : lines)
        out << QString::fromLatin1(line);
    return out.join(QLatin1Char('\n'));
}

QColor TextColour(QWidget* w) {
    w->ensurePolished();
    return w->palette().color(w->foregroundRole());
}

// Names of the widgets the Tab key visits, in order, starting after the form itself.
std::vector<std::string> TabOrder(QWidget* form) {
    std::vector<std::string> names;
    for (QWidget* w = form->nextInFocusChain(); w && w != form; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().startsWith(QLatin1String("qt_")))
            names.push_back(w->objectName().toStdString());
    return names;
}

void ExpectFont(QWidget* w, const char* family, int pixels, bool bold) {
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_EQ(w->font().family(), QLatin1String(family));
    EXPECT_EQ(w->font().pixelSize(), pixels);
    EXPECT_EQ(w->font().bold(), bold);
}

// The common button look, its caption and place; never takes the focus.
void ExpectButton(TbrixColorButton* b, const char* caption, QRect where) {
    SCOPED_TRACE(caption);
    EXPECT_EQ(b->Caption(), caption);
    EXPECT_EQ(b->geometry(), where);
    EXPECT_EQ(b->Color(), TColor(clBlue));
    EXPECT_EQ(b->HotColor(), TColor(0x008AC6F7));
    EXPECT_EQ(b->FontColor(), TColor(clWhite));
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(b->onclick != nullptr);
}

void ExpectDialogFrame(TDialogForm* f, const char* caption, QSize client, bool closeBox) {
    SCOPED_TRACE(caption);
    EXPECT_EQ(f->windowTitle(), QLatin1String(caption));
    EXPECT_EQ(f->size(), client);
    EXPECT_EQ(f->minimumSize(), client);
    EXPECT_EQ(f->maximumSize(), client);
    const Qt::WindowFlags flags = f->windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_EQ(bool(flags & Qt::WindowCloseButtonHint), closeBox);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(f->palette().color(QPalette::Window), QColor(Qt::black));
    ExpectFont(f, "Liberation Sans", 13, false);
    EXPECT_FALSE(f->isVisible());
}

using DialogLayout = DialogTest;

TEST_F(DialogLayout, EveryDialogCarriesTheGameIconInEverySize) {
    // The 32 x 32 is the main window's sixteen-colour icon; the others are the menu icon's sizes.
    TfrmHighScore record;
    TfrmOptions options;
    TfrmHelp help;
    TfrmWinner winner;
    const QImage main = QIcon(QStringLiteral(":/assets/zelvan.ico")).pixmap(32, 32).toImage();
    ASSERT_FALSE(main.isNull());
    for (TDialogForm* dialog : std::initializer_list<TDialogForm*>{&record, &options, &help, &winner}) {
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        const QIcon icon = dialog->windowIcon();
        // One icon for all windows: its decoded pictures are held once, not once per window.
        EXPECT_EQ(icon.cacheKey(), record.windowIcon().cacheKey());
        for (int size : {16, 32, 48, 64, 128, 256}) {
            EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
            EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size)) << size;
        }
        EXPECT_EQ(icon.pixmap(32, 32).toImage().convertToFormat(main.format()), main);
    }
}

TEST_F(DialogLayout, RecordAndOptionsDialogsMatchTheirDefinitions) {
    TfrmHighScore record;
    ExpectDialogFrame(&record, "You have beaten the High Score!", QSize(486, 204), false);
    EXPECT_FALSE(record.windowFlags() & Qt::WindowSystemMenuHint);
    // OK and CLOSE of the two dialogs that ignore Enter and Escape carry an accelerator.
    ExpectButton(record.btnOK, "&OK", QRect(192, 172, 110, 24));
    EXPECT_EQ(record.Label1->geometry(), QRect(96, 16, 279, 16));
    EXPECT_EQ(record.Label1->text(),
              QLatin1String("You've beaten the high score! Enter your name;"));
    EXPECT_EQ(TextColour(record.Label1), QColor(Qt::yellow));
    EXPECT_EQ(record.Label2->geometry(), QRect(120, 80, 40, 16));
    EXPECT_EQ(record.Label2->text(), QLatin1String("Name:"));
    EXPECT_EQ(TextColour(record.Label2), QColor(Qt::white));
    ExpectFont(record.Label1, "Liberation Sans", 13, false);
    EXPECT_EQ(record.txtHighName->geometry(), QRect(176, 76, 217, 24));
    EXPECT_EQ(record.txtHighName->maxLength(), 10);
    ExpectFont(record.txtHighName, "Liberation Sans", 13, false);
    EXPECT_EQ(record.txtHighName->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(TabOrder(&record), std::vector<std::string>{"txtHighName"});

    TfrmOptions options;
    ExpectDialogFrame(&options, "Options", QSize(379, 207), true);
    struct Box {
        QCheckBox* box;
        const char* name;
        int top;
        const char* text;
    };
    for (const Box& b : {Box{options.chkSound, "chkSound", 24, "Play sounds"},
                         Box{options.chkHighlight, "chkHighlight", 64, "Highlight correct tiles"},
                         Box{options.chkNumbered, "chkNumbered", 104, "Show row/col numbers"}}) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(b.box->objectName(), QLatin1String(b.name));
        EXPECT_EQ(b.box->geometry(), QRect(104, b.top, 209, 25));
        EXPECT_EQ(b.box->text(), QLatin1String(b.text));
        EXPECT_EQ(TextColour(b.box), QColor(Qt::white));
        ExpectFont(b.box, "Liberation Sans", 17, false);
    }
    ExpectButton(options.btnCancel, "CANCEL", QRect(16, 168, 136, 28));
    ExpectButton(options.btnOK, "OK", QRect(232, 168, 136, 28));
    EXPECT_EQ(TabOrder(&options),
              (std::vector<std::string>{"chkSound", "chkHighlight", "chkNumbered"}));
}

TEST_F(DialogLayout, WinnerStaysOnTopFollowsTheWidthAndKeepsEdits) {
    TfrmWinner winner;
    EXPECT_EQ(winner.windowTitle(), QLatin1String("Congratulations!"));
    const Qt::WindowFlags flags = winner.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(winner.palette().color(QPalette::Window), QColor(Qt::black));
    ExpectFont(&winner, "Liberation Sans", 13, false);
    ExpectFont(winner.RichEdit1, "Liberation Sans", 13, false);
    EXPECT_FALSE(winner.RichEdit1->isReadOnly());
    EXPECT_EQ(winner.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(winner.RichEdit1->toPlainText(),
              Lines({"Congratulations! - You have solved Zelvan Free!", "", " ",
                     "money for solving this. However, the full version of Zelvan ",
                     "offers a $prize for solving the grid!", "",
                     "If you want a chance of winning the cash prize, then visit:", "",
                     "                        www.marrowby.example", "",
                     "to download the Full Version of Zelvan."}));

    ShowModalWith(&winner, [&] {
        // The outer size, frame included (the bare test display adds none).
        EXPECT_EQ(winner.frameGeometry().size(), QSize(414, 310));
        EXPECT_EQ(winner.RichEdit1->geometry(), QRect(0, 0, winner.width(), 209));
        ExpectButton(winner.btnClose, "&CLOSE", QRect(136, 232, 136, 28));
        winner.resize(600, 400);
        QApplication::processEvents();
        EXPECT_EQ(winner.RichEdit1->geometry(), QRect(0, 0, 600, 209));
        EXPECT_EQ(winner.btnClose->geometry(), QRect(136, 232, 136, 28));
        winner.RichEdit1->setPlainText(QStringLiteral("the player's own words"));
        // Enter and Escape do not end it; CLOSE does.
        QTest::keyClick(winner.RichEdit1, Qt::Key_Escape);
        EXPECT_TRUE(winner.isVisible());
        Click(winner.btnClose);
    });
    EXPECT_FALSE(winner.isVisible());
    ShowModalWith(&winner, [&] {
        EXPECT_EQ(winner.RichEdit1->toPlainText(), QLatin1String("the player's own words"));
        Click(winner.btnClose);
    });
}

TEST_F(DialogLayout, HelpShowsItsThreePagesAndOpensOnTheFirstEveryTime) {
    TfrmHelp help;
    ExpectDialogFrame(&help, "Help", QSize(509, 412), true);
    EXPECT_EQ(help.pgeHelp->geometry(), QRect(0, 0, 509, 334));
    ASSERT_EQ(help.pgeHelp->count(), 3);
    struct Page {
        QWidget* tab;
        QTextEdit* text;
        const char* caption;
        bool wraps;
    };
    const Page pages[] = {{help.tabObject, help.rtfObject, "Object of the game", false},
                          {help.tabPrize, help.rtfPrize, "Prize fund", false},
                          {help.tabLegal, help.rtfLegal, "Legal and Copyright", true}};
    for (int i = 0; i < 3; ++i) {
        const Page& p = pages[i];
        SCOPED_TRACE(p.caption);
        EXPECT_EQ(help.pgeHelp->widget(i), p.tab);
        EXPECT_EQ(help.pgeHelp->tabText(i), QLatin1String(p.caption));
        EXPECT_TRUE(p.text->isReadOnly());
        EXPECT_EQ(p.text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(p.text->lineWrapMode() != QTextEdit::NoWrap, p.wraps);
        ExpectFont(p.text, "Liberation Sans", 13, false);
    }
    // The page's text, then a section on the keys.
    EXPECT_TRUE(help.rtfObject->toPlainText().contains(QLatin1String("\n\nKeys:\nN or F2 ")));
    EXPECT_EQ(help.rtfObject->toPlainText().section(QLatin1String("\n\nKeys:\n"), 0, 0),
              Lines({"The aim of the game is to return the numbered tiles to their original order",
                     "of 1 to 100 starting from tile number 1 in the top lefthand corner to tile",
                     "number 100 in the bottom righthand corner.", "",
                     "A move consists of sliding a row or column any number of positions up or ",
                     "down or left or right.", "",
                     "You can move a row or column by clicking on the desired row/column with",
                     "your mouse, hold down the mouse button, and drag the row/column to its",
                     "new location. When you release the mouse button, this is then registered",
                     "as a move.  If you do not wish to make the move, return the row/column",
                     "to its original position before releasing the button and the move is then ",
                     "ignored.", "", "Click on 'Scramble' to begin a new game."}));
    EXPECT_EQ(help.rtfPrize->toPlainText(),
              Lines({"", "is no prize if you solve the grid.", "",
                     "However, you can purchase the Full Version and", "win a cash prize!", "",
                     "Visit our website at www.marrowby.example to download.", "",
                     "All players of the Full Version must be 18 years or older."}));
    // The notice is the package's: the copyright file's holder and its licence text, word for word.
    {
        QFile file(QStringLiteral(ZELVAN_SOURCE_DIR "/packaging/copyright"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString copyright = QString::fromUtf8(file.readAll());
        const QString holder = copyright.section(QStringLiteral("\nCopyright: "), 1).section('\n', 0, 0);
        ASSERT_FALSE(holder.isEmpty());
        // The licence's own paragraph is the last one headed with its name.
        QString licence = copyright.section(QStringLiteral("\nLicense: Expat\n"), -1);
        licence.replace(QStringLiteral("\n .\n"), QStringLiteral("\n"));
        ASSERT_FALSE(licence.simplified().isEmpty());
        const QString legal = help.rtfLegal->toPlainText();
        EXPECT_TRUE(legal.contains(QStringLiteral("Copyright (C) ") + holder)) << holder.toStdString();
        EXPECT_TRUE(legal.simplified().contains(licence.simplified())) << legal.toStdString();
    }
    EXPECT_EQ(help.Label1->geometry(), QRect(8, 344, 436, 20));
    EXPECT_TRUE(help.Label1->text().contains(QLatin1String("www.marrowby.example")));
    EXPECT_TRUE(help.Label1->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(TextColour(help.Label1), QColor(Qt::white));
    ExpectFont(help.Label1, "Quicksand", 17, true);
    // The notice fits its line.
    EXPECT_LE(help.Label1->fontMetrics().horizontalAdvance(help.Label1->text()), 436);
    ExpectButton(help.btnClose, "CLOSE", QRect(392, 382, 110, 24));
    ASSERT_FALSE(TabOrder(&help).empty());
    EXPECT_EQ(TabOrder(&help).front(), "pgeHelp");

    ShowModalWith(&help, [&] {
        // Each page's text fills its page.
        for (int i = 2; i >= 0; --i) {
            help.pgeHelp->setCurrentIndex(i);
            QApplication::processEvents();
            EXPECT_EQ(pages[i].text->geometry(), pages[i].tab->rect()) << pages[i].caption;
        }
        help.pgeHelp->setCurrentIndex(1);
        Click(help.btnClose);
    });
    ShowModalWith(&help, [&] {
        EXPECT_EQ(help.pgeHelp->currentIndex(), 0);
        help.pgeHelp->setCurrentIndex(2);
        help.close(); // the close box
    });
    ShowModalWith(&help, [&] {
        EXPECT_EQ(help.pgeHelp->currentIndex(), 0);
        Click(help.btnClose);
    });
}

} // namespace
