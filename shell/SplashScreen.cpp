// The splash window's definition, its picture and its timer hand-shake.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global frmSplash declared by the header below.
#include "ui_SplashScreen.h"

#include "shell/SplashScreen.h"

#include "graphics/JPEG.h"
#include "platform/rtl/Exceptions.h"
#include "shell/GameIcon.h"
#include "shell/WindowPlacement.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QShowEvent>
#include <QTimer>

TfrmSplash* frmSplash = nullptr;

// The picture is one of the program's resources, compiled into this library.
static void InitSplashResources() {
    Q_INIT_RESOURCE(assets);
}

TfrmSplash::TfrmSplash(QWidget* parent, const QString& picture)
    : TDXForm(parent), FUi(std::make_unique<Ui::TfrmSplash>()) {
    InitSplashResources();
    FUi->setupUi(this);
    Image1 = FUi->Image1;
    // No frame and no caption; the window manager is told it is a splash so it stays in front.
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(479, 328);
    setWindowIcon(GameIcon());

    LoadPicture(picture);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    // A coarse timer may tick up to 5 % early: the splash stays its full three seconds.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1->start();
}

TfrmSplash::~TfrmSplash() {
    if (frmSplash == this) frmSplash = nullptr;
}

void TfrmSplash::LoadPicture(const QString& picture) {
    // The window definition holds the picture as its stored value ("TJPEGImage", byte count, JFIF
    // bytes); the resource holds the plain JFIF file, so the value is made around it and read
    // back through the same reader a stored definition goes through. A picture that cannot be
    // read leaves the window empty: the program starts all the same and the error is reported.
    QFile file(picture);
    if (!file.open(QIODevice::ReadOnly)) {
        FPictureError = Format("Splash picture '%s' is missing", picture.toUtf8().constData());
        return;
    }
    const QByteArray bytes = file.readAll();
    try {
        const std::vector<std::uint8_t> stored = TJPEGImage::MakePictureData(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
        TReadOnlyMemoryStream stream(stored.data(), stored.size());
        TJPEGImage jpeg;
        jpeg.ReadPictureData(stream);
        Image1->setPixmap(QPixmap::fromImage(jpeg.ToImage()));
    } catch (const std::exception& E) {
        FPictureError = Format("Splash picture cannot be shown: %s", E.what());
    }
}

void TfrmSplash::Timer1Timer() {
    Timer1->stop();
}

void TfrmSplash::FormCloseQuery(bool& CanClose) {
    CanClose = !Timer1->isActive();
}

void TfrmSplash::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    TDXForm::closeEvent(event);
}

void TfrmSplash::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) CentreOnScreen(this);
    TDXForm::showEvent(event);
}
