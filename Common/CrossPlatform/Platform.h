// The platform layer as interfaces, one for each role: the user-facing
// calls the core makes (messages, questions, the text prompt, the beep, the
// clipboard, drawing a picture into a port; Platform) and, for a platform
// with windows, the message queue, the windows (with scroll bars, frame
// metrics and cursors), drawing and fonts, menus, the text field and the
// system dialogs. One object holds them all (WindowingPlatform): the Qt one
// the desktop program installs at start-up (PlatformInit), the headless one
// tavrilo-render and the tests install. Every operation is listed once, in
// PlatformCalls.def, with what it does; the free functions the program
// calls forward to the installed implementation, so no library leaves a
// symbol for a program's link to choose. The windowing roles do by default
// what a platform without a display does (nothing; false, zero, null or
// empty), so an implementation overrides only what it shows or remembers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rect;
struct FileSpec;
struct FontChoice;
class CDib;
class PlatformWindow;
struct PlatformEvent;
struct DrawingPort;
struct PlatformFont;
struct PlatformMenu;
struct PlatformEdit;

// A one-bit picture resource: one byte per pixel (1 set, 0 clear), top row
// first.
struct ResourceMask {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;
};

// The pointer's shapes (SetCursorKind). The last three are the program's
// own cursor pictures (ResourceIds.h).
enum CursorKind : int {
    kCursorHidden = 0,
    kCursorArrow = 1,
    kCursorCross = 2,
    kCursorTextBeam = 3,
    kCursorForbidden = 4,
    kCursorMove = 5,
    kCursorSizeNorthEast = 6,  // the north-east to south-west diagonal
    kCursorSizeVertical = 7,
    kCursorSizeNorthWest = 8,  // the north-west to south-east diagonal
    kCursorSizeHorizontal = 9,
    kCursorUpArrow = 10,
    kCursorWait = 11,
    kCursorSpinChart = 12,
    kCursorMoveChart = 13,
    kCursorScrub = 14,
};

// How ShowPlatformWindow shows a window.
enum WindowShowMode : int { kWindowHidden = 0, kWindowShown = 1, kWindowMaximized = 2 };

// The user-facing calls: every platform answers them (a test's recorder may
// be only this).
class Platform {
public:
    virtual ~Platform() = default;
#define PLATFORM_MESSAGES(result, name, parameters, arguments) virtual result name parameters = 0;
#include "PlatformCalls.def"
};

// The roles of a platform with windows.
class QueueRole {
public:
    virtual ~QueueRole() = default;
#define PLATFORM_QUEUE(result, name, parameters, arguments) virtual result name parameters;
#include "PlatformCalls.def"
};

class WindowRole {
public:
    virtual ~WindowRole() = default;
#define PLATFORM_WINDOWS(result, name, parameters, arguments) virtual result name parameters;
#include "PlatformCalls.def"
};

class DrawingRole {
public:
    virtual ~DrawingRole() = default;
#define PLATFORM_DRAWING(result, name, parameters, arguments) virtual result name parameters;
#include "PlatformCalls.def"
};

class MenuRole {
public:
    virtual ~MenuRole() = default;
#define PLATFORM_MENUS(result, name, parameters, arguments) virtual result name parameters;
#include "PlatformCalls.def"
};

class TextFieldRole {
public:
    virtual ~TextFieldRole() = default;
#define PLATFORM_TEXT_FIELD(result, name, parameters, arguments) virtual result name parameters;
#include "PlatformCalls.def"
};

class DialogRole {
public:
    virtual ~DialogRole() = default;
#define PLATFORM_DIALOGS(result, name, parameters, arguments) virtual result name parameters;
#include "PlatformCalls.def"
};

// A platform with windows: the user-facing calls and every windowing role,
// in one context. A platform that is only a Platform (a test's recorder)
// leaves the windowing calls to the fallback headless platform.
class WindowingPlatform : public Platform,
                          public QueueRole,
                          public WindowRole,
                          public DrawingRole,
                          public MenuRole,
                          public TextFieldRole,
                          public DialogRole {};

// Makes `platform` the implementation the free functions use; null removes
// it. The caller keeps ownership. Returns the one installed before.
Platform* InstallPlatform(Platform* platform);
// The installed implementation; when none is, a headless one that writes
// messages to standard error and answers questions "no".
Platform& CurrentPlatform();
// The installed implementation when it has windows; otherwise that same
// fallback headless one.
WindowingPlatform& CurrentWindowing();
// Whether an implementation was installed.
bool PlatformInstalled();

// Installs a platform for the lifetime of the object and puts the previous
// one back afterwards.
class PlatformScope {
public:
    explicit PlatformScope(Platform& platform) : previous_(InstallPlatform(&platform)) {}
    ~PlatformScope() { InstallPlatform(previous_); }
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform* previous_;
};
