// Encoding and muxing of movie frames through FFmpeg.
#include "FfmpegWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "ChromaGamut.h"
#include "FrameDigest.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace {

// Frames waiting for the encoder: one being converted while the next is
// rendered.
constexpr size_t kQueuedFrames = 2;

AVFieldOrder ToFieldOrder(FieldOrder order) {
    switch (order) {
        case FieldOrder::UpperFirst:
            return AV_FIELD_TT;
        case FieldOrder::LowerFirst:
            return AV_FIELD_BB;
        default:
            return AV_FIELD_PROGRESSIVE;
    }
}

AVRational ToRational(Ratio ratio) {
    return AVRational{ratio.num, ratio.den};
}

bool IsQuickTime(const FfmpegMovieSpec& spec) {
    return std::string_view(spec.muxer) == "mov";
}

// The pixel aspect the container states: QuickTime's 'pasp' from Apple's
// table, AVI's from the whole frame's shape (its vprp says 4:3 or 16:9).
// None when no shape is given (square pixels, nothing stored).
AVRational ContainerPixelAspect(const FfmpegMovieSpec& spec, const PixelShape& shape) {
    if (spec.parameters.pictureAspect <= 0.0) {
        return AVRational{0, 1};
    }
    return ToRational(IsQuickTime(spec) ? shape.quickTime : shape.wholeFrame);
}

// QuickTime flags interlaced samples as frames of two interleaved fields:
// 'fiel' detail 9 when the upper field comes first, 14 when the lower does
// (Apple TN2162), which the mov muxer writes for FFmpeg's TB and BT.
AVFieldOrder StoredFieldOrder(const FfmpegMovieSpec& spec) {
    AVFieldOrder order = ToFieldOrder(spec.parameters.fieldOrder);
    if (!IsQuickTime(spec)) {
        return order;
    }
    return order == AV_FIELD_TT ? AV_FIELD_TB : order == AV_FIELD_BB ? AV_FIELD_BT : order;
}

// What the container says about the stored stream, beyond what the encoder
// told it: pixel aspect, field flags and, in QuickTime, a 'colr' on RGB
// tracks too (the matrix of the picture's size, for whoever converts them).
void DescribeForContainer(const FfmpegMovieSpec& spec, const AVStream& stream, AVCodecParameters& par) {
    par.sample_aspect_ratio = stream.sample_aspect_ratio;
    par.field_order = StoredFieldOrder(spec);
    if (IsQuickTime(spec) && par.color_space == AVCOL_SPC_UNSPECIFIED) {
        par.color_space = MovieColourFor(AV_PIX_FMT_YUV422P, spec.parameters.height).matrix;
    }
}

}  // namespace

FfmpegMovieSink::~FfmpegMovieSink() {
    if (format_ && headerWritten_) {
        Close();
    }
}

bool FfmpegMovieSink::Fail(const std::string& what, int code) {
    error_ = code < 0 ? what + ": " + FfmpegErrorText(code) : what;
    failed_ = true;
    return false;
}

bool FfmpegMovieSink::Open(const FfmpegMovieSpec& spec) {
    SilenceFfmpegLog();
    const SinkParameters& p = spec.parameters;
    fieldOrder_ = p.fieldOrder;
    muxer_ = spec.muxer;
    path_ = p.path;
    AVFormatContext* raw = nullptr;
    int result = avformat_alloc_output_context2(&raw, nullptr, spec.muxer, p.path.c_str());
    format_.reset(raw);
    if (result < 0 || !format_) {
        return Fail("cannot make a " + std::string(spec.muxer) + " file", result);
    }
    AVStream* stream = avformat_new_stream(format_.get(), nullptr);
    if (!stream) {
        return Fail("out of memory", 0);
    }
    stream->time_base = spec.timeBase;
    shape_ = PixelShapeFor(p.width, p.height, p.pictureAspect);
    stream->sample_aspect_ratio = ContainerPixelAspect(spec, shape_);
    encoderTimeBase_ = av_mul_q(spec.timeBase, AVRational{static_cast<int>(spec.frameDuration), 1});
    stream->avg_frame_rate = av_inv_q(encoderTimeBase_);
    if (!spec.timecode.empty()) {
        av_dict_set(&stream->metadata, "timecode", spec.timecode.c_str(), 0);
    }
    if (spec.codec->encoder) {
        if (!OpenEncoder(spec, *stream)) {
            return false;
        }
    } else {
        DescribeStoredStream(spec, *stream);
    }
    stream_ = stream;
    result = avio_open(&format_->pb, p.path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) {
        return Fail("cannot create " + p.path, result);
    }
    SetTags(p);
    AVDictionary* options = nullptr;
    for (const auto& [key, value] : spec.muxerOptions) {
        av_dict_set(&options, key.c_str(), value.c_str(), 0);
    }
    result = avformat_write_header(format_.get(), &options);
    av_dict_free(&options);
    if (result < 0) {
        return Fail("cannot write the movie header", result);
    }
    headerWritten_ = true;
    packet_.reset(av_packet_alloc());
    if (!packet_) {
        return Fail("out of memory", 0);
    }
    worker_ = std::thread([this] { Work(); });
    return true;
}

namespace {

// The digest's place in a tag while the movie is written: the muxers write
// the tags with the header (AVI) or the index (QuickTime), before the
// frames can be read back, so the digest goes over these digits at the end.
std::string DigestPlaceholder() {
    return std::string(kCodedFramesLabel) + std::string(kFrameDigestDigits, '0');
}

// Where the AVI muxer puts the tags: in the header at the file's start.
constexpr int64_t kHeaderSearchBytes = 64 * 1024;

// Writes `replacement` after `before` over every `pattern` (which starts
// with `before`) in bytes from..from+length of the file (QuickTime keeps the
// comment twice, as comment and as description); false when there is none.
bool WriteOverPattern(const std::string& path, int64_t from, int64_t length, const std::string& before,
                      const std::string& pattern, const std::string& replacement) {
    FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        return false;
    }
    std::string bytes(static_cast<size_t>(std::max<int64_t>(length, 0)), '\0');
    bool read = fseeko(file, static_cast<off_t>(from), SEEK_SET) == 0;
    bytes.resize(read ? std::fread(bytes.data(), 1, bytes.size(), file) : 0);
    bool found = false;
    bool written = true;
    for (size_t at = bytes.find(pattern); at != std::string::npos; at = bytes.find(pattern, at + pattern.size())) {
        found = true;
        written = written &&
                  fseeko(file, static_cast<off_t>(from + static_cast<int64_t>(at + before.size())), SEEK_SET) == 0 &&
                  std::fwrite(replacement.data(), 1, replacement.size(), file) == replacement.size();
    }
    return std::fclose(file) == 0 && found && written;
}

}  // namespace

std::string CodedFramesDigest(const std::string& path) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        return {};
    }
    InputFormatOwner format(raw);
    int video = avformat_find_stream_info(raw, nullptr) < 0
                    ? -1
                    : av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    PacketOwner packet(av_packet_alloc());
    FrameDigest digest;
    if (video < 0 || !packet || !digest.Ready()) {
        return {};
    }
    int result = 0;
    while ((result = av_read_frame(raw, packet.get())) >= 0) {
        if (packet->stream_index == video && packet->size > 0) {
            digest.Add(packet->data, static_cast<size_t>(packet->size));
        }
        av_packet_unref(packet.get());
    }
    if (result != AVERROR_EOF) {
        return {};
    }
    return digest.Finish();
}

void FfmpegMovieSink::SetTags(const SinkParameters& p) {
    for (const auto& [key, value] : p.tags) {
        std::string text = value;
        if (key == p.frameDigestTag) {
            digestTagValue_ = value;
            recordDigest_ = true;
            text += DigestPlaceholder();
        }
        av_dict_set(&format_->metadata, key.c_str(), text.c_str(), 0);
    }
}

bool FfmpegMovieSink::RecordFrameDigest() {
    std::string digest = CodedFramesDigest(path_);
    struct stat facts {};
    if (digest.empty() || stat(path_.c_str(), &facts) != 0) {
        return false;
    }
    // AVI: the header at the start; QuickTime: the index after the frames.
    const int64_t from = muxer_ == "mov" ? trailerStart_ : 0;
    const int64_t length =
        muxer_ == "mov" ? facts.st_size - from : std::min<int64_t>(kHeaderSearchBytes, facts.st_size);
    return WriteOverPattern(path_, from, length, digestTagValue_, digestTagValue_ + DigestPlaceholder(),
                            kCodedFramesLabel + digest);
}

void FfmpegMovieSink::DescribeStoredStream(const FfmpegMovieSpec& spec, AVStream& stream) {
    // Uncompressed bitmaps, stored bottom-up with rows padded to 4 bytes as
    // a classic bitmap; the muxer is told so (flipped_raw_rgb).
    AVCodecParameters& par = *stream.codecpar;
    par.codec_type = AVMEDIA_TYPE_VIDEO;
    par.codec_id = AV_CODEC_ID_RAWVIDEO;
    par.codec_tag = 0;
    par.format = AV_PIX_FMT_BGR24;
    par.bits_per_coded_sample = 24;
    par.width = spec.parameters.width;
    par.height = spec.parameters.height;
    MovieColour colour = MovieColourFor(AV_PIX_FMT_BGR24, spec.parameters.height);
    par.color_primaries = colour.primaries;
    par.color_trc = colour.transfer;
    DescribeForContainer(spec, stream, par);
}

bool FfmpegMovieSink::OpenEncoder(const FfmpegMovieSpec& spec, AVStream& stream) {
    const SinkParameters& p = spec.parameters;
    const AVCodec* codec = avcodec_find_encoder_by_name(spec.codec->encoder);
    if (!codec) {
        return Fail(std::string("the encoder ") + spec.codec->encoder + " is not available", 0);
    }
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) {
        return Fail("out of memory", 0);
    }
    AVCodecContext& c = *encoder_;
    c.width = p.width;
    c.height = p.height;
    std::string sizeProblem =
        MovieCodecSizeProblem(*spec.codec, p.width, p.height, p.fieldOrder != FieldOrder::Progressive);
    if (!sizeProblem.empty()) {
        return Fail(sizeProblem, 0);
    }
    c.pix_fmt = EncoderPixelFormat(*spec.codec, p.width, p.height, p.fieldOrder != FieldOrder::Progressive, p.alpha);
    colour_ = MovieColourFor(c.pix_fmt, p.height);
    // Subsampled video-range colour is kept inside the RGB gamut (EBU R 103).
    keepInGamut_ = colour_.range == AVCOL_RANGE_MPEG && ChromaGamutApplies(c.pix_fmt);
    c.color_primaries = colour_.primaries;
    c.color_trc = colour_.transfer;
    c.colorspace = colour_.matrix;
    c.color_range = colour_.range;
    c.time_base = encoderTimeBase_;
    c.framerate = av_inv_q(encoderTimeBase_);
    // The stream codes its own sample aspect (H.264: ITU-T H.264 Table E-1).
    c.sample_aspect_ratio = p.pictureAspect > 0.0 ? ToRational(shape_.coded) : AVRational{0, 1};
    c.field_order = ToFieldOrder(p.fieldOrder);
    c.thread_count = 0;  // as many as the machine has
    c.thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    c.gop_size = 12;
    std::string_view encoder = spec.codec->encoder;
    // Field coding where the encoder has it for this size; otherwise the
    // stream only carries the field order.
    bool fieldCoded = p.fieldOrder != FieldOrder::Progressive && CodesFields(*spec.codec, c.pix_fmt, p.height);
    if (fieldCoded) {
        c.flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
    }
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) {
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    AVDictionary* options = nullptr;
    ApplyMovieQuality(*spec.codec, p.quality, c, &options);
    if (const char* profile = EncoderProfile(*spec.codec, c.pix_fmt)) {
        av_dict_set(&options, "profile", profile, 0);
    }
    if (spec.codec->quantMatrix) {
        av_dict_set(&options, "quant_mat", spec.codec->quantMatrix, 0);
    }
    for (const auto& [key, value] : spec.encoderOptions) {
        av_dict_set(&options, key.c_str(), value.c_str(), 0);
    }
    if (fieldCoded && encoder == "libx264") {
        // x264 takes the field order from its own parameters.
        av_dict_set(&options, "x264-params", p.fieldOrder == FieldOrder::UpperFirst ? "tff=1" : "bff=1", 0);
    }
    int result = avcodec_open2(&c, codec, &options);
    av_dict_free(&options);
    if (result < 0) {
        return Fail(std::string("cannot start the encoder ") + spec.codec->encoder, result);
    }
    result = avcodec_parameters_from_context(stream.codecpar, &c);
    if (result < 0) {
        return Fail("cannot describe the stream", result);
    }
    DescribeForContainer(spec, stream, *stream.codecpar);
    frame_.reset(av_frame_alloc());
    if (!frame_) {
        return Fail("out of memory", 0);
    }
    frame_->format = c.pix_fmt;
    frame_->width = c.width;
    frame_->height = c.height;
    // Some encoders (ProRes) take the colour tags from every frame.
    frame_->color_primaries = c.color_primaries;
    frame_->color_trc = c.color_trc;
    frame_->colorspace = c.colorspace;
    frame_->color_range = c.color_range;
    result = av_frame_get_buffer(frame_.get(), 0);
    return result < 0 ? Fail("out of memory", result) : true;
}

bool FfmpegMovieSink::ConvertFrame(const QueuedFrame& queued) {
    int result = av_frame_make_writable(frame_.get());
    if (result < 0) {
        return Fail("out of memory", result);
    }
    AVPixelFormat from = queued.bitsPerPixel == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    if (!scale_ || scaleFromFormat_ != from) {
        scale_.reset(sws_getContext(frame_->width, frame_->height, from, frame_->width, frame_->height,
                                    static_cast<AVPixelFormat>(frame_->format), SWS_BICUBIC, nullptr, nullptr,
                                    nullptr));
        scaleFromFormat_ = from;
        if (!scale_) {
            return Fail("cannot convert the frame's pixels", 0);
        }
        if (colour_.scaleMatrix != 0) {
            // Full-range RGB in, the movie's matrix and range out.
            const int* matrix = sws_getCoefficients(colour_.scaleMatrix);
            sws_setColorspaceDetails(scale_.get(), matrix, 1, matrix, colour_.range == AVCOL_RANGE_JPEG ? 1 : 0, 0,
                                     1 << 16, 1 << 16);
        }
    }
    // The picture is stored bottom-up: start at its top row and walk back.
    const uint8_t* top[1] = {queued.pixels.data() + static_cast<size_t>(frame_->height - 1) * queued.stride};
    const int strides[1] = {-queued.stride};
    sws_scale(scale_.get(), top, strides, 0, frame_->height, frame_->data, frame_->linesize);
    if (keepInGamut_) {
        const bool hd = colour_.matrix == AVCOL_SPC_BT709;
        KeepChromaInGamut(*frame_, hd ? LumaWeights{0.2126, 0.0722} : LumaWeights{0.299, 0.114});
    }
    return true;
}

bool FfmpegMovieSink::Room() {
    std::lock_guard<std::mutex> hold(lock_);
    return queue_.size() < kQueuedFrames;
}

bool FfmpegMovieSink::WriteFrame(int32_t index, const CDib& image) {
    if (failed_ || !headerWritten_) {
        return false;
    }
    if (failedAsync_.load(std::memory_order_acquire)) {
        failed_ = true;  // error_ was set by the worker before it failed
        return false;
    }
    if (image.Width() != stream_->codecpar->width || image.Height() != stream_->codecpar->height ||
        (image.BitsPerPixel() != 24 && image.BitsPerPixel() != 32) || (!encoder_ && image.BitsPerPixel() != 24)) {
        StopWorker();
        return Fail("the frame does not have the movie's size and depth", 0);
    }
    size_t bytes = static_cast<size_t>(image.Height()) * image.Stride();
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return queue_.size() < kQueuedFrames || failedAsync_.load(); });
    QueuedFrame queued;
    if (!spare_.empty()) {
        queued.pixels = std::move(spare_.back());
        spare_.pop_back();
    }
    queued.pixels.assign(image.Pixels(), image.Pixels() + bytes);
    queued.index = index;
    queued.bitsPerPixel = image.BitsPerPixel();
    queued.stride = image.Stride();
    queue_.push_back(std::move(queued));
    changed_.notify_all();
    return true;
}

void FfmpegMovieSink::Work() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return !queue_.empty() || stopping_; });
        if (queue_.empty()) {
            return;
        }
        QueuedFrame queued = std::move(queue_.front());
        queue_.pop_front();
        hold.unlock();
        if (!failedAsync_.load() && !Process(queued)) {
            failedAsync_.store(true, std::memory_order_release);
        }
        hold.lock();
        spare_.push_back(std::move(queued.pixels));
        changed_.notify_all();
    }
}

void FfmpegMovieSink::StopWorker() {
    if (!worker_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
    if (failedAsync_.load()) {
        failed_ = true;
    }
}

bool FfmpegMovieSink::Process(const QueuedFrame& queued) {
    if (!encoder_) {
        return WriteStoredFrame(queued);
    }
    if (!ConvertFrame(queued)) {
        return false;
    }
    frame_->pts = queued.index;
    // With a fixed quantiser the encoder takes it from every frame.
    frame_->quality = (encoder_->flags & AV_CODEC_FLAG_QSCALE) ? encoder_->global_quality : 0;
    frame_->interlaced_frame = fieldOrder_ != FieldOrder::Progressive;
    frame_->top_field_first = fieldOrder_ == FieldOrder::UpperFirst;
    return SendFrame(frame_.get());
}

bool FfmpegMovieSink::WriteStoredFrame(const QueuedFrame& queued) {
    int result = av_new_packet(packet_.get(), static_cast<int>(queued.pixels.size()));
    if (result < 0) {
        return Fail("out of memory", result);
    }
    std::memcpy(packet_->data, queued.pixels.data(), queued.pixels.size());
    packet_->flags |= AV_PKT_FLAG_KEY;
    packet_->pts = packet_->dts = queued.index;
    packet_->duration = 1;
    return WritePacket();
}

bool FfmpegMovieSink::WritePacket() {
    av_packet_rescale_ts(packet_.get(), encoderTimeBase_, stream_->time_base);
    packet_->stream_index = stream_->index;
    int result = av_interleaved_write_frame(format_.get(), packet_.get());
    if (result < 0) {
        return Fail("cannot write the frame", result);
    }
    ++stored_;
    return true;
}

bool FfmpegMovieSink::SendFrame(AVFrame* frame) {
    int result = avcodec_send_frame(encoder_.get(), frame);
    if (result < 0) {
        return Fail("the encoder refused the frame", result);
    }
    for (;;) {
        result = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return true;
        }
        if (result < 0) {
            return Fail("the encoder failed", result);
        }
        if (packet_->duration == 0) {
            packet_->duration = 1;
        }
        if (!WritePacket()) {
            return false;
        }
    }
}

bool FfmpegMovieSink::Close() {
    StopWorker();
    if (!format_) {
        return !failed_;
    }
    bool ok = !failed_;
    if (headerWritten_) {
        if (encoder_ && !failed_) {
            ok = SendFrame(nullptr) && ok;
        }
        trailerStart_ = format_->pb ? avio_tell(format_->pb) : 0;
        int result = av_write_trailer(format_.get());
        if (result < 0 && ok) {
            ok = Fail("cannot finish the movie file", result);
        }
        headerWritten_ = false;
    }
    if (format_->pb) {
        avio_flush(format_->pb);
        if (format_->pb->error < 0 && ok) {
            ok = Fail("cannot finish the movie file", format_->pb->error);
        }
        int result = avio_closep(&format_->pb);
        if (result < 0 && ok) {
            ok = Fail("cannot close the movie file", result);
        }
    }
    format_.reset();
    encoder_.reset();
    if (ok && recordDigest_ && !RecordFrameDigest()) {
        ok = Fail("cannot record the digest of the frames in " + path_, 0);
    }
    recordDigest_ = false;
    return ok;
}
