// What the value dialog and the colour chooser share: the interface colours
// they draw with, the box with its bevel, the font scope and the folder of a
// chosen file. Only the dialogs' own files include this.
#pragma once

#include <cstdint>
#include <string>

#include "PlatformWindows.h"

namespace dialog {

// Colours, 0x00BBGGRR.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLightGrey = 0xC0C0C0;     // box fill
constexpr uint32_t kBevelDark = 0x404040;     // box edge at right and bottom
constexpr uint32_t kTrackGrey = 0x606060;     // slider track
constexpr uint32_t kFolderGrey = 0xE0E0E0;    // folder field
constexpr uint32_t kDisabledGrey = 0x808080;  // items that cannot be used

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

}  // namespace dialog
