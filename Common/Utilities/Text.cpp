// Text, decimal-number and rectangle operations.
// Sections: decimal text, whole numbers, texts in place, shortening, splitting, rectangles.
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Utilities.h"

// ---------------------------------------------------------------- decimal text

namespace {

// Below this magnitude a double still holds thousandths.
constexpr double kLargestFixedMagnitude = 1e15;

// The white space strtod skips in the C locale.
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Length of the leading decimal number of `text` (after optional white
// space): sign, digits, point, digits, exponent. 0 when there is no digit.
size_t DecimalPrefixLength(const char* text) {
    const char* c = text;
    while (IsWhiteSpace(*c)) {
        ++c;
    }
    if (*c == '+' || *c == '-') {
        ++c;
    }
    int digits = 0;
    for (; std::isdigit(static_cast<unsigned char>(*c)); ++c) {
        ++digits;
    }
    if (*c == '.') {
        for (++c; std::isdigit(static_cast<unsigned char>(*c)); ++c) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (*c == 'e' || *c == 'E') {
        const char* e = c + 1;
        if (*e == '+' || *e == '-') {
            ++e;
        }
        if (std::isdigit(static_cast<unsigned char>(*e))) {
            for (c = e; std::isdigit(static_cast<unsigned char>(*c)); ++c) {
            }
        }
    }
    return static_cast<size_t>(c - text);
}

}  // namespace

void DecimalText(double value, char* out) {
    if (!out) {
        return;
    }
    if (std::isnan(value)) {
        std::snprintf(out, kDecimalTextSize, "0");
        return;
    }
    double magnitude = std::fabs(value);
    if (magnitude >= kLargestFixedMagnitude) {  // also infinity
        std::snprintf(out, kDecimalTextSize, "%.15g", value);
        return;
    }
    // Whole part and fraction apart, so that the thousandths stay exact for
    // every magnitude below the limit.
    double whole = std::floor(magnitude);
    long long integer = static_cast<long long>(whole);
    long long thousandths = std::llround((magnitude - whole) * 1000.0);  // halves away from zero
    if (thousandths == 1000) {
        ++integer;
        thousandths = 0;
    }
    const char* sign = (value < 0 && (integer != 0 || thousandths != 0)) ? "-" : "";
    std::snprintf(out, kDecimalTextSize, "%s%lld.%03lld", sign, integer, thousandths);
    TrimZeros(out);
}

double ParseDecimal(const char* text) {
    if (!text) {
        return 0;
    }
    size_t length = DecimalPrefixLength(text);
    if (length == 0) {
        return 0;
    }
    std::string number(text, length);
    double value = std::strtod(number.c_str(), nullptr);
    if (std::isinf(value)) {
        return value < 0 ? -DBL_MAX : DBL_MAX;
    }
    return value;
}

// ---------------------------------------------------------------- whole numbers

int32_t TruncateToInt32(double value, NotANumberAs notANumber) {
    if (std::isnan(value)) {
        return notANumber == NotANumberAs::kZero ? 0 : INT32_MAX;
    }
    if (value >= static_cast<double>(INT32_MAX)) {
        return INT32_MAX;
    }
    if (value <= static_cast<double>(INT32_MIN)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

int32_t ClampToInt32(int64_t value) {
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    return value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
}

// ---------------------------------------------------------------- texts in place

void TrimZeros(char* text) {
    if (!text || !std::strchr(text, '.') || std::strpbrk(text, "eE")) {
        return;
    }
    size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == '0') {
        text[--length] = '\0';
    }
    if (length > 0 && text[length - 1] == '.') {
        text[length - 1] = '\0';
    }
}

void CutExtension(char* text) {
    if (!text) {
        return;
    }
    char* slash = std::strrchr(text, '/');
    char* dot = std::strchr(slash ? slash + 1 : text, '.');
    if (dot) {
        *dot = '\0';
    }
}

void FileNameOfPath(char* path) {
    if (!path) {
        return;
    }
    const char* slash = std::strrchr(path, '/');
    if (slash) {
        std::memmove(path, slash + 1, std::strlen(slash + 1) + 1);
    }
}

void FolderOfPath(char* path) {
    if (!path) {
        return;
    }
    char* slash = std::strrchr(path, '/');
    if (slash) {
        slash[1] = '\0';
    } else {
        path[0] = '\0';
    }
}

void RemoveLineBreaks(char* text) {
    if (!text) {
        return;
    }
    char* to = text;
    for (const char* from = text; *from; ++from) {
        if (*from != '\r' && *from != '\n') {
            *to++ = *from;
        }
    }
    *to = '\0';
}

// ---------------------------------------------------------------- shortening

namespace {

// Removes the last character of `text`, all bytes of it when it is a
// multi-byte UTF-8 character.
void RemoveLastCharacter(std::string& text) {
    while (!text.empty()) {
        unsigned char last = static_cast<unsigned char>(text.back());
        text.pop_back();
        if ((last & 0xC0) != 0x80) {
            return;  // removed a lead or single byte
        }
    }
}

}  // namespace

void ShortenToWidth(char* text, int width, const char* suffix, const TextMeasure& measure, int capacity) {
    if (!text || !measure || capacity <= 0) {
        return;
    }
    std::string shortened(text, strnlen(text, static_cast<size_t>(capacity - 1)));
    if (shortened.size() == std::strlen(text) && measure(text) <= width) {
        return;
    }
    std::string tail = suffix ? suffix : "";
    if (measure(tail.c_str()) > width || tail.size() > static_cast<size_t>(capacity - 1)) {
        tail.clear();
    }
    while (!shortened.empty() && (shortened.size() + tail.size() > static_cast<size_t>(capacity - 1) ||
                                  measure((shortened + tail).c_str()) > width)) {
        RemoveLastCharacter(shortened);
    }
    shortened += tail;
    std::memcpy(text, shortened.c_str(), shortened.size() + 1);
}

// ---------------------------------------------------------------- splitting

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t found = text.find(separator, start);
        if (found == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    return pieces;
}

// ---------------------------------------------------------------- rectangles

Rect MoveRectTo(const Rect& r, int32_t left, int32_t top) {
    return OffsetRect(r, ClampToInt32(int64_t{left} - r.left), ClampToInt32(int64_t{top} - r.top));
}

Rect OffsetRect(const Rect& r, int32_t dx, int32_t dy) {
    return Rect{ClampToInt32(int64_t{r.left} + dx), ClampToInt32(int64_t{r.top} + dy),
                ClampToInt32(int64_t{r.right} + dx), ClampToInt32(int64_t{r.bottom} + dy)};
}

int32_t RectWidth(const Rect& r) {
    return ClampToInt32(int64_t{r.right} - r.left);
}
int32_t RectHeight(const Rect& r) {
    return ClampToInt32(int64_t{r.bottom} - r.top);
}
int32_t RectCenterX(const Rect& r) {
    return static_cast<int32_t>((int64_t{r.left} + r.right) / 2);
}
int32_t RectCenterY(const Rect& r) {
    return static_cast<int32_t>((int64_t{r.top} + r.bottom) / 2);
}

Rect GrowRect(const Rect& r, int32_t dx, int32_t dy) {
    return Rect{ClampToInt32(int64_t{r.left} - dx), ClampToInt32(int64_t{r.top} - dy),
                ClampToInt32(int64_t{r.right} + dx), ClampToInt32(int64_t{r.bottom} + dy)};
}

bool PointInRect(const Rect& r, int32_t x, int32_t y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}
