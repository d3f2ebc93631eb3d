// Data import: the table and stream parsers and the commands that read their
// text from a file or the clipboard.
#include "DataImport.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "Evaluate.h"
#include "KeyEdit.h"
#include "Utilities.h"

namespace {

constexpr int kTableRows = 33;    // row 0 names, rows 1..32 categories
constexpr int kTableColumns = 5;  // column 0 labels, columns 1..4 sets
constexpr size_t kTextChars = kTextSlot - 1;
// Said after why a data file was refused.
constexpr const char* kDataKept = "; the show's data stay as they were";
constexpr const char* kBadIntervalMessage = "The interval between stream data must be more than 0 frames";
constexpr const char* kUnusableStreamMessage =
    "The stream data hold no lines of tab-delimited numbers; the stream shown before is kept";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the run of digits starting at `pos`.
size_t DigitsAt(std::string_view text, size_t pos) {
    size_t end = pos;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    return end - pos;
}

// The end of the number that starts at `pos` (after blanks), or `pos` when
// none does: sign, digits with an optional fraction, optional exponent.
size_t NumberEnd(std::string_view text, size_t pos) {
    size_t end = pos;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) {
        ++end;
    }
    size_t whole = DigitsAt(text, end);
    end += whole;
    size_t fraction = 0;
    if (end < text.size() && text[end] == '.') {
        fraction = DigitsAt(text, end + 1);
        if (whole > 0 || fraction > 0) {
            end += 1 + fraction;
        }
    }
    if (whole == 0 && fraction == 0) {
        return pos;
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        size_t digits = DigitsAt(text, exponent);
        if (digits > 0) {
            end = exponent + digits;
        }
    }
    return end;
}

// Numbers are read with "." as the decimal point whatever the user's locale.
locale_t NumberLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// A double as a 32-bit float; values beyond the float range become infinite.
float ToFloat(double value) {
    if (value > FLT_MAX) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -FLT_MAX) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

// Copies a cell into a text slot: at most 63 characters, the rest zero.
void CopyText(char (&slot)[kTextSlot], std::string_view cell) {
    size_t count = std::min(cell.size(), kTextChars);
    std::memset(slot, 0, sizeof(slot));
    std::memcpy(slot, cell.data(), count);
}

void PutCell(Show& show, int row, int column, std::string_view cell) {
    if (row == 0 && column == 0) {
        return;
    }
    if (row == 0) {
        CopyText(show.setNames[column - 1], cell);
    } else if (column == 0) {
        CopyText(show.labels[row - 1], cell);
    } else {
        show.values[column - 1][row - 1] = ToFloat(CellNumber(cell));
    }
}

// Fills the stream rows from the lines: missing cells carry the cell of the
// same column from the row before; reading stops at an empty line. Returns
// the number of rows.
int ReadStreamRows(const std::vector<std::string_view>& lines, int columns, std::vector<float>& rows) {
    rows.assign(lines.size() * static_cast<size_t>(columns), 0.0f);
    int count = 0;
    std::vector<std::string_view> cells = Split(lines[0], "\t");
    while (true) {
        float* row = rows.data() + static_cast<size_t>(count) * columns;
        for (int m = 0; m < columns; ++m) {
            if (m < static_cast<int>(cells.size())) {
                row[m] = ToFloat(CellNumber(cells[m]));
            } else {
                row[m] = row[m - columns];  // count > 0: line 0 has every column
            }
        }
        ++count;
        if (count >= static_cast<int>(lines.size())) {
            break;
        }
        cells = Split(lines[count], "\t");
        if (cells.empty()) {
            break;
        }
    }
    rows.resize(static_cast<size_t>(count) * columns);
    return count;
}

// The lines of a stream text, at most kStreamMaxLines; none for a text
// without a line break.
std::vector<std::string_view> StreamLines(std::string_view text) {
    std::string_view separator = LineSeparator(text);
    if (separator.empty()) {
        return {};
    }
    std::vector<std::string_view> lines = Split(text, separator);
    if (lines.size() > static_cast<size_t>(kStreamMaxLines)) {
        lines.resize(kStreamMaxLines);
    }
    return lines;
}

// Whether any cell of the first `rowCount` lines starts with a number (a
// picture or a show file chosen by mistake has none).
bool HasNumber(const std::vector<std::string_view>& lines, int rowCount) {
    for (int l = 0; l < rowCount && l < static_cast<int>(lines.size()); ++l) {
        for (std::string_view cell : Split(lines[l], "\t")) {
            size_t start = 0;
            while (start < cell.size() && IsBlank(cell[start])) {
                ++start;
            }
            if (NumberEnd(cell, start) > start) {
                return true;
            }
        }
    }
    return false;
}

// The frame of the last stream row: truncate(lastRow x interval), kept within
// the frame numbers.
int32_t StreamEndFrame(int32_t lastRow, float interval) {
    double frame = std::trunc(static_cast<double>(static_cast<float>(lastRow) * interval));
    frame = std::clamp(frame, 0.0, static_cast<double>(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(frame);
}

// "<what> "<file name>": <why the file could not be read>" for the errno
// the read left.
Result CantRead(const char* what, const FileSpec& file, int error) {
    return FileFailure(what, SpecName(file), error != 0 ? FileErrorText(error) : "it could not be read");
}

// A message that starts a sentence, as the reason after a file's name.
std::string AsReason(const std::string& message) {
    std::string reason = message;
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z') {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    return reason;
}

// Reads at most `limit` bytes from the start of a file as a text that ends
// at its first NUL; false when the file cannot be opened or read. With
// `bytesRead`, the bytes read before the text was cut at the NUL.
bool ReadTextFile(const FileSpec& file, long limit, std::string& text, long* bytesRead = nullptr) {
    PlatformFile handle;
    if (!OpenFile(handle, file, kFileRead)) {
        return false;
    }
    text.assign(static_cast<size_t>(limit), '\0');
    long count = ReadFile(handle, text.data(), limit);
    if (count < 0 || std::ferror(handle.handle)) {
        return false;
    }
    text.resize(std::strlen(text.c_str()));
    if (bytesRead) {
        *bytesRead = count;
    }
    return true;
}

// Why a data file's text holds no table, or null when it may. A table is
// lines of text; a picture, a movie or a program starts with a NUL or with
// control characters that no text file holds.
const char* TableProblem(std::string_view text, long bytesRead) {
    if (bytesRead == 0) {
        return "the file is empty";
    }
    auto binary = [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7f;
    };
    // An end-of-file mark (Ctrl+Z) may close a text written by old editors.
    if (!text.empty() && text.back() == '\x1a') {
        text.remove_suffix(1);
    }
    if (text.empty() || std::any_of(text.begin(), text.end(), binary)) {
        return "it is not a text file (a picture, a movie or a program?)";
    }
    if (LineSeparator(text).empty()) {
        return "it holds no lines of tab-delimited data";
    }
    return nullptr;
}

void RedrawMainWindow() {
    if (gMainWindow) {
        gMainWindow->Redraw();
    }
}

}  // namespace

std::string_view LineSeparator(std::string_view text) {
    for (std::string_view separator : {"\n\r", "\r\n", "\r", "\n"}) {
        if (text.find(separator) != std::string_view::npos) {
            return separator;
        }
    }
    return {};
}

double CellNumber(std::string_view cell) {
    size_t start = 0;
    while (start < cell.size() && IsBlank(cell[start])) {
        ++start;
    }
    size_t end = NumberEnd(cell, start);
    if (end == start) {
        return 0.0;
    }
    // The cell is not terminated inside the text: convert a copy.
    std::string number(cell.substr(start, end - start));
    return strtod_l(number.c_str(), nullptr, NumberLocale());
}

void ImportTable(Show& show, std::string_view text, int startColumn, int startRow) {
    if (startColumn < 0 || startColumn >= kTableColumns || startRow < 0 || startRow >= kTableRows) {
        return;
    }
    std::string_view separator = LineSeparator(text);
    if (separator.empty()) {
        return;
    }
    std::vector<std::string_view> lines = Split(text, separator);
    size_t lineCount = std::min<size_t>(kTableRows - startRow, lines.size());
    for (size_t l = 0; l < lineCount; ++l) {
        std::vector<std::string_view> cells = Split(lines[l], "\t");
        size_t cellCount = std::min<size_t>(kTableColumns - startColumn, cells.size());
        for (size_t m = 0; m < cellCount; ++m) {
            PutCell(show, startRow + static_cast<int>(l), startColumn + static_cast<int>(m), cells[m]);
        }
    }
}

Result LoadStream(Show& show, std::string_view text, float interval, bool makeKey) {
    if (!(interval > 0.0f)) {
        return Result::Failed(kBadIntervalMessage);
    }
    // The text is read in full before anything of the show changes: a text
    // that cannot be used leaves the stream shown before in place.
    std::vector<std::string_view> lines = StreamLines(text);
    int columns = lines.empty() ? 0 : std::min<int>(kStreamMaxColumns, static_cast<int>(Split(lines[0], "\t").size()));
    std::vector<float> rows;
    int rowCount = columns > 0 ? ReadStreamRows(lines, columns, rows) : 0;
    if (columns == 0 || !HasNumber(lines, rowCount)) {
        return Result::Failed(kUnusableStreamMessage);
    }
    std::memset(show.values, 0, sizeof(show.values));
    for (int k = 0; k < columns; ++k) {
        show.values[0][k] = 1.0f;
    }
    show.streamValues = std::move(rows);
    show.streamColumns = columns;
    show.streamLastRow = rowCount - 1;
    show.animateData = 1;
    show.streamInterval = interval;
    if (makeKey) {
        ShowFrame(show, StreamEndFrame(show.streamLastRow, interval));
        SetKey(show);
    }
    ShowFrame(show, 0);
    return {};
}

void ImportTableCommand(Show& show, std::string_view text) {
    // The table goes in at the grid's selected cell while the grid is open.
    int column = 0;
    int row = 0;
    if (show.views) {
        show.views->GridCell(column, row);
    }
    ReplaceShowContents(show, [&] { ImportTable(show, text, column, row); });
    // The table is now part of the show: New, Load and Exit ask before
    // throwing it away.
    show.modified = 1;
    // The chart shows the new data at once, not from the next frame step.
    ShowFrame(show, gCurrentFrame);
    RedrawMainWindow();
}

Result LoadDataFileCommand(Show& show, const FileSpec& file) {
    std::string text;
    long bytesRead = 0;
    errno = 0;
    if (!ReadTextFile(file, kDataFileReadLimit, text, &bytesRead)) {
        return CantRead("Can't read data file", file, errno);
    }
    if (const char* problem = TableProblem(text, bytesRead)) {
        return FileFailure("Can't use data file", SpecName(file), std::string(problem) + kDataKept);
    }
    ImportTableCommand(show, text);
    return {};
}

bool GetDataFromClipboardCommand(Show& show) {
    std::string buffer(kDataFileReadLimit, '\0');
    long count = ReadClipboardText(buffer.data(), kClipboardCapacity);
    if (count <= 0) {
        return false;
    }
    buffer[static_cast<size_t>(std::min(count, kClipboardCapacity))] = '\0';
    ImportTableCommand(show, std::string_view(buffer.c_str()));
    return true;
}

Result LoadStreamFileCommand(Show& show, const FileSpec& file, const char* intervalText) {
    std::string text;
    errno = 0;
    if (!ReadTextFile(file, kStreamFileReadLimit, text)) {
        return CantRead("Can't read stream file", file, errno);
    }
    float interval = ToFloat(CellNumber(intervalText ? std::string_view(intervalText) : std::string_view()));
    Result loaded = LoadStream(show, text, interval, true);
    if (loaded) {
        show.modified = 1;
    } else {
        loaded = FileFailure("Can't load stream file", SpecName(file), AsReason(loaded.Message()));
    }
    RedrawMainWindow();
    return loaded;
}

namespace {

// The cells of a line without the empty ones at its end.
std::vector<std::string_view> FilledCells(std::string_view line) {
    std::vector<std::string_view> cells = Split(line, "\t");
    while (!cells.empty() && cells.back().find_first_not_of(" ") == std::string_view::npos) {
        cells.pop_back();
    }
    return cells;
}

}  // namespace

TableLeftOut TableBeyondShow(std::string_view text) {
    TableLeftOut left;
    std::string_view separator = LineSeparator(text);
    if (separator.empty()) {
        return left;
    }
    std::vector<std::string_view> lines = Split(text, separator);
    size_t widest = 0;
    for (size_t l = 0; l < lines.size(); ++l) {
        std::vector<std::string_view> cells = FilledCells(lines[l]);
        widest = std::max(widest, cells.size());
        if (l >= static_cast<size_t>(kTableRows) && !cells.empty()) {
            left.categories += 1;
            (left.categories == 1 ? left.firstCategory : left.lastCategory) = std::string(cells[0]);
        }
    }
    if (widest > static_cast<size_t>(kTableColumns)) {
        left.sets = static_cast<int>(widest) - kTableColumns;
        std::vector<std::string_view> names = Split(lines[0], "\t");
        auto name = [&](size_t column) { return column < names.size() ? std::string(names[column]) : std::string(); };
        left.firstSet = name(kTableColumns);
        left.lastSet = left.sets > 1 ? name(widest - 1) : std::string();
    }
    return left;
}
