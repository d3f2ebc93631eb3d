// docs-screenshots: draws the program's drawn dialogs (the colour chooser in
// each of its modes, the value dialog with every kind of row) off-screen and
// saves them as the pictures of the documentation:
//
//   build/bin/docs-screenshots docs
//
// writes screenshot-colour-chooser-rgb.png, -hls.png, -texture.png and
// screenshot-value-dialog-rows.png into the folder named. It runs on Qt's
// off-screen platform unless QT_QPA_PLATFORM says otherwise, with settings
// of its own in a temporary folder (the user's are not touched). Built with
// the program, not run by the tests.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "Dialogs.h"
#include "PlatformWindows.h"
#include "Settings.h"

namespace {

constexpr int kGrabDelayMs = 50;  // time for the dialog to draw itself
constexpr uint32_t kBackdrop = 0x303030;
constexpr Rect kOwnerPlace{10, 10, 650, 490};
constexpr int kDialogLeft = 20;
constexpr int kDialogTop = 30;

QWidget* WidgetOf(PlatformWindow& window) {
    return reinterpret_cast<QWidget*>(window.native);
}

// A client area of the window in its top-level widget's coordinates.
QRect ClientArea(PlatformWindow& window, int x, int y, int width, int height) {
    QWidget* widget = WidgetOf(window);
    const int clientTop = widget->height() - GetClientRect(window).bottom;
    return QRect(widget->mapTo(widget->window(), QPoint(x, y + clientTop)), QSize(width, height));
}

struct Shooter {
    PlatformWindow owner;
    std::string folder;
    int saved = 0;
    int failed = 0;

    // Saves the area of the owner once the dialog has drawn itself, then
    // ends the dialog with Escape.
    void SaveWhenDrawn(const std::string& name, const QRect& area) {
        QTimer::singleShot(kGrabDelayMs, [this, name, area]() {
            const std::string path = folder + "/" + name;
            if (WidgetOf(owner)->grab(area).save(QString::fromStdString(path))) {
                std::printf("%s\n", path.c_str());
                ++saved;
            } else {
                std::fprintf(stderr, "docs-screenshots: %s could not be written\n", path.c_str());
                ++failed;
            }
            PostEvent(&owner, kMsgKeyDown, kKeyEscape, 0);
        });
    }

    void ColourChooserInEachMode() {
        const QRect area = ClientArea(owner, 10, 20, 250, 250);
        FileSpec texture = MakeFileSpec("/pictures/marble.tga");
        const char* names[] = {"screenshot-colour-chooser-rgb.png", "screenshot-colour-chooser-hls.png",
                               "screenshot-colour-chooser-texture.png"};
        for (int mode : {kChooserRgb, kChooserHls, kChooserTexture}) {
            SetColorChooserMode(mode);
            int32_t colour = 200 | (120 << 8) | (40 << 16);
            SaveWhenDrawn(names[mode], area);
            RunColorChooser(&owner, kDialogLeft, kDialogTop, &colour, &texture, "Surface Color");
        }
    }

    void ValueDialogWithEveryKindOfRow() {
        const char* labelTexts[] = {"Name",   "@RSlows|In & Out", "@RIn",    "@ROut",
                                    "@CLoop", "@SOpacity",        "@LColor", "@FFolder"};
        const char* valueTexts[] = {"Intro", "", "1", "", "1", "75", "33023", "/home/user/pictures/"};
        DialogSlot labels[8] = {};
        DialogSlot values[8] = {};
        for (int k = 0; k < 8; ++k) {
            std::snprintf(labels[k], kDialogSlotSize, "%s", labelTexts[k]);
            std::snprintf(values[k], kDialogSlotSize, "%s", valueTexts[k]);
        }
        SaveWhenDrawn("screenshot-value-dialog-rows.png", ClientArea(owner, 10, 20, 260, 260));
        RunValueDialog(&owner, kDialogLeft, kDialogTop, -8, labels, values, "Set KeyFrame Options");
    }
};

// A private folder for the settings and the runtime files.
std::string PrivateFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "docs-screenshots-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: docs-screenshots FOLDER\n");
        return 2;
    }
    const std::string home = PrivateFolder();
    if (home.empty()) {
        std::fprintf(stderr, "docs-screenshots: no temporary folder\n");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PlatformInit("Tavrilo", kProgramIcon);
    Shooter shooter;
    shooter.folder = argv[1];
    CreatePlatformWindow(shooter.owner, nullptr, kWindowOverlapped);
    MoveWindowTo(shooter.owner, kOwnerPlace, true);
    ShowPlatformWindow(shooter.owner, kWindowShown);
    {
        PortScope port(shooter.owner);
        FillRect(kBackdrop, Rect{0, 0, kOwnerPlace.right - kOwnerPlace.left, kOwnerPlace.bottom - kOwnerPlace.top});
    }
    QApplication::processEvents();
    shooter.ColourChooserInEachMode();
    shooter.ValueDialogWithEveryKindOfRow();
    DestroyPlatformWindow(shooter.owner);
    PlatformShutdown();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return shooter.failed == 0 && shooter.saved == 4 ? 0 : 1;
}
