// The splash window: the title picture shown borderless at start-up until its timer has ticked
// once.
#pragma once

#include "display/DXClass.Forms.h"

#include <QString>

#include <memory>
#include <string>

class QLabel;
class QTimer;
namespace Ui {
class TfrmSplash;
}

// Created hidden with its timer already running, so the three seconds count from start-up. The
// window may close only once the timer has ticked (FormCloseQuery); the main window's first showing
// waits for that, then hides and destroys it.
class TfrmSplash : public TDXForm {
    Q_OBJECT
public:
    // The title picture is read from the program's resources; picture names another stored
    // JPEG file to show instead (used to try the window with damaged data).
    explicit TfrmSplash(QWidget* parent = nullptr, const QString& picture = DefaultPicture);
    ~TfrmSplash() override;

    static inline const QString DefaultPicture = QStringLiteral(":/assets/splash.jpg");

    // Switches Timer1 off: it ticks exactly once.
    void Timer1Timer();
    // Closing is allowed exactly when Timer1 is off.
    void FormCloseQuery(bool& CanClose);

    // Why the picture could not be shown ("" when it was); the window is then left empty.
    const std::string& PictureError() const { return FPictureError; }

    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void LoadPicture(const QString& picture);
    void Centre();

    std::unique_ptr<Ui::TfrmSplash> FUi;
    std::string FPictureError;
};

extern TfrmSplash* frmSplash;
