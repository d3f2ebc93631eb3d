// Live streams through FFmpeg: the destination's protocol and muxer, the
// encoder settings for low delay, and the frames handed to the movie layer's
// encoder and muxer with their exact timestamps.
#include "LiveStream.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "FfmpegWriter.h"
#include "MovieCodecs.h"

namespace {

// MPEG-TS over UDP and SRT: seven 188-byte packets a datagram, the size
// ETSI TS 102 034 (and every IP receiver) expects.
constexpr const char* kTransportPacketOption = "pkt_size=1316";
// SRT drops what the receiver has not acknowledged when the connection
// closes; waiting up to two seconds lets the last frames arrive.
constexpr const char* kSrtLingerOption = "linger=2";
constexpr const char* kDefaultLiveCodec = "avc1";
// The H.264 encoder's data rate ceiling and its buffer of one second, so a
// receiver on a real link is never flooded: 6 Mbit/s for standard
// definition, 20 Mbit/s from 720 lines up.
constexpr int kStandardRateBits = 6000000;
constexpr int kHighRateBits = 20000000;
constexpr int kHighDefinitionLines = 720;

void StartNetwork() {
    static std::once_flag once;
    std::call_once(once, [] { avformat_network_init(); });
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// An option added to an address that does not give it already.
std::string WithOption(const std::string& url, const char* option) {
    const std::string name = std::string(option).substr(0, std::string(option).find('=') + 1);
    if (url.find(name) != std::string::npos) {
        return url;
    }
    return url + (url.find('?') == std::string::npos ? "?" : "&") + option;
}

bool NetworkTarget(const std::string& text, LiveTarget& target, std::string& error) {
    struct Scheme {
        const char* prefix;
        const char* protocol;
        LiveTargetKind kind;
        const char* muxer;
    };
    static const Scheme kSchemes[] = {
        {"udp://", "udp", LiveTargetKind::Udp, "mpegts"},
        {"srt://", "srt", LiveTargetKind::Srt, "mpegts"},
        {"rtmp://", "rtmp", LiveTargetKind::Rtmp, "flv"},
        {"rtmps://", "rtmps", LiveTargetKind::Rtmp, "flv"},
    };
    for (const Scheme& scheme : kSchemes) {
        if (!StartsWith(text, scheme.prefix)) {
            continue;
        }
        if (text.size() == std::strlen(scheme.prefix)) {
            error = "\"" + text + "\" names no address";
            return false;
        }
        if (!LiveProtocolAvailable(scheme.protocol)) {
            error = std::string(scheme.prefix) + " streams need an FFmpeg built with " +
                    (scheme.kind == LiveTargetKind::Srt ? "libsrt" : "that protocol") + "; this one has none";
            return false;
        }
        target.kind = scheme.kind;
        target.muxer = scheme.muxer;
        target.url = scheme.kind == LiveTargetKind::Rtmp ? text : WithOption(text, kTransportPacketOption);
        if (scheme.kind == LiveTargetKind::Srt) {
            target.url = WithOption(target.url, kSrtLingerOption);
        }
        return true;
    }
    error = "only udp://, srt:// and rtmp:// addresses, a file or - are streamed to, not \"" + text + "\"";
    return false;
}

}  // namespace

bool LiveProtocolAvailable(const char* protocol) {
    StartNetwork();
    void* opaque = nullptr;
    while (const char* name = avio_enum_protocols(&opaque, 1)) {
        if (std::strcmp(name, protocol) == 0) {
            return true;
        }
    }
    return false;
}

bool ParseLiveTarget(const std::string& text, LiveTarget& target, std::string& error) {
    target = LiveTarget{};
    target.given = text;
    if (text.empty()) {
        error = "an address, a file or - is needed";
        return false;
    }
    if (text == "-") {
        target.kind = LiveTargetKind::StandardOutput;
        target.url = "pipe:1";
        target.muxer = "nut";
        return true;
    }
    if (text.find("://") != std::string::npos) {
        return NetworkTarget(text, target, error);
    }
    const AVOutputFormat* format = av_guess_format(nullptr, text.c_str(), nullptr);
    // Picture sequences and sound-only files cannot hold the stream.
    if (format && (std::strncmp(format->name, "image2", 6) == 0 || format->video_codec == AV_CODEC_ID_NONE)) {
        error = "\"" + text + "\" is not a movie file a stream can be recorded in";
        return false;
    }
    target.kind = LiveTargetKind::File;
    target.muxer = format ? format->name : "mpegts";
    // "file:" keeps a colon in the name from being taken for a protocol.
    target.url = "file:" + text;
    return true;
}

std::string LiveCodecProblem(const LiveStreamSpec& spec) {
    std::string code = spec.codec.empty() ? kDefaultLiveCodec : spec.codec;
    code.resize(4, ' ');
    const MovieCodec* codec = FindMovieCodec(code, MovieContainer::QuickTime);
    if (!codec) {
        codec = FindMovieCodec(code, MovieContainer::Avi);
    }
    if (!codec || !codec->encoder) {
        return "the codec \"" + code + "\" cannot be streamed";
    }
    const AVCodec* encoder = avcodec_find_encoder_by_name(codec->encoder);
    const AVOutputFormat* format = av_guess_format(spec.target.muxer.c_str(), nullptr, nullptr);
    if (!encoder || !format) {
        return std::string("this FFmpeg has no ") + (encoder ? spec.target.muxer : codec->encoder);
    }
    // 0: the muxer knows it cannot carry the codec (a muxer without a list
    // answers below 0, and its header write says no when it cannot).
    if (avformat_query_codec(format, encoder->id, FF_COMPLIANCE_NORMAL) == 0) {
        return MovieCodecName(code) + " (" + code + ") cannot be carried in " + spec.target.muxer;
    }
    return MovieCodecSizeProblem(*codec, spec.width, spec.height, spec.fieldOrder != FieldOrder::Progressive);
}

namespace {

const MovieCodec& LiveCodec(const LiveStreamSpec& spec) {
    std::string code = spec.codec.empty() ? kDefaultLiveCodec : spec.codec;
    code.resize(4, ' ');
    const MovieCodec* codec = FindMovieCodec(code, MovieContainer::QuickTime);
    return codec ? *codec : *FindMovieCodec(code, MovieContainer::Avi);
}

// Low delay: every frame leaves the encoder as soon as it is coded (no
// frames held back for B-frames or look-ahead), a key frame every second so
// a receiver that joins late starts within one, and a capped data rate.
void AddLiveEncoderOptions(const LiveStreamSpec& spec, const MovieCodec& codec, FfmpegMovieSpec& movie) {
    int framesPerSecond = static_cast<int>(std::lround(static_cast<double>(spec.rate.rate) / spec.rate.scale));
    movie.encoderOptions.emplace_back("g", std::to_string(std::max(framesPerSecond, 1)));
    if (std::strcmp(codec.encoder, "libx264") != 0) {
        return;
    }
    const bool high = spec.height >= kHighDefinitionLines;
    // High definition codes six times the pixels: the quickest preset
    // leaves the drawing its share of the machine.
    movie.encoderOptions.emplace_back("preset", high ? "ultrafast" : "veryfast");
    const int bits = high ? kHighRateBits : kStandardRateBits;
    movie.encoderOptions.emplace_back("tune", "zerolatency");
    movie.encoderOptions.emplace_back("maxrate", std::to_string(bits));
    movie.encoderOptions.emplace_back("bufsize", std::to_string(bits));
}

std::string MakingName(const std::string& path) {
    return path + ".making~";
}

}  // namespace

LiveStream::LiveStream() = default;

LiveStream::~LiveStream() {
    Close();
}

bool LiveStream::Open(const LiveStreamSpec& spec) {
    StartNetwork();
    SilenceFfmpegLog();
    spec_ = spec;
    error_ = LiveCodecProblem(spec);
    if (!error_.empty()) {
        return false;
    }
    const MovieCodec& codec = LiveCodec(spec);
    FfmpegMovieSpec movie;
    movie.muxer = spec.target.muxer.c_str();
    movie.codec = &codec;
    movie.timeBase = AVRational{spec.rate.scale, spec.rate.rate};
    movie.frameDuration = 1;
    SinkParameters& p = movie.parameters;
    p.path = spec.target.url;
    if (spec.target.kind == LiveTargetKind::File) {
        writtenPath_ = MakingName(spec.target.given);
        p.path = "file:" + writtenPath_;
    }
    p.width = spec.width;
    p.height = spec.height;
    p.framesPerSecond = static_cast<double>(spec.rate.rate) / spec.rate.scale;
    p.quality = spec.quality;
    p.codec = codec.code;
    p.fieldOrder = spec.fieldOrder;
    p.pictureAspect = spec.pictureAspect;
    AddLiveEncoderOptions(spec, codec, movie);
    auto sink = std::make_unique<FfmpegMovieSink>();
    if (!sink->Open(movie)) {
        error_ = "cannot stream to " + spec.target.given + ": " + sink->Error();
        sink->Close();
        if (!writtenPath_.empty()) {
            std::remove(writtenPath_.c_str());
            writtenPath_.clear();
        }
        return false;
    }
    sink_ = std::move(sink);
    return true;
}

bool LiveStream::Room() {
    return sink_ && sink_->Room();
}

bool LiveStream::Send(int64_t index, const CDib& picture) {
    if (!sink_) {
        return false;
    }
    if (!sink_->WriteFrame(static_cast<int32_t>(index), picture)) {
        error_ = spec_.target.given + ": " + sink_->Error();
        return false;
    }
    return true;
}

bool LiveStream::Close() {
    if (!sink_) {
        return error_.empty();
    }
    bool ok = sink_->Close();
    if (!ok) {
        error_ = spec_.target.given + ": " + sink_->Error();
    }
    sink_.reset();
    // A recording keeps what went out, even when the end failed.
    if (!writtenPath_.empty() && std::rename(writtenPath_.c_str(), spec_.target.given.c_str()) != 0 && ok) {
        error_ = "cannot put the recording in place as " + spec_.target.given;
        ok = false;
    }
    writtenPath_.clear();
    return ok;
}

void MakeKeyPicture(const CDib& picture, CDib& key) {
    if (picture.BitsPerPixel() != 32 || !key.Create(picture.Width(), picture.Height(), 24)) {
        return;
    }
    for (int row = 0; row < picture.Height(); ++row) {
        const uint8_t* in = picture.Row(row);
        uint8_t* out = key.Row(row);
        for (int x = 0; x < picture.Width(); ++x) {
            std::memset(out + 3 * x, in[4 * x + 3], 3);
        }
    }
}
