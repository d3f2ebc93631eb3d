// Shares, segment names and segment tags.
#include "MovieSegments.h"

#include <cstdio>

MovieShare MovieShareOf(int32_t frameCount, int part, int parts) {
    MovieShare share;
    if (frameCount <= 0 || parts < 1 || part < 0 || part >= parts) {
        return share;
    }
    share.first = static_cast<int32_t>(static_cast<int64_t>(frameCount) * part / parts);
    share.end = static_cast<int32_t>(static_cast<int64_t>(frameCount) * (part + 1) / parts);
    return share;
}

std::string MovieSegmentPath(const std::string& moviePath, int part) {
    size_t slash = moviePath.find_last_of('/');
    size_t dot = moviePath.find_last_of('.');
    std::string number = ".part" + std::to_string(part);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1)) {
        return moviePath + number;
    }
    return moviePath.substr(0, dot) + number + moviePath.substr(dot);
}

namespace {

constexpr const char* kItemSeparator = "; ";
constexpr const char* kFillRole = "fill";
constexpr const char* kKeyRole = "key";
constexpr const char* kCodedItem = "coded";

// The items after the part's numbers: "; fill; show 8c1e...; coded ...".
bool ParseTagItems(const std::string& rest, MovieSegmentTag& tag) {
    const std::string separator = kItemSeparator;
    size_t at = 0;
    bool first = true;
    while (at < rest.size()) {
        if (rest.compare(at, separator.size(), separator) != 0) {
            return false;
        }
        at += separator.size();
        size_t end = rest.find(separator, at);
        std::string item = rest.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? rest.size() : end;
        size_t space = item.find(' ');
        std::string name = item.substr(0, space);
        std::string value = space == std::string::npos ? std::string() : item.substr(space + 1);
        if (first && (item == kFillRole || item == kKeyRole)) {
            tag.key = item == kKeyRole;
        } else if (name == kCodedItem) {
            tag.codedDigest = value;
        } else if (name.empty() || value.empty()) {
            return false;
        } else {
            tag.origin.emplace_back(name, value);
        }
        first = false;
    }
    return true;
}

}  // namespace

std::string FormatMovieSegmentTag(const MovieSegmentTag& tag) {
    char text[128];
    std::snprintf(text, sizeof(text), "tavrilo-render part %d/%d, movie frames %d-%d of %d", tag.part, tag.parts,
                  tag.share.first, tag.share.end - 1, tag.frameCount);
    std::string tagText = text;
    tagText += std::string(kItemSeparator) + (tag.key ? kKeyRole : kFillRole);
    for (const auto& [name, value] : tag.origin) {
        tagText += kItemSeparator + name + " " + value;
    }
    if (!tag.codedDigest.empty()) {
        tagText += std::string(kItemSeparator) + kCodedItem + " " + tag.codedDigest;
    }
    return tagText;
}

bool ParseMovieSegmentTag(const std::string& text, MovieSegmentTag& tag) {
    MovieSegmentTag read;
    int last = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "tavrilo-render part %d/%d, movie frames %d-%d of %d%n", &read.part, &read.parts,
                    &read.share.first, &last, &read.frameCount, &consumed) != 5 ||
        !ParseTagItems(text.substr(static_cast<size_t>(consumed)), read)) {
        return false;
    }
    read.share.end = last + 1;
    MovieShare expected = MovieShareOf(read.frameCount, read.part, read.parts);
    if (read.parts < 1 || read.part < 0 || read.part >= read.parts || read.share.Count() <= 0 ||
        expected.first != read.share.first || expected.end != read.share.end) {
        return false;
    }
    tag = read;
    return true;
}
