// The game's window icon, from the compiled-in pictures (read when a size is first drawn).
#include "shell/GameIcon.h"

#include <QString>

QIcon GameIcon() {
    QIcon icon(QStringLiteral(":/assets/zelvan.ico"));
    for (int size : {16, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icons/zelvan-%1.png").arg(size), QSize(size, size));
    return icon;
}
