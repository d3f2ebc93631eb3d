// Windows-1252 to Unicode and back.
#include "Windows1252.h"

namespace {

// 0x80-0x9F; 0 marks the bytes the code page leaves undefined.
constexpr char16_t kRow8And9[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98
};

}  // namespace

char32_t Windows1252ToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F && kRow8And9[byte - 0x80] != 0) {
        return kRow8And9[byte - 0x80];
    }
    return byte;
}

int UnicodeToWindows1252(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<int>(character);
    }
    for (int i = 0; i < 32; ++i) {
        char16_t mapped = kRow8And9[i];
        if (mapped != 0 ? mapped == character : character == static_cast<char32_t>(0x80 + i)) {
            return 0x80 + i;
        }
    }
    return -1;
}
