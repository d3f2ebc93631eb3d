// The settings file: preferences held in memory as one small text of
// "Key=value" lines and written back at shutdown. Keys are found by plain
// substring search. The file is $XDG_CONFIG_HOME/<name>.ini (default
// ~/.config).
#pragma once

#include <cstdint>
#include <string>

constexpr int kSettingsCapacity = 1024;  // bytes of text, terminator included

// The path of the settings file for an application name.
std::string SettingsPath(const char* appName);
// Reads the file into memory (at most 1024 bytes) and makes sure the text
// names the application; a missing or unreadable file gives the section line
// alone.
void LoadSettings(const char* appName);
// Writes the text back; false when it could not be written.
bool SaveSettings();

void ReadSettingString(const char* key, const char* defaultText, char* out, int capacity);
std::string ReadSettingString(const char* key, const char* defaultText);
void WriteSettingString(const char* key, const char* value);
int32_t ReadSettingInt(const char* key, int32_t defaultValue);
void WriteSettingInt(const char* key, int32_t value);

// The text as held in memory, and replacing it (for tests and fuzzing).
const char* SettingsText();
void SetSettingsText(const char* text);
