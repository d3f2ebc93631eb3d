// The desktop program's entry: starts the platform layer, creates the show
// and the main window, runs the message loop and tears down in order.
#include <malloc.h>

#include <csignal>
#include <memory>

#include "Background.h"
#include "MainWindow.h"
#include "PlatformWindows.h"
#include "ShowRecord.h"

// A show named on the command line (as a file manager passes it when the
// user opens a ".tvr" file) is loaded once the windows exist.
int main(int argc, char** argv) {
    // Keep the memory the software GL driver frees in every frame instead of
    // handing it back to the system and faulting it in again (a frame takes
    // twice as long otherwise).
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    // Beyond a file-size limit a write fails ("File too large") and the
    // movie or file is abandoned, instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    PlatformInit("Tavrilo", kProgramIcon);
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
