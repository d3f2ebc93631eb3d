// Batch rendering from a table of jobs.
#include "Batch.h"

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <string_view>

#include "CrossPlatform.h"
#include "OptionTable.h"

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> columns;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        columns.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            return columns;
        }
        start = tab + 1;
    }
}

// Words separated by spaces; "..." keeps spaces in a word. False when a
// quote is not closed.
bool SplitWords(const std::string& text, std::vector<std::string>& words) {
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) {
                words.push_back(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return !quoted;
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \r");
    size_t last = text.find_last_not_of(" \r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string RowText(const std::string& path, const BatchRow& row) {
    return TerminalText(path) + " row " + std::to_string(row.row) + " (line " + std::to_string(row.line) + ")";
}

// The whole table; only a regular file is read (a FIFO would block).
bool ReadTable(const std::string& path, std::string& text, std::string& error) {
    FILE* file = OpenRegularFile(path.c_str());
    int reason = errno;
    if (file) {
        char buffer[4096];
        size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
            text.append(buffer, count);
        }
        reason = std::ferror(file) ? errno : 0;
        std::fclose(file);
    }
    if (!file || reason != 0) {
        error = "can't read the batch file \"" + TerminalText(path) + "\": " + FileErrorText(reason);
        return false;
    }
    return true;
}

// A table saved with a UTF-8 byte-order mark starts with it.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool ReadBatchRows(const std::string& path, std::vector<BatchRow>& rows, std::string& error) {
    std::string text;
    if (!ReadTable(path, text, error)) {
        return false;
    }
    if (std::string_view(text).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.erase(0, kByteOrderMark.size());
    }
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (Trimmed(line).empty() || line[line.find_first_not_of(' ')] == '#') {
            continue;
        }
        std::vector<std::string> columns = SplitTabs(line);
        columns.resize(std::max<size_t>(columns.size(), 4));
        BatchRow row;
        row.row = static_cast<int>(rows.size());
        row.line = lineNumber;
        row.show = Trimmed(columns[0]);
        row.data = Trimmed(columns[1]);
        row.output = Trimmed(columns[2]);
        // Options that hold tabs are still options: only the first three columns are named.
        std::string options;
        for (size_t i = 3; i < columns.size(); ++i) {
            options += (i > 3 ? " " : "") + columns[i];
        }
        if (!SplitWords(options, row.options)) {
            row.problem = "a quote in the options column is not closed";
        }
        rows.push_back(row);
    }
    return true;
}

bool BatchRowOptions(const BatchRow& row, const std::vector<std::string>& common, RenderOptions& options,
                     std::string& error) {
    if (!row.problem.empty() || row.output.empty()) {
        error = row.problem.empty() ? "no output file in the third column" : row.problem;
        return false;
    }
    for (size_t i = 0; i < row.options.size(); ++i) {
        const std::string& word = row.options[i];
        const bool named = word.size() > 1 && word[0] == '-';
        const OptionSpec* option = named ? FindRenderOption(word.substr(0, word.find('='))) : nullptr;
        if (!named) {
            // A word that is neither an option nor an option's value: an
            // extra column, or a show or output in the wrong place.
            error = "\"" + TerminalText(word) + "\" in the options column is not an option";
            return false;
        }
        if (!option) {
            error = "unknown option " + TerminalText(word.substr(0, word.find('=')));
            return false;
        }
        if (!option->batchRow) {
            error = "the options column cannot hold " + TerminalText(word);
            return false;
        }
        if (option->value && word.find('=') == std::string::npos) {
            ++i;  // its value
        }
    }
    std::vector<std::string> args = {"tavrilo-render"};
    args.insert(args.end(), common.begin(), common.end());
    if (!row.show.empty()) {
        args.push_back(row.show);
    }
    if (!row.data.empty()) {
        args.insert(args.end(), {"--data", row.data});
    }
    args.insert(args.end(), {"-o", row.output});
    args.insert(args.end(), row.options.begin(), row.options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    options = RenderOptions();
    return ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

std::vector<std::string> BatchCommonArguments(int argc, char** argv) {
    std::vector<std::string> common;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--batch" || arg == "--part") {
            ++i;  // and its value
        } else if (arg.rfind("--batch=", 0) != 0 && arg.rfind("--part=", 0) != 0) {
            common.push_back(arg);
        }
    }
    return common;
}

int RunBatch(const RenderOptions& options, const std::vector<std::string>& common,
             const std::function<int(const RenderOptions&)>& render) {
    std::vector<BatchRow> rows;
    std::string error;
    if (!ReadBatchRows(options.batchPath, rows, error)) {
        std::fprintf(stderr, "tavrilo-render: %s\n", error.c_str());
        return 1;
    }
    int part = options.part.value_or(0);
    int made = 0;
    int failed = 0;
    for (const BatchRow& row : rows) {
        if (row.row % options.parts != part) {
            continue;
        }
        RenderOptions rowOptions;
        int status = 1;
        if (!BatchRowOptions(row, common, rowOptions, error)) {
            std::fprintf(stderr, "tavrilo-render: %s: %s\n", RowText(options.batchPath, row).c_str(), error.c_str());
        } else if ((status = render(rowOptions)) != 0) {
            std::fprintf(stderr, "tavrilo-render: %s failed: %s\n", RowText(options.batchPath, row).c_str(),
                         TerminalText(row.output).c_str());
        }
        std::fflush(stderr);
        if (status > 128) {
            return status;  // stopped by a signal: the rest is not started
        }
        (status == 0 ? made : failed) += 1;
    }
    std::printf("batch %s: %d rows made, %d failed\n", TerminalText(options.batchPath).c_str(), made, failed);
    return failed == 0 ? 0 : 1;
}
