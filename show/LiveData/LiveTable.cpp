// Reading live tables and stream files whole, and putting them into the show.
#include "LiveTable.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "DataImport.h"
#include "Evaluate.h"
#include "Utilities.h"

namespace {

constexpr size_t kTextChars = kTextSlot - 1;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view cell) {
    while (!cell.empty() && IsBlank(cell.front())) {
        cell.remove_prefix(1);
    }
    while (!cell.empty() && IsBlank(cell.back())) {
        cell.remove_suffix(1);
    }
    return cell;
}

size_t Digits(std::string_view text, size_t at) {
    size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
        ++end;
    }
    return end - at;
}

// Whether the whole text is one number: sign, digits with an optional
// fraction, an optional exponent.
bool IsWholeNumber(std::string_view text) {
    size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    size_t whole = Digits(text, at);
    at += whole;
    size_t fraction = 0;
    if (at < text.size() && text[at] == '.') {
        fraction = Digits(text, at + 1);
        at += 1 + fraction;
    }
    if (whole == 0 && fraction == 0) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        size_t exponent = Digits(text, at);
        if (exponent == 0) {
            return false;
        }
        at += exponent;
    }
    return at == text.size();
}

// A value cell: empty is 0, otherwise a whole finite number in float range.
bool CellValue(std::string_view cell, float& value) {
    std::string_view text = Trimmed(cell);
    if (text.empty()) {
        value = 0.0f;
        return true;
    }
    if (!IsWholeNumber(text)) {
        return false;
    }
    double number = CellNumber(text);
    if (!std::isfinite(number) || std::fabs(number) > FLT_MAX) {
        return false;
    }
    value = static_cast<float>(number);
    return true;
}

std::string Quoted(std::string_view text) {
    constexpr size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = '?';
        }
    }
    return "\"" + shown + (text.size() > kShown ? "...\"" : "\"");
}

// The lines of a complete text: false, with the reason, when the text has
// no line break or its last line is not ended.
bool CompleteLines(std::string_view text, std::vector<std::string_view>& lines, std::string& error) {
    if (text.empty()) {
        error = "it is empty";
        return false;
    }
    std::string_view separator = LineSeparator(text);
    if (separator.empty()) {
        error = "it has no line break (still being written?)";
        return false;
    }
    if (text.size() < separator.size() || text.substr(text.size() - separator.size()) != separator) {
        error = "its last line is not ended (still being written?)";
        return false;
    }
    if (text.find('\0') != std::string_view::npos) {
        error = "it is not text";
        return false;
    }
    lines = Split(text, separator);
    return true;
}

std::string LineName(size_t line) {
    return "line " + std::to_string(line + 1);
}

// The cells of a line; a tab at its end ends an empty last cell (which the
// general split rule would not count).
std::vector<std::string_view> Cells(std::string_view line) {
    std::vector<std::string_view> cells = Split(line, "\t");
    if (!line.empty() && line.back() == '\t') {
        cells.emplace_back();
    }
    return cells;
}

bool ReadTableRow(std::string_view line, size_t index, LiveTable& table, std::string& error) {
    std::vector<std::string_view> cells = Cells(line);
    const int columns = table.shape.columns;
    if (static_cast<int>(cells.size()) != columns + 1) {
        error = LineName(index) + " has " + std::to_string(cells.size()) + " cells, the first line " +
                std::to_string(columns + 1);
        return false;
    }
    table.labels.emplace_back(cells[0].substr(0, kTextChars));
    for (int set = 0; set < columns; ++set) {
        float value = 0.0f;
        if (!CellValue(cells[set + 1], value)) {
            error = LineName(index) + ", cell " + std::to_string(set + 2) + ": " + Quoted(cells[set + 1]) +
                    " is not a number";
            return false;
        }
        table.values.push_back(value);
    }
    return true;
}

void CopyText(char (&slot)[kTextSlot], std::string_view text) {
    std::memset(slot, 0, sizeof(slot));
    std::memcpy(slot, text.data(), std::min(text.size(), kTextChars));
}

}  // namespace

bool ParseLiveTable(std::string_view text, LiveTable& table, std::string& error) {
    table = LiveTable{};
    std::vector<std::string_view> lines;
    if (!CompleteLines(text, lines, error)) {
        return false;
    }
    // Blank lines at the end (an editor's last line break) hold nothing.
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    if (lines.size() < 2) {
        error = "a table needs its first line (the set names) and at least one row";
        return false;
    }
    if (lines.size() > kLiveTableMaxRows + 1) {
        error = "it has " + std::to_string(lines.size() - 1) + " rows; a chart takes 32";
        return false;
    }
    std::vector<std::string_view> header = Cells(lines[0]);
    int sets = static_cast<int>(header.size()) - 1;
    if (sets < 1 || sets > kLiveTableMaxSets) {
        error = "its first line names " + std::to_string(std::max(sets, 0)) + " data sets; a chart takes 1 to 4";
        return false;
    }
    table.shape = LiveDataShape{static_cast<int>(lines.size()) - 1, sets};
    table.title = std::string(Trimmed(header[0]).substr(0, kTextChars));
    for (int set = 0; set < sets; ++set) {
        table.setNames.emplace_back(header[set + 1].substr(0, kTextChars));
    }
    for (size_t line = 1; line < lines.size(); ++line) {
        if (!ReadTableRow(lines[line], line, table, error)) {
            return false;
        }
    }
    return true;
}

bool CheckLiveStream(std::string_view text, LiveDataShape& shape, std::string& error) {
    std::vector<std::string_view> lines;
    if (!CompleteLines(text, lines, error)) {
        return false;
    }
    std::vector<std::string_view> first = Split(lines[0], "\t");
    if (first.empty() || first.size() > kStreamMaxColumns) {
        error = "its first line has " + std::to_string(first.size()) + " values; a stream has 1 to 4";
        return false;
    }
    for (size_t line = 0; line < lines.size() && line < kStreamMaxLines; ++line) {
        std::vector<std::string_view> cells = Split(lines[line], "\t");
        if (cells.empty()) {
            break;  // the stream ends at an empty line
        }
        for (size_t cell = 0; cell < cells.size() && cell < first.size(); ++cell) {
            float value = 0.0f;
            if (!CellValue(cells[cell], value)) {
                error = LineName(line) + ", cell " + std::to_string(cell + 1) + ": " + Quoted(cells[cell]) +
                        " is not a number";
                return false;
            }
        }
    }
    shape = LiveDataShape{0, static_cast<int>(first.size())};
    return true;
}

bool ParseLiveData(LiveDataKind kind, std::string_view text, LiveDataUpdate& update, std::string& error) {
    update.kind = kind;
    if (kind == LiveDataKind::Table) {
        if (!ParseLiveTable(text, update.table, error)) {
            return false;
        }
        update.shape = update.table.shape;
        return true;
    }
    if (!CheckLiveStream(text, update.shape, error)) {
        return false;
    }
    update.streamText = std::string(text);
    return true;
}

void ApplyLiveTable(Show& show, const LiveTable& table) {
    const int rows = std::min(table.shape.rows, kLiveTableMaxRows);
    const int sets = std::min(table.shape.columns, kLiveTableMaxSets);
    for (int set = 0; set < kLiveTableMaxSets; ++set) {
        CopyText(show.setNames[set], set < sets ? std::string_view(table.setNames[set]) : std::string_view());
        for (int row = 0; row < kLiveTableMaxRows; ++row) {
            show.values[set][row] = set < sets && row < rows ? table.Value(row, set) : 0.0f;
        }
    }
    for (int row = 0; row < kLiveTableMaxRows; ++row) {
        CopyText(show.labels[row], row < rows ? std::string_view(table.labels[row]) : std::string_view());
    }
    if (!table.title.empty()) {
        CopyText(show.title, table.title);
    }
}

Result ApplyLiveStream(Show& show, const std::string& text, float interval) {
    const int32_t frame = gCurrentFrame;
    Result loaded = LoadStream(show, text, interval, false);
    gCurrentFrame = frame;
    return loaded;
}

bool LiveDataGate::Admit(const LiveDataUpdate& update, std::string& error) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!kind_) {
        kind_ = update.kind;
        shape_ = update.shape;
        return true;
    }
    if (*kind_ == update.kind && shape_ == update.shape) {
        return true;
    }
    auto count = [](int n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    auto describe = [&](LiveDataKind kind, const LiveDataShape& shape) {
        return kind == LiveDataKind::Stream
                   ? "a stream of " + count(shape.columns, "column", "columns")
                   : count(shape.rows, "row", "rows") + " of " + count(shape.columns, "set", "sets");
    };
    error = "it has another shape: " + describe(update.kind, update.shape) + " where the chart has " +
            describe(*kind_, shape_);
    return false;
}

bool LiveDataGate::Shape(LiveDataKind& kind, LiveDataShape& shape) const {
    std::lock_guard<std::mutex> hold(lock_);
    if (!kind_) {
        return false;
    }
    kind = *kind_;
    shape = shape_;
    return true;
}
