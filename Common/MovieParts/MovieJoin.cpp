// Joining segments by stream copy: each segment's tag and video stream, the
// checks that they belong together and are complete, and the copy of their
// coded frames into one movie, timestamps moved on segment by segment.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "FfmpegWriter.h"
#include "MakeMovieAVI.h"
#include "MovieSegments.h"
#include "QuickTimeBoxes.h"

extern "C" {
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

bool CheckAgreement(const std::vector<Segment>& segments, std::string& message) {
    const std::vector<Trait>& expected = segments.front().traits;
    for (size_t i = 1; i < segments.size(); ++i) {
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
    bool Open(const std::string& path, Segment& first, std::string& message);
    bool Copy(Segment& segment, std::string& message);
    bool Finish(std::string& message);
    int64_t FramesCopied() const { return copied_; }

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

bool JoinedMovie::Copy(Segment& segment, std::string& message) {
    PacketOwner packet(av_packet_alloc());
    if (!packet) {
        return Failed("cannot join", AVERROR(ENOMEM), message);
    }
    if (!segment.format && !OpenReader(segment, message)) {
        return false;
    }
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

bool WriteJoined(const std::string& path, std::vector<Segment>& segments, int64_t& frames, std::string& message) {
    JoinedMovie joined;
    if (!joined.Open(path, segments.front(), message)) {
        return false;
    }
    for (Segment& segment : segments) {
        if (!joined.Copy(segment, message)) {
            return false;
        }
    }
    if (!joined.Finish(message)) {
        return false;
    }
    frames = joined.FramesCopied();
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

}  // namespace

MovieJoinOutcome JoinMovieSegments(const std::string& moviePath, const std::vector<std::string>& paths) {
    av_log_set_level(AV_LOG_ERROR);
    MovieJoinOutcome outcome;
    int kind = MovieWriterKindFor(moviePath.c_str());
    if (kind != kWriterQuickTime && kind != kWriterAvi) {
        outcome.message = "only QuickTime (.mov) and AVI (.avi) movies can be joined: " + moviePath;
        return outcome;
    }
    std::string which;
    if (paths.empty()) {
        outcome.message = "no segments to join into " + moviePath;
        return outcome;
    }
    if (IsOneOf(moviePath, paths, which)) {
        outcome.message = "the joined movie would overwrite its segment " + which;
        return outcome;
    }
    std::vector<Segment> segments(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!OpenSegment(paths[i], segments[i], outcome.message)) {
            return outcome;
        }
    }
    if (!CheckParts(moviePath, segments, outcome.message) || !CheckAgreement(segments, outcome.message)) {
        return outcome;
    }
    if ((kind == kWriterQuickTime) != segments.front().quickTime) {
        outcome.message = "the segments are " + segments.front().traits[0].value + " movies; " + moviePath +
                          " would be " + (kind == kWriterQuickTime ? "QuickTime" : "AVI");
        return outcome;
    }
    std::string temporary = moviePath + ".joining";
    int64_t frames = 0;
    if (!WriteJoined(temporary, segments, frames, outcome.message)) {
        std::remove(temporary.c_str());
        return outcome;
    }
    if (std::rename(temporary.c_str(), moviePath.c_str()) != 0) {
        std::remove(temporary.c_str());
        outcome.message = "cannot put the joined movie in place as " + moviePath;
        return outcome;
    }
    outcome.joined = true;
    outcome.frames = static_cast<int32_t>(frames);
    return outcome;
}
