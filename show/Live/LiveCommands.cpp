// Parsing the remote control's command lines.
#include "LiveCommands.h"

#include <cctype>

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

bool IsDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// The first word (up to a space or tab) and what follows the one separator
// after it, kept as it is.
void SplitWord(std::string_view line, std::string_view& word, std::string_view& rest) {
    size_t end = line.find_first_of(" \t");
    word = line.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool NoArgument(LiveCommandKind kind, std::string_view word, std::string_view rest, LiveCommand& command,
                std::string& error) {
    if (!TrimSpaces(rest).empty()) {
        error = std::string(word) + " takes nothing after it";
        return false;
    }
    command.kind = kind;
    return true;
}

bool ParseKey(std::string_view rest, LiveCommand& command, std::string& error) {
    std::string_view number = TrimSpaces(rest);
    constexpr size_t kMaxDigits = 4;
    if (!IsDigits(number) || number.size() > kMaxDigits || std::stoi(std::string(number)) < 1) {
        error = "KEY takes a key number from 1, such as KEY 2";
        return false;
    }
    command.kind = LiveCommandKind::Key;
    command.key = std::stoi(std::string(number));
    return true;
}

bool ParseData(std::string_view rest, bool hadSeparator, LiveCommand& command, std::string& error) {
    if (!hadSeparator) {
        error = "DATA takes a tab-separated row, or END";
        return false;
    }
    if (Upper(TrimSpaces(rest)) == "END" && rest.find('\t') == std::string_view::npos) {
        command.kind = LiveCommandKind::DataEnd;
        return true;
    }
    command.kind = LiveCommandKind::DataRow;
    command.text = std::string(rest);
    return true;
}

bool ParseLoad(std::string_view rest, LiveCommand& command, std::string& error) {
    std::string_view word;
    std::string_view path;
    SplitWord(TrimSpaces(rest), word, path);
    if (Upper(word) != "SHOW" || TrimSpaces(path).empty()) {
        error = "LOAD takes SHOW and a show file's path";
        return false;
    }
    command.kind = LiveCommandKind::LoadShow;
    command.text = std::string(TrimSpaces(path));
    return true;
}

}  // namespace

bool IsTimecodeText(std::string_view text) {
    constexpr size_t kMaxDigits = 8;
    constexpr int kMaxGroups = 4;
    if (IsDigits(text)) {
        return text.size() <= kMaxDigits;
    }
    int groups = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(":.", start);
        std::string_view group =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!IsDigits(group) || group.size() > 2 || ++groups > kMaxGroups) {
            return false;
        }
        if (end == std::string_view::npos) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool ParseLiveCommand(std::string_view line, LiveCommand& command, std::string& error) {
    command = LiveCommand{};
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::string_view word;
    std::string_view rest;
    SplitWord(line, word, rest);
    const bool hadSeparator = word.size() < line.size();
    const std::string keyword = Upper(word);
    if (keyword == "PLAY") {
        return NoArgument(LiveCommandKind::Play, keyword, rest, command, error);
    }
    if (keyword == "STOP") {
        return NoArgument(LiveCommandKind::Stop, keyword, rest, command, error);
    }
    if (keyword == "STATUS") {
        return NoArgument(LiveCommandKind::Status, keyword, rest, command, error);
    }
    if (keyword == "QUIT") {
        return NoArgument(LiveCommandKind::Quit, keyword, rest, command, error);
    }
    if (keyword == "GOTO") {
        std::string_view timecode = TrimSpaces(rest);
        if (!IsTimecodeText(timecode)) {
            error = "GOTO takes a timecode such as 00:00:10:00";
            return false;
        }
        command.kind = LiveCommandKind::Goto;
        command.text = std::string(timecode);
        return true;
    }
    if (keyword == "KEY") {
        return ParseKey(rest, command, error);
    }
    if (keyword == "DATA") {
        return ParseData(rest, hadSeparator, command, error);
    }
    if (keyword == "LOAD") {
        return ParseLoad(rest, command, error);
    }
    if (TrimSpaces(line).empty()) {
        error = "empty line";
        return false;
    }
    std::string shown(word.substr(0, 32));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) {
            c = '?';
        }
    }
    error = "unknown command \"" + shown + "\"";
    return false;
}
