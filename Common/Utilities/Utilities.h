// Text, number, rectangle and timecode operations shared by the data import,
// the editors, the dialogs, the tool strip and Make Movie. Plain functions on
// character arrays of at most 64 characters unless stated.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CrossPlatform.h"
#include "Ease.h"

// Frame rates in hundredths of frames per second: 2997 (NTSC), 2500 (PAL)
// or 2397 (film). The show holds the program's.
constexpr int32_t kRateNtsc = 2997;
constexpr int32_t kRatePal = 2500;
constexpr int32_t kRateFilm = 2397;

// The `FrameRate` setting: 2997, 2500 or 2397; any other value (missing,
// text, zero, negative, another rate) reads as 2997.
int32_t ReadFrameRateSetting();

// Whole frames per second (30, 25 or 24), frames per minute and per hour of
// a rate; never below 1, whatever the rate holds.
int32_t NominalRate(int32_t frameRate);
int32_t FramesPerMinute(int32_t frameRate);
int32_t FramesPerHour(int32_t frameRate);

// ---- decimal text

// Sign, integer part, point and three decimals, trailing zeros removed:
// 100.5 -> "100.5", 104.0 -> "104". The magnitude is rounded to thousandths,
// halves away from zero. Magnitudes of 1e15 and above (where thousandths are
// no longer held) are written in exponent form. `out` holds at least 64 bytes.
constexpr int kDecimalTextSize = 64;
void DecimalText(double value, char* out);
// The leading decimal number of a text ("12.5kg" -> 12.5, "\n5" -> 5), 0
// when there is none; leading white space is skipped. Only decimal notation
// counts (no "inf", "nan" or hexadecimal); the result is always finite.
double ParseDecimal(const char* text);

// ---- whole numbers

// What TruncateToInt32 gives for a value that is not a number: 0, or (for
// read-outs that show such a value as the largest number) INT32_MAX.
enum class NotANumberAs { kZero, kLargest };
// A number cut toward zero to a 32-bit whole number; values beyond the range
// give its nearest end.
int32_t TruncateToInt32(double value, NotANumberAs notANumber = NotANumberAs::kZero);
// A 64-bit whole number held to the 32-bit range.
int32_t ClampToInt32(int64_t value);

// ---- texts in place

// "1.500" -> "1.5", "2.000" -> "2"; only texts with "." and no exponent.
void TrimZeros(char* text);
// Ends the file name at its first ".": "show.v2.tvr" -> "show". Dots in the
// folders of a path are kept: "/a.b/show.tvr" -> "/a.b/show".
void CutExtension(char* text);
// Keeps the part after the last "/"; a text without "/" is kept whole.
void FileNameOfPath(char* path);
// Ends the text just after the last "/"; a text without "/" becomes empty.
void FolderOfPath(char* path);
void RemoveLineBreaks(char* text);  // removes every CR and LF

// Measures a text's drawn width in pixels.
using TextMeasure = std::function<int(const char*)>;
// When the text is wider than `width`, removes characters from its end until
// text and suffix fit and appends the suffix; a suffix wider than `width` is
// not used. Whole UTF-8 characters are removed. `capacity` is the size of the
// text's array; the result always fits it.
void ShortenToWidth(char* text, int width, const char* suffix, const TextMeasure& measure, int capacity = 64);

// Cuts at each occurrence of the separator; empty pieces are kept, a
// separator at the very end starts no further piece, an empty text has none.
std::vector<std::string_view> Split(std::string_view text, std::string_view separator);

// ---- rectangles

Rect MoveRectTo(const Rect& r, int32_t left, int32_t top);
Rect OffsetRect(const Rect& r, int32_t dx, int32_t dy);
int32_t RectWidth(const Rect& r);
int32_t RectHeight(const Rect& r);
int32_t RectCenterX(const Rect& r);
int32_t RectCenterY(const Rect& r);
Rect GrowRect(const Rect& r, int32_t dx, int32_t dy);   // negative values shrink
bool PointInRect(const Rect& r, int32_t x, int32_t y);  // edges count as inside

// ---- timecode

// HH:MM:SS:FF (long) or MM:SS:FF (short) at the frame rate; "." before the
// frames of a negative number. `out` holds at least 16 bytes.
constexpr int kTimecodeTextSize = 16;
void TimecodeText(int32_t frame, bool longForm, int32_t frameRate, char* out);
std::string TimecodeText(int32_t frame, bool longForm, int32_t frameRate);
// Reads a typed timecode from its last character backwards: up to four groups
// of one or two digits are frames, seconds, minutes and hours (a minute is
// 60 whole seconds). Text without digits keeps `oldValue`; a leading "+" adds
// to it and a leading "-" subtracts from it ("-" alone gives 0). The result is
// clamped to the 32-bit range. Seconds have NominalRate(frameRate) frames.
int32_t TimecodeEntry(const char* text, int32_t oldValue, int32_t frameRate);
