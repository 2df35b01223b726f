// Program body: creates the application and its windows, then runs the message loop.
#include "controls/FontSubstitutes.h"
#include "game/MainForm.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WaylandExit.h"
#include "shell/GameIcon.h"
#include "shell/Help.h"
#include "shell/HighScore.h"
#include "shell/Options.h"
#include "shell/SplashScreen.h"
#include "shell/Winner.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// The two options every packaged program answers without starting up: one line each on standard
// output, exit status 0. Anything else is left to the application object (the window system's own
// options such as -platform or -display).
std::optional<int> AnswerInformationOption(int argc, char** argv) {
    if (argc != 2) return std::nullopt;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("zelvan %s\n", ZELVAN_VERSION);
        return 0;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        std::printf(
            "Usage: zelvan [--help | --version]; the game is played with the mouse or the keys, "
            "see zelvan(6).\n");
        return 0;
    }
    return std::nullopt;
}

// Destroys the windows that exist, the splash first (still here only when the main window never
// showed), then the main window and the dialogs.
void DestroyWindows() {
    delete frmSplash;
    frmSplash = nullptr;
    delete Form1;
    Form1 = nullptr;
    delete frmHighScore;
    frmHighScore = nullptr;
    delete frmWinner;
    frmWinner = nullptr;
    delete frmHelp;
    frmHelp = nullptr;
    delete frmOptions;
    frmOptions = nullptr;
}

void RunProgram() {
    // Every window is created hidden, in this order; the first one is the application's main
    // window, and closing it ends the loop. The dialogs are shown modally when needed and kept
    // for the whole run; the splash's timer starts counting as it is created.
    // A text box lays out its empty document in the application's font as it is made, before it
    // takes its window's font; made under the windows' own face, they load no other face that no
    // window shows (about 0.3 MB resident for the whole run). The application's font is restored
    // at once for whatever uses it later (the error box).
    const QFont applicationFont = QApplication::font();
    QApplication::setFont(MakeFont("MS Sans Serif", 13));
    Form1 = new TForm1;
    frmOptions = new TfrmOptions;
    frmHelp = new TfrmHelp;
    frmSplash = new TfrmSplash;
    frmWinner = new TfrmWinner;
    frmHighScore = new TfrmHighScore;
    QApplication::setFont(applicationFont);
    // Shows the main window, whose first showing puts up the splash until its timer has ticked,
    // then builds the board; the loop's idle processing drives the frame timer from then on, until
    // the main window is closed.
    Application->Run();
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = AnswerInformationOption(argc, argv)) return *status;
#ifdef M_MMAP_THRESHOLD
    // Pixel memory (surfaces, the window's pixels, decoded pictures and resources) comes in blocks
    // far above this size. Fixed, the threshold keeps each such block mapped on its own and given
    // back when freed; left to the allocator, it rises after the first one is freed and later
    // ones stay in the heap, resident after they are gone.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    TQtApplication app(argc, argv);
    TApplication application;
    Application->Initialize();
    Application->SetTitle("Zelvan Free");
    InstallFontSubstitutes();
    // The menu entry's name: Wayland desktops find the game's icon and name through it.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelvan"));
    QGuiApplication::setWindowIcon(GameIcon());
    // An error that escapes the windows' creation or the loop is shown in the error box, and the
    // program ends with a failure status instead of aborting.
    int status = 0;
    try {
        RunProgram();
    } catch (const std::exception& E) {
        ReportException(nullptr, E);
        status = 1;
    } catch (...) {
        ReportException(nullptr, Exception("Unknown error while starting the program"));
        status = 1;
    }
    DestroyWindows();
    EndBeforeWaylandTeardown(status);
    return status;
}
