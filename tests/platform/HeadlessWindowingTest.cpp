// The windowing calls on the headless platform: the in-memory queue, the
// window table, a whole context made and torn down without a display, and
// installing another platform for a scope.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ChildWindow.h"
#include "HeadlessPlatform.h"
#include "PlatformWindows.h"
#include "SilentMessages.h"

namespace {

// Remembers the messages its procedure is given; closes by posting quit.
class RecordingWindow : public PlatformWindow {
public:
    intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        received.push_back(message);
        if (message == kMsgClose) {
            PostQuit(static_cast<int>(wParam));
        }
        return static_cast<intptr_t>(message) + 1000;
    }
    std::vector<uint32_t> received;
};

// A platform with only the user-facing operations.
using MessagesOnlyPlatform = SilentMessages<Platform>;

class HeadlessWindowing : public ::testing::Test {
protected:
    HeadlessPlatform platform{"Tavrilo"};
    PlatformScope scope{platform};
};

TEST_F(HeadlessWindowing, PeekTakesInputOnlyWaitTakesAnyAndQuitComesLast) {
    RecordingWindow window;
    ASSERT_TRUE(CreatePlatformWindow(window, nullptr, 0));
    PostEvent(&window, kMsgPaint, 0, 0);
    PostQuit(4);
    PostEvent(&window, kMsgMouseMove, kMouseLeft, MakePointParam(1, 2));
    PostEvent(&window, kMsgMouseMove, kMouseLeft, MakePointParam(30, 40));  // replaces the first move
    PostEvent(&window, kMsgCommand, 7, 0);
    EXPECT_EQ(PendingEventCount(), 4);

    PlatformEvent event;
    ASSERT_TRUE(PeekEvent(event));
    EXPECT_EQ(event.message, static_cast<uint32_t>(kMsgMouseMove));
    EXPECT_EQ(PointParamX(event.lParam), 30);
    EXPECT_EQ(PointParamY(event.lParam), 40);
    ASSERT_TRUE(PeekEvent(event));
    EXPECT_EQ(event.message, static_cast<uint32_t>(kMsgCommand));
    EXPECT_FALSE(PeekEvent(event));  // the paint and the quit are no input

    ASSERT_TRUE(WaitEvent(event));
    EXPECT_EQ(event.message, static_cast<uint32_t>(kMsgPaint));
    EXPECT_EQ(DispatchEvent(event), kMsgPaint + 1000);
    EXPECT_EQ(window.received, std::vector<uint32_t>{kMsgPaint});
    // Only the quit is left: waiting answers false at once and leaves it.
    EXPECT_FALSE(WaitEvent(event));
    EXPECT_EQ(PendingEventCount(), 1);
    EXPECT_EQ(RunMessageLoop(true), 4);
    EXPECT_EQ(PendingEventCount(), 0);
    EXPECT_FALSE(WaitEvent(event));  // an empty queue does not block either
}

TEST_F(HeadlessWindowing, PeekTakesAKeyDownWithItsCharacter) {
    RecordingWindow window;
    ASSERT_TRUE(CreatePlatformWindow(window, nullptr, 0));
    auto queued = [&](uint32_t message, uintptr_t wParam, uint32_t keyPress) {
        PlatformEvent event;
        event.window = &window;
        event.message = message;
        event.wParam = wParam;
        event.keyPress = keyPress;
        platform.context.queue.push_back(event);
    };
    queued(kMsgKeyDown, 'A', 1);
    queued(kMsgKeyDown, 'B', 2);
    queued(kMsgChar, 'b', 2);
    queued(kMsgChar, 'a', 1);
    PlatformEvent event;
    ASSERT_TRUE(PeekEvent(event));
    EXPECT_EQ(event.wParam, uintptr_t{'A'});
    ASSERT_EQ(PendingEventCount(), 2);
    EXPECT_EQ(platform.context.queue[1].wParam, uintptr_t{'b'});  // "a" went with its key
}

TEST_F(HeadlessWindowing, TheLoopDispatchesUntilAWindowQuits) {
    RecordingWindow listed;
    RecordingWindow unlisted;
    ASSERT_TRUE(CreatePlatformWindow(listed, nullptr, kWindowOverlapped));
    ASSERT_TRUE(CreatePlatformWindow(unlisted, &listed, kWindowUnlisted));
    EXPECT_EQ(unlisted.owner, &listed);
    PostEvent(&unlisted, kMsgCommand, 1, 0);
    PostEvent(&listed, kMsgCommand, 2, 0);
    PostEvent(&listed, kMsgClose, 9, 0);
    PostEvent(&listed, kMsgPaint, 0, 0);  // before the quit the close posts
    EXPECT_EQ(RunMessageLoop(true), 9);
    EXPECT_TRUE(unlisted.received.empty());
    EXPECT_EQ(listed.received, (std::vector<uint32_t>{kMsgCommand, kMsgClose, kMsgPaint}));
    // A queue that runs dry ends the loop: nothing else could post.
    PostEvent(&unlisted, kMsgCommand, 1, 0);
    EXPECT_EQ(RunMessageLoop(false), 0);
    EXPECT_EQ(unlisted.received, std::vector<uint32_t>{kMsgCommand});
}

TEST_F(HeadlessWindowing, WindowsAreRecordsOfTheWindowTable) {
    RecordingWindow window;
    EXPECT_EQ(SendEvent(&window, kMsgPaint, 0, 0), 0);  // not created yet
    EXPECT_FALSE(PostEvent(&window, kMsgPaint, 0, 0));
    ASSERT_TRUE(CreatePlatformWindow(window, nullptr, kWindowVScroll));
    EXPECT_FALSE(CreatePlatformWindow(window, nullptr, 0));  // once only
    EXPECT_EQ(window.native, nullptr);
    EXPECT_TRUE(IsListedWindow(&window));
    EXPECT_EQ(ListedWindowCount(), 1);

    MoveWindowTo(window, Rect{100, 50, 740, 530}, true);
    EXPECT_EQ(GetWindowRect(window).left, 100);
    EXPECT_EQ(GetWindowRect(window).bottom, 530);
    const Rect client = GetClientRect(window);
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_FALSE(IsWindowVisible(window));
    ShowPlatformWindow(window, kWindowMaximized);
    EXPECT_TRUE(IsWindowVisible(window));
    ShowPlatformWindow(window, static_cast<WindowShowMode>(7));  // not a mode: unchanged
    EXPECT_TRUE(IsWindowVisible(window));
    SetWindowTitle(window, "Untitled");
    EXPECT_EQ(WindowTitle(window), "Untitled");

    // The shared scroll behaviour on the remembered scroll bar: a page is
    // the client height and the page takes up the last positions.
    SetScrollRanges(window, 0, 1000, 0, 480, true);
    EXPECT_EQ(HandleScroll(window, kMsgVScroll, kScrollPageForward, 10), 480);
    EXPECT_EQ(HandleScroll(window, kMsgVScroll, kScrollPageForward, 10), 521);
    EXPECT_EQ(HandleScroll(window, kMsgVScroll, kScrollLineBack, 10), 511);
    EXPECT_EQ(HandleScroll(window, kMsgVScroll, kScrollThumbTrack | (3u << 16), 10), 3);
    SetScrollRanges(window, 0, 100, 0, 480, true);
    EXPECT_EQ(GetVerticalScroll(window), 0);

    InvalidateWindow(window);
    PostEvent(&window, kMsgCommand, 1, 0);
    PostEvent(nullptr, kMsgCommand, 2, 0);
    DestroyPlatformWindow(window);
    EXPECT_EQ(PendingEventCount(), 1);  // the window's own messages went with it
    EXPECT_EQ(ListedWindowCount(), 0);
    EXPECT_FALSE(PostEvent(&window, kMsgPaint, 0, 0));
    EXPECT_EQ(GetClientRect(window).right, 0);
}

TEST_F(HeadlessWindowing, AWindowLeavesTheTableWhenItGoes) {
    {
        RecordingWindow window;
        ASSERT_TRUE(CreatePlatformWindow(window, nullptr, 0));
        PostEvent(&window, kMsgPaint, 0, 0);
        EXPECT_EQ(ListedWindowCount(), 1);
    }
    EXPECT_EQ(ListedWindowCount(), 0);
    EXPECT_EQ(PendingEventCount(), 0);
}

// A child window that records what its hooks are given.
class RecordingChild : public ChildWindow {
public:
    void Paint() override { ++paints; }
    std::vector<int> placed;  // 0 moved, 1 sized
    std::vector<uint32_t> own;
    int paints = 0;

protected:
    void Place(bool sized) override { placed.push_back(sized ? 1 : 0); }
    bool KeepKey(uint32_t message, uintptr_t wParam) override { return wParam == 'k'; }
    intptr_t OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        own.push_back(message);
        return message == kMsgLeftDown ? 1 : 0;
    }
};

TEST_F(HeadlessWindowing, AChildWindowPlacesPaintsClosesAndPassesKeysOn) {
    RecordingWindow main;
    RecordingChild child;
    ASSERT_TRUE(CreatePlatformWindow(main, nullptr, 0));
    ASSERT_TRUE(CreatePlatformWindow(child, &main, 0));
    child.parent = &main;
    EXPECT_EQ(SendEvent(&child, kMsgMove, 0, 0), 1);
    EXPECT_EQ(SendEvent(&child, kMsgSize, 0, 0), 1);
    EXPECT_EQ(child.placed, (std::vector<int>{0, 1}));
    EXPECT_EQ(SendEvent(&child, kMsgPaint, 0, 0), 1);
    EXPECT_EQ(child.paints, 1);
    // Keys go to the parent, except those the window keeps; Shift alone
    // goes nowhere.
    EXPECT_EQ(SendEvent(&child, kMsgKeyDown, 'A', 0), 1);
    EXPECT_EQ(SendEvent(&child, kMsgChar, 'k', 0), 1);
    EXPECT_EQ(SendEvent(&child, kMsgKeyDown, kKeyShift, 0), 1);
    EXPECT_EQ(main.received, std::vector<uint32_t>{kMsgKeyDown});
    // The rest is the window's own, with its answer.
    EXPECT_EQ(SendEvent(&child, kMsgLeftDown, 0, 0), 1);
    EXPECT_EQ(SendEvent(&child, kMsgRightUp, 0, 0), 0);
    EXPECT_EQ(child.own, (std::vector<uint32_t>{kMsgLeftDown, kMsgRightUp}));
    // Closing ends the program.
    SendEvent(&child, kMsgClose, 0, 0);
    EXPECT_EQ(PendingEventCount(), 1);  // the quit message
    EXPECT_EQ(RunMessageLoop(false), 0);
    EXPECT_EQ(PendingEventCount(), 0);
}

TEST(HeadlessContext, AWholeContextIsMadeAndTornDownWithoutADisplay) {
    Platform* before = &CurrentPlatform();
    {
        auto platform = std::make_unique<HeadlessPlatform>("Batch");
        PlatformScope scope(*platform);
        EXPECT_STREQ(ApplicationName(), "Batch");
        RecordingWindow main;
        RecordingWindow child;
        ASSERT_TRUE(CreatePlatformWindow(main, nullptr, 0));
        ASSERT_TRUE(CreatePlatformWindow(child, &main, 0));
        SetCursorKind(kCursorWait);
        EXPECT_EQ(CurrentCursorKind(), kCursorWait);
        PostEvent(&child, kMsgPaint, 0, 0);
        PlatformShutdown();
        EXPECT_EQ(PendingEventCount(), 0);
        // Drawing, menus, text fields and dialogs make nothing.
        PortScope port(main);
        EXPECT_EQ(GetPort(), nullptr);
        EXPECT_EQ(UiFont(kUiFont12), nullptr);
        PlatformMenu menu;
        EXPECT_FALSE(CreateMenuBar(menu, main));
        PlatformEdit field;
        EXPECT_FALSE(CreateTextField(field, main, 0, 0, 10, 10, 1, nullptr));
        char text[8] = "old";
        EXPECT_EQ(GetTextFieldText(field, text, sizeof(text)), 0);
        EXPECT_STREQ(text, "");
        FileSpec file = MakeFileSpec("/kept");
        EXPECT_FALSE(ChooseFileToOpen(&main, file, "Shows|*.tvr|", "Open", nullptr, ".tvr"));
        EXPECT_STREQ(file.name, "/kept");
        int width = 0;
        int height = 0;
        EXPECT_TRUE(ResourceBitmapSize(kMissingPictureResource, width, height));
        EXPECT_EQ(width, 32);
    }
    EXPECT_EQ(&CurrentPlatform(), before);
}

TEST(HeadlessContext, AScopedPlatformsCallsGiveWayToThePreviousOnesAfterwards) {
    HeadlessPlatform outer("Outer");
    PlatformScope outerScope(outer);
    RecordingWindow window;
    ASSERT_TRUE(CreatePlatformWindow(window, nullptr, 0));
    PostEvent(&window, kMsgPaint, 0, 0);
    {
        HeadlessPlatform inner("Inner");
        PlatformScope innerScope(inner);
        EXPECT_STREQ(ApplicationName(), "Inner");
        EXPECT_EQ(ListedWindowCount(), 0);
        EXPECT_EQ(PendingEventCount(), 0);
        EXPECT_FALSE(PostEvent(&window, kMsgPaint, 0, 0));  // not a window of this one
        PostQuit(1);
    }
    EXPECT_STREQ(ApplicationName(), "Outer");
    EXPECT_EQ(ListedWindowCount(), 1);
    EXPECT_EQ(PendingEventCount(), 1);
    {
        // A platform without windows leaves the windowing calls to the
        // fallback headless one rather than to the platform it replaced.
        MessagesOnlyPlatform messagesOnly;
        PlatformScope scope(messagesOnly);
        EXPECT_NE(&CurrentWindowing(), &outer);
        EXPECT_FALSE(IsListedWindow(&window));
    }
    PlatformEvent event;
    ASSERT_TRUE(WaitEvent(event));
    EXPECT_EQ(DispatchEvent(event), kMsgPaint + 1000);
}

}  // namespace
