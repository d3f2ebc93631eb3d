// What the value dialog and the colour chooser share: the interface colours
// they draw with, the box with its bevel, the font scope and the folder of a
// chosen file. Only the dialogs' own files include this.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "InterfaceColors.h"
#include "PlatformWindows.h"

namespace dialog {

// Colours, 0x00BBGGRR.
constexpr uint32_t kBlack = kInterfaceBlack;
constexpr uint32_t kWhite = kInterfaceWhite;
constexpr uint32_t kLightGrey = kInterfaceLightGrey;        // box fill
constexpr uint32_t kBevelDark = kInterfaceDarkGrey;         // box edge at right and bottom
constexpr uint32_t kTrackGrey = kInterfaceTrackGrey;        // slider track
constexpr uint32_t kFolderGrey = kInterfaceVeryLightGrey;   // folder field
constexpr uint32_t kDisabledGrey = kInterfaceDisabledGrey;  // items that cannot be used

// The light grey box with its one-pixel bevel.
inline void DrawBox(const Rect& box) {
    FillRect(kLightGrey, box);
    DrawBevel(kWhite, kBevelDark, box, 1);
}

// Selects an interface font with a transparent background for its lifetime.
class FontScope {
public:
    explicit FontScope(int font) { SelectFont(UiFont(font), -1, kBackTransparent); }
    ~FontScope() { SelectFont(nullptr, -1, -1); }
    FontScope(const FontScope&) = delete;
    FontScope& operator=(const FontScope&) = delete;
};

// The folder of a chosen file: the path up to and including its last
// separator ("/", "\" or ":"); empty when it has none.
inline std::string FolderOf(const char* path) {
    const std::string text = path ? path : "";
    const size_t cut = text.find_last_of("/\\:");
    return cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
}

// Moves a box of the given size asked for at (x, y) of the owner up and
// left (or down and right) as far as needed to lie wholly inside the
// owner's client area, so that every row and button of a dialog can be
// reached; a box larger than the area keeps its top left corner inside.
inline void PlaceInside(const PlatformWindow& owner, int width, int height, int& x, int& y) {
    const Rect client = GetClientRect(owner);
    x = std::max(client.left, std::min(x, client.right - width));
    y = std::max(client.top, std::min(y, client.bottom - height));
}

// A window asked to close while a dialog is open: the dialog ends as
// cancelled and the message goes back on the queue for whoever runs next,
// so no window goes away under a running dialog.
inline bool EndsDialog(const PlatformEvent& event) {
    if (event.message != kMsgClose && event.message != kMsgClosing) {
        return false;
    }
    PostEvent(event.window, event.message, event.wParam, event.lParam);
    return true;
}

}  // namespace dialog
