// The settings text: loaded once, read and written in memory by substring
// search, saved at shutdown.
#include "Settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "CrossPlatform.h"

namespace {

constexpr int kNewKeyBudget = 1021;  // text length a new entry may reach

struct SettingsState {
    char text[kSettingsCapacity] = {};
    char appName[64] = {};
};

SettingsState& State() {
    static SettingsState state;
    return state;
}

// The value of `key` (without "=") as a pointer into the text and its length;
// false when the key or the CR ending its value is missing.
bool FindValue(const char* key, const char*& value, size_t& length) {
    std::string search = std::string(key ? key : "") + "=";
    const char* found = std::strstr(State().text, search.c_str());
    if (!found) {
        return false;
    }
    value = found + search.size();
    const char* end = std::strchr(value, '\r');
    if (!end) {
        return false;
    }
    length = static_cast<size_t>(end - value);
    return true;
}

}  // namespace

std::string SettingsPath(const char* appName) {
    std::string folder;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && *home ? home : ".") + "/.config";
    }
    return folder + "/" + (appName ? appName : "") + ".ini";
}

void LoadSettings(const char* appName) {
    SettingsState& state = State();
    std::memset(state.text, 0, sizeof(state.text));
    std::snprintf(state.appName, sizeof(state.appName), "%s", appName ? appName : "");
    std::string path = SettingsPath(state.appName);
    if (FILE* file = OpenRegularFile(path.c_str())) {
        size_t count = std::fread(state.text, 1, kSettingsCapacity, file);
        std::fclose(file);
        // Only the first 1023 characters can be held with the terminator;
        // a NUL inside the file ends the text there.
        state.text[count < kSettingsCapacity ? count : kSettingsCapacity - 1] = '\0';
    }
    if (!std::strstr(state.text, state.appName)) {
        std::snprintf(state.text, sizeof(state.text), "[%s]\r\n", state.appName);
    }
}

bool SaveSettings() {
    SettingsState& state = State();
    if (state.appName[0] == '\0') {
        return false;  // never loaded: there is no file name to write
    }
    std::string path = SettingsPath(state.appName);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteWholeFile(path.c_str(), state.text, static_cast<long>(std::strlen(state.text)));
}

void ReadSettingString(const char* key, const char* defaultText, char* out, int capacity) {
    if (!out || capacity <= 0) {
        return;
    }
    const char* value = nullptr;
    size_t length = 0;
    if (!FindValue(key, value, length)) {
        value = defaultText ? defaultText : "";
        length = std::strlen(value);
    }
    size_t copied = length < static_cast<size_t>(capacity - 1) ? length : static_cast<size_t>(capacity - 1);
    std::memcpy(out, value, copied);
    out[copied] = '\0';
}

std::string ReadSettingString(const char* key, const char* defaultText) {
    const char* value = nullptr;
    size_t length = 0;
    if (!FindValue(key, value, length)) {
        return defaultText ? defaultText : "";
    }
    return std::string(value, length);
}

void WriteSettingString(const char* key, const char* value) {
    SettingsState& state = State();
    std::string clean;
    for (const char* c = value ? value : ""; *c; ++c) {
        if (*c != '\r' && *c != '\n') {
            clean += *c;
        }
    }
    std::string search = std::string(key ? key : "") + "=";
    std::string text = state.text;
    size_t found = text.find(search);
    if (found != std::string::npos) {
        size_t valueStart = found + search.size();
        size_t end = text.find('\r', valueStart);
        if (end == std::string::npos) {
            return;  // the entry has no CR: the write is dropped
        }
        text = text.substr(0, valueStart) + clean + text.substr(end);
        if (text.size() > kSettingsCapacity - 1) {
            return;  // would not fit: dropped like a new key that does not fit
        }
    } else {
        if (text.size() + search.size() + clean.size() > static_cast<size_t>(kNewKeyBudget)) {
            return;
        }
        text += search + clean + "\r\n";
    }
    std::memset(state.text, 0, sizeof(state.text));
    std::memcpy(state.text, text.data(), text.size());
}

int32_t ReadSettingInt(const char* key, int32_t defaultValue) {
    char defaultText[16] = {};
    std::snprintf(defaultText, sizeof(defaultText), "%d", defaultValue);
    std::string value = ReadSettingString(key, defaultText);
    // Leading decimal digits only; numbers beyond the 32-bit range are
    // clamped instead of wrapping.
    long long number = std::strtoll(value.c_str(), nullptr, 10);
    if (number > INT32_MAX) {
        return INT32_MAX;
    }
    return number < INT32_MIN ? INT32_MIN : static_cast<int32_t>(number);
}

void WriteSettingInt(const char* key, int32_t value) {
    char text[16] = {};
    std::snprintf(text, sizeof(text), "%d", value);
    WriteSettingString(key, text);
}

const char* SettingsText() {
    return State().text;
}

void SetSettingsText(const char* text) {
    SettingsState& state = State();
    std::memset(state.text, 0, sizeof(state.text));
    std::snprintf(state.text, sizeof(state.text), "%s", text ? text : "");
}
