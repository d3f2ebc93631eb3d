// Menu bars of program windows. Forward to the installed platform; no Qt here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PlatformEvents.h"

// ---------------------------------------------------------------- menus

enum MenuOptions : int32_t { kMenuChecked = 1, kMenuGreyed = 2, kMenuTitleGreyed = 4 };
constexpr int kMenuSeparator = -1;

struct NativeMenu;
struct PlatformMenu {
    NativeMenu* bar = nullptr;
    void* current = nullptr;  // the drop-down being filled
    PlatformWindow* owner = nullptr;
};

bool CreateMenuBar(PlatformMenu& menu, PlatformWindow& window);
// Forgets the menu record (the bar itself goes with its window).
void ReleaseMenuBar(PlatformMenu& menu);
void AddMenu(PlatformMenu& menu, const char* title, int32_t options);
void AddMenuItem(PlatformMenu& menu, int commandId, const char* text, int32_t options);
void SetMenuItemState(PlatformMenu& menu, int commandId, int32_t options);
void CheckMenuItem(PlatformMenu& menu, int commandId, bool checked);
// An item's shown text and check/grey bits; false when there is no such item.
bool GetMenuItemState(const PlatformMenu& menu, int commandId, std::string& text, int32_t& options);
// The drop-down titles in order, and the command ids of one of them
// (kMenuSeparator for separators).
std::vector<std::string> MenuTitles(const PlatformMenu& menu);
std::vector<int> MenuCommands(const PlatformMenu& menu, int menuIndex);
// Posts the command of an enabled item as a menu choice would; false when
// the item is missing or greyed.
bool ChooseMenuItem(PlatformMenu& menu, int commandId);

// "Load Show/O" -> "Load Show\tCtrl+O"; a text without "/" is unchanged.
std::string MenuItemText(const char* label);
