// The plan of a whole movie and a part of it written as a segment file.
#include "MovieParts.h"

#include <cstdlib>

namespace {

// One pass as the render loop makes it: a priming render of `from`, then
// each frame up to (not including) `to` with the head hold after the first
// and the tail hold repeating the last picture rendered.
void PlanPass(MoviePlan& plan, int32_t from, int32_t to, int32_t hold) {
    int step = to >= from ? 1 : -1;
    int32_t n = std::abs(to - from);
    plan.renders.push_back({from, step});
    auto last = [&plan] { return static_cast<int32_t>(plan.renders.size()) - 1; };
    int32_t current = from;
    for (int32_t i = 0; i < n; ++i) {
        plan.renders.push_back({current, step});
        for (int32_t j = 0; i == 0 && j < hold; ++j) {
            plan.frames.push_back(last());
        }
        plan.frames.push_back(last());
        current += step;
    }
    for (int32_t j = 0; j < hold; ++j) {
        plan.frames.push_back(last());
    }
}

}  // namespace

MoviePlan PlanMovie(const MovieOptions& options) {
    MoviePlan plan;
    PlanPass(plan, options.start, options.end, options.hold);
    if (options.reverse) {
        PlanPass(plan, options.end, options.start, options.hold);
    }
    return plan;
}

namespace {

// The options of the job that change the pictures but not the stream's
// description, for the segment's tag.
void AddJobOrigin(const MovieOptions& o, MovieSegmentOrigin& origin) {
    origin.emplace_back("quality", std::to_string(o.quality));
    origin.emplace_back("frames", std::to_string(o.start) + "-" + std::to_string(o.end) + " hold " +
                                      std::to_string(o.hold) + (o.reverse ? " and back" : ""));
}

// The segment's tags: the job's own with the part's tag as the comment, for
// the fill and (saying so) for the key; the writers add the frames' digest.
void TagSegment(MovieJob& segment, MovieSegmentTag tag) {
    const char* kComment = "comment";
    auto tagged = [&](bool key) {
        tag.key = key;
        std::vector<std::pair<std::string, std::string>> tags;
        for (const auto& item : segment.writer.tags) {
            if (item.first != kComment) {
                tags.push_back(item);
            }
        }
        tags.emplace_back(kComment, FormatMovieSegmentTag(tag));
        return tags;
    };
    segment.writer.keyTags = tagged(true);
    segment.writer.tags = tagged(false);
    segment.writer.frameDigestTag = kComment;
}

}  // namespace

MovieOutcome MakeMoviePartFile(const MovieJob& job, int part, int parts, const RenderRangeHooks& hooks,
                               const MovieSegmentOrigin& origin) {
    MovieOutcome outcome;
    MoviePlan plan = PlanMovie(job.options);
    int32_t frameCount = static_cast<int32_t>(plan.frames.size());
    MovieShare share = MovieShareOf(frameCount, part, parts);
    if (share.Count() == 0) {
        outcome.made = true;
        outcome.message = "part " + std::to_string(part) + "/" + std::to_string(parts) +
                          " has no frames to render: the movie has " + std::to_string(frameCount) + " frames";
        return outcome;
    }
    MovieJob segment = job;
    segment.path = MovieSegmentPath(job.path, part);
    MovieSegmentTag tag;
    tag.part = part;
    tag.parts = parts;
    tag.share = share;
    tag.frameCount = frameCount;
    tag.origin = origin;
    AddJobOrigin(job.options, tag.origin);
    TagSegment(segment, tag);
    // The segment's timecode starts at its own first frame, counted on from
    // the movie's first in the movie's timecode.
    const MovieTimecodeStart first = job.writer.timecode.value_or(MovieTimecodeStart{job.options.start, false});
    segment.writer.timecode = MovieTimecodeStart{first.frame + share.first, first.dropFrame};
    MovieWriter writer;
    CDib image(16, 16, 8);
    if (Result opened = OpenMovieWriter(segment, writer, image, share.Count(), outcome); !opened) {
        outcome.message = opened.Message();
        return outcome;
    }
    const MovieOptions& o = job.options;
    RenderRangeResult pass = RenderMoviePart(writer, image, o.fieldMode, job.lowerFieldFirst, plan, share, hooks);
    outcome.cancelled = pass.cancelled;
    CloseMovieWriter(segment.path, writer, pass, share.Count(), outcome);
    return outcome;
}
