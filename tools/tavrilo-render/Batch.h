// tavrilo-render --batch JOBS.tsv: one render per row of a tab-separated
// table (show, data file, output, options), optionally only the rows of
// one part of N, as a cluster's array task runs them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Options.h"

// One job row: its columns, the row number (0 the first row) and the line.
struct BatchRow {
    int row = 0;
    int line = 0;
    std::string show;  // empty: the built-in demo show
    std::string data;  // empty: no data import
    std::string output;
    std::vector<std::string> options;  // the fourth column, split at spaces ("..." keeps spaces)
    std::string problem;               // why the row cannot run, found while reading it
};

// Reads the table: blank lines and lines starting with "#" are not rows.
// False with a message when the file cannot be read.
bool ReadBatchRows(const std::string& path, std::vector<BatchRow>& rows, std::string& error);
// The row's command line: the common arguments, then the row's show, data,
// output and options (which override the common ones). False with a message
// for a row that cannot make a command line.
bool BatchRowOptions(const BatchRow& row, const std::vector<std::string>& common, RenderOptions& options,
                     std::string& error);
// The arguments given with --batch that apply to every row: all but
// --batch and --part and their values.
std::vector<std::string> BatchCommonArguments(int argc, char** argv);

// Runs the rows of the part (rows K, K + N, K + 2N ... of part K/N; all rows
// without --part) through `render`; a bad or failed row is reported with its
// row number and the batch goes on. The exit status: 0 when every row was
// made, 1 otherwise; a row stopped by a signal ends the batch with its status.
int RunBatch(const RenderOptions& options, const std::vector<std::string>& common,
             const std::function<int(const RenderOptions&)>& render);
