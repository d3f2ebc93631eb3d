// The desktop program's entry: starts the platform layer, creates the show
// and the main window, runs the message loop and tears down in order.
#include <memory>

#include "Background.h"
#include "MainWindow.h"
#include "PlatformWindows.h"
#include "ShowRecord.h"

int main() {
    PlatformInit("Tavrilo", 101);
    std::unique_ptr<Show> show = CreateShow();
    gShow = show.get();
    auto window = std::make_unique<MainWindow>();
    window->Create();
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
