// The character set of show texts: Windows-1252 bytes. One table between its
// bytes and Unicode serves the interface text (drawing, the text field, typed
// characters) and the outline fonts of the chart.
#pragma once

#include <cstdint>

// The Unicode character of a byte: 0x80-0x9F are the euro sign, quotes,
// dashes and the rest of that row; the five bytes the code page leaves
// undefined keep their own value, as every other byte does.
char32_t Windows1252ToUnicode(uint8_t byte);
// The byte of a Unicode character, or -1 when the code page lacks it.
int UnicodeToWindows1252(char32_t character);
