// The desktop program started where there is no display to open a window
// on: one line says so and the exit status is 1, instead of the toolkit's
// abort.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"

namespace {

struct Started {
    int status = -1;
    bool signalled = false;
    std::string err;
};

Started StartDesktop(const TempFolder& folder, const std::string& environment) {
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME='" + folder.Path() +
                          "' XDG_RUNTIME_DIR='" + folder.Path() + "' " + environment + " '" + TAVRILO_BIN_DIR +
                          "/tavrilo' 2>'" + folder.File("stderr.txt") + "' </dev/null >/dev/null";
    int status = std::system(command.c_str());
    Started started;
    started.signalled = WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) > 128);
    started.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto bytes = ReadBytes(folder.File("stderr.txt"));
    started.err.assign(bytes.begin(), bytes.end());
    return started;
}

}  // namespace

TEST(DesktopStart, WithoutADisplayItSaysSoInOneLine) {
    TempFolder folder;
    Started none = StartDesktop(folder, "");
    EXPECT_FALSE(none.signalled);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err,
              "tavrilo: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set); tavrilo-render "
              "renders shows without one\n");

    // A display named but not there (no X server answers on :97).
    Started absent = StartDesktop(folder, "DISPLAY=:97");
    EXPECT_FALSE(absent.signalled);
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, "tavrilo: cannot open the display (DISPLAY=:97); tavrilo-render renders shows without one\n");
}
