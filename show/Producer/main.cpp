// The desktop program's entry: starts the platform layer, creates the show
// and the main window, runs the message loop and tears down in order.
#include <csignal>
#include <memory>

#include "Background.h"
#include "MainWindow.h"
#include "PlatformWindows.h"
#include "ShowRecord.h"

// A show named on the command line (as a file manager passes it when the
// user opens a ".tvr" file) is loaded once the windows exist.
int main(int argc, char** argv) {
    // Beyond a file-size limit a write fails ("File too large") and the
    // movie or file is abandoned, instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    PlatformInit("Tavrilo", 101);
    std::unique_ptr<Show> show = CreateShow();
    gShow = show.get();
    auto window = std::make_unique<MainWindow>();
    window->Create();
    if (argc > 1 && argv[1] && argv[1][0] != '\0') {
        window->OpenShowFile(argv[1]);
    }
    RunMessageLoop(true);
    window->Destroy();
    window.reset();
    CloseBackgroundMovie(*show);
    DestroyShow(*show);
    gShow = nullptr;
    show.reset();
    PlatformShutdown();
    return 0;
}
