// The flat colour button's caption, growing to fit it, the tiled picture and the shared look.
#include <QFontMetrics>

#include "controls/FontSubstitutes.h"
#include "tests/controls/ButtonHarness.h"

namespace {

// Caption pixels of a button whose caption colour is unique in the picture.
QRect CaptionBounds(const QImage& img, TColor captionColor) {
    return ColorBounds(img, Rgb(captionColor));
}

} // namespace

TEST_F(ButtonTest, CaptionUsesTheColourOfTheLook) {
    Button->SetCaption("MMM");
    Button->SetColor(clBlue);
    Button->SetFontColor(clWhite);
    Button->SetHotColor(clBlue);
    Button->SetHotFontColor(clYellow);
    Button->SetDownColor(clBlue);
    Button->SetDownFontColor(clLime);
    EXPECT_GT(CountColor(Shot(), Button->rect(), Rgb(clWhite)), 10);

    MoveTo(Center());
    QImage img = Shot();
    EXPECT_GT(CountColor(img, Button->rect().adjusted(1, 1, -1, -1), Rgb(clYellow)), 10);
    EXPECT_EQ(CountColor(img, Button->rect().adjusted(1, 1, -1, -1), Rgb(clWhite)), 0);

    Press(Qt::LeftButton, Center());
    img = Shot();
    EXPECT_GT(CountColor(img, Button->rect(), Rgb(clLime)), 10);
    EXPECT_EQ(CountColor(img, Button->rect(), Rgb(clYellow)), 0);
}

TEST_F(ButtonTest, SingleLineCaptionIsCentredVerticallyAndPlacedByAlignment) {
    Button->resize(160, 30);
    Button->SetCaption("HI");
    Button->SetColor(clBlue);
    Button->SetFontColor(clWhite);
    Button->SetMarginHorizontal(10);

    const QRect centre = CaptionBounds(Shot(), clWhite);
    ASSERT_FALSE(centre.isNull());
    EXPECT_NEAR(centre.center().x(), 80, 3);
    EXPECT_NEAR(centre.center().y(), 15, 4);

    Button->SetAlignment(taLeftJustify);
    const QRect left = CaptionBounds(Shot(), clWhite);
    EXPECT_GE(left.left(), 10);
    EXPECT_LE(left.left(), 13) << "starts at the horizontal margin";

    Button->SetAlignment(taRightJustify);
    const QRect right = CaptionBounds(Shot(), clWhite);
    EXPECT_LE(right.right(), 149);
    EXPECT_GE(right.right(), 146) << "ends at the horizontal margin";
    EXPECT_EQ(right.width(), left.width());
    EXPECT_EQ(right.top(), left.top());
}

TEST_F(ButtonTest, PressedCaptionMovesOnePixelRightAndDown) {
    Button->resize(120, 30);
    Button->SetCaption("HI");
    Button->SetColor(clBlue);
    Button->SetFontColor(clLime);
    Button->SetDownColor(clBlue);
    Button->SetDownFontColor(clLime);
    const QRect up = CaptionBounds(Shot(), clLime);
    ASSERT_FALSE(up.isNull());
    Button->SetDown(true);
    const QRect down = CaptionBounds(Shot(), clLime);
    EXPECT_EQ(down, up.translated(1, 1));
}

TEST_F(ButtonTest, AmpersandUnderlinesNextCharacterAndDoubledOneDrawsOne) {
    Button->SetMarginHorizontal(0);
    Button->SetMarginVertical(0);
    Button->resize(1, 1);
    const QFontMetrics fm(Button->font());

    Button->SetCaption("A&&B");
    Button->GrowToFitCaption();
    EXPECT_EQ(Button->width(), fm.horizontalAdvance(QStringLiteral("A&B")));

    Button->SetCaption("&&");
    Button->GrowToFitCaption();
    EXPECT_EQ(Button->width(), fm.horizontalAdvance(QStringLiteral("A&B"))) << "never shrinks";
    Button->resize(1, 1);
    Button->GrowToFitCaption();
    EXPECT_EQ(Button->width(), fm.horizontalAdvance(QStringLiteral("&")));

    // The marked character is drawn underlined: the pictures differ only by that line.
    auto* plain = new TbrixColorButton(Host);
    plain->setFont(Button->font());
    plain->setGeometry(20, 60, 90, 26);
    plain->SetColor(clBlue);
    plain->SetFontColor(clLime);
    plain->SetCaption("AB");
    plain->show();
    Button->resize(90, 26);
    Button->SetColor(clBlue);
    Button->SetFontColor(clLime);
    Button->SetCaption("&AB");
    const QImage marked = Shot();
    const QImage unmarked = plain->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int markedCount = CountColor(marked, marked.rect(), Rgb(clLime));
    const int plainCount = CountColor(unmarked, unmarked.rect(), Rgb(clLime));
    EXPECT_GT(markedCount, plainCount);
    const QRect a = CaptionBounds(marked, clLime), b = CaptionBounds(unmarked, clLime);
    EXPECT_GT(a.bottom(), b.bottom()) << "the underline lies below the glyphs";
    EXPECT_EQ(a.left(), b.left()) << "the marking ampersand takes no room";
    EXPECT_EQ(a.top(), b.top());
}

TEST_F(ButtonTest, WordWrapBreaksAtWordsFromTheTopOfTheCaptionRectangle) {
    Button->resize(70, 20);
    Button->SetMarginHorizontal(4);
    Button->SetMarginVertical(5);
    Button->SetColor(clBlue);
    Button->SetFontColor(clWhite);
    Button->SetWordWrap(true);
    Button->SetCaption("ONE TWO SIX");
    Button->GrowToFitCaption();
    const QFontMetrics fm(Button->font());
    EXPECT_EQ(Button->width(), 70) << "wrapping never widens";
    EXPECT_GE(Button->height(), 2 * fm.lineSpacing() + 5 + 1) << "grew for at least two lines";

    const QImage img = Shot();
    const QRect text = CaptionBounds(img, clWhite);
    ASSERT_FALSE(text.isNull());
    EXPECT_GE(text.top(), 5);
    EXPECT_LT(text.top(), 5 + fm.ascent()) << "starts at the caption rectangle's top";
    EXPECT_GT(text.height(), fm.height()) << "more than one line drawn";
    EXPECT_LE(text.right(), 70 - 4);
}

TEST_F(ButtonTest, WordWrapHeightIsMeasuredTextPlusTopMarginPlusOne) {
    Button->resize(200, 1);
    Button->SetMarginHorizontal(8);
    Button->SetMarginVertical(7);
    Button->SetWordWrap(true);
    Button->SetCaption("X");
    Button->GrowToFitCaption();
    const QFontMetrics fm(Button->font());
    EXPECT_EQ(Button->height(), fm.height() + 7 + 1);
}

TEST_F(ButtonTest, GrowToFitCaptionGrowsToTextPlusMarginsAndNeverShrinks) {
    const QFontMetrics fm(Button->font());
    Button->resize(10, 10);
    Button->SetCaption("SCRAMBLE");
    Button->GrowToFitCaption();
    EXPECT_EQ(Button->width(), fm.horizontalAdvance(QStringLiteral("SCRAMBLE")) + 16);
    EXPECT_EQ(Button->height(), fm.height() + 8);

    Button->resize(300, 60);
    Button->GrowToFitCaption();
    EXPECT_EQ(Button->size(), QSize(300, 60));

    // Only the side that is too small grows.
    Button->resize(300, 5);
    Button->GrowToFitCaption();
    EXPECT_EQ(Button->size(), QSize(300, fm.height() + 8));
}

TEST_F(ButtonTest, PaintGrowsTheButtonToItsCaption) {
    Button->resize(10, 10);
    Button->SetCaption("A LONG CAPTION");
    QTest::qWait(20);
    QApplication::processEvents();
    const QFontMetrics fm(Button->font());
    EXPECT_EQ(Button->width(), fm.horizontalAdvance(QStringLiteral("A LONG CAPTION")) + 16);
}

TEST_F(ButtonTest, HugeMarginsDoNotOverflowTheSize) {
    Button->SetMarginHorizontal(INT32_MAX);
    Button->SetMarginVertical(INT32_MAX);
    Button->SetCaption("X");
    Button->GrowToFitCaption();
    EXPECT_GT(Button->width(), 0);
    EXPECT_GT(Button->height(), 0);
    EXPECT_LE(Button->width(), QWIDGETSIZE_MAX);
    Button->SetMarginHorizontal(INT32_MIN);
    Button->SetWordWrap(true);
    Button->GrowToFitCaption(); // a negative margin widens the caption rectangle
    EXPECT_LE(Button->height(), QWIDGETSIZE_MAX);
}

TEST_F(ButtonTest, BackBitmapIsTiledUnscaledAndReplacesTheColour) {
    Button->resize(25, 17);
    Button->SetColor(clBlue);
    QImage tile(10, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            tile.setPixelColor(x, y, QColor(x * 20, y * 30, 77));
    Button->SetBackBitmap(tile);
    MoveTo(Center()); // hot look: still the picture, and still the raised edge over it
    const QImage img = Shot();
    for (int y = 1; y < 16; ++y)
        for (int x = 1; x < 24; ++x)
            ASSERT_EQ(Pixel(img, x, y), tile.pixelColor(x % 10, y % 7)) << x << "," << y;
    EXPECT_EQ(Pixel(img, 0, 0), Rgb(0xFFFFFF));

    // The button holds its own copy.
    tile.fill(Qt::red);
    EXPECT_EQ(Pixel(Shot(), 5, 5), QColor(100, 150, 77));

    // An empty picture brings the colour back.
    Button->SetBackBitmap(QImage());
    EXPECT_EQ(Pixel(Shot(), 5, 5), Rgb(0x0000FFFF));
    Button->SetBackBitmap(QImage(0, 5, QImage::Format_RGB32));
    EXPECT_EQ(Pixel(Shot(), 5, 5), Rgb(0x0000FFFF));
}

TEST_F(ButtonTest, MetaPropertiesReachTheAccessors) {
    Button->setProperty("Caption", QStringLiteral("HELP"));
    Button->setProperty("Color", 0xFF0000u);
    Button->setProperty("HotColor", 9094903);
    Button->setProperty("Alignment", 0);
    EXPECT_EQ(Button->Caption(), "HELP");
    EXPECT_EQ(Button->Color(), clBlue);
    EXPECT_EQ(Button->HotColor(), 0x008AC6F7u);
    EXPECT_EQ(Button->Alignment(), taLeftJustify);
    Button->setProperty("Alignment", 7);
    EXPECT_EQ(Button->Alignment(), taCenter) << "out-of-range alignment falls back to centre";
}

TEST_F(ButtonTest, SystemColoursAreResolved) {
    Button->SetColor(clBtnFace);
    EXPECT_EQ(Pixel(Shot(), 3, 3), Rgb(ColorToRGB(clBtnFace)));
    EXPECT_EQ(Rgb(ColorToRGB(clBtnFace)).rgb(), QColor(0xC0, 0xC0, 0xC0).rgb());
}

TEST(ButtonLook, CommonLookMatchesEveryProgramButton) {
    TbrixColorButton b;
    b.SetLatching(true);
    b.SetDown(true);
    b.SetWordWrap(true);
    ApplyCommonButtonLook(&b);
    EXPECT_EQ(b.Alignment(), taCenter);
    EXPECT_FALSE(b.WordWrap());
    EXPECT_FALSE(b.Latching());
    EXPECT_FALSE(b.Down());
    EXPECT_TRUE(b.Flat());
    EXPECT_TRUE(b.HotTrack());
    EXPECT_EQ(b.MarginHorizontal(), 8);
    EXPECT_EQ(b.MarginVertical(), 4);
    EXPECT_EQ(b.Color(), 0x00FF0000u);
    EXPECT_EQ(b.HotColor(), 9094903u);
    EXPECT_EQ(b.DownColor(), 9094903u);
    EXPECT_EQ(b.HotFontColor(), clWhite);
    EXPECT_EQ(b.DownFontColor(), clWhite);
    EXPECT_EQ(b.FontColor(), clWhite);
    EXPECT_EQ(b.font().family(), QStringLiteral("Quicksand"));
    EXPECT_EQ(b.font().pixelSize(), 12);
    EXPECT_TRUE(b.font().bold());
    ApplyCommonButtonLook(nullptr); // tolerated
}

TEST(FontSubstitutes, OldNamesMapToInstalledFamilies) {
    EXPECT_EQ(SubstituteFontFamily("Arial Rounded MT Bold"), QStringLiteral("Quicksand"));
    EXPECT_EQ(SubstituteFontFamily("ms sans serif"), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(SubstituteFontFamily("DejaVu Sans"), QStringLiteral("DejaVu Sans"));

    const QFont rounded = MakeFont("Arial Rounded MT Bold", 12);
    EXPECT_TRUE(rounded.bold());
    EXPECT_EQ(rounded.pixelSize(), 12);
    EXPECT_FALSE(MakeFont("MS Sans Serif", 10).bold());
    EXPECT_TRUE(MakeFont("MS Sans Serif", 10, true).bold());
    // The families really are installed: the matched face is the stand-in, not a fallback.
    EXPECT_EQ(QFontInfo(rounded).family(), QStringLiteral("Quicksand"));
    EXPECT_EQ(QFontInfo(MakeFont("MS Sans Serif", 10)).family(), QStringLiteral("Liberation Sans"));

    InstallFontSubstitutes();
    InstallFontSubstitutes();
    QFont old(QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(QFontInfo(old).family(), QStringLiteral("Liberation Sans"));
}
