// What a data table held beyond the show, said in one line.
#include "DataWarning.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "DataImport.h"
#include "Options.h"

namespace {

// "categories 33 to 40 ("Sep" to "Apr")"; "set 5 ("Fifth")".
std::string Range(const char* one, const char* many, int first, int count, const std::string& firstName,
                  const std::string& lastName) {
    if (count == 1) {
        return std::string(one) + " " + std::to_string(first) + " (\"" + TerminalText(firstName) + "\")";
    }
    return std::string(many) + " " + std::to_string(first) + " to " + std::to_string(first + count - 1) + " (\"" +
           TerminalText(firstName) + "\" to \"" + TerminalText(lastName) + "\")";
}

}  // namespace

std::string DataLeftOutWarning(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    text.resize(static_cast<size_t>(kDataFileReadLimit) + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    // The import reads the first kDataFileReadLimit bytes, up to a NUL.
    const bool cut = text.size() > static_cast<size_t>(kDataFileReadLimit);
    text.resize(std::min(text.size(), static_cast<size_t>(kDataFileReadLimit)));
    text.resize(std::char_traits<char>::length(text.c_str()));
    TableLeftOut left = TableBeyondShow(text);
    if (!left.Any() && !cut) {
        return std::string();
    }
    std::string parts;
    auto add = [&parts](const std::string& part) { parts += (parts.empty() ? "" : ", ") + part; };
    if (left.categories > 0) {
        add(Range("category", "categories", 33, left.categories, left.firstCategory, left.lastCategory));
    }
    if (left.sets > 0) {
        add(Range("set", "sets", 5, left.sets, left.firstSet, left.lastSet));
    }
    if (cut) {
        add("everything after byte " + std::to_string(kDataFileReadLimit));
    }
    return "warning: " + TerminalText(path) + ": a show takes 32 categories and 4 sets; left out " + parts;
}
