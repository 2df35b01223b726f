#include "platform/ui/WaylandExit.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

void EndBeforeWaylandTeardown(int Status) {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
    std::fflush(nullptr);
    std::_Exit(Status);
}
