// Keys: the virtual-key code of a key-down and the character of a key press,
// as the keyboard table expects them (US layout for punctuation keys).
#include "QtInternal.h"
#include "Windows1252.h"

namespace {

struct KeyCode {
    int qtKey;
    uint32_t code;
};

// Keys whose code does not follow from a letter or digit.
constexpr KeyCode kSpecialKeys[] = {
    {Qt::Key_Backspace, kKeyBackspace},
    {Qt::Key_Tab, kKeyTab},
    {Qt::Key_Backtab, kKeyTab},
    {Qt::Key_Return, kKeyReturn},
    {Qt::Key_Enter, kKeyReturn},
    {Qt::Key_Shift, kKeyShift},
    {Qt::Key_Control, kKeyControl},
    {Qt::Key_Alt, kKeyAlt},
    {Qt::Key_Pause, kKeyPause},
    {Qt::Key_CapsLock, kKeyCapsLock},
    {Qt::Key_Escape, kKeyEscape},
    {Qt::Key_Space, kKeySpace},
    {Qt::Key_PageUp, kKeyPageUp},
    {Qt::Key_PageDown, kKeyPageDown},
    {Qt::Key_End, kKeyEnd},
    {Qt::Key_Home, kKeyHome},
    {Qt::Key_Left, kKeyLeft},
    {Qt::Key_Up, kKeyUp},
    {Qt::Key_Right, kKeyRight},
    {Qt::Key_Down, kKeyDown},
    {Qt::Key_Insert, kKeyInsert},
    {Qt::Key_Delete, kKeyDelete},
    {Qt::Key_NumLock, kKeyNumLock},
    {Qt::Key_Semicolon, kKeyOem1},
    {Qt::Key_Colon, kKeyOem1},
    {Qt::Key_Equal, kKeyOemPlus},
    {Qt::Key_Plus, kKeyOemPlus},
    {Qt::Key_Comma, kKeyOemComma},
    {Qt::Key_Less, kKeyOemComma},
    {Qt::Key_Minus, kKeyOemMinus},
    {Qt::Key_Underscore, kKeyOemMinus},
    {Qt::Key_Period, kKeyOemPeriod},
    {Qt::Key_Greater, kKeyOemPeriod},
    {Qt::Key_Slash, kKeyOem2},
    {Qt::Key_Question, kKeyOem2},
    {Qt::Key_QuoteLeft, kKeyOem3},
    {Qt::Key_AsciiTilde, kKeyOem3},
    {Qt::Key_BracketLeft, kKeyOem4},
    {Qt::Key_BraceLeft, kKeyOem4},
    {Qt::Key_Backslash, kKeyOem5},
    {Qt::Key_Bar, kKeyOem5},
    {Qt::Key_BracketRight, kKeyOem6},
    {Qt::Key_BraceRight, kKeyOem6},
    {Qt::Key_Apostrophe, kKeyOem7},
    {Qt::Key_QuoteDbl, kKeyOem7},
    // Shifted digits give the digit key.
    {Qt::Key_ParenRight, '0'},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
};

// Keypad keys other than digits.
constexpr KeyCode kKeypadKeys[] = {
    {Qt::Key_Asterisk, kKeyMultiply}, {Qt::Key_Plus, kKeyAdd},
    {Qt::Key_Minus, kKeySubtract},    {Qt::Key_Period, kKeyDecimal},
    {Qt::Key_Comma, kKeyDecimal},     {Qt::Key_Slash, kKeyDivide},
    {Qt::Key_Enter, kKeyReturn},      {Qt::Key_Insert, kKeyInsert},
    {Qt::Key_Delete, kKeyDelete},     {Qt::Key_Home, kKeyHome},
    {Qt::Key_End, kKeyEnd},           {Qt::Key_PageUp, kKeyPageUp},
    {Qt::Key_PageDown, kKeyPageDown}, {Qt::Key_Left, kKeyLeft},
    {Qt::Key_Right, kKeyRight},       {Qt::Key_Up, kKeyUp},
    {Qt::Key_Down, kKeyDown},
};

}  // namespace

uint32_t VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
            return kKeyNumpad0 + static_cast<uint32_t>(qtKey - Qt::Key_0);
        }
        for (const KeyCode& k : kKeypadKeys) {
            if (k.qtKey == qtKey) {
                return k.code;
            }
        }
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return static_cast<uint32_t>(qtKey);  // the same numbers as the upper-case characters
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return kKeyF1 + static_cast<uint32_t>(qtKey - Qt::Key_F1);
    }
    for (const KeyCode& k : kSpecialKeys) {
        if (k.qtKey == qtKey) {
            return k.code;
        }
    }
    return 0;
}

uint32_t CharacterOf(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    if (modifiers & Qt::AltModifier) {
        return 0;
    }
    if (modifiers & Qt::ControlModifier) {
        // Ctrl+letter gives the control characters 1..26.
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
            return static_cast<uint32_t>(qtKey - Qt::Key_A + 1);
        }
        return 0;
    }
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Delete:
            return 0;  // the desktop sends no character for Delete
        default:
            break;
    }
    if (text.isEmpty()) {
        return 0;
    }
    // Characters arrive as their Windows-1252 byte ("\u20AC" is 0x80); one
    // the code page lacks gives none.
    const int c = UnicodeToWindows1252(text.at(0).unicode());
    if (c < 32 || c == 127) {
        return 0;
    }
    return static_cast<uint32_t>(c);
}
