// A movie rendered in parts on several machines: how its frames are shared
// out, what each segment file is called and the tag that says which part of
// which movie it holds, and the join that puts the segments back together by
// stream copy. tavrilo-render's --part and --join use them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Movie frames first .. end - 1 (empty when end == first).
struct MovieShare {
    int32_t first = 0;
    int32_t end = 0;
    int32_t Count() const { return end - first; }
};

// Part `part` (from 0) of `parts` consecutive shares of `frameCount` frames:
// every frame lands in exactly one share; with more parts than frames some
// shares are empty.
MovieShare MovieShareOf(int32_t frameCount, int part, int parts);

// "OUT.mov" -> "OUT.part2.mov": the part number goes before the extension.
std::string MovieSegmentPath(const std::string& moviePath, int part);

// What a segment holds, stored in the file's comment tag.
struct MovieSegmentTag {
    int part = 0;
    int parts = 1;
    MovieShare share;
    int32_t frameCount = 0;  // of the whole movie
};

// "tavrilo-render part 1/4, movie frames 30-59 of 120".
std::string FormatMovieSegmentTag(const MovieSegmentTag& tag);
// False when the text is no segment tag or its numbers do not add up.
bool ParseMovieSegmentTag(const std::string& text, MovieSegmentTag& tag);

struct MovieJoinOutcome {
    bool joined = false;
    int32_t frames = 0;
    std::string message;  // why the join was refused or failed
};

// Joins the segments (QuickTime or AVI, in any order) into `moviePath` by
// copying their coded frames in part order. Refused, with a message naming
// the segment, when one is missing, incomplete, from another render or
// differs in codec, size, pixel format, rate or field order. The movie is
// written under a temporary name and replaces `moviePath` only when whole.
MovieJoinOutcome JoinMovieSegments(const std::string& moviePath, const std::vector<std::string>& segments);
