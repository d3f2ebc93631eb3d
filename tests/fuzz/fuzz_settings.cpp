// Fuzzes the settings text: any text, then reads and writes of a few keys;
// the text must never pass 1023 characters.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');  // text, then an optional value to write
    SetSettingsText(input.substr(0, split).c_str());
    std::string value = split == std::string::npos ? "" : input.substr(split + 1);
    const char* keys[] = {"FrameRate", "MovieWid", "InitialFolder", "Tavrilo", "A"};
    for (const char* key : keys) {
        char out[64];
        ReadSettingString(key, "default", out, sizeof(out));
        ReadSettingInt(key, 2997);
        WriteSettingString(key, value.c_str());
        WriteSettingInt(key, static_cast<int32_t>(size) - 512);
        if (std::strlen(SettingsText()) > kSettingsCapacity - 1) {
            std::abort();
        }
    }
    return 0;
}
