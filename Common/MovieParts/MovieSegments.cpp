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

std::string FormatMovieSegmentTag(const MovieSegmentTag& tag) {
    char text[128];
    std::snprintf(text, sizeof(text), "tavrilo-render part %d/%d, movie frames %d-%d of %d", tag.part, tag.parts,
                  tag.share.first, tag.share.end - 1, tag.frameCount);
    return text;
}

bool ParseMovieSegmentTag(const std::string& text, MovieSegmentTag& tag) {
    MovieSegmentTag read;
    int last = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "tavrilo-render part %d/%d, movie frames %d-%d of %d%n", &read.part, &read.parts,
                    &read.share.first, &last, &read.frameCount, &consumed) != 5 ||
        static_cast<size_t>(consumed) != text.size()) {
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
