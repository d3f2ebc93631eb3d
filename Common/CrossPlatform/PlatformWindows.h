// The windowing half of the platform layer, one header per concept: the
// queue and windows, drawing and fonts, menus, the text field and the
// dialogs. Used by the main window, the editor windows and Make Movie's
// panel; each call forwards to the installed platform (Platform.h).
#pragma once

#include "PlatformDialogs.h"
#include "PlatformDrawing.h"
#include "PlatformEvents.h"
#include "PlatformMenus.h"
#include "PlatformTextField.h"
