// The game's window icon, from the compiled-in pictures, built once and shared by every window.
#include "shell/GameIcon.h"

#include <QCoreApplication>
#include <QString>

// The pictures are resources compiled into this library.
static void InitIconResources() {
    Q_INIT_RESOURCE(assets);
}

namespace {
// The one icon every window holds. Adding a picture file decodes it at once, so an icon built per
// window would keep a copy of every size for each window; shared, the pictures exist once.
QIcon& SharedIcon() {
    static QIcon icon;
    return icon;
}
} // namespace

QIcon GameIcon() {
    QIcon& icon = SharedIcon();
    if (!icon.isNull()) return icon;
    InitIconResources();
    icon = QIcon(QStringLiteral(":/assets/zelvan.ico"));
    for (int size : {16, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icons/zelvan-%1.png").arg(size), QSize(size, size));
    // The pictures go with the application object, not after it (a later one builds them anew).
    qAddPostRoutine([] { SharedIcon() = QIcon(); });
    return icon;
}
