// The main window with its dialogs: OPTIONS and HELP open them; stored names show as plain text.
#include "tests/game/MainWindowHarness.h"
#include "tests/support/InsideModal.h"

#include "controls/brixColorButton.h"
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

namespace {

// A left click on a control through its window, as a pointer would give it.
void Click(QWidget* control, QPoint local) {
    QWidget* window = control->window();
    const QPoint at = control->mapTo(window, local);
    QTest::mouseMove(window->windowHandle(), at);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
}
void Click(QWidget* control) {
    Click(control, control->rect().center());
}

class MainWindowDialogs : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Start();
        frmOptions = new TfrmOptions;
        frmHelp = new TfrmHelp;
    }
    void TearDown() override {
        delete frmOptions;
        frmOptions = nullptr;
        delete frmHelp;
        frmHelp = nullptr;
        MainWindowTest::TearDown();
    }
    // Clicks a main-window button and runs Steps inside the modal loop of the dialog it opens. A
    // dialog that does not open, or stays open for ten seconds, fails the test instead of hanging
    // it.
    void ClickAndThen(TbrixColorButton* button, QWidget* dialog,
                      const std::function<void()>& Steps) {
        EXPECT_TRUE(RunInsideModalOf(dialog, [this, button] { Click(button); }, Steps))
            << "the dialog did not open";
    }
};

bool AllTilesHighlighted(bool highlighted) {
    for (int n = 1; n <= 100; ++n)
        if (Form1->Tiles(n)->PatternBase != (highlighted ? n + 99 : n - 1)) return false;
    return true;
}

TEST_F(MainWindowDialogs, OptionsOpenFromTheButtonAndTheHighlightFollowsAtOnce) {
    ASSERT_TRUE(AllTilesHighlighted(true));
    ClickAndThen(Form->btnOptions, frmOptions, [&] {
        EXPECT_TRUE(frmOptions->chkHighlight->isChecked());
        Click(frmOptions->chkHighlight, QPoint(8, 12));
        Click(frmOptions->btnOK);
    });
    EXPECT_FALSE(frmOptions->isVisible());
    EXPECT_EQ(Form->HighlightSetting, "0");
    EXPECT_EQ(StoredValue("Highlight"), "0");
    EXPECT_TRUE(AllTilesHighlighted(false)) << "no move was needed";
    EXPECT_FALSE(Form->Puzzle().GameActive());

    // Closed with the close box, the dialog changes nothing, yet the tiles are redrawn from the
    // working copy all the same (here one the tiles did not show yet).
    Form->HighlightSetting = "1";
    Form->CheckSolution();
    Form->HighlightSetting = "0";
    ASSERT_TRUE(AllTilesHighlighted(true));
    ClickAndThen(Form->btnOptions, frmOptions, [&] {
        EXPECT_FALSE(frmOptions->chkHighlight->isChecked());
        frmOptions->close();
    });
    EXPECT_TRUE(AllTilesHighlighted(false));
    EXPECT_EQ(StoredValue("Highlight"), "0");
}

TEST_F(MainWindowDialogs, HelpOpensFromTheButton) {
    ClickAndThen(Form->btnHelp, frmHelp, [&] {
        EXPECT_EQ(frmHelp->pgeHelp->currentIndex(), 0);
        Click(frmHelp->btnClose);
    });
    EXPECT_FALSE(frmHelp->isVisible());
    EXPECT_TRUE(Form->isVisible());
}

TEST_F(MainWindowDialogs, StoredNameShowsAsPlainText) {
    StoreValue("TopPlayer", "<i>B</i><br>x");
    Form->PopulateHighScore();
    for (QLabel* label : {Form->lblTop, Form->lblHigh, Form->lblMoves})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    EXPECT_EQ(Form->lblTop->text(), QLatin1String("Top Player: <i>B</i><br>x"));
    // One line, as wide as the literal text: markup would break it in two and hide the tags.
    EXPECT_EQ(Form->lblTop->height(), Form->lblHigh->height());
    EXPECT_GE(Form->lblTop->width(),
              Form->lblTop->fontMetrics().horizontalAdvance(Form->lblTop->text()));
}

// The coloured texts of the panel and the dialogs carry their colours and fonts in their palettes
// and fonts: a style sheet anywhere makes the application build a style-sheet style that stays
// resident for the whole run. Drawn with the style sheet they once had, each looks the same,
// enabled and disabled.
TEST_F(MainWindowDialogs, ColouredTextsNeedNoStyleSheetAndLookAsTheirsDid) {
    TfrmHighScore record;
    const QString panel = QStringLiteral("font-family: \"Liberation Sans\"; font-size: 10px;");
    const std::vector<std::pair<QWidget*, QString>> texts{
        {Form->lblTop, QStringLiteral("color: yellow; ") + panel},
        {Form->lblHigh, QStringLiteral("color: yellow; ") + panel},
        {Form->lblMoves, QStringLiteral("color: aqua; ") + panel},
        {Form->RichEdit1,
         QStringLiteral("QTextEdit { color: lime; background-color: black; ") + panel + u'}'},
        {record.Label1, QStringLiteral("color: yellow;")},
        {record.Label2, QStringLiteral("color: white;")},
        {frmHelp->Label1, QStringLiteral("color: white;")},
    };
    // As the window shows it: a label draws on its window's background.
    const auto shot = [](QWidget* text) {
        QWidget* window = text->window();
        return window->grab(QRect(text->mapTo(window, QPoint()), text->size())).toImage();
    };
    for (const auto& [text, sheet] : texts) {
        SCOPED_TRACE(text->objectName().toStdString());
        EXPECT_TRUE(text->styleSheet().isEmpty());
        for (bool enabled : {true, false}) {
            text->setEnabled(enabled);
            const QImage own = shot(text);
            text->setStyleSheet(sheet);
            const QImage styled = shot(text);
            text->setStyleSheet(QString());
            EXPECT_EQ(own, styled) << (enabled ? "enabled" : "disabled");
        }
        text->setEnabled(true);
    }
    for (QWidget* window : std::initializer_list<QWidget*>{Form, &record, frmHelp, frmOptions})
        for (const QWidget* child : window->findChildren<QWidget*>())
            EXPECT_TRUE(child->styleSheet().isEmpty()) << child->objectName().toStdString();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

} // namespace
