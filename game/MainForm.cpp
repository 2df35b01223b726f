// The main window: the list box texts, start-up error reporting, first showing and destruction.
// The generated definition first: its set-up names the window after the form, which must not
// shadow the global Form1 declared by the header below.
#include "ui_MainForm.h"

#include "game/MainForm.h"

#include "display/DXClass.Timer.h"
#include "display/DXDraws.Control.h"
#include "platform/rtl/Exceptions.h"
#include "shell/Settings.h"
#include "shell/WindowPlacement.h"

#include <QListWidget>
#include <QTimer>

TForm1* Form1 = nullptr;

// ---- TListBoxStrings ----

TListBoxStrings::TItem::operator std::string() const {
    const QListWidgetItem* item = FList ? FList->item(int(FIndex)) : nullptr;
    if (!item) ListIndexError(int(FIndex));
    return item->text().toStdString();
}

TListBoxStrings::TItem& TListBoxStrings::TItem::operator=(const std::string& Value) {
    QListWidgetItem* item = FList ? FList->item(int(FIndex)) : nullptr;
    if (!item) ListIndexError(int(FIndex));
    item->setText(QString::fromStdString(Value));
    return *this;
}

std::size_t TListBoxStrings::size() const {
    return FList ? std::size_t(FList->count()) : 0;
}

void TListBoxStrings::resize(std::size_t Count) {
    if (!FList) throw EListError("The list box does not exist");
    while (size() > Count)
        delete FList->takeItem(FList->count() - 1);
    while (size() < Count)
        FList->addItem(QString());
}

void TListBoxStrings::Add(const std::string& Value) {
    if (!FList) throw EListError("The list box does not exist");
    FList->addItem(QString::fromStdString(Value));
}

TListBoxStrings::TItem TListBoxStrings::operator[](std::size_t Index) {
    if (Index >= size()) ListIndexError(int(Index));
    return TItem(FList, Index);
}

std::string TListBoxStrings::operator[](std::size_t Index) const {
    if (Index >= size()) ListIndexError(int(Index));
    return FList->item(int(Index))->text().toStdString();
}

// ---- TForm1 ----

TForm1::~TForm1() {
    FormDestroy();
    // The display is finalised while the window is still whole, so its finalise handler reaches a
    // complete window; afterwards nothing may call back into this object.
    if (DXDraw1) {
        try {
            DXDraw1->Finalize();
        } catch (const std::exception&) {
            // The display reports its own teardown problems; the window goes regardless.
        }
        DXDraw1->OnInitialize = nullptr;
        DXDraw1->OnFinalize = nullptr;
        DXDraw1->OnMouseDown = nullptr;
        DXDraw1->OnMouseMove = nullptr;
        DXDraw1->OnMouseUp = nullptr;
    }
    if (DXTimer1) {
        DXTimer1->SetEnabled(false);
        DXTimer1->OnTimer = nullptr;
    }
}

std::vector<std::string> TForm1::LoadPreferences() {
    TPreferences prefs = ::LoadPreferences();
    SoundSetting = prefs.Sound;
    HighlightSetting = prefs.Highlight;
    NumberedSetting = prefs.Numbered;
    return prefs.Errors;
}

void TForm1::setVisible(bool visible) {
    if (visible && !FShown && !isVisible()) {
        FShown = true;
        // The title bar decides the window's frame: before the placement creates the window.
        PrepareTitleBar();
        // Runs while the window is still hidden, so it never shows beside the splash.
        FormShow();
        if (!FPlacement) FPlacement = new TFramedPlacement(this);
        FPlacement->Place();
    }
    TDXForm::setVisible(visible);
}

void TForm1::ReportErrors(const std::vector<std::string>& Errors) {
    if (Errors.empty()) return;
    FPendingErrors.insert(FPendingErrors.end(), Errors.begin(), Errors.end());
    if (!FReportPosted) {
        FReportPosted = true;
        QTimer::singleShot(0, this, [this] { FlushErrors(); });
    }
}

void TForm1::FlushErrors() {
    FReportPosted = false;
    if (FPendingErrors.empty()) return;
    std::string text;
    for (const std::string& line : FPendingErrors) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    FPendingErrors.clear();
    // The application's standard error report (a message box; standard error when headless).
    ReportException(this, Exception(text));
}
