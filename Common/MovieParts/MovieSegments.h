// A movie rendered in parts on several machines: how its frames are shared
// out, what each segment file is called and the tag that says which part of
// which movie it holds, and the join that puts the segments back together by
// stream copy. tavrilo-render's --part and --join use them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
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

// What made a segment beyond its share, as (name, value) pairs: the show's
// content digest ("show") and the options that change its pixels but not
// the stream's description ("aa", "quality", the frames' range...).
using MovieSegmentOrigin = std::vector<std::pair<std::string, std::string>>;

// What a segment holds, stored in the file's comment tag.
struct MovieSegmentTag {
    int part = 0;
    int parts = 1;
    MovieShare share;
    int32_t frameCount = 0;  // of the whole movie
    bool key = false;        // the segment of the key movie, not of the fill
    MovieSegmentOrigin origin;
    // The digest of the coded frames as the writer recorded it (32 hex
    // digits; see SinkParameters::frameDigestTag); empty: none recorded.
    std::string codedDigest;
};

// "tavrilo-render part 1/4, movie frames 30-59 of 120; fill; show 8c1e...;
// aa 25": the part, then the role and the origin, each after "; ". The
// writer adds "; coded <digest>" when it closes the segment.
std::string FormatMovieSegmentTag(const MovieSegmentTag& tag);
// False when the text is no segment tag or its numbers do not add up.
// Tags without role, origin or digest (older segments) read as a fill with
// none.
bool ParseMovieSegmentTag(const std::string& text, MovieSegmentTag& tag);

struct MovieJoinOutcome {
    bool joined = false;
    bool cancelled = false;  // `cancelled` said so: nothing was replaced
    int32_t frames = 0;
    int32_t segments = 0;  // joined into the movie (the key movie has as many)
    // With both fill and key segments given, the key movie joined beside
    // the movie (KeyMoviePath) and its frames; empty when none was.
    std::string keyPath;
    int32_t keyFrames = 0;
    std::string message;  // why the join was refused or failed
};

// Joins the segments (QuickTime or AVI, in any order) into `moviePath` by
// copying their coded frames in part order; the container is the one the
// last suffix of `moviePath` names. Given fill and key segments of one
// render, the fills make `moviePath` and the keys its key movie. Refused,
// with a message naming the segment, when one is missing, incomplete,
// damaged (a frame its index names is not in the file, or the frames are not
// those its render wrote), from another render (other show, other options,
// a key among fills) or differs in codec, size, pixel format, rate or field
// order. The movies are written under claimed temporaries (OutputClaim: a
// target another run is writing is refused) and replace their targets (the
// files symbolic links name) only when all are whole. `cancelled` is asked
// between frames; when it says so, nothing is replaced.
MovieJoinOutcome JoinMovieSegments(const std::string& moviePath, const std::vector<std::string>& segments,
                                   const std::function<bool()>& cancelled = {});
