// The single-line text field. Forward to the installed platform; no Qt here.
#pragma once

#include <cstdint>

#include "PlatformDrawing.h"

// ---------------------------------------------------------------- text field

struct NativeEdit;
struct PlatformEdit {
    NativeEdit* field = nullptr;
    PlatformWindow* parent = nullptr;
};

// The text field calls, described in PlatformCalls.def.
#define PLATFORM_TEXT_FIELD(result, name, parameters, arguments) result name parameters;
#include "PlatformCalls.def"
