// One share of a movie's frames rendered on its own, for rendering a movie
// on several machines: the order in which a whole run renders and writes
// (holds, the reverse pass and fields included), and a part that renders
// its frames exactly as the whole run would. tavrilo-render --part uses it.
#pragma once

#include <cstdint>
#include <vector>

#include "MakeMovie.h"
#include "MovieSegments.h"

// One render of the loop: show frame `frame`, and with fields its later
// field half a frame on in the direction `step` (+1 or -1).
struct MovieRender {
    int32_t frame = 0;
    int step = 1;
};

// The whole run, as the render loop goes through it.
struct MoviePlan {
    std::vector<MovieRender> renders;  // every render, in order
    std::vector<int32_t> frames;       // per movie frame: the render whose picture it is
};

// The renders and frames of a whole movie with these options: the first
// render of each pass only primes, holds repeat a picture without a render.
MoviePlan PlanMovie(const MovieOptions& options);

// Renders and writes movie frames share.first .. share.end - 1. The renderer
// carries state from one render to the next (the light is placed through
// the previous render's transform), so the part first renders, unwritten,
// what the whole run rendered just before, then every render the whole run
// made from there: each picture comes out as in the whole run.
RenderRangeResult RenderMoviePart(MovieWriter& writer, CDib& image, int fieldMode, bool lowerFieldFirst,
                                  const MoviePlan& plan, MovieShare share, const RenderRangeHooks& hooks);

// Part `part` of `parts` of the movie the job describes, written to the
// segment file named after the job's path, tagged with the part, the share,
// fill or key, what made it (`origin`: the show and the options the job does
// not hold, then the job's quality and range) and the digest of its frames.
// A part whose share is empty writes no file and says so.
MovieOutcome MakeMoviePartFile(const MovieJob& job, int part, int parts, const RenderRangeHooks& hooks,
                               const MovieSegmentOrigin& origin = {});
