// An exception escaping an event handler is reported and the loop goes on.
#include <gtest/gtest.h>

#include <QTimer>

#include <string>
#include <vector>

#include "platform/ui/Forms.h"

namespace {

TEST(QtApplication, ExceptionFromAnEventHandlerIsReportedAndTheLoopGoesOn) {
    int argc = 1;
    char name[] = "notify-test";
    char* argv[] = {name, nullptr};
    TQtApplication qt(argc, argv);
    TApplication app;
    std::vector<std::string> reports;
    app.OnException = [&](QObject*, const std::exception& e) { reports.push_back(e.what()); };
    bool after = false;
    QTimer::singleShot(10, &app, [] { throw Exception("handler failed"); });
    QTimer::singleShot(40, &app, [&] {
        after = true;
        app.Terminate();
    });
    QTimer::singleShot(5000, &app, [&] { app.Terminate(); });
    app.Run();
    EXPECT_EQ(reports, std::vector<std::string>{"handler failed"});
    EXPECT_TRUE(after);
}

} // namespace
