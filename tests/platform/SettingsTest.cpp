// The settings text: loading, substring keys, the size budgets, integers and
// the file's location.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "Settings.h"
#include "TestSupport.h"

namespace {

std::string IniPath(const ScopedSettings& settings) {
    return settings.Folder().File("Tavrilo.ini");
}

// Loads `text` as the settings file's contents.
void LoadFileText(const ScopedSettings& settings, const std::string& text) {
    ASSERT_TRUE(WriteText(IniPath(settings), text));
    LoadSettings("Tavrilo");
}

}  // namespace

TEST(SettingsLoad, MissingFileGivesTheSectionLineAndDefaults) {
    ScopedSettings settings;
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\n");
    EXPECT_EQ(ReadSettingInt("FrameRate", 2997), 2997);
    EXPECT_EQ(ReadSettingString("MovieWid", "720"), "720");
}

TEST(SettingsLoad, TextWithoutTheApplicationNameIsReplaced) {
    ScopedSettings settings;
    LoadFileText(settings, "[Other]\r\nFrameRate=2500\r\n");
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\n");
    LoadFileText(settings, "[Tavrilo]\r\nFrameRate=2500\r\n");
    EXPECT_EQ(ReadSettingInt("FrameRate", 2997), 2500);
}

TEST(SettingsLoad, OnlyTheFirst1023BytesOfALargeFileAreUsed) {
    ScopedSettings settings;
    for (size_t size : {1023u, 1024u, 5000u}) {
        std::string text = "[Tavrilo]\r\n";
        text += std::string(1000 - text.size(), 'x') + "\r\nTail=";
        text += std::string(size - text.size(), 'y');
        LoadFileText(settings, text);
        EXPECT_EQ(std::strlen(SettingsText()), 1023u) << size;
        EXPECT_EQ(std::string(SettingsText()), text.substr(0, 1023)) << size;
        // The cut last line has no CR: reads give the default, writes are dropped.
        EXPECT_EQ(ReadSettingString("Tail", "none"), "none");
        WriteSettingString("Tail", "z");
        EXPECT_EQ(std::string(SettingsText()), text.substr(0, 1023));
    }
}

TEST(SettingsLoad, ANulInTheFileEndsTheText) {
    ScopedSettings settings;
    std::string text("[Tavrilo]\r\nA=1\r\n\0B=2\r\n", 22);
    LoadFileText(settings, text);
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\nA=1\r\n");
}

TEST(SettingsRead, LastLineWithoutCarriageReturn) {
    ScopedSettings settings;
    SetSettingsText("[Tavrilo]\r\nFrameRate=2500");
    EXPECT_EQ(ReadSettingInt("FrameRate", 2397), 2397);
    WriteSettingInt("FrameRate", 2997);
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\nFrameRate=2500");
    // LF alone does not end a value either.
    SetSettingsText("[Tavrilo]\nFrameRate=2500\n");
    EXPECT_EQ(ReadSettingInt("FrameRate", 2397), 2397);
}

TEST(SettingsRead, KeyIsFoundInsideAnotherValueFirst) {
    ScopedSettings settings;
    SetSettingsText("[Tavrilo]\r\nNote=Mode=5\r\nMode=7\r\n");
    EXPECT_EQ(ReadSettingInt("Mode", 0), 5);
    WriteSettingInt("Mode", 9);
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\nNote=Mode=9\r\nMode=7\r\n");
    // The program's own similar keys do not collide.
    SetSettingsText("[Tavrilo]\r\nTextureFolder=/t\r\n");
    EXPECT_EQ(ReadSettingString("InitialFolder", "none"), "none");
}

TEST(SettingsRead, OutputIsCutToItsCapacity) {
    ScopedSettings settings;
    WriteSettingString("CodecType", "mjpa");
    char out[3] = {'x', 'x', 'x'};
    ReadSettingString("CodecType", "", out, sizeof(out));
    EXPECT_STREQ(out, "mj");
    ReadSettingString("Missing", "defaultValue", out, sizeof(out));
    EXPECT_STREQ(out, "de");
}

TEST(SettingsWrite, NewKeysAreAppendedAndReplacedInPlace) {
    ScopedSettings settings;
    WriteSettingString("MovieWid", "720");
    WriteSettingInt("FrameRate", 2500);
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\nMovieWid=720\r\nFrameRate=2500\r\n");
    WriteSettingString("MovieWid", "1920");
    WriteSettingString("MovieWid", "");
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\nMovieWid=\r\nFrameRate=2500\r\n");
    EXPECT_EQ(ReadSettingString("MovieWid", "720"), "");
}

TEST(SettingsWrite, LineBreaksAreRemovedFromValues) {
    ScopedSettings settings;
    WriteSettingString("InitialFolder", "/home/\r\nuser\n/\r");
    EXPECT_EQ(ReadSettingString("InitialFolder", ""), "/home/user/");
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\nInitialFolder=/home/user/\r\n");
}

TEST(SettingsWrite, NewKeysMayBringTheTextTo1021BeforeTheirLineEnd) {
    ScopedSettings settings;
    size_t length = std::strlen(SettingsText());  // 11
    std::string fits(1021 - length - 2, 'v');     // "K=" + value reaches 1021 exactly
    WriteSettingString("K", fits.c_str());
    EXPECT_EQ(std::strlen(SettingsText()), 1023u);
    EXPECT_EQ(ReadSettingString("K", ""), fits);

    LoadSettings("Tavrilo");
    std::string tooLong(1021 - length - 1, 'v');
    WriteSettingString("K", tooLong.c_str());
    EXPECT_STREQ(SettingsText(), "[Tavrilo]\r\n");
}

TEST(SettingsWrite, ReplacementBeyond1023CharactersIsDropped) {
    ScopedSettings settings;
    WriteSettingString("A", "1");
    std::string filler(1021 - std::strlen(SettingsText()) - 2, 'f');
    WriteSettingString("B", filler.c_str());
    ASSERT_EQ(std::strlen(SettingsText()), 1023u);
    std::string before = SettingsText();
    WriteSettingString("A", "12");  // one more character than the text can hold
    EXPECT_EQ(SettingsText(), before);
    WriteSettingString("A", "9");  // same length still fits
    EXPECT_EQ(ReadSettingString("A", ""), "9");
    WriteSettingString("B", (filler + "more").c_str());
    EXPECT_EQ(ReadSettingString("B", ""), filler);
    WriteSettingString("B", "short");
    EXPECT_EQ(ReadSettingString("B", ""), "short");
    EXPECT_EQ(ReadSettingString("A", ""), "9");
}

TEST(SettingsInt, RoundTripAndMalformedValues) {
    ScopedSettings settings;
    for (int32_t value : {0, 7500, -5625, INT32_MAX, INT32_MIN}) {
        WriteSettingInt("AspectMode", value);
        EXPECT_EQ(ReadSettingInt("AspectMode", 1), value);
    }
    struct Case {
        const char* stored;
        int32_t expected;
    };
    for (Case c : {Case{"12abc", 12}, Case{"abc", 0}, Case{"", 0}, Case{"-7x", -7}, Case{"0x10", 0},
                   Case{"99999999999", INT32_MAX}, Case{"-99999999999", INT32_MIN}}) {
        WriteSettingString("AspectMode", c.stored);
        EXPECT_EQ(ReadSettingInt("AspectMode", 1), c.expected) << c.stored;
    }
}

TEST(SettingsFile, SaveThenLoadRoundTrip) {
    ScopedSettings settings;
    WriteSettingInt("FrameRate", 2397);
    WriteSettingString("MovieStart", "00:00:01:00");
    std::string saved = SettingsText();
    ASSERT_TRUE(SaveSettings());
    std::vector<uint8_t> bytes = ReadBytes(IniPath(settings));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), saved);  // no terminator written
    SetSettingsText("");
    LoadSettings("Tavrilo");
    EXPECT_EQ(SettingsText(), saved);
    EXPECT_EQ(ReadSettingInt("FrameRate", 2997), 2397);
}

TEST(SettingsFile, SaveCreatesTheConfigFolder) {
    ScopedSettings settings;
    std::string nested = settings.Folder().File("a/b");
    setenv("XDG_CONFIG_HOME", nested.c_str(), 1);
    WriteSettingInt("DrawFast", 0);
    ASSERT_TRUE(SaveSettings());
    LoadSettings("Tavrilo");
    EXPECT_EQ(ReadSettingInt("DrawFast", 1), 0);
}

TEST(SettingsFile, PathHonoursXdgConfigHome) {
    ScopedSettings settings;
    EXPECT_EQ(SettingsPath("Tavrilo"), settings.Folder().Path() + "/Tavrilo.ini");
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(SettingsPath("Tavrilo"), "/home/someone/.config/Tavrilo.ini");
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // relative values are ignored
    EXPECT_EQ(SettingsPath("Tavrilo"), "/home/someone/.config/Tavrilo.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsPath("Tavrilo"), "/home/someone/.config/Tavrilo.ini");
    setenv("HOME", savedHome.c_str(), 1);
}
