// Dialogs under a real application object, shown modally, clicked through the window system layer.
#pragma once

#include "controls/FontSubstitutes.h"
#include "controls/brixColorButton.h"
#include "platform/ui/Forms.h"
#include "shell/DialogForm.h"
#include "shell/Settings.h"
#include "tests/support/StoreFiles.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline std::string Stored(const std::string& name) {
    return ReadRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name);
}
inline void Store(const std::string& name, const std::string& text) {
    WriteRegistryString(HKEY_CURRENT_USER, ZelvanKeyPath, name, text);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : std::filesystem::directory_iterator(TestConfigHome()))
            std::filesystem::remove_all(entry.path());
        InstallFontSubstitutes();
        App = std::make_unique<TApplication>();
        App->OnException = [this](QObject*, const std::exception& E) {
            Reported.push_back(E.what());
        };
        // The first form is the application's main window; the dialogs come after it, as in the
        // program, so closing one of them does not end the application.
        Main = new TDXForm;
    }
    void TearDown() override {
        delete Main;
        App.reset();
    }

    // A left click on a control (in its middle unless a point of its own is given), delivered to
    // its window as a pointer would.
    static void Click(QWidget* control, QPoint local = QPoint(-1, -1)) {
        QWidget* window = control->window();
        if (local == QPoint(-1, -1)) local = control->rect().center();
        const QPoint at = control->mapTo(window, local);
        QTest::mouseMove(window->windowHandle(), at);
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }

    // Shows the dialog modally and runs Steps inside its loop; returns the modal result. A dialog
    // still open ten seconds later is closed, so a fault fails the test instead of hanging it.
    int ShowModalWith(TDialogForm* dialog, const std::function<void()>& Steps) {
        bool ran = false;
        QTimer::singleShot(0, dialog, [&] {
            EXPECT_TRUE(dialog->isVisible());
            Steps();
            ran = true;
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, dialog, [dialog] { dialog->close(); });
        guard.start(10000);
        const int result = dialog->ShowModal();
        EXPECT_TRUE(ran);
        return result;
    }

    std::unique_ptr<TApplication> App;
    TDXForm* Main = nullptr;
    std::vector<std::string> Reported;
};
