// Live data: a whole table (or a whole stream file) read as one update,
// checked before it may reach the chart. A live table is laid out as Load
// Data reads it (row 0 the set names, column 0 the labels) and must be
// complete: every line ended, every line as wide as the first, every value a
// number. The top-left cell, which Load Data leaves alone, gives the title.
// Used by the data watcher, the remote control and the play-out (show/Live)
// and by the desktop's Watch Data File.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ShowRecord.h"

constexpr int kLiveTableMaxRows = 32;  // categories
constexpr int kLiveTableMaxSets = 4;

enum class LiveDataKind { Table, Stream };

// What a table holds: categories (rows under the header) and data sets
// (columns right of the labels); a stream: its columns.
struct LiveDataShape {
    int rows = 0;
    int columns = 0;
    bool operator==(const LiveDataShape& other) const { return rows == other.rows && columns == other.columns; }
};

struct LiveTable {
    LiveDataShape shape;  // rows: categories, columns: data sets
    std::string title;    // empty: the chart keeps its title
    std::vector<std::string> setNames;
    std::vector<std::string> labels;
    std::vector<float> values;  // row by row: values[row * columns + set]
    float Value(int row, int set) const { return values[static_cast<size_t>(row) * shape.columns + set]; }
};

// One update as read: a table, or the text of a stream file.
struct LiveDataUpdate {
    LiveDataKind kind = LiveDataKind::Table;
    LiveTable table;
    std::string streamText;
    LiveDataShape shape;  // of the table, or the stream's columns (rows 0)
    std::string source;   // where it came from, for messages
};

// Reads a complete table; false with the reason (naming the line and cell)
// for text that is not one: no line break, a last line not ended (still
// being written), no data row, more than 32 rows or 4 sets, lines of other
// widths, a value cell that is not wholly a finite number (empty is 0).
bool ParseLiveTable(std::string_view text, LiveTable& table, std::string& error);
// Checks a stream file's text (ended lines of up to four numbers, the
// first line full); its columns in `shape`.
bool CheckLiveStream(std::string_view text, LiveDataShape& shape, std::string& error);
// Either of the two, by kind, into `update`.
bool ParseLiveData(LiveDataKind kind, std::string_view text, LiveDataUpdate& update, std::string& error);

// Puts the table into the show: names, labels and values of its shape, the
// rest of the data area cleared, the title when the table gives one.
void ApplyLiveTable(Show& show, const LiveTable& table);
// Loads a stream update (rows shown `interval` frames apart) without a key
// and without moving the current frame; a refusal says why.
Result ApplyLiveStream(Show& show, const std::string& text, float interval);

// The one shape every update of a session must have: the first update
// admitted fixes it. Safe to call from any thread.
class LiveDataGate {
public:
    bool Admit(const LiveDataUpdate& update, std::string& error);
    // Whether a shape is fixed, and which.
    bool Shape(LiveDataKind& kind, LiveDataShape& shape) const;

private:
    mutable std::mutex lock_;
    std::optional<LiveDataKind> kind_;
    LiveDataShape shape_;
};
