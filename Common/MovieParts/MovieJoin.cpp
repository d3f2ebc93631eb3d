// Joining segments by stream copy: each segment's tag and video stream, the
// checks that they belong together and are complete, and the copy of their
// coded frames into one movie, timestamps moved on segment by segment, each
// frame checked against the file and the digest its writer recorded.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "FfmpegWriter.h"
#include "MakeMovieAVI.h"
#include "MovieSegments.h"
#include "OutputClaim.h"
#include "QuickTimeBoxes.h"
#include "SegmentCheck.h"

extern "C" {
#include <libavutil/md5.h>
#include <libavutil/pixdesc.h>
}

namespace {

struct Trait {
    const char* name;
    std::string value;
};

// A segment's facts. Its file is open only while it is looked at or copied,
// so that any number of segments can be joined.
struct Segment {
    std::string path;
    InputFormatOwner format;
    AVStream* video = nullptr;
    MovieSegmentTag tag;
    int64_t frames = 0;
    bool quickTime = false;
    int64_t startTime = 0;
    int64_t fileBytes = 0;
    std::vector<Trait> traits;  // what must agree between segments
};

bool IsQuickTime(const AVFormatContext& format) {
    return std::string_view(format.iformat->name).find("mov") != std::string_view::npos;
}

// The video packets of a file, counted by reading it through.
int64_t CountVideoPackets(const std::string& path, int streamIndex) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        return -1;
    }
    InputFormatOwner format(raw);
    PacketOwner packet(av_packet_alloc());
    int64_t count = 0;
    while (packet && av_read_frame(format.get(), packet.get()) >= 0) {
        count += packet->stream_index == streamIndex ? 1 : 0;
        av_packet_unref(packet.get());
    }
    return count;
}

std::vector<Trait> Traits(const Segment& s);

// Opens the segment's file and finds its video; false with a message.
bool OpenReader(Segment& segment, std::string& message) {
    AVFormatContext* raw = nullptr;
    int result = avformat_open_input(&raw, segment.path.c_str(), nullptr, nullptr);
    if (result < 0) {
        message = "cannot read the segment " + segment.path + ": " + FfmpegErrorText(result);
        return false;
    }
    segment.format.reset(raw);
    result = avformat_find_stream_info(raw, nullptr);
    int index = result < 0 ? result : av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        message = segment.path + " holds no readable video";
        return false;
    }
    segment.video = raw->streams[index];
    return true;
}

void CloseReader(Segment& segment) {
    segment.video = nullptr;
    segment.format.reset();
}

bool OpenSegment(const std::string& path, Segment& segment, std::string& message) {
    segment.path = path;
    // A FIFO or a device would block the reader or never end.
    struct stat facts {};
    if (!IsRegularFile(path.c_str()) || stat(path.c_str(), &facts) != 0) {
        const int reason = errno;
        message = "cannot read the segment " + path + ": " + FileErrorText(reason);
        return false;
    }
    segment.fileBytes = facts.st_size;
    if (!OpenReader(segment, message)) {
        return false;
    }
    AVFormatContext* format = segment.format.get();
    AVDictionaryEntry* comment = av_dict_get(format->metadata, "comment", nullptr, 0);
    if (!comment || !ParseMovieSegmentTag(comment->value, segment.tag)) {
        message = path + " is not a segment made by tavrilo-render --part";
        return false;
    }
    AVStream& video = *segment.video;
    segment.frames = video.nb_frames > 0 ? video.nb_frames : CountVideoPackets(path, video.index);
    segment.quickTime = IsQuickTime(*format);
    segment.startTime = video.start_time != AV_NOPTS_VALUE ? video.start_time : 0;
    segment.traits = Traits(segment);
    CloseReader(segment);
    return true;
}

// The name the segment of part `part` would have, after the given segments'.
std::string SegmentNameLike(const std::string& moviePath, const std::vector<Segment>& segments, int part) {
    const std::string& like = segments.front().path;
    std::string marker = ".part" + std::to_string(segments.front().tag.part);
    size_t at = like.rfind(marker);
    if (at == std::string::npos || like.find('/', at) != std::string::npos) {
        return MovieSegmentPath(moviePath, part);
    }
    return like.substr(0, at) + ".part" + std::to_string(part) + like.substr(at + marker.size());
}

std::string PartText(const MovieSegmentTag& tag) {
    return "part " + std::to_string(tag.part) + "/" + std::to_string(tag.parts) + " of a movie of " +
           std::to_string(tag.frameCount) + " frames";
}

// All segments come from one render, no part twice, none missing, each whole.
bool CheckParts(const std::string& moviePath, std::vector<Segment>& segments, std::string& message) {
    std::stable_sort(segments.begin(), segments.end(),
                     [](const Segment& a, const Segment& b) { return a.tag.part < b.tag.part; });
    const Segment& first = segments.front();
    for (size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        if (s.tag.parts != first.tag.parts || s.tag.frameCount != first.tag.frameCount) {
            message = s.path + " is " + PartText(s.tag) + ", but " + first.path + " is " + PartText(first.tag) +
                      ": they come from different renders";
            return false;
        }
        if (i > 0 && segments[i - 1].tag.part == s.tag.part) {
            message = segments[i - 1].path + " and " + s.path + " are both " + PartText(s.tag);
            return false;
        }
    }
    size_t next = 0;
    for (int part = 0; part < first.tag.parts; ++part) {
        if (MovieShareOf(first.tag.frameCount, part, first.tag.parts).Count() == 0) {
            continue;  // more parts than frames: this one had nothing to render
        }
        if (next >= segments.size() || segments[next].tag.part != part) {
            message = "part " + std::to_string(part) + "/" + std::to_string(first.tag.parts) +
                      " is missing: " + SegmentNameLike(moviePath, segments, part);
            return false;
        }
        const Segment& s = segments[next++];
        if (s.frames != s.tag.share.Count()) {
            message = s.path + " holds " + std::to_string(s.frames) + " of its " + std::to_string(s.tag.share.Count()) +
                      " frames (its render did not finish): render part " + std::to_string(part) + "/" +
                      std::to_string(s.tag.parts) + " again";
            return false;
        }
    }
    return true;
}

std::string Fraction(AVRational value) {
    return std::to_string(value.num) + "/" + std::to_string(value.den);
}

std::string FieldOrderText(int order) {
    switch (order) {
        case AV_FIELD_PROGRESSIVE:
            return "progressive";
        case AV_FIELD_TT:
        case AV_FIELD_TB:
            return "upper field first";
        case AV_FIELD_BB:
        case AV_FIELD_BT:
            return "lower field first";
        default:
            return "unknown";
    }
}

// The coded stream's headers, as a short fingerprint.
std::string HeadersText(const AVCodecParameters& p) {
    uint32_t hash = 2166136261u;
    for (int i = 0; i < p.extradata_size; ++i) {
        hash = (hash ^ p.extradata[i]) * 16777619u;
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%d bytes, %08x", p.extradata_size, hash);
    return text;
}

// What must agree between segments for the copy to be one movie.
std::vector<Trait> Traits(const Segment& s) {
    const AVCodecParameters& p = *s.video->codecpar;
    char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
    av_fourcc_make_string(tag, p.codec_tag);
    const char* pixels = av_get_pix_fmt_name(static_cast<AVPixelFormat>(p.format));
    return {
        {"container", IsQuickTime(*s.format) ? "QuickTime" : "AVI"},
        {"codec", std::string(avcodec_get_name(p.codec_id)) + " (" + tag + ")"},
        {"size", std::to_string(p.width) + "x" + std::to_string(p.height)},
        {"pixel format", pixels ? pixels : "unknown"},
        {"rate", Fraction(s.video->avg_frame_rate) + " frames per second, time base " + Fraction(s.video->time_base)},
        {"field order", FieldOrderText(p.field_order)},
        {"pixel aspect", Fraction(s.video->sample_aspect_ratio)},
        {"coded headers", HeadersText(p)},
    };
}

std::string OriginValue(const MovieSegmentOrigin& origin, const std::string& name) {
    for (const auto& [itemName, value] : origin) {
        if (itemName == name) {
            return value;
        }
    }
    return "not recorded";
}

// What made `s` is what made `like`: the same show, the same options.
bool CheckOrigin(const Segment& s, const Segment& like, std::string& message) {
    MovieSegmentOrigin names = like.tag.origin;
    names.insert(names.end(), s.tag.origin.begin(), s.tag.origin.end());
    for (const auto& [name, unused] : names) {
        std::string theirs = OriginValue(s.tag.origin, name);
        std::string expected = OriginValue(like.tag.origin, name);
        if (theirs == expected) {
            continue;
        }
        message = s.path + " was made from other " + (name == "show" ? "show data" : "options") + " than " + like.path +
                  ": its " + name + " is " + theirs + ", not " + expected + "; they come from different renders";
        return false;
    }
    return true;
}

bool CheckAgreement(const std::vector<Segment>& segments, std::string& message) {
    const std::vector<Trait>& expected = segments.front().traits;
    for (size_t i = 1; i < segments.size(); ++i) {
        if (!CheckOrigin(segments[i], segments.front(), message)) {
            return false;
        }
        const std::vector<Trait>& traits = segments[i].traits;
        for (size_t k = 0; k < traits.size(); ++k) {
            if (traits[k].value != expected[k].value) {
                message = segments[i].path + " does not match " + segments.front().path + ": its " + traits[k].name +
                          " is " + traits[k].value + ", not " + expected[k].value;
                return false;
            }
        }
    }
    return true;
}

// Uncompressed AVI frames stored bottom-up: the reader marks them with
// "BottomUp" after the header; the writer is told by its own option.
bool TakeBottomUpMark(AVCodecParameters& p) {
    static const char kMark[] = "BottomUp";
    if (p.codec_id != AV_CODEC_ID_RAWVIDEO || p.extradata_size < 9 ||
        std::memcmp(p.extradata + p.extradata_size - 9, kMark, 9) != 0) {
        return false;
    }
    p.extradata_size -= 9;
    if (p.extradata_size == 0) {
        av_freep(&p.extradata);
    }
    return true;
}

class JoinedMovie {
public:
    explicit JoinedMovie(const std::function<bool()>* cancelled) : cancelled_(cancelled) {}
    bool Open(const std::string& path, Segment& first, std::string& message);
    bool Copy(Segment& segment, std::string& message);
    bool Finish(std::string& message);
    int64_t FramesCopied() const { return copied_; }
    bool Cancelled() const { return wasCancelled_; }

private:
    bool Failed(const std::string& what, int code, std::string& message) {
        message = what + ": " + FfmpegErrorText(code);
        return false;
    }

    OutputFormatOwner format_;
    AVStream* stream_ = nullptr;
    int64_t offset_ = 0;  // where the next segment starts, in the segments' time base
    int64_t copied_ = 0;
    bool headerWritten_ = false;
    const std::function<bool()>* cancelled_ = nullptr;
    bool wasCancelled_ = false;
};

bool JoinedMovie::Open(const std::string& path, Segment& first, std::string& message) {
    if (!OpenReader(first, message)) {
        return false;
    }
    bool quickTime = first.quickTime;
    AVFormatContext* raw = nullptr;
    int result = avformat_alloc_output_context2(&raw, nullptr, quickTime ? "mov" : "avi", path.c_str());
    format_.reset(raw);
    if (result < 0 || !format_ || !(stream_ = avformat_new_stream(raw, nullptr))) {
        return Failed("cannot make the joined movie", result < 0 ? result : AVERROR(ENOMEM), message);
    }
    result = avcodec_parameters_copy(stream_->codecpar, first.video->codecpar);
    if (result < 0) {
        return Failed("cannot describe the joined movie", result, message);
    }
    bool bottomUp = !quickTime && TakeBottomUpMark(*stream_->codecpar);
    AviHeaderFacts avi;
    if (!quickTime && ReadAviHeaderFacts(first.path, avi)) {
        // The reader does not give these back; the writer takes them from
        // the stream's data rate and field order.
        stream_->codecpar->bit_rate = static_cast<int64_t>(avi.maxBytesPerSecond) * 8;
        if (avi.fieldsPerFrame == 2 && stream_->codecpar->field_order <= AV_FIELD_PROGRESSIVE) {
            stream_->codecpar->field_order = AV_FIELD_TT;
        }
        if (avi.formatBytes == 40 && stream_->codecpar->extradata_size > 0) {
            // Headers the reader found inside the frames stay there.
            av_freep(&stream_->codecpar->extradata);
            stream_->codecpar->extradata_size = 0;
        }
    }
    stream_->time_base = first.video->time_base;
    stream_->avg_frame_rate = first.video->avg_frame_rate;
    stream_->r_frame_rate = first.video->r_frame_rate;
    stream_->sample_aspect_ratio = first.video->sample_aspect_ratio;
    stream_->codecpar->sample_aspect_ratio = first.video->sample_aspect_ratio;
    // The timecode goes on; the track names are the writer's own (the
    // timecode track would otherwise take the video's).
    av_dict_copy(&stream_->metadata, first.video->metadata, 0);
    av_dict_set(&stream_->metadata, "handler_name", nullptr, 0);
    av_dict_copy(&raw->metadata, first.format->metadata, 0);
    av_dict_set(&raw->metadata, "comment", nullptr, 0);
    result = avio_open(&raw->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) {
        return Failed("cannot create " + path, result, message);
    }
    AVDictionary* options = nullptr;
    if (quickTime && first.video->time_base.num == 1) {
        av_dict_set_int(&options, "video_track_timescale", first.video->time_base.den, 0);
        av_dict_set_int(&options, "movie_timescale", first.video->time_base.den, 0);
    }
    if (bottomUp) {
        av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    }
    result = avformat_write_header(raw, &options);
    av_dict_free(&options);
    headerWritten_ = result >= 0;
    return headerWritten_ || Failed("cannot write the joined movie's header", result, message);
}

std::string PartAgainText(const MovieSegmentTag& tag) {
    return "render part " + std::to_string(tag.part) + "/" + std::to_string(tag.parts) + " again";
}

bool JoinedMovie::Copy(Segment& segment, std::string& message) {
    PacketOwner packet(av_packet_alloc());
    if (!packet) {
        return Failed("cannot join", AVERROR(ENOMEM), message);
    }
    if (!segment.format && !OpenReader(segment, message)) {
        return false;
    }
    SegmentFrameCheck check({segment.path, segment.fileBytes, !segment.quickTime, segment.tag.codedDigest,
                             segment.tag.share.Count(), PartAgainText(segment.tag)});
    AVRational timeBase = segment.video->time_base;
    int64_t start = segment.startTime;
    int64_t end = start;
    int64_t shift = offset_ - start;
    int result = 0;
    while ((result = av_read_frame(segment.format.get(), packet.get())) >= 0) {
        if (packet->stream_index != segment.video->index) {
            av_packet_unref(packet.get());
            continue;
        }
        if (cancelled_ && *cancelled_ && (*cancelled_)()) {
            wasCancelled_ = true;
            message = "the join was stopped";
            return false;
        }
        if (!check.Take(*packet, message)) {
            return false;
        }
        int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (at != AV_NOPTS_VALUE) {
            end = std::max(end, at + std::max<int64_t>(packet->duration, 1));
        }
        packet->pts = packet->pts != AV_NOPTS_VALUE ? packet->pts + shift : AV_NOPTS_VALUE;
        packet->dts = packet->dts != AV_NOPTS_VALUE ? packet->dts + shift : AV_NOPTS_VALUE;
        packet->stream_index = stream_->index;
        packet->pos = -1;
        av_packet_rescale_ts(packet.get(), timeBase, stream_->time_base);
        result = av_interleaved_write_frame(format_.get(), packet.get());
        if (result < 0) {
            return Failed("cannot write the joined movie", result, message);
        }
        ++copied_;
    }
    if (result != AVERROR_EOF) {
        return Failed("cannot read " + segment.path, result, message);
    }
    if (!check.Finish(message)) {
        return false;
    }
    CloseReader(segment);
    offset_ += end - start;
    return true;
}

bool JoinedMovie::Finish(std::string& message) {
    int result = headerWritten_ ? av_write_trailer(format_.get()) : 0;
    headerWritten_ = false;
    if (result < 0) {
        return Failed("cannot finish the joined movie", result, message);
    }
    if (format_->pb) {
        avio_flush(format_->pb);
        result = format_->pb->error < 0 ? format_->pb->error : avio_closep(&format_->pb);
        if (result < 0) {
            return Failed("cannot finish the joined movie", result, message);
        }
    }
    format_.reset();
    return true;
}

// One movie the join makes: its segments and the claim on its file.
struct JoinedOutput {
    std::string path;
    std::vector<Segment> segments;
    OutputClaim claim;
    int64_t frames = 0;
};

bool WriteJoined(JoinedOutput& output, const std::function<bool()>& cancelled, bool& wasCancelled,
                 std::string& message) {
    const std::string& path = output.claim.Temporary();
    std::vector<Segment>& segments = output.segments;
    JoinedMovie joined(&cancelled);
    bool written = joined.Open(path, segments.front(), message);
    for (size_t i = 0; written && i < segments.size(); ++i) {
        written = joined.Copy(segments[i], message);
    }
    written = written && joined.Finish(message);
    wasCancelled = joined.Cancelled();
    if (!written) {
        return false;
    }
    output.frames = joined.FramesCopied();
    // The boxes the muxer does not write come from the first segment.
    QuickTimeVideoBoxes boxes;
    std::string why;
    if (segments.front().quickTime && ReadQuickTimeVideoBoxes(segments.front().path, boxes, why) &&
        !WriteQuickTimeVideoBoxes(path, boxes, why)) {
        message = "cannot finish the joined movie: " + why;
        return false;
    }
    AviHeaderFacts avi;
    if (!segments.front().quickTime && ReadAviHeaderFacts(segments.front().path, avi)) {
        RestoreAviRate(path, avi.scale, avi.rate);
    }
    return true;
}

bool IsOneOf(const std::string& path, const std::vector<std::string>& segments, std::string& which) {
    std::error_code error;
    for (const std::string& segment : segments) {
        if (std::filesystem::equivalent(path, segment, error)) {
            which = segment;
            return true;
        }
    }
    return false;
}

// The container the joined movie's name asks for, by its last suffix alone.
enum class JoinContainer { None, QuickTime, Avi };
JoinContainer ContainerOf(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return JoinContainer::None;
    }
    std::string_view suffix = std::string_view(path).substr(dot);
    return suffix == ".mov" ? JoinContainer::QuickTime : suffix == ".avi" ? JoinContainer::Avi : JoinContainer::None;
}

// The segments into their movies: the fills into `moviePath`, and when key
// segments come with them, those into its key movie; segments of one kind
// all go into `moviePath`.
void SortIntoOutputs(const std::string& moviePath, std::vector<Segment>& segments, std::deque<JoinedOutput>& outputs) {
    bool fills = false;
    bool keys = false;
    for (const Segment& s : segments) {
        (s.tag.key ? keys : fills) = true;
    }
    outputs.emplace_back().path = moviePath;
    if (fills && keys) {
        outputs.emplace_back().path = KeyMoviePath(moviePath);
    }
    for (Segment& s : segments) {
        outputs[fills && keys && s.tag.key ? 1 : 0].segments.push_back(std::move(s));
    }
}

// The checks of the segments of one movie.
bool CheckOutput(JoinedOutput& output, bool quickTime, std::string& message) {
    if (!CheckParts(output.path, output.segments, message) || !CheckAgreement(output.segments, message)) {
        return false;
    }
    if (quickTime != output.segments.front().quickTime) {
        message = "the segments are " + output.segments.front().traits[0].value + " movies; " + output.path +
                  " would be " + (quickTime ? "QuickTime" : "AVI");
        return false;
    }
    return true;
}

// A part given as a key alone, or as a fill alone, when both are joined:
// a key given in place of its fill, or the other way round.
bool CheckBothRoles(const std::deque<JoinedOutput>& outputs, std::string& message) {
    // The fewer are the odd ones out: a key among fills is named as the key.
    const size_t fewer = outputs[1].segments.size() < outputs[0].segments.size() ? 1 : 0;
    for (size_t from : {fewer, 1 - fewer}) {
        const JoinedOutput& other = outputs[1 - from];
        for (const Segment& s : outputs[from].segments) {
            auto same = [&s](const Segment& o) { return o.tag.part == s.tag.part && o.tag.parts == s.tag.parts; };
            if (std::none_of(other.segments.begin(), other.segments.end(), same)) {
                message = s.path + " is the " + (s.tag.key ? "key" : "fill") + " of " + PartText(s.tag) + ", but no " +
                          (s.tag.key ? "fill" : "key") + " of that part is given (one in place of the other?)";
                return false;
            }
        }
    }
    return true;
}

// The keys come from the render the fills come from.
bool CheckSameRender(const std::deque<JoinedOutput>& outputs, std::string& message) {
    if (outputs.size() < 2) {
        return true;
    }
    if (!CheckBothRoles(outputs, message)) {
        return false;
    }
    const Segment& fill = outputs[0].segments.front();
    const Segment& key = outputs[1].segments.front();
    if (key.tag.parts != fill.tag.parts || key.tag.frameCount != fill.tag.frameCount) {
        message = key.path + " is the key of " + PartText(key.tag) + ", but " + fill.path + " is " +
                  PartText(fill.tag) + ": they come from different renders";
        return false;
    }
    return CheckOrigin(key, fill, message);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = from.empty() ? std::string::npos : text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Writes every movie under its claim; false with the message (naming the
// movies, not their temporaries).
bool WriteOutputs(std::deque<JoinedOutput>& outputs, const std::function<bool()>& cancelled,
                  MovieJoinOutcome& outcome) {
    for (JoinedOutput& output : outputs) {
        if (!output.claim.Claim(output.path, "joining", outcome.message)) {
            return false;
        }
    }
    for (JoinedOutput& output : outputs) {
        if (!WriteJoined(output, cancelled, outcome.cancelled, outcome.message)) {
            outcome.message = Replaced(outcome.message, output.claim.Temporary(), output.path);
            return false;
        }
    }
    for (JoinedOutput& output : outputs) {
        std::string reason;
        if (!output.claim.Commit(reason)) {
            outcome.message = "cannot put the joined movie in place as " + output.claim.Target() + ": " + reason;
            return false;
        }
    }
    return true;
}

}  // namespace

MovieJoinOutcome JoinMovieSegments(const std::string& moviePath, const std::vector<std::string>& paths,
                                   const std::function<bool()>& cancelled) {
    SilenceFfmpegLog();
    MovieJoinOutcome outcome;
    const JoinContainer container = ContainerOf(moviePath);
    if (container == JoinContainer::None) {
        outcome.message = "only QuickTime (.mov) and AVI (.avi) movies can be joined: " + moviePath;
        return outcome;
    }
    std::string which;
    if (paths.empty()) {
        outcome.message = "no segments to join into " + moviePath;
        return outcome;
    }
    std::vector<Segment> segments(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!OpenSegment(paths[i], segments[i], outcome.message)) {
            return outcome;
        }
    }
    std::deque<JoinedOutput> outputs;
    SortIntoOutputs(moviePath, segments, outputs);
    if (!CheckSameRender(outputs, outcome.message)) {
        return outcome;
    }
    for (JoinedOutput& output : outputs) {
        if (IsOneOf(output.path, paths, which)) {
            outcome.message = "the joined movie would overwrite its segment " + which;
            return outcome;
        }
        if (!CheckOutput(output, container == JoinContainer::QuickTime, outcome.message)) {
            return outcome;
        }
    }
    if (!WriteOutputs(outputs, cancelled, outcome)) {
        return outcome;
    }
    outcome.joined = true;
    outcome.frames = static_cast<int32_t>(outputs[0].frames);
    outcome.segments = static_cast<int32_t>(outputs[0].segments.size());
    if (outputs.size() > 1) {
        outcome.keyPath = outputs[1].path;
        outcome.keyFrames = static_cast<int32_t>(outputs[1].frames);
    }
    return outcome;
}
