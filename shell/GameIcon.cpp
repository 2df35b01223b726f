// The game's window icon, from the compiled-in pictures (read when a size is first drawn).
#include "shell/GameIcon.h"

#include <QString>

// The pictures are resources compiled into this library.
static void InitIconResources() {
    Q_INIT_RESOURCE(assets);
}

QIcon GameIcon() {
    InitIconResources();
    QIcon icon(QStringLiteral(":/assets/zelvan.ico"));
    for (int size : {16, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icons/zelvan-%1.png").arg(size), QSize(size, size));
    return icon;
}
