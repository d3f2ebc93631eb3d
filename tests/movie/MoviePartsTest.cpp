// A movie rendered in parts: the shares, the plan against the render loop,
// parts joined back into the whole movie (holds, reverse pass, fields,
// carried renderer state) and the join's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "MovieParts.h"
#include "MovieProbe.h"
#include "TestSupport.h"

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 32;

// A stand-in for the chart renderer that carries state from one render to
// the next: each picture depends on the time rendered and on the time the
// previous render was at, as the light's placement does.
struct StatefulRenderer {
    double previous = -1000.0;  // a fresh process: nothing rendered yet
    std::vector<double> grabbed;

    RenderRangeHooks Hooks() {
        RenderRangeHooks hooks;
        hooks.grab = [this](double frame, CDib& image) {
            FillSyntheticFrame(image, frame * 3.0 + previous * 0.25);
            previous = frame;
            grabbed.push_back(frame);
            return true;
        };
        return hooks;
    }
};

MovieJob Job(const std::string& path, int32_t start, int32_t end, int32_t hold, bool reverse, bool fields) {
    MovieJob job;
    job.path = path;
    job.options.width = kWidth;
    job.options.height = kHeight;
    job.options.start = start;
    job.options.end = end;
    job.options.hold = hold;
    job.options.framesPerSecond = 25.0;
    job.options.reverse = reverse;
    job.options.fieldMode = fields ? kFieldModeFields : 0;
    job.writer.codec = "png ";
    job.writer.storeCodec = false;
    return job;
}

struct Case {
    const char* name;
    int32_t start, end, hold;
    bool reverse, fields;
};

const Case kCases[] = {
    {"forward", 0, 9, 0, false, false},         {"holds", 2, 7, 3, false, false},
    {"reverse", 1, 6, 2, true, false},          {"fields and reverse", 3, 8, 1, true, true},
    {"backwards range", 8, 3, 1, false, false}, {"start at end", 4, 4, 3, true, false},
};

// Renders the parts, each with a fresh renderer as on its own machine.
std::vector<std::string> RenderParts(const MovieJob& job, int parts) {
    std::vector<std::string> segments;
    for (int part = 0; part < parts; ++part) {
        StatefulRenderer renderer;
        MovieOutcome outcome = MakeMoviePartFile(job, part, parts, renderer.Hooks());
        EXPECT_TRUE(outcome.made) << outcome.message;
        if (outcome.opened) {
            segments.push_back(MovieSegmentPath(job.path, part));
        }
    }
    return segments;
}

}  // namespace

TEST(MovieShares, EveryFrameLandsInExactlyOneShare) {
    for (int32_t frames : {0, 1, 2, 5, 7, 120, 17983}) {
        for (int parts : {1, 2, 3, 4, 7, 10, 200}) {
            int32_t next = 0;
            int32_t smallest = INT32_MAX;
            int32_t largest = 0;
            for (int part = 0; part < parts; ++part) {
                MovieShare share = MovieShareOf(frames, part, parts);
                EXPECT_EQ(share.first, next) << frames << " frames, part " << part << "/" << parts;
                EXPECT_GE(share.Count(), 0);
                next = share.end;
                smallest = std::min(smallest, share.Count());
                largest = std::max(largest, share.Count());
            }
            EXPECT_EQ(next, frames) << frames << " frames in " << parts << " parts";
            EXPECT_LE(largest - smallest, 1);
        }
    }
    EXPECT_EQ(MovieShareOf(10, 4, 4).Count(), 0);  // no such part
    EXPECT_EQ(MovieShareOf(10, -1, 4).Count(), 0);
}

TEST(MovieShares, SegmentNamesAndTags) {
    EXPECT_EQ(MovieSegmentPath("out.mov", 0), "out.part0.mov");
    EXPECT_EQ(MovieSegmentPath("/a.b/show.final.avi", 12), "/a.b/show.final.part12.avi");
    EXPECT_EQ(MovieSegmentPath("/a.b/movie", 3), "/a.b/movie.part3");
    MovieSegmentTag tag;
    tag.part = 1;
    tag.parts = 4;
    tag.share = MovieShareOf(120, 1, 4);
    tag.frameCount = 120;
    tag.key = true;
    tag.origin = {{"show", "0123456789abcdef"}, {"aa", "25"}, {"frames", "0-120 hold 0"}};
    std::string text = FormatMovieSegmentTag(tag);
    EXPECT_EQ(text,
              "tavrilo-render part 1/4, movie frames 30-59 of 120; key; show 0123456789abcdef; aa 25; frames 0-120 "
              "hold 0");
    MovieSegmentTag read;
    ASSERT_TRUE(ParseMovieSegmentTag(text + "; coded 00112233445566778899aabbccddeeff", read));
    EXPECT_EQ(read.part, 1);
    EXPECT_EQ(read.parts, 4);
    EXPECT_EQ(read.share.first, 30);
    EXPECT_EQ(read.share.end, 60);
    EXPECT_TRUE(read.key);
    EXPECT_EQ(read.origin, tag.origin);
    EXPECT_EQ(read.codedDigest, "00112233445566778899aabbccddeeff");
    // A segment of an earlier version: a fill that records nothing more.
    ASSERT_TRUE(ParseMovieSegmentTag("tavrilo-render part 1/4, movie frames 30-59 of 120", read));
    EXPECT_FALSE(read.key);
    EXPECT_TRUE(read.origin.empty());
    EXPECT_TRUE(read.codedDigest.empty());
    for (const char* bad : {"", "tavrilo-render part 1/4, movie frames 31-59 of 120",
                            "tavrilo-render part 4/4, movie frames 90-119 of 120",
                            "tavrilo-render part 1/4, movie frames 30-59 of 120 and more",
                            "tavrilo-render part 1/4, movie frames 30-59 of 120; fill; aa", "Lavf59"}) {
        EXPECT_FALSE(ParseMovieSegmentTag(bad, read)) << bad;
    }
}

// The plan says which renders the loop makes and which picture each movie
// frame is: checked against the loop itself.
TEST(MoviePlan, FollowsTheRenderLoop) {
    ScopedSettings settings;
    TempFolder folder;
    for (const Case& c : kCases) {
        MovieJob job = Job(folder.File("whole.mov"), c.start, c.end, c.hold, c.reverse, c.fields);
        StatefulRenderer renderer;
        ASSERT_TRUE(MakeMovieFile(job, renderer.Hooks()).made) << c.name;
        MoviePlan plan = PlanMovie(job.options);
        std::vector<double> expected;
        for (const MovieRender& render : plan.renders) {
            expected.push_back(render.frame);
            if (c.fields) {
                expected.push_back(render.frame + 0.5 * render.step);
            }
        }
        EXPECT_EQ(renderer.grabbed, expected) << c.name;
        MovieFacts facts = ProbeMovie(job.path, true);
        ASSERT_EQ(facts.frames.size(), plan.frames.size()) << c.name;
        // Without fields every picture is one render: find it by its time.
        for (size_t m = 0; m < plan.frames.size() && !c.fields; ++m) {
            int32_t r = plan.frames[m];
            double previous = r == 0 ? -1000.0 : plan.renders[r - 1].frame;
            CDib picture(kWidth, kHeight, 24);
            FillSyntheticFrame(picture, plan.renders[r].frame * 3.0 + previous * 0.25);
            EXPECT_EQ(MaxDifference(facts.frames[m], TopDownBgr(picture)), 0) << c.name << " frame " << m;
        }
    }
}

TEST(MovieParts, JoinedPartsAreTheWholeMovieForAnyNumberOfParts) {
    ScopedSettings settings;
    for (const Case& c : kCases) {
        TempFolder folder;
        MovieJob whole = Job(folder.File("whole.mov"), c.start, c.end, c.hold, c.reverse, c.fields);
        StatefulRenderer renderer;
        ASSERT_TRUE(MakeMovieFile(whole, renderer.Hooks()).made) << c.name;
        MovieFacts expected = ProbeMovie(whole.path, true);
        int32_t frames = static_cast<int32_t>(PlanMovie(whole.options).frames.size());
        for (int parts : {1, 2, 3, frames, frames + 2}) {
            MovieJob job = whole;
            job.path = folder.File("n" + std::to_string(parts) + ".mov");
            std::vector<std::string> segments = RenderParts(job, parts);
            EXPECT_EQ(segments.size(), static_cast<size_t>(std::min(parts, frames))) << c.name;
            MovieJoinOutcome joined = JoinMovieSegments(job.path, segments);
            ASSERT_TRUE(joined.joined) << c.name << ", " << parts << " parts: " << joined.message;
            EXPECT_EQ(joined.frames, frames);
            MovieFacts facts = ProbeMovie(job.path, true);
            ASSERT_EQ(facts.frames.size(), expected.frames.size()) << c.name << ", " << parts << " parts";
            for (size_t m = 0; m < facts.frames.size(); ++m) {
                EXPECT_EQ(MaxDifference(facts.frames[m], expected.frames[m]), 0)
                    << c.name << ", " << parts << " parts, frame " << m;
            }
        }
    }
}

// A part that is stopped still closes its segment; the join refuses it.
TEST(MovieParts, AStoppedPartLeavesAClosedSegmentThatTheJoinRefuses) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = Job(folder.File("m.mov"), 0, 20, 0, false, false);
    std::vector<std::string> segments = RenderParts(job, 2);
    StatefulRenderer renderer;
    RenderRangeHooks hooks = renderer.Hooks();
    int polls = 0;
    hooks.cancelled = [&polls] { return ++polls > 4; };
    MovieOutcome outcome = MakeMoviePartFile(job, 1, 2, hooks);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(outcome.made) << outcome.message;
    EXPECT_EQ(outcome.framesWritten, 4);
    EXPECT_EQ(ProbeMovie(segments[1], true).frames.size(), 4u);
    MovieJoinOutcome joined = JoinMovieSegments(job.path, segments);
    EXPECT_FALSE(joined.joined);
    EXPECT_EQ(joined.message,
              segments[1] + " holds 4 of its 10 frames (its render did not finish): render part 1/2 again");
    EXPECT_TRUE(ReadBytes(job.path).empty());
}

TEST(MovieJoin, RefusesMissingForeignAndMismatchedSegments) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = Job(folder.File("m.mov"), 0, 12, 0, false, false);
    std::vector<std::string> four = RenderParts(job, 4);
    auto refused = [&](const std::vector<std::string>& segments, const std::string& movie = "") {
        MovieJoinOutcome outcome = JoinMovieSegments(movie.empty() ? job.path : movie, segments);
        EXPECT_FALSE(outcome.joined);
        return outcome.message;
    };
    EXPECT_EQ(refused({four[0], four[1], four[3]}), "part 2/4 is missing: " + folder.File("m.part2.mov"));
    EXPECT_EQ(refused({four[3], four[2], four[1]}), "part 0/4 is missing: " + folder.File("m.part0.mov"));
    EXPECT_EQ(refused({four[0], four[1], four[1], four[2], four[3]}),
              four[1] + " and " + four[1] + " are both part 1/4 of a movie of 12 frames");
    EXPECT_EQ(refused({}), "no segments to join into " + job.path);
    EXPECT_EQ(refused(four, four[2]), "the joined movie would overwrite its segment " + four[2]);
    EXPECT_NE(refused(four, folder.File("m.dps")).find("only QuickTime (.mov) and AVI (.avi)"), std::string::npos);
    EXPECT_NE(refused(four, folder.File("m.avi")).find("the segments are QuickTime movies"), std::string::npos);

    // The whole movie is no segment.
    MovieJob whole = Job(folder.File("whole.mov"), 0, 12, 0, false, false);
    StatefulRenderer renderer;
    ASSERT_TRUE(MakeMovieFile(whole, renderer.Hooks()).made);
    EXPECT_EQ(refused({four[0], whole.path}), whole.path + " is not a segment made by tavrilo-render --part");
    EXPECT_NE(refused({folder.File("nothing.mov")}).find("cannot read the segment " + folder.File("nothing.mov")),
              std::string::npos);

    // Segments of another render: other parts count, other size, other rate.
    MovieJob three = Job(folder.File("t.mov"), 0, 12, 0, false, false);
    std::vector<std::string> other = RenderParts(three, 3);
    EXPECT_EQ(refused({four[0], other[1]}),
              other[1] + " is part 1/3 of a movie of 12 frames, but " + four[0] +
                  " is part 0/4 of a movie of 12 frames: they come from different renders");
    MovieJob big = Job(folder.File("big.mov"), 0, 12, 0, false, false);
    big.options.width = 64;
    MovieJob fast = Job(folder.File("fast.mov"), 0, 12, 0, false, false);
    fast.options.framesPerSecond = 50.0;
    MovieJob mjpeg = Job(folder.File("other.mov"), 0, 12, 0, false, false);
    mjpeg.writer.codec = "apch";
    for (auto [changed, trait] : {std::pair{&big, "size is 64x32, not 48x32"}, std::pair{&fast, "rate is 50/1"},
                                  std::pair{&mjpeg, "codec is prores (apch), not png (png )"}}) {
        std::vector<std::string> theirs = RenderParts(*changed, 4);
        std::string message = refused({four[0], four[1], theirs[2], four[3]});
        EXPECT_EQ(message.rfind(theirs[2] + " does not match " + four[0] + ": its ", 0), 0u) << message;
        EXPECT_NE(message.find(trait), std::string::npos) << message;
    }
    EXPECT_TRUE(ReadBytes(job.path).empty());
    EXPECT_TRUE(ReadBytes(job.path + ".joining").empty());
}

TEST(MovieJoin, FieldOrderMustAgree) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob upper = Job(folder.File("u.mov"), 0, 6, 0, false, true);
    upper.writer.codec = "apch";
    MovieJob lower = upper;
    lower.path = folder.File("l.mov");
    lower.lowerFieldFirst = true;
    std::vector<std::string> a = RenderParts(upper, 2);
    std::vector<std::string> b = RenderParts(lower, 2);
    MovieJoinOutcome outcome = JoinMovieSegments(upper.path, {a[0], b[1]});
    EXPECT_FALSE(outcome.joined);
    EXPECT_NE(outcome.message.find("field order is lower field first, not upper field first"), std::string::npos)
        << outcome.message;
    EXPECT_TRUE(JoinMovieSegments(upper.path, a).joined);
    EXPECT_EQ(ProbeMovie(upper.path, false).fieldOrder, AV_FIELD_TB);  // fiel 9: interleaved, upper first
}

// Intra-frame codecs join to the very file a single run writes, lossless
// ones to its frames; H.264 segments each start with a key frame and are
// copied exactly.
TEST(MovieJoin, EveryContainerAndCodecCopiesExactly) {
    ScopedSettings settings;
    TempFolder folder;
    enum Same { File, Frames, Close };
    struct Kind {
        const char* file;
        const char* codec;
        Same same;
        bool alpha = false;
    };
    for (Kind kind : {Kind{"p.mov", "apch", File}, Kind{"r.mov", "rle ", Frames}, Kind{"m.avi", "MJPG", File},
                      Kind{"d.avi", "DIB ", File}, Kind{"h.mov", "avc1", Close}, Kind{"h.avi", "avc1", Close},
                      Kind{"a.mov", "ap4h", File, true}}) {
        MovieJob whole = Job(folder.File(std::string("whole-") + kind.file), 0, 30, 2, true, true);
        whole.writer.codec = kind.codec;
        whole.writer.pictureAspect = 0.75;
        whole.writer.alpha = kind.alpha;
        whole.options.framesPerSecond = 29.97;
        StatefulRenderer renderer;
        ASSERT_TRUE(MakeMovieFile(whole, renderer.Hooks()).made) << kind.file;
        MovieJob job = whole;
        job.path = folder.File(kind.file);
        std::vector<std::string> segments = RenderParts(job, 3);
        MovieJoinOutcome joined = JoinMovieSegments(job.path, segments);
        ASSERT_TRUE(joined.joined) << kind.file << ": " << joined.message;
        if (kind.same == File) {
            EXPECT_EQ(ReadBytes(job.path), ReadBytes(whole.path)) << kind.file;
        }
        MovieFacts facts = ProbeMovie(job.path, true);
        MovieFacts single = ProbeMovie(whole.path, true);
        EXPECT_EQ(facts.packets, single.packets) << kind.file;
        EXPECT_EQ(facts.codecTag, single.codecTag) << kind.file;
        EXPECT_EQ(facts.fieldOrder, single.fieldOrder) << kind.file;
        // The joined movie's timecode is the first segment's, which is the
        // single run's; a later segment's starts at its own first frame.
        EXPECT_EQ(facts.timecode, single.timecode) << kind.file;
        if (std::string(kind.file).find(".mov") != std::string::npos) {
            EXPECT_EQ(single.timecode, "00:00:00:00") << kind.file;
            EXPECT_EQ(ProbeMovie(segments[1], false).timecode, "00:00:00:22") << kind.file;
        }
        EXPECT_EQ(facts.alphas, single.alphas) << kind.file;
        EXPECT_EQ(facts.alphas.empty(), !kind.alpha) << kind.file;
        EXPECT_EQ(facts.timeBaseDen * single.timeBaseNum, single.timeBaseDen * facts.timeBaseNum) << kind.file;
        EXPECT_EQ(facts.rateNum * single.rateDen, single.rateNum * facts.rateDen) << kind.file;
        std::vector<std::vector<uint8_t>> copied;
        for (const std::string& segment : segments) {
            MovieFacts part = ProbeMovie(segment, true);
            copied.insert(copied.end(), part.frames.begin(), part.frames.end());
        }
        ASSERT_EQ(facts.frames.size(), single.frames.size()) << kind.file;
        for (size_t m = 0; m < facts.frames.size(); ++m) {
            EXPECT_EQ(facts.frames[m], copied[m]) << kind.file << " frame " << m;
            EXPECT_LE(MaxDifference(facts.frames[m], single.frames[m]), kind.same == Close ? 48 : 0)
                << kind.file << " frame " << m;
        }
    }
}

namespace {

// Overwrites `count` bytes of a file at `at` with `byte` (or a pattern when
// `byte` is negative).
void Overwrite(const std::string& path, size_t at, size_t count, int byte) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    for (size_t i = at; i < at + count && i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(byte >= 0 ? byte : (i * 131 + 7) & 0xFF);
    }
    ASSERT_TRUE(WriteBytes(path, bytes));
}

size_t EntriesIn(const std::string& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

}  // namespace

// The join reads every frame it copies: a segment cut short or with bytes
// overwritten in its middle is refused by name, whatever its header says.
TEST(MovieJoin, ADamagedSegmentIsRefusedByName) {
    ScopedSettings settings;
    struct Damage {
        const char* name;
        bool truncate;
        int byte;
    };
    for (const char* kind : {"m.avi", "d.avi", "p.mov", "a.mov"}) {
        TempFolder folder;
        MovieJob job = Job(folder.File(kind), 0, 16, 0, false, false);
        job.options.width = 160;
        job.options.height = 120;
        job.writer.codec = kind[0] == 'm' ? "MJPG" : kind[0] == 'd' ? "DIB " : kind[0] == 'p' ? "png " : "apch";
        std::vector<std::string> segments = RenderParts(job, 2);
        ASSERT_EQ(segments.size(), 2u);
        const std::vector<uint8_t> good = ReadBytes(segments[1]);
        for (Damage damage : {Damage{"cut short", true, 0}, Damage{"zeros", false, 0}, Damage{"noise", false, -1}}) {
            ASSERT_TRUE(WriteBytes(segments[1], good));
            if (damage.truncate) {
                std::filesystem::resize_file(segments[1], good.size() * 2 / 3);
            } else {
                Overwrite(segments[1], good.size() / 2, 4096, damage.byte);
            }
            MovieJoinOutcome outcome = JoinMovieSegments(job.path, segments);
            EXPECT_FALSE(outcome.joined) << kind << ", " << damage.name;
            EXPECT_EQ(outcome.message.rfind(segments[1], 0) == 0 ||
                          outcome.message.rfind("cannot read the segment " + segments[1], 0) == 0,
                      true)
                << kind << ", " << damage.name << ": " << outcome.message;
            EXPECT_FALSE(std::filesystem::exists(job.path)) << kind << ", " << damage.name;
            EXPECT_EQ(EntriesIn(folder.Path()), 2u) << kind << ", " << damage.name;  // no temporary left
        }
        ASSERT_TRUE(WriteBytes(segments[1], good));
        MovieJoinOutcome joined = JoinMovieSegments(job.path, segments);
        EXPECT_TRUE(joined.joined) << kind << ": " << joined.message;
        EXPECT_EQ(joined.frames, 16);
    }
}

// Each part records what made it; parts of another show, other options, or
// a key given in place of a fill, come from another render.
TEST(MovieJoin, SegmentsOfAnotherShowOrOtherOptionsAreRefusedByName) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = Job(folder.File("m.mov"), 0, 12, 0, false, false);
    const MovieSegmentOrigin origin = {{"show", "00000000000000aa"}, {"aa", "25"}};
    auto render = [&](const MovieJob& j, int part, const MovieSegmentOrigin& o) {
        StatefulRenderer renderer;
        EXPECT_TRUE(MakeMoviePartFile(j, part, 3, renderer.Hooks(), o).made);
        return MovieSegmentPath(j.path, part);
    };
    std::vector<std::string> segments;
    for (int part = 0; part < 3; ++part) {
        segments.push_back(render(job, part, origin));
    }
    auto refused = [&](const std::string& message) {
        MovieJoinOutcome outcome = JoinMovieSegments(job.path, segments);
        EXPECT_FALSE(outcome.joined);
        EXPECT_EQ(outcome.message, message);
        EXPECT_FALSE(std::filesystem::exists(job.path));
    };
    render(job, 1, {{"show", "00000000000000bb"}, {"aa", "25"}});
    refused(segments[1] + " was made from other show data than " + segments[0] +
            ": its show is 00000000000000bb, not 00000000000000aa; they come from different renders");
    render(job, 1, {{"show", "00000000000000aa"}, {"aa", "50"}});
    refused(segments[1] + " was made from other options than " + segments[0] +
            ": its aa is 50, not 25; they come from different renders");
    MovieJob finer = job;
    finer.options.quality = 50;
    render(finer, 1, origin);
    refused(segments[1] + " was made from other options than " + segments[0] +
            ": its quality is 50, not 100; they come from different renders");

    // The key of part 1 in place of its fill.
    MovieJob keyed = job;
    keyed.writer.key = true;
    keyed.writer.codec = "png ";
    render(keyed, 1, origin);
    std::filesystem::rename(KeyMoviePath(segments[1]), segments[1]);
    refused(segments[1] +
            " is the key of part 1/3 of a movie of 12 frames, but no fill of that part is given (one "
            "in place of the other?)");
    render(job, 1, origin);
    EXPECT_TRUE(JoinMovieSegments(job.path, segments).joined);
}

// "--join show.mov show.part*.mov" names the fills and the keys of a render
// with --key: each joins into its own movie.
TEST(MovieJoin, FillAndKeySegmentsJoinIntoTheirOwnMovies) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = Job(folder.File("show.mov"), 0, 9, 0, false, false);
    job.writer.key = true;
    std::vector<std::string> all;
    for (const std::string& fill : RenderParts(job, 3)) {
        all.push_back(fill);
        all.push_back(KeyMoviePath(fill));
    }
    ASSERT_EQ(all[1], folder.File("show.part0-key.mov"));
    std::sort(all.begin(), all.end());  // as a shell expands show.part*.mov
    MovieJoinOutcome outcome = JoinMovieSegments(job.path, all);
    ASSERT_TRUE(outcome.joined) << outcome.message;
    EXPECT_EQ(outcome.frames, 9);
    EXPECT_EQ(outcome.segments, 3);
    EXPECT_EQ(outcome.keyPath, folder.File("show-key.mov"));
    EXPECT_EQ(outcome.keyFrames, 9);
    MovieFacts fill = ProbeMovie(job.path, true);
    MovieFacts key = ProbeMovie(outcome.keyPath, true);
    ASSERT_EQ(fill.frames.size(), 9u);
    ASSERT_EQ(key.frames.size(), 9u);
    EXPECT_GT(MaxDifference(fill.frames[4], key.frames[4]), 0);  // not the same movie twice
    // A key missing its fill refuses both.
    std::filesystem::remove(job.path);
    std::filesystem::remove(outcome.keyPath);
    all.erase(std::find(all.begin(), all.end(), folder.File("show.part2.mov")));
    outcome = JoinMovieSegments(job.path, all);
    EXPECT_FALSE(outcome.joined);
    EXPECT_EQ(outcome.message, folder.File("show.part2-key.mov") +
                                   " is the key of part 2/3 of a movie of 9 frames, but no fill of that part is given "
                                   "(one in place of the other?)");
    EXPECT_FALSE(std::filesystem::exists(job.path));
    EXPECT_FALSE(std::filesystem::exists(folder.File("show-key.mov")));
}

// A join writes under a claim: stopped, it replaces nothing; a second join
// of the same movie meanwhile is refused; through a link it writes the
// file the link names.
TEST(MovieJoin, StoppedOrConcurrentJoinsReplaceNothingAndLinksAreFollowed) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = Job(folder.File("m.avi"), 0, 12, 0, false, false);
    job.writer.codec = "MJPG";
    std::vector<std::string> segments = RenderParts(job, 3);
    ASSERT_TRUE(WriteText(job.path, "the joined movie of yesterday"));
    int asked = 0;
    MovieJoinOutcome second;
    MovieJoinOutcome stopped = JoinMovieSegments(job.path, segments, [&] {
        if (++asked == 3) {
            second = JoinMovieSegments(job.path, segments);
        }
        return asked == 7;
    });
    EXPECT_FALSE(stopped.joined);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(second.joined);
    EXPECT_EQ(second.message.rfind(
                  job.path + " is being written by another run (its temporary file " + job.path + ".joining~", 0),
              0u)
        << second.message;
    std::vector<uint8_t> kept = ReadBytes(job.path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "the joined movie of yesterday");
    EXPECT_EQ(EntriesIn(folder.Path()), 4u);

    std::filesystem::create_directories(folder.File("final"));
    const std::string link = folder.File("link.avi");
    ASSERT_EQ(symlink("final/real.avi", link.c_str()), 0);
    MovieJoinOutcome joined = JoinMovieSegments(link, segments);
    ASSERT_TRUE(joined.joined) << joined.message;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ProbeMovie(folder.File("final/real.avi"), false).packets, 12);
    // The container is the name's last suffix, whatever comes before it.
    MovieJoinOutcome suffix = JoinMovieSegments(folder.File("x.mov.avi"), segments);
    ASSERT_TRUE(suffix.joined) << suffix.message;
    std::vector<uint8_t> head = ReadBytes(folder.File("x.mov.avi"));
    EXPECT_EQ(std::string(head.begin(), head.begin() + 4), "RIFF");
}
