// The game's window icon, from the compiled-in pictures, built once and shared by every window.
//
// The icon holds no pictures: each size is decoded from its resource when a window (or the window
// system) asks for it, and let go again. A window icon is read only when a window is created, so
// keeping every size decoded for the whole run cost resident memory for nothing.
#include "shell/GameIcon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIconEngine>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

// The pictures are resources compiled into this library.
static void InitIconResources() {
    Q_INIT_RESOURCE(assets);
}

namespace {

const QString kIconFile = QStringLiteral(":/assets/zelvan.ico");
constexpr int kIconSize = 32; // the icon file's one picture; the others are the menu icon's
constexpr int kSizes[] = {16, kIconSize, 48, 64, 128, 256};

// Decodes one size of the game icon; a null picture when its resource cannot be read. The format
// is named and never guessed, so no other image plugin is loaded to look at the bytes.
QImage DecodeSize(int size) {
    QImageReader reader(size == kIconSize ? kIconFile
                                          : QStringLiteral(":/assets/icons/zelvan-%1.png").arg(size),
                        size == kIconSize ? "ICO" : "PNG");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The icon's sizes, each decoded when asked for. Requests between sizes get the nearest larger
// one scaled down (the largest when none is larger), as a picture-holding icon gives them.
class GameIconEngine : public QIconEngine {
public:
    QIconEngine* clone() const override { return new GameIconEngine; }
    QString key() const override { return QStringLiteral("zelvan"); }
    bool isNull() override { return false; }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int size : kSizes)
            sizes << QSize(size, size);
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int chosen = Choose(size);
        return QSize(chosen, chosen)
            .scaled(size.boundedTo(QSize(chosen, chosen)), Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QImage image = DecodeSize(Choose(size));
        if (image.isNull()) return {};
        const QSize actual = actualSize(size, mode, state);
        if (image.size() != actual)
            image = image.scaled(actual, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPixmap result = QPixmap::fromImage(std::move(image));
        // Disabled and selected looks come from the style, as for any other icon.
        if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QApplication::palette();
            const QPixmap styled =
                QApplication::style()->generatedIconPixmap(mode, result, &option);
            if (!styled.isNull()) result = styled;
        }
        return result;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        const QPixmap picture = pixmap(rect.size() * scale, mode, state);
        if (picture.isNull()) return;
        QRect shown(QPoint(), (QSizeF(picture.size()) / scale).toSize());
        shown.moveCenter(rect.center());
        painter->drawPixmap(shown, picture);
    }

private:
    // The smallest size at least as large as the request, else the largest.
    static int Choose(const QSize& size) {
        const int wanted = std::max(size.width(), size.height());
        int best = 0;
        for (int candidate : kSizes)
            if (candidate >= wanted && (best == 0 || candidate < best)) best = candidate;
        return best ? best : 256;
    }
};

// The one icon every window holds.
QIcon& SharedIcon() {
    static QIcon icon;
    return icon;
}

} // namespace

QIcon GameIcon() {
    QIcon& icon = SharedIcon();
    if (!icon.isNull()) return icon;
    InitIconResources();
    icon = QIcon(new GameIconEngine);
    // The icon goes with the application object, not after it (a later one builds it anew).
    qAddPostRoutine([] { SharedIcon() = QIcon(); });
    return icon;
}
