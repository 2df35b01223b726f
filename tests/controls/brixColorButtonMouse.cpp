// The flat colour button under real mouse input: looks, edges, clicks, latching, focus.
#include <vector>

#include <QLineEdit>

#include "tests/controls/ButtonHarness.h"

namespace {

const QColor kWhite = Rgb(0xFFFFFF);
const QColor kGrey = Rgb(0x808080);

// The edge's four corners and one point on each side, against the expected first (top and left)
// and second (bottom and right) colours of the line path.
void ExpectEdge(const QImage& img, const QColor& first, const QColor& second) {
    const int w = img.width(), h = img.height();
    EXPECT_EQ(Pixel(img, 0, 0), first);
    EXPECT_EQ(Pixel(img, w / 2, 0), first);
    EXPECT_EQ(Pixel(img, w - 1, 0), first) << "top line reaches the right-hand corner";
    EXPECT_EQ(Pixel(img, 0, h / 2), first);
    EXPECT_EQ(Pixel(img, 0, h - 1), second) << "bottom line starts at the left-hand corner";
    EXPECT_EQ(Pixel(img, w / 2, h - 1), second);
    EXPECT_EQ(Pixel(img, w - 1, h - 1), second);
    EXPECT_EQ(Pixel(img, w - 1, h / 2), second);
}

void ExpectNoEdge(const QImage& img, const QColor& background) {
    const int w = img.width(), h = img.height();
    for (QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1),
                     QPoint(w / 2, 0), QPoint(0, h / 2)})
        EXPECT_EQ(Pixel(img, p.x(), p.y()), background) << p.x() << "," << p.y();
}

} // namespace

TEST(ButtonDefaults, NewButtonHasItsDocumentedState) {
    TbrixColorButton b;
    EXPECT_EQ(b.width(), 24);
    EXPECT_EQ(b.height(), 24);
    EXPECT_FALSE(b.Pressed());
    EXPECT_FALSE(b.MouseInside());
    EXPECT_TRUE(b.HotTrack());
    EXPECT_EQ(b.Color(), 0x00C0C0C0u);
    EXPECT_EQ(b.HotColor(), 0x0000FFFFu);
    EXPECT_EQ(b.HotFontColor(), 0x000000FFu);
    EXPECT_EQ(b.MarginHorizontal(), 8);
    EXPECT_EQ(b.Alignment(), taCenter);
    EXPECT_EQ(b.MarginVertical(), 4);
    EXPECT_FALSE(b.WordWrap());
    EXPECT_TRUE(b.BackBitmap().isNull());
    EXPECT_FALSE(b.Latching());
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.DownColor(), 0x00A9A9A9u);
    EXPECT_EQ(b.DownFontColor(), 0x00000000u);
    EXPECT_TRUE(b.Flat());
    EXPECT_EQ(b.focusPolicy(), Qt::NoFocus);
}

TEST_F(ButtonTest, FlatButtonAwayFromPointerHasNoEdge) {
    Button->SetColor(clBlue);
    const QImage img = Shot();
    ExpectNoEdge(img, Rgb(clBlue));
}

TEST_F(ButtonTest, NonFlatButtonShowsRaisedEdgeInNormalColours) {
    Button->SetColor(clBlue);
    Button->SetFlat(false);
    const QImage img = Shot();
    ExpectEdge(img, kWhite, kGrey);
    EXPECT_EQ(Pixel(img, 3, 3), Rgb(clBlue));
}

TEST_F(ButtonTest, HoverShowsHotLookAndLeavingRestoresNormal) {
    Button->SetColor(clBlue);
    MoveTo(Center());
    ASSERT_TRUE(Button->MouseInside());
    QImage img = Shot();
    ExpectEdge(img, kWhite, kGrey);
    EXPECT_EQ(Pixel(img, 3, 3), Rgb(0x0000FFFF)) << "default hot colour";

    MoveTo(Outside());
    EXPECT_FALSE(Button->MouseInside());
    img = Shot();
    ExpectNoEdge(img, Rgb(clBlue));
}

TEST_F(ButtonTest, HotTrackOffShowsRaisedEdgeInNormalColoursWhileHovered) {
    Button->SetColor(clBlue);
    Button->SetHotTrack(false);
    MoveTo(Center());
    const QImage img = Shot();
    ExpectEdge(img, kWhite, kGrey);
    EXPECT_EQ(Pixel(img, 3, 3), Rgb(clBlue));
}

TEST_F(ButtonTest, PressShowsSunkenDownLookUntilRelease) {
    Button->SetColor(clBlue);
    MoveTo(Center());
    Press(Qt::LeftButton, Center());
    EXPECT_TRUE(Button->Pressed());
    QImage img = Shot();
    ExpectEdge(img, kGrey, kWhite);
    EXPECT_EQ(Pixel(img, 3, 3), Rgb(0x00A9A9A9));

    Release(Qt::LeftButton, Center());
    EXPECT_FALSE(Button->Pressed());
    img = Shot();
    ExpectEdge(img, kWhite, kGrey); // hot again
}

TEST_F(ButtonTest, ClickCallsOnclickOnceWithTheButtonAsSender) {
    int calls = 0;
    QObject* sender = nullptr;
    bool pressedDuringClick = false;
    Button->onclick = [&](QObject* s) {
        ++calls;
        sender = s;
        pressedDuringClick = Button->Pressed();
    };
    ClickAt(Qt::LeftButton, Center());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sender, Button);
    EXPECT_TRUE(pressedDuringClick) << "the click check comes before the release handling";
    EXPECT_FALSE(Button->Pressed());
}

TEST_F(ButtonTest, ReleaseOutsideGivesNoClickButEndsPressAndToggles) {
    int calls = 0;
    Button->onclick = [&](QObject*) { ++calls; };
    Button->SetLatching(true);
    Button->SetColor(clBlue);
    MoveTo(Center());
    Press(Qt::LeftButton, Center());
    // Dragging off keeps the down look: the pressed control keeps the mouse.
    QTest::mouseMove(Window(), Outside());
    QApplication::processEvents();
    EXPECT_TRUE(Button->Pressed());
    ExpectEdge(Shot(), kGrey, kWhite);

    Release(Qt::LeftButton, Outside());
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(Button->Pressed());
    EXPECT_TRUE(Button->Down()) << "a latching button toggles on any release";
    EXPECT_FALSE(Button->MouseInside());
}

TEST_F(ButtonTest, LatchingToggleIsSeenAfterOnclick) {
    Button->SetLatching(true);
    std::vector<bool> seen;
    Button->onclick = [&](QObject*) { seen.push_back(Button->Down()); };
    ClickAt(Qt::LeftButton, Center());
    EXPECT_TRUE(Button->Down());
    ClickAt(Qt::LeftButton, Center());
    EXPECT_FALSE(Button->Down());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0]) << "onclick sees Down as it was before the click";
    EXPECT_TRUE(seen[1]);
}

TEST_F(ButtonTest, LatchedDownButtonKeepsDownLookWhileHovered) {
    Button->SetLatching(true);
    Button->SetColor(clBlue);
    Button->SetDownColor(clLime);
    ClickAt(Qt::LeftButton, Center());
    ASSERT_TRUE(Button->Down());
    ASSERT_TRUE(Button->MouseInside());
    const QImage img = Shot();
    ExpectEdge(img, kGrey, kWhite);
    EXPECT_EQ(Pixel(img, 3, 3), Rgb(clLime));
    MoveTo(Outside());
    ExpectEdge(Shot(), kGrey, kWhite);
}

TEST_F(ButtonTest, DownPropertyShowsDownLookAndRepaints) {
    Button->SetColor(clBlue);
    Button->Paints = 0;
    Button->SetDown(true);
    QApplication::processEvents();
    EXPECT_GE(Button->Paints, 1);
    ExpectEdge(Shot(), kGrey, kWhite);
    Button->SetDown(false);
    ExpectNoEdge(Shot(), Rgb(clBlue));
}

TEST_F(ButtonTest, RightButtonShowsDownLookTogglesLatchButNeverClicks) {
    int calls = 0;
    Button->onclick = [&](QObject*) { ++calls; };
    Button->SetLatching(true);
    MoveTo(Center());
    Press(Qt::RightButton, Center());
    EXPECT_TRUE(Button->Pressed());
    ExpectEdge(Shot(), kGrey, kWhite);
    Release(Qt::RightButton, Center());
    EXPECT_FALSE(Button->Pressed());
    EXPECT_TRUE(Button->Down());
    EXPECT_EQ(calls, 0);
}

TEST_F(ButtonTest, LeftClickAfterAnotherButtonsReleaseEndedThePressGivesNoOnclick) {
    int calls = 0;
    Button->onclick = [&](QObject*) { ++calls; };
    MoveTo(Center());
    Press(Qt::LeftButton, Center());
    QTest::mousePress(Window(), Qt::RightButton, {}, Center());
    QTest::mouseRelease(Window(), Qt::RightButton, {}, Center());
    QApplication::processEvents();
    EXPECT_FALSE(Button->Pressed()) << "any release ends the press";
    Release(Qt::LeftButton, Center());
    EXPECT_EQ(calls, 0) << "onclick needs Pressed at the click check";
}

TEST_F(ButtonTest, DoubleClickCallsOnclickOnceAndTogglesTwice) {
    int calls = 0;
    Button->onclick = [&](QObject*) { ++calls; };
    Button->SetLatching(true);
    MoveTo(Center());
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, Center());
    QApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(Button->Down()) << "two releases, two toggles";
    EXPECT_FALSE(Button->Pressed());
    // The next ordinary click is a click again.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    ClickAt(Qt::LeftButton, Center());
    EXPECT_EQ(calls, 2);
}

TEST_F(ButtonTest, HotColorChangeWaitsForNextPaintButColorRepaints) {
    Button->SetColor(clBlue);
    Button->SetHotColor(clLime);
    MoveTo(Center());
    QApplication::processEvents();
    const int before = Button->Paints;
    Button->SetHotColor(clRed);
    Button->SetDownColor(clRed);
    Button->SetHotFontColor(clRed);
    Button->SetDownFontColor(clRed);
    Button->SetHotTrack(false);
    Button->SetHotTrack(true);
    Button->SetLatching(true);
    QApplication::processEvents();
    EXPECT_EQ(Button->Paints, before) << "these properties are stored only";
    // The next paint, whatever causes it, shows the new hot colour.
    EXPECT_EQ(Pixel(Shot(), 3, 3), Rgb(clRed));

    const int beforeColor = Button->Paints;
    Button->SetColor(clAqua);
    QApplication::processEvents();
    EXPECT_GT(Button->Paints, beforeColor);
    // Setting the same value again asks for nothing.
    const int afterColor = Button->Paints;
    Button->SetColor(clAqua);
    QApplication::processEvents();
    EXPECT_EQ(Button->Paints, afterColor);
}

TEST_F(ButtonTest, PropertyChangesThatRepaint) {
    const auto repaints = [&](auto change) {
        QApplication::processEvents();
        const int before = Button->Paints;
        change();
        QApplication::processEvents();
        return Button->Paints > before;
    };
    EXPECT_TRUE(repaints([&] { Button->SetCaption("GO"); }));
    EXPECT_TRUE(repaints([&] { Button->SetAlignment(taLeftJustify); }));
    EXPECT_TRUE(repaints([&] { Button->SetWordWrap(true); }));
    EXPECT_TRUE(repaints([&] { Button->SetFlat(false); }));
    EXPECT_TRUE(repaints([&] { Button->SetMarginHorizontal(2); }));
    EXPECT_TRUE(repaints([&] { Button->SetMarginVertical(2); }));
    EXPECT_TRUE(repaints([&] { Button->SetFontColor(clRed); }));
    EXPECT_TRUE(repaints([&] {
        QFont f = Button->font();
        f.setPixelSize(10);
        Button->setFont(f);
    }));
    EXPECT_TRUE(repaints([&] {
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::red);
        Button->SetBackBitmap(img);
    }));
}

TEST_F(ButtonTest, DisabledButtonLooksLikeEnabledOne) {
    Button->SetCaption("OK");
    Button->SetColor(clBlue);
    Button->SetFontColor(clWhite);
    const QImage enabled = Shot();
    Button->setEnabled(false);
    EXPECT_EQ(Shot(), enabled);
}

TEST_F(ButtonTest, ClickingNeverTakesTheKeyboardFocus) {
    auto* edit = new QLineEdit(Host);
    edit->move(20, 70);
    edit->show();
    Host->activateWindow();
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    ClickAt(Qt::LeftButton, Center());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_FALSE(Button->hasFocus());
    // Tab does not stop on it either.
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_FALSE(Button->hasFocus());
}
