// Plain text helpers of the platform layer: file-dialog filters, message
// texts, menu item texts, font-size conversions and folders.
#include <cmath>
#include <cstdio>
#include <string>

#include "PlatformWindows.h"

namespace {

// "Label (*.txt)" -> "Label": the patterns are written again from the
// pattern field, so a label's own copy is dropped.
std::string LabelWithoutPatterns(std::string label) {
    const size_t open = label.rfind('(');
    if (open != std::string::npos && !label.empty() && label.back() == ')') {
        label.erase(open);
    }
    while (!label.empty() && label.back() == ' ') {
        label.pop_back();
    }
    return label;
}

}  // namespace

std::string ConvertFileFilter(const char* filter) {
    std::string text = filter ? filter : "";
    std::string result;
    size_t start = 0;
    while (start < text.size()) {
        const size_t labelEnd = text.find('|', start);
        if (labelEnd == std::string::npos) {
            break;
        }
        size_t patternEnd = text.find('|', labelEnd + 1);
        if (patternEnd == std::string::npos) {
            patternEnd = text.size();
        }
        std::string label = LabelWithoutPatterns(text.substr(start, labelEnd - start));
        std::string patterns = text.substr(labelEnd + 1, patternEnd - labelEnd - 1);
        for (char& c : patterns) {
            c = c == ';' ? ' ' : c;
        }
        start = patternEnd + 1;
        if (label.empty() && patterns.empty()) {
            continue;  // the empty pair of a filter ended by "||"
        }
        if (patterns == "*.*") {
            patterns = "*";
        }
        if (!result.empty()) {
            result += ";;";
        }
        result += label + " (" + patterns + ")";
    }
    return result;
}

std::string MessageText(const char* text, long number) {
    std::string shown = text ? text : "";
    if (number != kNoNumber) {
        char suffix[32];
        std::snprintf(suffix, sizeof(suffix), "  [ %ld ]", number);
        shown += suffix;
    }
    return shown;
}

void ShowFailure(const Result& result) {
    for (const std::string& note : result.Notes()) {
        ShowMessage(note.c_str(), kNoNumber);
    }
    if (!result) {
        ShowMessage(result.Message().c_str(), kNoNumber);
    }
}

int PointsToHeight(float points) {
    return static_cast<int>(points * 1.333 + 0.5);
}

float HeightToPoints(int height) {
    return static_cast<float>(static_cast<int>(std::abs(height) * 0.75 + 0.5));
}

std::string TrimFolder(const char* folder) {
    std::string text = folder ? folder : "";
    if (text.size() > 1 && (text.back() == '\\' || text.back() == '/')) {
        text.pop_back();
    }
    return text;
}

std::string MenuItemText(const char* label) {
    std::string text = label ? label : "";
    const size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return text;
    }
    std::string letter = text.substr(slash + 1, 1);
    return text.substr(0, slash) + "\tCtrl+" + letter;
}
