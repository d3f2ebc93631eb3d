// Data import: tab-delimited tables into names, labels and values, and
// stream data shown row by row at a fixed interval of frames. Called by the
// main window's data commands and by tavrilo-render.
#pragma once

#include <string>
#include <string_view>

#include "ShowRecord.h"

constexpr long kDataFileReadLimit = 32768;
constexpr long kStreamFileReadLimit = 65000;
constexpr long kClipboardCapacity = 32700;
constexpr int kStreamMaxLines = 32000;
constexpr int kStreamMaxColumns = 4;

// The line separator of a text: "\n\r", "\r\n", "\r" or "\n", the first that
// occurs; empty when there is none.
std::string_view LineSeparator(std::string_view text);
// A cell as a number: optional blanks and sign, digits with an optional "."
// fraction and exponent, up to the first character that does not fit; 0 for
// an empty cell or one that does not start with a number.
double CellNumber(std::string_view cell);

// Puts the table into the show from (startColumn, startRow) of the data
// layout (row 0: set names, column 0: labels). Nothing else changes; a start
// outside columns 0..4 or rows 0..32 imports nothing.
void ImportTable(Show& show, std::string_view text, int startColumn, int startRow);
// Loads stream data; with `makeKey` sets a key at the end of the stream.
// Refuses (a failure saying why, nothing changed: the stream loaded before
// stays) an interval of 0 or less, and a text that cannot be used: without
// line breaks, without cells in its first line or without a number in any
// cell. Shows nothing.
Result LoadStream(Show& show, std::string_view text, float interval, bool makeKey);

// The commands after their dialogs: import a text at the grid's selected cell
// (or 0, 0) and redraw; read a data or stream file and import it. Data
// brought in marks the show modified. A file that cannot be read, or a data
// file without a line break, fails with a message naming it and why, and
// changes nothing; the caller shows or prints it.
void ImportTableCommand(Show& show, std::string_view text);
Result LoadDataFileCommand(Show& show, const FileSpec& file);
// False when the clipboard holds no text.
bool GetDataFromClipboardCommand(Show& show);
// `intervalText` is the typed interval between rows, in frames.
// A refused stream fails with "Can't load stream file "<name>": <why>".
Result LoadStreamFileCommand(Show& show, const FileSpec& file, const char* intervalText);

// What a table put in at row 0, column 0 holds beyond the show's 32
// categories and 4 sets, which ImportTable leaves out: the count of
// categories (rows after the 33rd line with a cell that is not empty) and
// of sets (columns after the 5th with a cell that is not empty), with the
// labels and set names of the first and last left out (empty when the
// table has none there).
struct TableLeftOut {
    int categories = 0;
    std::string firstCategory;
    std::string lastCategory;
    int sets = 0;
    std::string firstSet;
    std::string lastSet;

    bool Any() const { return categories > 0 || sets > 0; }
};
TableLeftOut TableBeyondShow(std::string_view text);
