// The platform interface: the free functions reach the implementation that
// is installed, installing is scoped, the headless state follows the
// installed platform, picture resources come from the platform, and the
// clock seam and companion folders.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CrossPlatform.h"
#include "HeadlessPlatform.h"
#include "PlatformWindows.h"
#include "SilentMessages.h"

namespace {

// Records what reaches it.
class RecordingPlatform : public Platform {
public:
    void ShowMessage(const char* text, long number) override { shown.push_back(MessageText(text, number)); }
    int AskYesNoCancel(const char* text, const char* caption) override { return -1; }
    bool AskYesNo(const char* text, const char* caption) override { return true; }
    void AskText(char* text, const char* title, const char* line1, const char* line2) override {
        std::strcpy(text, "typed");
    }
    void Beep(int kind) override { beeps += kind; }
    long ReadClipboardText(char* buffer, long capacity) override { return 0; }
    void StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) override {}
    bool LoadResourceMask(int bitmapId, ResourceMask& mask) override { return false; }

    std::vector<std::string> shown;
    int beeps = 0;
};

TEST(PlatformInterface, FreeFunctionsReachTheInstalledPlatformForItsScope) {
    Platform* before = &CurrentPlatform();
    RecordingPlatform recording;
    {
        PlatformScope scope(recording);
        EXPECT_EQ(&CurrentPlatform(), &recording);
        ShowMessage("Can't read show file", 7);
        Beep(2);
        EXPECT_EQ(AskYesNoCancel("?", "caption"), -1);
        EXPECT_TRUE(AskYesNo("?", "caption"));
        char text[81] = "old";
        AskText(text, "title", "one", "two");
        EXPECT_STREQ(text, "typed");
    }
    EXPECT_EQ(&CurrentPlatform(), before);
    ASSERT_EQ(recording.shown.size(), 1u);
    EXPECT_EQ(recording.shown[0], "Can't read show file  [ 7 ]");
    EXPECT_EQ(recording.beeps, 2);
}

// A windowing platform that fills one call of one role; every other call
// of the roles is the default.
class OneCallPlatform : public SilentMessages<WindowingPlatform> {
public:
    int TextWidth(const char* text) override { return 7 * static_cast<int>(std::strlen(text)); }
};

TEST(PlatformInterface, ARoleCallNotOverriddenDoesWhatAPlatformWithoutADisplayDoes) {
    OneCallPlatform platform;
    PlatformScope scope(platform);
    EXPECT_EQ(&CurrentWindowing(), &platform);
    EXPECT_EQ(TextWidth("abc"), 21);  // the one it fills
    // Every other call answers nothing: false, zero, null, empty.
    PlatformWindow window;
    EXPECT_FALSE(CreatePlatformWindow(window, nullptr, 0));
    EXPECT_FALSE(PostEvent(nullptr, kMsgCommand, 1, 0));
    EXPECT_EQ(PendingEventCount(), 0);
    EXPECT_EQ(ApplicationName(), nullptr);
    EXPECT_EQ(CurrentCursorKind(), kCursorHidden);
    EXPECT_EQ(WindowTitle(window), "");
    const Rect client = GetClientRect(window);
    EXPECT_EQ(client.right, 0);
    EXPECT_EQ(client.bottom, 0);
    EXPECT_EQ(GetPort(), nullptr);
    EXPECT_EQ(UiFont(kUiFont12), nullptr);
    EXPECT_EQ(PortPixel(nullptr, 1, 1), 0u);
    PlatformMenu menu;
    EXPECT_FALSE(CreateMenuBar(menu, window));
    EXPECT_TRUE(MenuTitles(menu).empty());
    EXPECT_TRUE(MenuCommands(menu, 0).empty());
    PlatformEdit field;
    EXPECT_FALSE(TextFieldExists(field));
    FileSpec file = MakeFileSpec("/kept");
    EXPECT_FALSE(ChooseFileToSave(&window, file, "Shows|*.tvr|", "show", nullptr, ".tvr"));
    EXPECT_STREQ(file.name, "/kept");
    EXPECT_FALSE(ShowHelp(&window, "help"));
}

TEST(PlatformInterface, HeadlessStateIsThatOfTheInstalledHeadlessPlatform) {
    HeadlessPlatform first;
    HeadlessPlatform second;
    first.state.quiet = second.state.quiet = true;
    {
        PlatformScope scope(first);
        Headless().yesNoCancelAnswer = 1;
        ShowMessage("one", kNoNumber);
        EXPECT_TRUE(AskYesNo("?", ""));
        {
            PlatformScope inner(second);
            ShowMessage("two", kNoNumber);
            EXPECT_FALSE(AskYesNo("?", ""));
            EXPECT_EQ(&Headless(), &second.state);
        }
    }
    EXPECT_EQ(first.state.messages, std::vector<std::string>{"one"});
    EXPECT_EQ(second.state.messages, std::vector<std::string>{"two"});
    // Another kind of platform has no headless state to give.
    RecordingPlatform recording;
    PlatformScope scope(recording);
    Headless().messages.push_back("kept apart");
    EXPECT_TRUE(recording.shown.empty());
}

TEST(PlatformInterface, HeadlessPicturesAreCompiledIn) {
    HeadlessPlatform headless;
    ResourceMask mask;
    ASSERT_TRUE(headless.LoadResourceMask(kMissingPictureResource, mask));
    EXPECT_EQ(mask.width, 32);
    EXPECT_EQ(mask.height, 32);
    ASSERT_EQ(mask.bits.size(), 32u * 32u);
    EXPECT_EQ(mask.bits[0], 1);  // "##.." top left
    EXPECT_EQ(mask.bits[2], 0);
    EXPECT_EQ(mask.bits[31 * 32 + 31], 1);  // bottom right
    EXPECT_FALSE(headless.LoadResourceMask(998, mask));
}

TEST(PlatformInterface, TheCounterCanBeDrivenAndGivenBack) {
    int64_t now = 41;
    SetHighResolutionCounter([&now] { return ++now; });
    EXPECT_EQ(HighResolutionCounter(), 42);
    EXPECT_EQ(HighResolutionCounter(), 43);
    SetHighResolutionCounter({});
    const int64_t a = HighResolutionCounter();
    const int64_t b = HighResolutionCounter();
    EXPECT_GT(a, 1000);
    EXPECT_LE(a, b);
}

TEST(PlatformInterface, CompanionsAreLookedForInTheInstalledPlaceFirst) {
    const std::string program = ProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_NE(program.back(), '/');
    const std::vector<std::string> folders = CompanionFolders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], program + "/../lib/tavrilo");
    EXPECT_EQ(folders[1], program);
}

}  // namespace
