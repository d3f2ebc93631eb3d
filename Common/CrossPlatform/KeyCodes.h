// The virtual-key codes that key-down messages carry, by name.
#pragma once

#include <cstdint>

// Virtual-key codes carried by key-down messages. Letters and digits are
// their upper-case character codes.
enum VirtualKey : uint32_t {
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyReturn = 13,
    kKeyShift = 16,
    kKeyControl = 17,
    kKeyAlt = 18,
    kKeyPause = 19,
    kKeyCapsLock = 20,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
    kKey0 = '0',
    kKeyJ = 'J',
    kKeyK = 'K',
    kKeyL = 'L',
    kKeyP = 'P',
    kKeyR = 'R',
    kKeyNumpad0 = 96,
    kKeyMultiply = 106,
    kKeyAdd = 107,
    kKeySubtract = 109,
    kKeyDecimal = 110,
    kKeyDivide = 111,
    kKeyF1 = 112,
    kKeyNumLock = 144,
    kKeyOem1 = 186,  // ;
    kKeyOemPlus = 187,
    kKeyOemComma = 188,
    kKeyOemMinus = 189,
    kKeyOemPeriod = 190,
    kKeyOem2 = 191,  // /
    kKeyOem3 = 192,  // `
    kKeyOem4 = 219,  // [
    kKeyOem5 = 220,  // backslash
    kKeyOem6 = 221,  // ]
    kKeyOem7 = 222,  // '
};

// Character codes carried by character messages, for the ones that are not
// plain printable letters: Ctrl+letter gives the letter's place in the
// alphabet.
enum CharacterCode : uint32_t {
    kCharCtrlC = 3,
    kCharCtrlO = 15,
    kCharCtrlS = 19,
    kCharCtrlV = 22,
    kCharCtrlX = 24,
    kCharCtrlY = 25,
    kCharCtrlZ = 26,
    kCharPlus = '+',
    kCharMinus = '-',
    kCharLowerD = 'd',
    kCharLowerJ = 'j',
    kCharLowerK = 'k',
    kCharLowerL = 'l',
    kCharLowerP = 'p',
    kCharLowerR = 'r',
};
