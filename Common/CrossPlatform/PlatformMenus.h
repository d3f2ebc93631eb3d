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

// The menu calls, described in PlatformCalls.def.
#define PLATFORM_MENUS(result, name, parameters, arguments) result name parameters;
#include "PlatformCalls.def"

// "Load Show/O" -> "Load Show\tCtrl+O"; a text without "/" is unchanged.
std::string MenuItemText(const char* label);
