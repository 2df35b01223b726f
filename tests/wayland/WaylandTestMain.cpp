// GoogleTest entry for the tests run as a compositor's client: they end before Qt's Wayland
// teardown, as the program does, since that teardown can wait forever.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/ui/WaylandExit.h"
#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv) {
    PrepareTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    EndBeforeWaylandTeardown(status);
    return status;
}
