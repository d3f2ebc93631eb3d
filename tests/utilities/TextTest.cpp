// Decimal text, texts in place, shortening, splitting and rectangles.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "Utilities.h"

namespace {

std::string Decimal(double value) {
    char out[kDecimalTextSize];
    std::memset(out, '#', sizeof(out));
    DecimalText(value, out);
    return out;
}

// Applies an in-place operation to a copy of `text` in a 64-byte array.
template <typename Operation>
std::string InPlace(Operation operation, const char* text) {
    char buffer[64] = {};
    std::strncpy(buffer, text, sizeof(buffer) - 1);
    operation(buffer);
    return buffer;
}

// A fake measure: every byte is 10 pixels wide except "." which is 12.
int FakeWidth(const char* text) {
    int width = 0;
    for (const char* c = text; *c; ++c) {
        width += *c == '.' ? 12 : 10;
    }
    return width;
}

std::string Shorten(const char* text, int width, const char* suffix = "...", int capacity = 64) {
    char buffer[64] = {};
    std::strncpy(buffer, text, sizeof(buffer) - 1);
    ShortenToWidth(buffer, width, suffix, FakeWidth, capacity);
    return buffer;
}

}  // namespace

TEST(DecimalText, TrailingZerosAndPoint) {
    EXPECT_EQ(Decimal(100.5), "100.5");
    EXPECT_EQ(Decimal(104.0), "104");
    EXPECT_EQ(Decimal(100.0), "100");
    EXPECT_EQ(Decimal(0.125), "0.125");
    EXPECT_EQ(Decimal(2.01), "2.01");
    EXPECT_EQ(Decimal(0), "0");
    EXPECT_EQ(Decimal(-2.5), "-2.5");
    EXPECT_EQ(Decimal(0.1f), "0.1");  // single-precision values read as users typed them
}

TEST(DecimalText, RoundsHalvesAwayFromZero) {
    // Exact binary halves of a thousandth.
    EXPECT_EQ(Decimal(0.0625), "0.063");
    EXPECT_EQ(Decimal(-0.0625), "-0.063");
    EXPECT_EQ(Decimal(1.0625), "1.063");
    EXPECT_EQ(Decimal(0.9995117187500), "1");  // 0.99951171875 is exact
    EXPECT_EQ(Decimal(0.0004), "0");
    EXPECT_EQ(Decimal(-0.0004), "0");  // no "-0"
    EXPECT_EQ(Decimal(-0.0), "0");
    EXPECT_EQ(Decimal(-1.9996), "-2");
}

TEST(DecimalText, HugeAndOddValuesFitAndParseBack) {
    for (double value : {1e14 + 0.5, 999999999999999.0, 1e15, -1e15, 1e300, -DBL_MAX, DBL_MAX, DBL_MIN,
                         std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN()}) {
        std::string text = Decimal(value);
        ASSERT_LT(text.size(), 64u) << value;
        if (std::isfinite(value)) {
            EXPECT_NEAR(ParseDecimal(text.c_str()), value, std::fabs(value) * 1e-14 + 0.0005) << text;
        }
    }
    EXPECT_EQ(Decimal(1e14 + 0.5), "100000000000000.5");
    EXPECT_EQ(Decimal(1e15), "1e+15");
    EXPECT_EQ(Decimal(std::numeric_limits<double>::quiet_NaN()), "0");
}

TEST(DecimalText, ParsesTheLeadingNumber) {
    EXPECT_EQ(ParseDecimal("12.5"), 12.5);
    EXPECT_EQ(ParseDecimal("  -3.25kg"), -3.25);
    // Leading white space of every kind is skipped, as strtod does.
    EXPECT_EQ(ParseDecimal("\n5"), 5.0);
    EXPECT_EQ(ParseDecimal("\r\n\v\f\t 2.5"), 2.5);
    EXPECT_EQ(ParseDecimal("\n"), 0.0);
    EXPECT_EQ(ParseDecimal(".5"), 0.5);
    EXPECT_EQ(ParseDecimal("7."), 7.0);
    EXPECT_EQ(ParseDecimal("1e3"), 1000.0);
    EXPECT_EQ(ParseDecimal("2e"), 2.0);
    EXPECT_EQ(ParseDecimal("abc"), 0.0);
    EXPECT_EQ(ParseDecimal(""), 0.0);
    EXPECT_EQ(ParseDecimal(nullptr), 0.0);
    EXPECT_EQ(ParseDecimal("-"), 0.0);
    EXPECT_EQ(ParseDecimal("."), 0.0);
    EXPECT_EQ(ParseDecimal("nan"), 0.0);
    EXPECT_EQ(ParseDecimal("inf"), 0.0);
    EXPECT_EQ(ParseDecimal("0x10"), 0.0);
    EXPECT_EQ(ParseDecimal("1e999"), DBL_MAX);
    EXPECT_EQ(ParseDecimal("-1e999"), -DBL_MAX);
    for (double value : {0.0, 1.5, -2.01, 100.0, 12345.678}) {
        EXPECT_EQ(ParseDecimal(Decimal(value).c_str()), value);
    }
}

TEST(WholeNumbers, TruncationCutsTowardZeroAndHoldsToTheRange) {
    EXPECT_EQ(TruncateToInt32(2.9), 2);
    EXPECT_EQ(TruncateToInt32(-2.9), -2);
    EXPECT_EQ(TruncateToInt32(-0.5), 0);
    EXPECT_EQ(TruncateToInt32(2147483646.9), 2147483646);
    EXPECT_EQ(TruncateToInt32(2147483647.5), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(1e300), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(-2147483647.5), -2147483647);
    EXPECT_EQ(TruncateToInt32(-2147483648.0), INT32_MIN);
    EXPECT_EQ(TruncateToInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(TruncateToInt32(nan), 0);
    EXPECT_EQ(TruncateToInt32(nan, NotANumberAs::kLargest), INT32_MAX);
    EXPECT_EQ(TruncateToInt32(-7.5, NotANumberAs::kLargest), -7);
    EXPECT_EQ(ClampToInt32(int64_t{1} << 40), INT32_MAX);
    EXPECT_EQ(ClampToInt32(-(int64_t{1} << 40)), INT32_MIN);
    EXPECT_EQ(ClampToInt32(-5), -5);
}

TEST(TextInPlace, TrimZeros) {
    EXPECT_EQ(InPlace(TrimZeros, "1.500"), "1.5");
    EXPECT_EQ(InPlace(TrimZeros, "2.000"), "2");
    EXPECT_EQ(InPlace(TrimZeros, "100"), "100");  // no point: untouched
    EXPECT_EQ(InPlace(TrimZeros, "0.0"), "0");
    EXPECT_EQ(InPlace(TrimZeros, "1.5e+30"), "1.5e+30");  // exponent: untouched
}

TEST(TextInPlace, CutExtensionAndRemoveLineBreaks) {
    EXPECT_EQ(InPlace(CutExtension, "show.tvr"), "show");
    EXPECT_EQ(InPlace(CutExtension, "show.v2.tvr"), "show");
    EXPECT_EQ(InPlace(CutExtension, "show"), "show");
    EXPECT_EQ(InPlace(CutExtension, "/home/a.b/show.tvr"), "/home/a.b/show");
    EXPECT_EQ(InPlace(CutExtension, "/home/a.b/show"), "/home/a.b/show");
    EXPECT_EQ(InPlace(RemoveLineBreaks, "a\r\nb\nc\r"), "abc");
    EXPECT_EQ(InPlace(RemoveLineBreaks, "\r\n"), "");
}

TEST(TextInPlace, FileNameAndFolderCutAtTheLastSlash) {
    EXPECT_EQ(InPlace(FileNameOfPath, "/home/user/shows/news.tvr"), "news.tvr");
    EXPECT_EQ(InPlace(FileNameOfPath, "news.tvr"), "news.tvr");
    EXPECT_EQ(InPlace(FileNameOfPath, "/home/user/"), "");
    EXPECT_EQ(InPlace(FileNameOfPath, "C:news:1.tvr"), "C:news:1.tvr");  // ":" is an ordinary character
    EXPECT_EQ(InPlace(FolderOfPath, "/home/user/shows/news.tvr"), "/home/user/shows/");
    EXPECT_EQ(InPlace(FolderOfPath, "/news.tvr"), "/");
    EXPECT_EQ(InPlace(FolderOfPath, "/home/user/"), "/home/user/");
    EXPECT_EQ(InPlace(FolderOfPath, "news.tvr"), "");
    // Long paths (beyond the usual 64 characters) are handled in place.
    std::string longPath = "/" + std::string(600, 'd') + "/" + std::string(400, 'f');
    std::string copy = longPath;
    FileNameOfPath(copy.data());
    EXPECT_EQ(std::string(copy.c_str()), std::string(400, 'f'));
    copy = longPath;
    FolderOfPath(copy.data());
    EXPECT_EQ(std::string(copy.c_str()), longPath.substr(0, 602));
}

TEST(ShortenToWidth, FitsTextAndSuffix) {
    EXPECT_EQ(Shorten("abcdef", 60), "abcdef");     // fits exactly
    EXPECT_EQ(Shorten("abcdef", 59), "ab...");      // 20 + 36
    EXPECT_EQ(Shorten("abcdef", 46), "a...");       // 10 + 36
    EXPECT_EQ(Shorten("abcdef", 40), "...");        // only the suffix fits
    EXPECT_EQ(Shorten("abcdef", 35), "abc");        // narrower than "...": cut without it
    EXPECT_EQ(Shorten("abcdef", 5), "");            // not even one character
    EXPECT_EQ(Shorten("abcdef", 59, ""), "abcde");  // no suffix asked for
    EXPECT_EQ(Shorten("abcdef", 59, nullptr), "abcde");
    EXPECT_EQ(Shorten("", 0), "");
}

TEST(ShortenToWidth, RespectsTheArrayAndUtf8) {
    // A 63-character text that needs the suffix still fits its array.
    std::string text(63, 'x');
    EXPECT_EQ(Shorten(text.c_str(), 629, "...", 64), std::string(59, 'x') + "...");
    EXPECT_EQ(Shorten(text.c_str(), 1000, "...", 64), text);
    // A text longer than its array is cut to it, with the suffix.
    EXPECT_EQ(Shorten("abcdef", 1000, "...", 6), "ab...");
    // "é" is two bytes, each 10 pixels here: it goes as a whole.
    EXPECT_EQ(Shorten("ab\xC3\xA9", 35, ""), "ab");
    EXPECT_EQ(Shorten("ab\xC3\xA9", 40, ""), "ab\xC3\xA9");
}

TEST(Split, PiecesAndSeparators) {
    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(Split("1\t2\t3", "\t"), (Pieces{"1", "2", "3"}));
    EXPECT_EQ(Split("1\t\t3", "\t"), (Pieces{"1", "", "3"}));
    EXPECT_EQ(Split("\t2", "\t"), (Pieces{"", "2"}));
    EXPECT_EQ(Split("1\t2\t", "\t"), (Pieces{"1", "2"}));  // a trailing separator adds no piece
    EXPECT_EQ(Split("\t", "\t"), (Pieces{""}));
    EXPECT_EQ(Split("\t\t", "\t"), (Pieces{"", ""}));
    EXPECT_EQ(Split("", "\t"), Pieces{});
    EXPECT_EQ(Split("abc", "\t"), (Pieces{"abc"}));
    EXPECT_EQ(Split("a\r\nb\r\n", "\r\n"), (Pieces{"a", "b"}));
    EXPECT_EQ(Split("a\r\nb", "\n"), (Pieces{"a\r", "b"}));
    EXPECT_EQ(Split("abc", ""), (Pieces{"abc"}));
}

TEST(Rectangles, PlaceOffsetGrowAndMeasure) {
    Rect r{10, 20, 110, 70};
    Rect moved = MoveRectTo(r, -5, 3);
    EXPECT_EQ(moved.left, -5);
    EXPECT_EQ(moved.top, 3);
    EXPECT_EQ(RectWidth(moved), 100);
    EXPECT_EQ(RectHeight(moved), 50);
    Rect offset = OffsetRect(r, 1, -2);
    EXPECT_EQ(offset.left, 11);
    EXPECT_EQ(offset.top, 18);
    EXPECT_EQ(offset.right, 111);
    EXPECT_EQ(offset.bottom, 68);
    EXPECT_EQ(RectCenterX(r), 60);
    EXPECT_EQ(RectCenterY(r), 45);
    Rect grown = GrowRect(r, 2, 3);
    EXPECT_EQ(grown.left, 8);
    EXPECT_EQ(grown.top, 17);
    EXPECT_EQ(grown.right, 112);
    EXPECT_EQ(grown.bottom, 73);
    Rect shrunk = GrowRect(r, -10, -5);
    EXPECT_EQ(RectWidth(shrunk), 80);
    EXPECT_EQ(RectHeight(shrunk), 40);
    Rect huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_EQ(RectCenterX(huge), 0);
    EXPECT_EQ(RectWidth(huge), INT32_MAX);
}

TEST(Rectangles, EdgesCountAsInside) {
    Rect r{10, 20, 110, 70};
    EXPECT_TRUE(PointInRect(r, 10, 20));
    EXPECT_TRUE(PointInRect(r, 110, 70));
    EXPECT_TRUE(PointInRect(r, 60, 45));
    EXPECT_FALSE(PointInRect(r, 9, 45));
    EXPECT_FALSE(PointInRect(r, 111, 45));
    EXPECT_FALSE(PointInRect(r, 60, 19));
    EXPECT_FALSE(PointInRect(r, 60, 71));
}
