// The installed platform, the free functions that forward to it and the
// defaults of the windowing roles, all made from the one list of operations
// (PlatformCalls.def).
#include <type_traits>

#include "HeadlessPlatform.h"
#include "PlatformWindows.h"

namespace {

Platform* gInstalled = nullptr;
WindowingPlatform* gWindowing = nullptr;  // gInstalled when it has windows

HeadlessPlatform& Fallback() {
    static HeadlessPlatform fallback;
    return fallback;
}

}  // namespace

Platform* InstallPlatform(Platform* platform) {
    Platform* previous = gInstalled;
    gInstalled = platform;
    gWindowing = dynamic_cast<WindowingPlatform*>(platform);
    return previous;
}

bool PlatformInstalled() {
    return gInstalled != nullptr;
}

Platform& CurrentPlatform() {
    if (gInstalled) {
        return *gInstalled;
    }
    return Fallback();
}

WindowingPlatform& CurrentWindowing() {
    if (gWindowing) {
        return *gWindowing;
    }
    return Fallback();
}

// ---------------------------------------------------------------- the free functions

#define PLATFORM_MESSAGES(result, name, parameters, arguments) \
    result name parameters {                                   \
        return CurrentPlatform().name arguments;               \
    }
#define PLATFORM_CALL(result, name, parameters, arguments) \
    result name parameters {                               \
        return CurrentWindowing().name arguments;          \
    }
#include "PlatformCalls.def"

// ---------------------------------------------------------------- the roles' defaults

namespace {

// What a call of a role does by default: nothing, answering with the zero
// of its result (false, 0, null, an empty text or list, an empty rectangle).
template <typename Result>
Result Nothing() {
    if constexpr (!std::is_void_v<Result>) {
        return Result{};
    }
}

}  // namespace

#define PLATFORM_DEFAULT(role, result, name, parameters) \
    result role::name parameters {                       \
        return Nothing<result>();                        \
    }
#define PLATFORM_QUEUE(result, name, parameters, arguments) PLATFORM_DEFAULT(QueueRole, result, name, parameters)
#define PLATFORM_WINDOWS(result, name, parameters, arguments) PLATFORM_DEFAULT(WindowRole, result, name, parameters)
#define PLATFORM_DRAWING(result, name, parameters, arguments) PLATFORM_DEFAULT(DrawingRole, result, name, parameters)
#define PLATFORM_MENUS(result, name, parameters, arguments) PLATFORM_DEFAULT(MenuRole, result, name, parameters)
#define PLATFORM_TEXT_FIELD(result, name, parameters, arguments) \
    PLATFORM_DEFAULT(TextFieldRole, result, name, parameters)
#define PLATFORM_DIALOGS(result, name, parameters, arguments) PLATFORM_DEFAULT(DialogRole, result, name, parameters)
#include "PlatformCalls.def"
#undef PLATFORM_DEFAULT
