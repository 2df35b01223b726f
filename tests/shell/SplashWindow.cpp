// The splash window: its looks, its picture, and the timer hand-shake that keeps it up.
#include "shell/SplashScreen.h"

#include "graphics/JPEG.h"
#include "platform/ui/Forms.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTemporaryFile>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(Splash, LooksAndPictureAsDefined) {
    TApplication application;
    TfrmSplash splash;
    EXPECT_EQ(splash.size(), QSize(479, 328));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.Image1->geometry(), QRect(0, 0, 481, 329));
    EXPECT_EQ(splash.PictureError(), "");
    EXPECT_EQ(splash.Timer1->interval(), 3000);
    EXPECT_TRUE(splash.Timer1->isActive()) << "the timer runs from creation";

    splash.show();
    if (QScreen* screen = splash.screen()) {
        const QRect area = screen->availableGeometry(), frame = splash.frameGeometry();
        EXPECT_EQ(frame.left() - area.left(), (area.width() - frame.width()) / 2);
        EXPECT_EQ(frame.top() - area.top(), (area.height() - frame.height()) / 2);
    }
    // The picture sits unscaled at the top-left corner; the window shows its top-left 479 x 328.
    QFile file(TfrmSplash::DefaultPicture);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       std::size_t(bytes.size()));
    const QImage picture = jpeg.ToImage();
    const QImage shown = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(479, 328));
    for (const QPoint p :
         {QPoint(0, 0), QPoint(478, 0), QPoint(0, 327), QPoint(478, 327), QPoint(240, 160)})
        EXPECT_EQ(shown.pixel(p) & 0xFFFFFF, picture.pixel(p) & 0xFFFFFF) << p.x() << "," << p.y();
}

TEST(Splash, RefusesToCloseWhileItsTimerRunsAndClosesAfterItsOneTick) {
    TApplication application;
    TfrmSplash splash;
    splash.show();
    bool canClose = true;
    splash.FormCloseQuery(canClose);
    EXPECT_FALSE(canClose);
    EXPECT_FALSE(splash.close());
    EXPECT_TRUE(splash.isVisible());

    QElapsedTimer clock;
    clock.start();
    while (splash.Timer1->isActive() && clock.elapsed() < 10000)
        application.WaitMessage();
    EXPECT_GE(clock.elapsed(), 2500);
    EXPECT_FALSE(splash.Timer1->isActive()) << "the timer ticks exactly once";
    splash.FormCloseQuery(canClose);
    EXPECT_TRUE(canClose);
    EXPECT_TRUE(splash.close());
    EXPECT_FALSE(splash.isVisible());
}

TEST(Splash, DamagedPictureLeavesAnEmptyWindowAndSaysWhy) {
    TApplication application;
    QFile good(TfrmSplash::DefaultPicture);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    QTemporaryFile damaged;
    ASSERT_TRUE(damaged.open());
    damaged.write(good.readAll().left(5000)); // cut short in the middle of the picture data
    damaged.close();

    TfrmSplash splash(nullptr, damaged.fileName());
    EXPECT_NE(splash.PictureError().find("Splash picture cannot be shown"), std::string::npos)
        << splash.PictureError();
    EXPECT_TRUE(splash.Image1->pixmap().isNull());
    EXPECT_TRUE(splash.Timer1->isActive());

    TfrmSplash missing(nullptr, QStringLiteral(":/no/such/picture.jpg"));
    EXPECT_NE(missing.PictureError().find("missing"), std::string::npos) << missing.PictureError();
}

} // namespace
